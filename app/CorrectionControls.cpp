#include "app/CorrectionControls.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/FloatText.h"
#include "platform/ui/Form.h"
#include "platform/ui/Image.h"
#include "platform/ui/ScrollBar.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>


namespace {

// A horizontal scroll bar over min .. max at position; set before any
// handler is connected, so making it runs none.
QScrollBar* NewScrollBar(QWidget* parent, int min, int max, int position, const QRect& bounds)
{
    auto* bar = new TScrollBar(Qt::Horizontal, parent);
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setGeometry(bounds);
    return bar;
}

} // namespace

QLabel* NewLabel(QWidget* parent, const QString& caption, const QRect& bounds)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(bounds);
    return label;
}

std::pair<QLabel*, QScrollBar*> NewBarRow(QWidget* parent, const QString& caption, int min, int max, int position, int top, int width)
{
    return {NewLabel(parent, caption, {8, top, width, 14}), NewScrollBar(parent, min, max, position, {8, top + 16, width, 16})};
}

QPushButton* NewButton(QWidget* parent, const QString& caption, const QRect& bounds)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(bounds);
    return button;
}

QCheckBox* NewCheckBox(QWidget* parent, const QString& caption, bool checked, const QRect& bounds)
{
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(checked);
    box->setGeometry(bounds);
    return box;
}

TImage* NewPreview(QWidget* parent, const QRect& bounds)
{
    auto* image = new TImage(parent);
    image->AutoSize = false;
    image->Center = true;
    image->setGeometry(bounds);
    return image;
}

void SetUpCorrectionForm(TForm& form, const QString& caption, int clientWidth, int clientHeight, QPushButton* ok,
                         QPushButton* cancel)
{
    form.setWindowTitle(caption);
    form.setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    form.resize(clientWidth, clientHeight);
    form.SetBorderStyle(TFormBorderStyle::bsDialog);
    form.SetPosition(TFormPosition::poScreenCenter);
    form.SetDefaultButton(ok);
    form.SetCancelButton(cancel);
    form.SetButtonModalResult(cancel, mrCancel);
}

void MoveLinkedBars(QScrollBar* changed, QScrollBar* first, QScrollBar* second)
{
    first->setValue(changed->value());
    second->setValue(changed->value());
}

QString PositionCaption(const QString& prefix, int value)
{
    return prefix + QString::number(value);
}

double GammaOf(int position)
{
    return static_cast<double>(static_cast<long double>(position) / 100);
}

QString GammaCaption(const QString& prefix, int position)
{
    // "%4.2f" of 0.75 to 3.00 is never padded: two decimals with the locale's separator.
    return prefix + QString::fromStdString(FormatFloat(GammaOf(position), 2));
}
