#include "platform/ui/Dialogs.h"

#include "platform/ui/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

DialogPresenter& Presenter()
{
    static DialogPresenter presenter;
    return presenter;
}

QMessageBox::Icon IconOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QMessageBox::Warning;
    case TMsgDlgType::mtError:
        return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
        return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
        return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

int ShowReal(const TDialogRequest& request)
{
    QMessageBox box(IconOf(request.Type), QString::fromStdString(request.Caption),
                    QString::fromStdString(request.Text), QMessageBox::NoButton, QApplication::activeWindow());
    struct Choice {
        unsigned flag;
        QMessageBox::StandardButton button;
        int result;
    };
    const Choice choices[] = {{mbYes, QMessageBox::Yes, mrYes},
                              {mbNo, QMessageBox::No, mrNo},
                              {mbOK, QMessageBox::Ok, mrOk},
                              {mbCancel, QMessageBox::Cancel, mrCancel}};
    for (const Choice& c : choices)
        if (request.Buttons & c.flag)
            box.addButton(c.button);
    if (request.Buttons & mbCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (request.Buttons & mbNo)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const Choice& c : choices)
        if (pressed == c.button)
            return c.result;
    return mrCancel;
}

int Present(const TDialogRequest& request)
{
    return Presenter() ? Presenter()(request) : ShowReal(request);
}

std::string TypeCaption(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning:
        return "Warning";
    case TMsgDlgType::mtError:
        return "Error";
    case TMsgDlgType::mtInformation:
        return "Information";
    case TMsgDlgType::mtConfirmation:
        return "Confirm";
    case TMsgDlgType::mtCustom:
        break;
    }
    return TApplication::Title();
}

} // namespace

void MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type)
{
    Present({text, caption, type, mbOK});
}

int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    return Present({text, TypeCaption(type), type, buttons});
}

void SetDialogPresenter(DialogPresenter presenter)
{
    Presenter() = std::move(presenter);
}
