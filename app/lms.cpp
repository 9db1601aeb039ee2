#include "app/lms.h"

#include "app/CorrectionControls.h"
#include "effects/LmsCorrection.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <tuple>

TLMSForm* LMSForm = nullptr;

namespace {

QString PercentCaption(const QString& prefix, int value)
{
    return PositionCaption(prefix, value) + QLatin1Char('%');
}

} // namespace

TLMSForm::TLMSForm(QWidget* owner) : TForm(owner)
{
    I_1 = NewPreview(this, {8, 8, 257, 129});
    std::tie(L_1, SB_1) = NewBarRow(this, QStringLiteral("L錐体(L) : 100%"), 0, 100, 100, 144, 257);
    std::tie(L_2, SB_2) = NewBarRow(this, QStringLiteral("M錐体(M) : 100%"), 0, 100, 100, 182, 257);
    std::tie(L_3, SB_3) = NewBarRow(this, QStringLiteral("S錐体(S) : 100%"), 0, 100, 100, 220, 257);
    CheckBox1 = NewCheckBox(this, QStringLiteral("平均補完"), true, {8, 262, 90, 17});
    B_1 = NewButton(this, QStringLiteral("補正(&O)"), {106, 258, 75, 25});
    Button1 = NewButton(this, QStringLiteral("キャンセル(&C)"), {190, 258, 75, 25});
    SetUpCorrectionForm(*this, QStringLiteral("LMS補正"), 273, 291, B_1, Button1);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(SB_2, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_2Change(); }));
    connect(SB_3, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_3Change(); }));
    connect(B_1, &QPushButton::clicked, this, Guarded([this](bool) { B_1Click(); }));
}

void TLMSForm::FormActivate()
{
    ShowThumbnail(FImages, *I_1);
}

void TLMSForm::FormDeactivate()
{
    FreePreviewImages(FImages);
}

void TLMSForm::Preview()
{
    LValue = SB_1->value();
    MValue = SB_2->value();
    SValue = SB_3->value();
    LmsCorrection(FreshDest(FImages), LValue, MValue, SValue, CheckBox1->isChecked());
    ShowDest(FImages, *I_1);
}

void TLMSForm::SB_1Change()
{
    Preview();
    L_1->setText(PercentCaption(QStringLiteral("L錐体(L) : "), SB_1->value()));
}

void TLMSForm::SB_2Change()
{
    Preview();
    L_2->setText(PercentCaption(QStringLiteral("M錐体(M) : "), SB_2->value()));
}

void TLMSForm::SB_3Change()
{
    Preview();
    L_3->setText(PercentCaption(QStringLiteral("S錐体(S) : "), SB_3->value()));
}

void TLMSForm::B_1Click()
{
    LValue = SB_1->value();
    MValue = SB_2->value();
    SValue = SB_3->value();
    SetModalResult(mrOk);
}
