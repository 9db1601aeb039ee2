#include "app/contrast.h"

#include "app/CorrectionControls.h"
#include "effects/LookupTables.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TContrastForm* ContrastForm = nullptr;

TContrastForm::TContrastForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 257, 129});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("補正値 : 0"), -100, 100, 0, 144, 257);
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {106, 186, 75, 25});
    B_2 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 186, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("コントラスト補正"), 273, 219, B_1, B_2);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TContrastForm::FormActivate()
{
    ShowThumbnail(FImages, *I_1);
}

void TContrastForm::FormDeactivate()
{
    FreePreviewImages(FImages);
}

void TContrastForm::SB_1Change()
{
    ContrastCorrection(FreshDest(FImages), SB_1->value());
    ShowDest(FImages, *I_1);
    L_1->setText(PositionCaption(QStringLiteral("補正値 : "), SB_1->value()));
}

void TContrastForm::B_1Click()
{
    Value = SB_1->value();
    SetModalResult(mrOk);
}
