#include "app/hls.h"

#include "app/CorrectionControls.h"
#include "app/PreviewImages.h"
#include "effects/HlsCorrection.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

int HlsHue = 0;
int HlsLightness = 0;
int HlsSaturation = 0;
THLSForm* HLSForm = nullptr;

namespace {

// The thumbnail and its corrected copy, kept by the unit for the dialog on show.
TPreviewImages Images;

} // namespace

THLSForm::THLSForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 257, 129});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("色相(H) : 0"), 0, 360, 0, 144, 257);
    std::tie(L_2, SB_2) = NewBarRow(this, QStringLiteral("明度(L) : 0"), -100, 100, 0, 182, 257);
    std::tie(L_3, SB_3) = NewBarRow(this, QStringLiteral("彩度(S) : 0"), -100, 100, 0, 220, 257);
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {106, 258, 75, 25});
    B_2 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 258, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("HLS補正"), 273, 291, B_1, B_2);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(SB_2, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_2Change(); }));
    connect(SB_3, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_3Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

THLSForm::~THLSForm()
{
    // A dialog closed without being deactivated still leaves nothing behind.
    FreePreviewImages(Images);
}

void THLSForm::FormActivate()
{
    ShowThumbnail(Images, *I_1);
}

void THLSForm::FormDeactivate()
{
    FreePreviewImages(Images);
}

void THLSForm::Preview()
{
    HlsHue = SB_1->value();
    HlsLightness = SB_2->value();
    HlsSaturation = SB_3->value();
    HlsCorrection(FreshDest(Images), HlsHue, HlsLightness, HlsSaturation);
    ShowDest(Images, *I_1);
}

void THLSForm::SB_1Change()
{
    Preview();
    L_1->setText(PositionCaption(QStringLiteral("色相(H) : "), SB_1->value()));
}

void THLSForm::SB_2Change()
{
    Preview();
    L_2->setText(PositionCaption(QStringLiteral("明度(L) : "), SB_2->value()));
}

void THLSForm::SB_3Change()
{
    Preview();
    L_3->setText(PositionCaption(QStringLiteral("彩度(S) : "), SB_3->value()));
}

void THLSForm::B_1Click()
{
    HlsHue = SB_1->value();
    HlsLightness = SB_2->value();
    HlsSaturation = SB_3->value();
    SetModalResult(mrOk);
}
