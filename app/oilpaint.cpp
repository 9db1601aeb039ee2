#include "app/oilpaint.h"

#include "app/PreviewFilter.h"
#include "effects/OilPaint.h"
#include "platform/ui/RadioGroup.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TOilPaintForm* OilPaintForm = nullptr;
uint32_t OilPaintProcessTime = 0;
uint8_t OilPaintBlock = 0;
uint8_t OilPaintColors = 0;

TOilPaintForm::TOilPaintForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("OilPaint"));
    ScrollBar1 = AddScrollBar(*this, *grid, 1, 10, 1, Label1, [this] { ScrollBar1Change(); });
    RadioGroup1 = NewColourCountGroup(this);
    RadioGroup1->OnClick = [this] { RadioGroup1Click(); };
    AddRow(*grid, RadioGroup1);
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    bmp = CopyOfDocument();
    OilPaintProcessTime = 0;
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TOilPaintForm::WriteLabels()
{
    Label1->setText(QStringLiteral("Block %1").arg(ScrollBar1->value()));
}

void TOilPaintForm::FormActivate()
{
    WriteLabels();
}

void TOilPaintForm::ScrollBar1Change()
{
    WriteLabels();
    OilPaintProcessTime = 0;
}

void TOilPaintForm::RadioGroup1Click()
{
    OilPaintProcessTime = 0;
}

void TOilPaintForm::Button1Click()
{
    const auto block = static_cast<uint8_t>(ScrollBar1->value());
    const auto colours = static_cast<uint8_t>(RadioGroup1->ItemIndex());
    RunPreview(*bmp, OilPaintProcessTime,
               [block, colours](TFvDIB& image) { OilPaintFilter(image, block, colours); });
}

void TOilPaintForm::Button2Click()
{
    if (ClosePreviewed(*this, OilPaintProcessTime))
        return;
    OilPaintBlock = static_cast<uint8_t>(ScrollBar1->value());
    OilPaintColors = static_cast<uint8_t>(RadioGroup1->ItemIndex());
    SetModalResult(mrOk);
}
