// The class library's modal form on a Qt dialog: a form is shown with
// ShowModal and ends when its ModalResult becomes non-zero, set by the form's
// own code or by a button that carries a modal result (mrOk, mrCancel of
// Dialogs.h; preview filters also use 3). Esc clicks the cancel
// button, Enter the default one, and the close box ends the form with mrCancel.
#pragma once

#include "platform/ui/Dialogs.h"

#include <QDialog>
#include <QFont>

#include <string>
#include <utility>

class QAbstractButton;
class QPushButton;

// bsDialog: fixed size, no maximise; bsSizeable: resizable with minimise and maximise.
enum class TFormBorderStyle { bsDialog, bsSizeable };
// Where the form appears when it is shown: where it was placed, centred on the
// screen, or centred on its owner.
enum class TFormPosition { poDesigned, poScreenCenter, poMainFormCenter };

class TForm : public QDialog {
public:
    // owner: the window that created the form; the form stays above it.
    explicit TForm(QWidget* owner);

    // Shows the form modally; answers ModalResult once it is no longer 0.
    int ShowModal();
    int ModalResult() const { return FModalResult; }
    // A non-zero value ends ShowModal with it.
    void SetModalResult(int Value);

    // A click on button sets the form's modal result to Value.
    void SetButtonModalResult(QAbstractButton* button, int Value);
    // Enter clicks the default button, Esc the cancel button.
    void SetDefaultButton(QPushButton* button);
    void SetCancelButton(QPushButton* button);

    void SetBorderStyle(TFormBorderStyle Value);
    void SetPosition(TFormPosition Value) { FPosition = Value; }
    void SetStayOnTop(bool Value);

    // Run when the form becomes the active form of the application and when
    // it stops being it (also when it is hidden). A switch to another
    // application's window and back runs neither. Window systems may deliver
    // activation late or never.
    virtual void FormActivate() {}
    virtual void FormDeactivate() {}

protected:
    bool event(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

private:
    void ApplyWindowFlags();
    void ApplyPosition();

    int FModalResult = 0;
    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    TFormPosition FPosition = TFormPosition::poDesigned;
    bool FStayOnTop = false;
    QPushButton* FCancelButton = nullptr;
    // Between FormActivate and FormDeactivate.
    bool FActive = false;
};

// The font of a form's design: the desktop fonts that stand in for the
// designed face ("ＭＳ Ｐゴシック", "ＭＳ ゴシック"), at pixelHeight pixels
// whatever the screen's density. A negative height (as form resources give
// it) means the same size.
QFont DesignFont(const std::string& faceName, int pixelHeight);

// A form created into its unit's form variable for the scope: the form is
// freed and the variable reset on every path out.
template <class Form>
class TScopedForm {
public:
    TScopedForm(Form*& Variable, QWidget* Owner) : FVariable(Variable) { FVariable = new Form(Owner); }
    ~TScopedForm() { delete std::exchange(FVariable, nullptr); }
    TScopedForm(const TScopedForm&) = delete;
    TScopedForm& operator=(const TScopedForm&) = delete;

private:
    Form*& FVariable;
};
