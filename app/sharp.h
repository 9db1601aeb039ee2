// The sharpen dialog: the neighbours weighed and the strength, with a
// preview on the whole document.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class TRadioGroup;

class TSharpForm : public TForm {
public:
    explicit TSharpForm(QWidget* Owner);

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
    void Button1Click();
    void Button2Click();

private:
    void WriteLabels();
    // SharpMode and SharpPower from the controls.
    void StoreValues();
};

extern TSharpForm* SharpForm;
// Milliseconds the last valid preview took; 0 when there is none.
extern uint32_t SharpProcessTime;
// Handed back with OK when no preview is valid: the neighbours (0 the four
// sides, 1 the four diagonals, 2 all eight) and the strength.
extern uint8_t SharpMode;
extern double SharpPower;
