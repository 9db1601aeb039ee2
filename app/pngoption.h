// The PNG options dialog: the compression level of a PNG save and which of
// the external optimisers run on the saved file (only tools that are found
// can be chosen; the boxes show only with the hidden functions on).
#pragma once

#include "platform/ui/Form.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

// The level stored on OK, 0 to 9.
extern int PngCompressionLevel;

class TPNGOptionForm : public TForm {
public:
    explicit TPNGOptionForm(QWidget* owner);

    QLabel* Label1;
    QScrollBar* ScrollBar1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QPushButton* Button1;
    QPushButton* Button2;

    void FormActivate() override;
    void ScrollBar1Change();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool FPrepared = false;
};

extern TPNGOptionForm* PNGOptionForm;
