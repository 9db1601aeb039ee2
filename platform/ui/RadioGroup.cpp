#include "platform/ui/RadioGroup.h"

#include "platform/ui/Application.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), FButtons(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    const int count = static_cast<int>(items.size());
    const int rows = columns > 0 ? (count + columns - 1) / columns : count;
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(items[i], this);
        FButtons->addButton(button, i);
        layout->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    }
    connect(FButtons, &QButtonGroup::idToggled, this, Guarded([this](int, bool checked) {
        if (checked && OnClick)
            OnClick();
    }));
}

int TRadioGroup::ItemIndex() const
{
    return FButtons->checkedId();
}

void TRadioGroup::SetItemIndex(int Value)
{
    if (QAbstractButton* button = FButtons->button(Value))
        button->setChecked(true);
}

QAbstractButton* TRadioGroup::Button(int index) const
{
    return FButtons->button(index);
}
