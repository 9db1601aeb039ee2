// The soften dialog: the radius of the box mean, with a preview on the
// whole document.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;

class TBlurForm : public TForm {
public:
    explicit TBlurForm(QWidget* Owner);

    QScrollBar* ScrollBar1;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // The document filtered by the last preview.
    std::unique_ptr<TFvDIB> bmp;

    void FormActivate() override;
    void ScrollBar1Change();
    void Button1Click();
    void Button2Click();

private:
    void WriteLabels();
};

extern TBlurForm* BlurForm;
// Milliseconds the last valid preview took; 0 when there is none.
extern uint32_t BlurProcessTime;
// Handed back with OK when no preview is valid.
extern uint8_t BlurRadius;
