#include "app/blur.h"

#include "app/PreviewFilter.h"
#include "effects/Soften.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TBlurForm* BlurForm = nullptr;
uint32_t BlurProcessTime = 0;
uint8_t BlurRadius = 0;

TBlurForm::TBlurForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("Blur"));
    ScrollBar1 = AddScrollBar(*this, *grid, 1, 7, 1, Label1, [this] { ScrollBar1Change(); });
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    bmp = CopyOfDocument();
    BlurProcessTime = 0;
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TBlurForm::WriteLabels()
{
    Label1->setText(QStringLiteral("Power %1").arg(ScrollBar1->value()));
}

void TBlurForm::FormActivate()
{
    WriteLabels();
}

void TBlurForm::ScrollBar1Change()
{
    WriteLabels();
    BlurProcessTime = 0;
}

void TBlurForm::Button1Click()
{
    const int radius = ScrollBar1->value();
    RunPreview(*bmp, BlurProcessTime, [radius](TFvDIB& image) { Soften(image, radius); });
}

void TBlurForm::Button2Click()
{
    if (ClosePreviewed(*this, BlurProcessTime))
        return;
    BlurRadius = static_cast<uint8_t>(ScrollBar1->value());
    SetModalResult(mrOk);
}
