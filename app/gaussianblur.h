// The Gaussian-blur dialog: ten times the standard deviation, with a preview
// on the whole document.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;

class TGaussianBlurForm : public TForm {
public:
    explicit TGaussianBlurForm(QWidget* Owner);

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

extern TGaussianBlurForm* GaussianBlurForm;
// Milliseconds the last valid preview took; 0 when there is none.
extern uint32_t GaussianBlurProcessTime;
// Handed back with OK when no preview is valid.
extern uint8_t GaussianBlurValue;
