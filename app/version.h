// The about box: the program's icon, name and version, and a credit line.
// A double-click on the icon switches the hidden functions on by resetting
// the settings file to its full default text.
#pragma once

#include "platform/ui/Form.h"

class QLabel;
class QPushButton;

class TVersionForm : public TForm {
public:
    explicit TVersionForm(QWidget* owner);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;

    void Image1DblClick();

protected:
    // Closing by the close box counts as OK.
    void reject() override { SetModalResult(mrOk); }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
};

extern TVersionForm* VersionForm;
