#include "app/motionblur.h"

#include "app/PreviewFilter.h"
#include "effects/MotionBlur.h"
#include "platform/ui/FloatText.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TMotionBlurForm* MotionBlurForm = nullptr;
uint32_t MotionBlurProcessTime = 0;
double MotionBlurAngle = 0;
int32_t MotionBlurSize = 0;
int32_t MotionBlurQuality = 0;

double DegreesToRadians(int Degrees)
{
    constexpr long double PiOver180 = 0.017453292519943295769L;
    return static_cast<double>(Degrees * PiOver180);
}

TMotionBlurForm::TMotionBlurForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("MotionBlur"));
    ScrollBar1 = AddScrollBar(*this, *grid, 0, 360, 1, Label1, [this] { ScrollBar1Change(); });
    Label2 = new QLabel(this);
    grid->addWidget(Label2, grid->rowCount(), 1);
    ScrollBar2 = AddScrollBar(*this, *grid, 1, 20, 1, Label3, [this] { ScrollBar2Change(); });
    ScrollBar3 = AddScrollBar(*this, *grid, 1, 10, 1, Label4, [this] { ScrollBar3Change(); });
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    bmp = CopyOfDocument();
    MotionBlurProcessTime = 0;
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TMotionBlurForm::WriteLabels()
{
    MotionBlurAngle = DegreesToRadians(ScrollBar1->value());
    Label1->setText(QStringLiteral("deg %1°").arg(ScrollBar1->value()));
    Label2->setText(QStringLiteral("rad ") + QString::fromStdString(FormatFloat(MotionBlurAngle, 2)));
    Label3->setText(QStringLiteral("size %1").arg(ScrollBar2->value()));
    Label4->setText(QStringLiteral("Quality %1").arg(ScrollBar3->value()));
}

void TMotionBlurForm::FormActivate()
{
    WriteLabels();
}

void TMotionBlurForm::ScrollBar1Change()
{
    WriteLabels();
    MotionBlurProcessTime = 0;
}

void TMotionBlurForm::ScrollBar2Change()
{
    WriteLabels();
    MotionBlurProcessTime = 0;
}

void TMotionBlurForm::ScrollBar3Change()
{
    WriteLabels();
    MotionBlurProcessTime = 0;
}

void TMotionBlurForm::Button1Click()
{
    const int size = ScrollBar2->value();
    const int quality = ScrollBar3->value();
    const double angle = MotionBlurAngle;
    RunPreview(*bmp, MotionBlurProcessTime,
               [=](TFvDIB& image) { MotionBlurFilter(image, size, quality, angle); });
}

void TMotionBlurForm::Button2Click()
{
    if (ClosePreviewed(*this, MotionBlurProcessTime))
        return;
    MotionBlurAngle = DegreesToRadians(ScrollBar1->value());
    MotionBlurSize = ScrollBar2->value();
    MotionBlurQuality = ScrollBar3->value();
    SetModalResult(mrOk);
}
