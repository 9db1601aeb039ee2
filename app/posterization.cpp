#include "app/posterization.h"

#include "app/CorrectionControls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TPosterizationForm* PosterizationForm = nullptr;

TPosterizationForm::TPosterizationForm(QWidget* owner) : TForm(owner)
{
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("R階調 : 255"), 2, 255, 255, 8, 257);
    std::tie(L_2, SB_2) = NewBarRow(this, QStringLiteral("G階調 : 255"), 2, 255, 255, 46, 257);
    std::tie(L_3, SB_3) = NewBarRow(this, QStringLiteral("B階調 : 255"), 2, 255, 255, 84, 257);
    CB_1 = NewCheckBox(this, QStringLiteral("リンク"), true, {8, 126, 80, 17});
    B_1 = NewButton(this, QStringLiteral("変換(&O)"), {106, 122, 75, 25});
    B_2 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 122, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("ポスタリゼーション"), 273, 155, B_1, B_2);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(SB_2, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_2Change(); }));
    connect(SB_3, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_3Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TPosterizationForm::SB_1Change()
{
    if (CB_1->isChecked())
        MoveLinkedBars(SB_1, SB_2, SB_3);
    L_1->setText(PositionCaption(QStringLiteral("R階調 : "), SB_1->value()));
}

void TPosterizationForm::SB_2Change()
{
    if (CB_1->isChecked())
        MoveLinkedBars(SB_2, SB_1, SB_3);
    L_2->setText(PositionCaption(QStringLiteral("G階調 : "), SB_2->value()));
}

void TPosterizationForm::SB_3Change()
{
    if (CB_1->isChecked())
        MoveLinkedBars(SB_3, SB_1, SB_2);
    L_3->setText(PositionCaption(QStringLiteral("B階調 : "), SB_3->value()));
}

void TPosterizationForm::B_1Click()
{
    RValue = SB_1->value();
    GValue = SB_2->value();
    BValue = SB_3->value();
    SetModalResult(mrOk);
}
