// The size dialog: the resize command's target size, by per cent of the
// current size or as numbers, and its resize method, which the settings file
// remembers.
#pragma once

#include "platform/ui/Form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;

class TSizeForm : public TForm {
public:
    explicit TSizeForm(QWidget* owner);

    // Handed back on OK: the target size and the method (the list's index, -1 for none).
    int CX = 0;
    int CY = 0;
    int Mode = 0;

    QLabel* LB_1;
    QGroupBox* GB_Set;
    QRadioButton* RB_Mode1;
    QScrollBar* SB_1;
    QLabel* LB_2;
    QLabel* LB_3;
    QRadioButton* RB_Mode2;
    QLabel* X;
    QSpinBox* SE_X;
    QLabel* Y;
    QSpinBox* SE_Y;
    QComboBox* CB_1;
    QPushButton* B_OK;
    QPushButton* Button2;

    void FormActivate() override;
    void SB_1Change();
    void RB_Mode1Click();
    void RB_Mode2Click();
    void B_OKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FPrepared = false;
};

extern TSizeForm* SizeForm;
