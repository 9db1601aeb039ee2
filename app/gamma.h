// The gamma dialog: one gamma value per channel (0.75 to 3.00) or, with the
// link box ticked, one for all, previewed on a thumbnail of the document.
#pragma once

#include "app/PreviewImages.h"
#include "platform/ui/Form.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

class TGammaForm : public TForm {
public:
    explicit TGammaForm(QWidget* owner);

    // Handed back on OK.
    double RValue = 0;
    double GValue = 0;
    double BValue = 0;

    TImage* I_1;
    QLabel* L_1;
    QLabel* L_2;
    QLabel* L_3;
    QScrollBar* SB_1;
    QScrollBar* SB_2;
    QScrollBar* SB_3;
    QCheckBox* CB_2;
    QPushButton* B_1;
    QPushButton* B_2;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void SB_2Change();
    void SB_3Change();
    void B_1Click();

private:
    // Corrects Dest with the three bars unlinked and shows it.
    void ShowRGB();

    TPreviewImages FImages;
};

extern TGammaForm* GammaForm;
