#include "app/sharp.h"

#include "app/PreviewFilter.h"
#include "effects/Sharpen.h"
#include "platform/ui/FloatText.h"
#include "platform/ui/RadioGroup.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TSharpForm* SharpForm = nullptr;
uint32_t SharpProcessTime = 0;
uint8_t SharpMode = 0;
double SharpPower = 0;

TSharpForm::TSharpForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("Sharp"));
    ScrollBar1 = AddScrollBar(*this, *grid, 1, 300, 1, Label1, [this] { ScrollBar1Change(); });
    RadioGroup1 = new TRadioGroup(QStringLiteral("Mode"),
                                  {QStringLiteral("4方向"), QStringLiteral("4方向(斜め)"), QStringLiteral("8方向")}, 3,
                                  this);
    RadioGroup1->SetItemIndex(0);
    AddRow(*grid, RadioGroup1);
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    bmp = CopyOfDocument();
    SharpProcessTime = 0;
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TSharpForm::WriteLabels()
{
    Label1->setText(QStringLiteral("Power ") +
                    QString::fromStdString(FormatFloat(ScrollBar1->value() / 100.0L, 2)));
}

void TSharpForm::StoreValues()
{
    SharpMode = static_cast<uint8_t>(RadioGroup1->ItemIndex());
    SharpPower = static_cast<double>(ScrollBar1->value() / 100.0L);
}

void TSharpForm::FormActivate()
{
    WriteLabels();
}

void TSharpForm::ScrollBar1Change()
{
    WriteLabels();
    SharpProcessTime = 0;
}

void TSharpForm::Button1Click()
{
    StoreValues();
    RunPreview(*bmp, SharpProcessTime, [](TFvDIB& image) { SharpenPower(image, SharpMode, SharpPower); });
}

void TSharpForm::Button2Click()
{
    // A change of mode alone keeps the preview: OK then hands back the previewed image.
    if (ClosePreviewed(*this, SharpProcessTime))
        return;
    StoreValues();
    SetModalResult(mrOk);
}
