#include "app/custom.h"

#include "platform/ui/Application.h"
#include "platform/ui/FloatText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

TCustForm* CustForm = nullptr;
double CustomKernel[3][3] = {};

namespace {

constexpr int CellWidth = 64;
constexpr int CellHeight = 24;

// Hands every keystroke of the cell editor to the grid at once, so that the
// OK button follows the text while it is typed, not only when the editor closes.
class TTypedCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            auto* self = const_cast<TTypedCellDelegate*>(this);
            connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
        }
        return editor;
    }
};

} // namespace

TCustForm::TCustForm(QWidget* Owner) : TForm(Owner)
{
    setWindowTitle(QStringLiteral("カスタムフィルタ"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TFormPosition::poScreenCenter);
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));

    Panel1 = new QWidget(this);
    StringGrid1 = new QTableWidget(3, 3, Panel1);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setShowGrid(true);
    StringGrid1->setTabKeyNavigation(true);
    // Typing into a cell edits it.
    StringGrid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    StringGrid1->setItemDelegate(new TTypedCellDelegate(StringGrid1));
    for (int i = 0; i < 3; ++i) {
        StringGrid1->setColumnWidth(i, CellWidth);
        StringGrid1->setRowHeight(i, CellHeight);
    }
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            StringGrid1->setItem(row, column, new QTableWidgetItem);
    const int frame = 2 * StringGrid1->frameWidth();
    StringGrid1->setFixedSize(3 * CellWidth + frame, 3 * CellHeight + frame);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(StringGrid1);

    Button1 = new QPushButton(QStringLiteral("OK(&O)"), this);
    Button2 = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    SetCancelButton(Button2);
    SetButtonModalResult(Button2, mrCancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);

    connect(StringGrid1, &QTableWidget::itemChanged, this, Guarded([this](QTableWidgetItem*) { StringGrid1DrawCell(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this](bool) { Button1Click(); }));
    StringGrid1DrawCell();
}

void TCustForm::StringGrid1DrawCell()
{
    bool filled = true;
    for (int row = 0; row < StringGrid1->rowCount(); ++row)
        for (int column = 0; column < StringGrid1->columnCount(); ++column)
            if (StringGrid1->item(row, column)->text().isEmpty())
                filled = false;
    Button1->setEnabled(filled);
}

void TCustForm::Button1Click()
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            CustomKernel[r][c] =
                static_cast<double>(StrToFloatDef(StringGrid1->item(r, c)->text().toStdString(), 0));
    SetModalResult(mrOk);
}
