// The colour balance dialog: a shift of -255 to 255 for each of red, green
// and blue, previewed on a thumbnail of the document.
#pragma once

#include "app/PreviewImages.h"
#include "platform/ui/Form.h"

class QLabel;
class QPushButton;
class QScrollBar;
class TImage;

class TColorForm : public TForm {
public:
    explicit TColorForm(QWidget* owner);

    // Handed back on OK.
    int RValue = 0;
    int GValue = 0;
    int BValue = 0;

    TImage* I_1;
    QLabel* L_1;
    QLabel* L_2;
    QLabel* L_3;
    QScrollBar* SB_1;
    QScrollBar* SB_2;
    QScrollBar* SB_3;
    QPushButton* B_1;
    QPushButton* B_2;

    void FormActivate() override;
    void FormDeactivate() override;
    void SB_1Change();
    void SB_2Change();
    void SB_3Change();
    void B_1Click();

private:
    // The thumbnail corrected with all three positions, on show.
    void Preview();

    TPreviewImages FImages;
};

extern TColorForm* ColorForm;
