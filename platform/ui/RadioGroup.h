// The class library's radio group: a captioned box of radio buttons laid out
// in columns (filled top to bottom, then left to right), of which one is
// selected.
#pragma once

#include <QGroupBox>

#include <functional>

class QAbstractButton;
class QButtonGroup;

class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    // The selected item, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int Value);
    QAbstractButton* Button(int index) const;

    // Runs when another item becomes selected, by the user or by SetItemIndex.
    std::function<void()> OnClick;

private:
    QButtonGroup* FButtons;
};
