#include "app/gamma.h"

#include "app/CorrectionControls.h"
#include "effects/LookupTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TGammaForm* GammaForm = nullptr;

TGammaForm::TGammaForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 257, 129});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("R補正値 : 2.20"), 75, 300, 220, 144, 257);
    std::tie(L_2, SB_2) = NewBarRow(this, QStringLiteral("G補正値 : 2.20"), 75, 300, 220, 182, 257);
    std::tie(L_3, SB_3) = NewBarRow(this, QStringLiteral("B補正値 : 2.20"), 75, 300, 220, 220, 257);
    CB_2 = NewCheckBox(this, QStringLiteral("リンク"), true, {8, 262, 80, 17});
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {106, 258, 75, 25});
    B_2 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 258, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("ガンマ補正"), 273, 291, B_1, B_2);
    SetStayOnTop(true);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(SB_2, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_2Change(); }));
    connect(SB_3, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_3Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TGammaForm::FormActivate()
{
    ShowThumbnail(FImages, *I_1);
}

void TGammaForm::FormDeactivate()
{
    FreePreviewImages(FImages);
}

void TGammaForm::ShowRGB()
{
    GammaCorrectionRGB(*FImages.Dest, GammaOf(SB_1->value()), GammaOf(SB_2->value()), GammaOf(SB_3->value()));
    ShowDest(FImages, *I_1);
}

void TGammaForm::SB_1Change()
{
    TFvDIB& Dest = FreshDest(FImages);
    if (CB_2->isChecked()) {
        MoveLinkedBars(SB_1, SB_2, SB_3);
        GammaCorrection(Dest, GammaOf(SB_1->value()));
        ShowDest(FImages, *I_1);
    } else {
        ShowRGB();
    }
    L_1->setText(GammaCaption(QStringLiteral("R補正値 : "), SB_1->value()));
}

void TGammaForm::SB_2Change()
{
    FreshDest(FImages);
    // Linked, the correction comes from SB_1's handler once SB_1 moves.
    if (CB_2->isChecked())
        MoveLinkedBars(SB_2, SB_1, SB_3);
    else
        ShowRGB();
    L_2->setText(GammaCaption(QStringLiteral("G補正値 : "), SB_2->value()));
}

void TGammaForm::SB_3Change()
{
    FreshDest(FImages);
    if (CB_2->isChecked())
        MoveLinkedBars(SB_3, SB_1, SB_2);
    else
        ShowRGB();
    L_3->setText(GammaCaption(QStringLiteral("B補正値 : "), SB_3->value()));
}

void TGammaForm::B_1Click()
{
    RValue = GammaOf(SB_1->value());
    GValue = GammaOf(SB_2->value());
    BValue = GammaOf(SB_3->value());
    SetModalResult(mrOk);
}
