#include "app/PreviewFilter.h"

#include "app/DialogCommand.h"
#include "app/main.h"
#include "platform/core/TickCount.h"
#include "platform/ui/Application.h"
#include "platform/ui/Image.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ScrollBar.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QGridLayout* SetUpFilterForm(TForm& Form, const QString& Caption)
{
    Form.setWindowTitle(Caption);
    Form.SetBorderStyle(TFormBorderStyle::bsDialog);
    Form.SetPosition(TFormPosition::poScreenCenter);
    Form.setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    return new QGridLayout(&Form);
}

QScrollBar* AddScrollBar(TForm& Form, QGridLayout& Grid, int Min, int Max, int Position, QLabel*& Label,
                         const std::function<void()>& Change)
{
    auto* bar = new TScrollBar(Qt::Horizontal, &Form);
    bar->setRange(Min, Max);
    bar->setValue(Position);
    bar->setMinimumWidth(220);
    Label = new QLabel(&Form);
    Label->setMinimumWidth(90);
    const int row = Grid.rowCount();
    Grid.addWidget(bar, row, 0);
    Grid.addWidget(Label, row, 1);
    QObject::connect(bar, &QScrollBar::valueChanged, &Form, Guarded([Change](int) { Change(); }));
    return bar;
}

void AddRow(QGridLayout& Grid, QWidget* Control)
{
    Grid.addWidget(Control, Grid.rowCount(), 0, 1, 2);
}

TRadioGroup* NewColourCountGroup(QWidget* Parent)
{
    auto* group = new TRadioGroup(QStringLiteral("使用色数(RGB各色)"),
                                  {QStringLiteral("4色"), QStringLiteral("8色"), QStringLiteral("16色"),
                                   QStringLiteral("32色"), QStringLiteral("64色"), QStringLiteral("256色")},
                                  6, Parent);
    group->SetItemIndex(3);
    return group;
}

void AddPreviewButtons(TForm& Form, QGridLayout& Grid, QPushButton*& Button1, QPushButton*& Button2,
                       QPushButton*& Button3, const std::function<void()>& Preview,
                       const std::function<void()>& OK)
{
    Button1 = new QPushButton(QStringLiteral("プレビュー（&P）"), &Form);
    Button2 = new QPushButton(QStringLiteral("OK(&O)"), &Form);
    Button3 = new QPushButton(QStringLiteral("キャンセル(&C)"), &Form);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : {Button1, Button2, Button3})
        row->addWidget(button);
    Grid.addLayout(row, Grid.rowCount(), 0, 1, 2);
    Form.SetDefaultButton(Button1);
    Form.SetCancelButton(Button3);
    Form.SetButtonModalResult(Button3, mrCancel);
    QObject::connect(Button1, &QPushButton::clicked, &Form, Guarded([Preview](bool) { Preview(); }));
    QObject::connect(Button2, &QPushButton::clicked, &Form, Guarded([OK](bool) { OK(); }));
}

bool ClosePreviewed(TForm& Form, uint32_t ProcessTime)
{
    if (ProcessTime == 0)
        return false;
    Form.SetModalResult(mrPreviewed);
    return true;
}

std::unique_ptr<TFvDIB> CopyOfDocument()
{
    auto image = std::make_unique<TFvDIB>();
    image->Assign(CurrentImage);
    return image;
}

void RunPreview(TFvDIB& Result, uint32_t& ProcessTime, const std::function<void(TFvDIB&)>& Operation)
{
    ProcessTime = 0;
    Result.Assign(CurrentImage);
    const uint32_t start = GetTickCount();
    Operation(Result);
    ProcessTime = GetTickCount() - start;
    MainForm->Image1->SetGraphic(Result);
}
