// The posterisation dialog: 2 to 255 levels for each of red, green and
// blue, linked to one value while the link box is ticked. It shows no preview.
#pragma once

#include "platform/ui/Form.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

class TPosterizationForm : public TForm {
public:
    explicit TPosterizationForm(QWidget* owner);

    // Handed back on OK.
    int RValue = 0;
    int GValue = 0;
    int BValue = 0;

    QLabel* L_1;
    QLabel* L_2;
    QLabel* L_3;
    QScrollBar* SB_1;
    QScrollBar* SB_2;
    QScrollBar* SB_3;
    QCheckBox* CB_1;
    QPushButton* B_1;
    QPushButton* B_2;

    void SB_1Change();
    void SB_2Change();
    void SB_3Change();
    void B_1Click();
};

extern TPosterizationForm* PosterizationForm;
