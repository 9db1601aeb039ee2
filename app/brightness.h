// The brightness dialog: one value from -100 to 100, previewed on a
// thumbnail of the document.
#pragma once

#include "app/PreviewImages.h"
#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

class TBrightnessForm : public TForm {
public:
    explicit TBrightnessForm(QWidget* owner);

    // Handed back on OK.
    int Value = 0;

    TImage* I_1;
    QLabel* L_1;
    QScrollBar* SB_1;
    QPushButton* B_1;
    QPushButton* Button1;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void B_1Click();

private:
    TPreviewImages FImages;
};

extern TBrightnessForm* BrightnessForm;
