#include "platform/ui/Form.h"

#include "platform/ui/DesktopLimit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstdlib>

TForm::TForm(QWidget* owner) : QDialog(owner)
{
    ApplyWindowFlags();
    LimitToDesktop(*this);
}

int TForm::ShowModal()
{
    FModalResult = 0;
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    if (FBorderStyle == TFormBorderStyle::bsDialog)
        setFixedSize(size());
    ApplyPosition();
    exec();
    return FModalResult;
}

void TForm::SetModalResult(int Value)
{
    FModalResult = Value;
    if (Value != 0)
        done(Value);
}

void TForm::SetButtonModalResult(QAbstractButton* button, int Value)
{
    connect(button, &QAbstractButton::clicked, this, [this, Value] { SetModalResult(Value); });
}

void TForm::SetDefaultButton(QPushButton* button)
{
    button->setDefault(true);
}

void TForm::SetCancelButton(QPushButton* button)
{
    FCancelButton = button;
}

void TForm::SetBorderStyle(TFormBorderStyle Value)
{
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TForm::SetStayOnTop(bool Value)
{
    FStayOnTop = Value;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags()
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (FBorderStyle == TFormBorderStyle::bsDialog)
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    else
        flags |= Qt::WindowMinMaxButtonsHint;
    if (FStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
}

void TForm::ApplyPosition()
{
    QRect area;
    if (FPosition == TFormPosition::poMainFormCenter && parentWidget() != nullptr)
        area = parentWidget()->window()->frameGeometry();
    else if (FPosition != TFormPosition::poDesigned) {
        const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        area = screen->geometry();
    }
    if (area.isNull())
        return;
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

bool TForm::event(QEvent* e)
{
    // Activation is between the application's own windows: when another
    // application takes the focus, no window of ours is active any more, and
    // the form stays the active form until the focus comes back to it.
    if (e->type() == QEvent::WindowActivate && !FActive) {
        FActive = true;
        FormActivate();
    } else if (e->type() == QEvent::WindowDeactivate && FActive && QApplication::activeWindow() != nullptr) {
        FActive = false;
        FormDeactivate();
    }
    return QDialog::event(e);
}

void TForm::hideEvent(QHideEvent* e)
{
    // A form that closes stops being the active one, wherever the focus is.
    if (!e->spontaneous() && FActive) {
        FActive = false;
        FormDeactivate();
    }
    QDialog::hideEvent(e);
}

void TForm::keyPressEvent(QKeyEvent* e)
{
    // Esc belongs to the cancel button alone: without one it does nothing.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (FCancelButton != nullptr && FCancelButton->isEnabled() && FCancelButton->isVisible())
            FCancelButton->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TForm::reject()
{
    // The close box ends a modal form as cancelled.
    SetModalResult(mrCancel);
}

QFont DesignFont(const std::string& faceName, int pixelHeight)
{
    QFont font;
    if (faceName == "ＭＳ Ｐゴシック") {
        font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    } else if (faceName == "ＭＳ ゴシック") {
        font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    } else {
        font.setFamily(QString::fromStdString(faceName));
    }
    font.setPixelSize(std::max(1, std::abs(pixelHeight)));
    return font;
}
