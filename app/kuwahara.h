// The Kuwahara dialog: the block size, with a preview on the whole document.
// Its colour-count group is hidden, so the mode handed back stays 3.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/ui/Form.h"

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollBar;
class TRadioGroup;

class TKuwaharaForm : public TForm {
public:
    explicit TKuwaharaForm(QWidget* Owner);

    QScrollBar* ScrollBar1;
    QLabel* Label1;
    TRadioGroup* RadioGroup1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    // The document filtered by the last preview.
    std::unique_ptr<TFvDIB> Bmp;
    // Milliseconds the last valid preview took; 0 when there is none.
    uint32_t ProcessTime = 0;
    // Handed back with OK when no preview is valid: block and mode.
    uint8_t Value = 0;
    uint8_t Mode = 0;

    void FormActivate() override;
    void ScrollBar1Change();
    void Button1Click();
    void Button2Click();

private:
    void WriteLabels();
};

extern TKuwaharaForm* KuwaharaForm;
