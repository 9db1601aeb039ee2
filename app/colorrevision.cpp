#include "app/colorrevision.h"

#include "app/CorrectionControls.h"
#include "effects/LookupTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TColorForm* ColorForm = nullptr;

TColorForm::TColorForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 257, 129});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("R補正値 : 0"), -255, 255, 0, 144, 257);
    std::tie(L_2, SB_2) = NewBarRow(this, QStringLiteral("G補正値 : 0"), -255, 255, 0, 182, 257);
    std::tie(L_3, SB_3) = NewBarRow(this, QStringLiteral("B補正値 : 0"), -255, 255, 0, 220, 257);
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {106, 258, 75, 25});
    B_2 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 258, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("色調補正"), 273, 291, B_1, B_2);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(SB_2, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_2Change(); }));
    connect(SB_3, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_3Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TColorForm::FormActivate()
{
    ShowThumbnail(FImages, *I_1);
}

void TColorForm::FormDeactivate()
{
    FreePreviewImages(FImages);
}

void TColorForm::Preview()
{
    ColorBalance(FreshDest(FImages), SB_1->value(), SB_2->value(), SB_3->value());
    ShowDest(FImages, *I_1);
}

void TColorForm::SB_1Change()
{
    Preview();
    L_1->setText(PositionCaption(QStringLiteral("R補正値 : "), SB_1->value()));
}

void TColorForm::SB_2Change()
{
    Preview();
    L_2->setText(PositionCaption(QStringLiteral("G補正値 : "), SB_2->value()));
}

void TColorForm::SB_3Change()
{
    Preview();
    L_3->setText(PositionCaption(QStringLiteral("B補正値 : "), SB_3->value()));
}

void TColorForm::B_1Click()
{
    RValue = SB_1->value();
    GValue = SB_2->value();
    BValue = SB_3->value();
    SetModalResult(mrOk);
}
