// The LMS dialog: the response of each of the L, M and S cones from 0 to
// 100 per cent, with or without filling in from the other two, previewed on
// a thumbnail of the document.
#pragma once

#include "app/PreviewImages.h"
#include "platform/ui/Form.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

class TLMSForm : public TForm {
public:
    explicit TLMSForm(QWidget* owner);

    // Handed back on OK, and kept up to date by every scroll change; the
    // main window reads CheckBox1 itself.
    int LValue = 0;
    int MValue = 0;
    int SValue = 0;

    TImage* I_1;
    QLabel* L_1;
    QLabel* L_2;
    QLabel* L_3;
    QScrollBar* SB_1;
    QScrollBar* SB_2;
    QScrollBar* SB_3;
    QCheckBox* CheckBox1;
    QPushButton* B_1;
    QPushButton* Button1;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void SB_2Change();
    void SB_3Change();
    void B_1Click();

private:
    // Copies the positions into the values, then shows the corrected thumbnail.
    void Preview();

    TPreviewImages FImages;
};

extern TLMSForm* LMSForm;
