#include "app/kuwahara.h"

#include "app/PreviewFilter.h"
#include "effects/Kuwahara.h"
#include "platform/ui/RadioGroup.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollBar>

TKuwaharaForm* KuwaharaForm = nullptr;

TKuwaharaForm::TKuwaharaForm(QWidget* Owner) : TForm(Owner)
{
    QGridLayout* grid = SetUpFilterForm(*this, QStringLiteral("Kuwahara"));
    ScrollBar1 = AddScrollBar(*this, *grid, 1, 10, 1, Label1, [this] { ScrollBar1Change(); });
    RadioGroup1 = NewColourCountGroup(this);
    RadioGroup1->setVisible(false);
    AddPreviewButtons(*this, *grid, Button1, Button2, Button3, [this] { Button1Click(); },
                      [this] { Button2Click(); });
    Bmp = CopyOfDocument();
    // As activation writes them, which may come late or never.
    WriteLabels();
}

void TKuwaharaForm::WriteLabels()
{
    Label1->setText(QStringLiteral("Block %1").arg(ScrollBar1->value()));
}

void TKuwaharaForm::FormActivate()
{
    WriteLabels();
}

void TKuwaharaForm::ScrollBar1Change()
{
    WriteLabels();
    ProcessTime = 0;
}

void TKuwaharaForm::Button1Click()
{
    const auto block = static_cast<uint8_t>(ScrollBar1->value());
    const auto mode = static_cast<uint8_t>(RadioGroup1->ItemIndex());
    RunPreview(*Bmp, ProcessTime, [block, mode](TFvDIB& image) { KuwaharaFilter(image, block, mode); });
}

void TKuwaharaForm::Button2Click()
{
    if (ClosePreviewed(*this, ProcessTime))
        return;
    Value = static_cast<uint8_t>(ScrollBar1->value());
    Mode = static_cast<uint8_t>(RadioGroup1->ItemIndex());
    SetModalResult(mrOk);
}
