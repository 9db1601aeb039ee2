// The contrast dialog: one value from -100 to 100, previewed on a
// thumbnail of the document.
#pragma once

#include "app/PreviewImages.h"
#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

class TContrastForm : public TForm {
public:
    explicit TContrastForm(QWidget* owner);

    // Handed back on OK.
    int Value = 0;

    TImage* I_1;
    QLabel* L_1;
    QScrollBar* SB_1;
    QPushButton* B_1;
    QPushButton* B_2;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void B_1Click();

private:
    TPreviewImages FImages;
};

extern TContrastForm* ContrastForm;
