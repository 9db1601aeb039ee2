#include "app/gaussianblur.h"

#include "app/PreviewFilter.h"
#include "effects/GaussianBlur.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TGaussianBlurForm* GaussianBlurForm = nullptr;
uint32_t GaussianBlurProcessTime = 0;
uint8_t GaussianBlurValue = 0;

TGaussianBlurForm::TGaussianBlurForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("GaussianBlur"));
    ScrollBar1 = AddScrollBar(*this, *grid, 1, 50, 1, Label1, [this] { ScrollBar1Change(); });
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    bmp = CopyOfDocument();
    GaussianBlurProcessTime = 0;
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TGaussianBlurForm::WriteLabels()
{
    // Tenths of the standard deviation, shown as a decimal: 25 is 2.5.
    const int n = ScrollBar1->value();
    Label1->setText(QStringLiteral("ρ : %1.%2").arg(n / 10).arg(n % 10));
}

void TGaussianBlurForm::FormActivate()
{
    WriteLabels();
}

void TGaussianBlurForm::ScrollBar1Change()
{
    WriteLabels();
    GaussianBlurProcessTime = 0;
}

void TGaussianBlurForm::Button1Click()
{
    const int value = ScrollBar1->value();
    // The one call gives the bytes of a pass, a left turn, a pass and a right turn.
    RunPreview(*bmp, GaussianBlurProcessTime, [value](TFvDIB& image) { GaussianBlur(image, value); });
}

void TGaussianBlurForm::Button2Click()
{
    if (ClosePreviewed(*this, GaussianBlurProcessTime))
        return;
    GaussianBlurValue = static_cast<uint8_t>(ScrollBar1->value());
    SetModalResult(mrOk);
}
