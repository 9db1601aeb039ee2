#include "platform/ui/Dialogs.h"

#include "platform/ui/Application.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

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

// The window a box is centred on: the window in use, else the main window (a
// dropped file leaves another program's window active).
QWidget* OwnerWindow()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(window) != nullptr && window->isVisible())
            return window;
    return nullptr;
}

// The window manager cuts a caption that is wider than its box: the box is
// made wide enough for the caption in a bold title font, with room for the
// title bar's icon and buttons.
void FitCaption(QMessageBox& box)
{
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

int ShowReal(const TDialogRequest& request)
{
    QMessageBox box(IconOf(request.Type), QString::fromStdString(request.Caption),
                    QString::fromStdString(request.Text), QMessageBox::NoButton, OwnerWindow());
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
    FitCaption(box);
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
        return "警告";
    case TMsgDlgType::mtError:
        return "エラー";
    case TMsgDlgType::mtInformation:
        return "情報";
    case TMsgDlgType::mtConfirmation:
        return "確認";
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
