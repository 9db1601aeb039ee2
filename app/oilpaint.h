// The oil-paint dialog: the block's reach and the number of levels per
// channel, with a preview on the whole document.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class TRadioGroup;

class TOilPaintForm : public TForm {
public:
    explicit TOilPaintForm(QWidget* Owner);

    QScrollBar* ScrollBar1;
    QLabel* Label1;
    TRadioGroup* RadioGroup1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // The document filtered by the last preview.
    std::unique_ptr<TFvDIB> bmp;

    void FormActivate() override;
    void ScrollBar1Change();
    void RadioGroup1Click();
    void Button1Click();
    void Button2Click();

private:
    void WriteLabels();
};

extern TOilPaintForm* OilPaintForm;
// Milliseconds the last valid preview took; 0 when there is none.
extern uint32_t OilPaintProcessTime;
// Handed back with OK when no preview is valid: the block and the colour index.
extern uint8_t OilPaintBlock;
extern uint8_t OilPaintColors;
