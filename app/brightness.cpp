#include "app/brightness.h"

#include "app/CorrectionControls.h"
#include "effects/LookupTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TBrightnessForm* BrightnessForm = nullptr;

TBrightnessForm::TBrightnessForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 286, 140});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("補正値 : 0"), -100, 100, 0, 156, 286);
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {135, 198, 75, 25});
    Button1 = NewButton(this, QStringLiteral("キャンセル(&C)"), {219, 198, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("明るさ補正"), 302, 231, B_1, Button1);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TBrightnessForm::FormActivate()
{
    ShowThumbnail(FImages, *I_1);
}

void TBrightnessForm::FormDeactivate()
{
    FreePreviewImages(FImages);
}

void TBrightnessForm::SB_1Change()
{
    BrightnessCorrection(FreshDest(FImages), SB_1->value());
    ShowDest(FImages, *I_1);
    L_1->setText(PositionCaption(QStringLiteral("補正値 : "), SB_1->value()));
}

void TBrightnessForm::B_1Click()
{
    Value = SB_1->value();
    SetModalResult(mrOk);
}
