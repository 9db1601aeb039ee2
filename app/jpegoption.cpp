#include "app/jpegoption.h"

#include "app/main.h"
#include "jpeg/jpegSIMD.h"
#include "platform/ui/Application.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

#include <functional>

TJpegOptionForm* JpegOptionForm = nullptr;
int JpegQuality = 90;
bool JpegProgressive = false;
bool JpegGrayscale = false;
bool JpegDownSampling = false;
int JpegHSampling = 1;
int JpegVSampling = 1;

int SamplingGivingWay(int edited, int other)
{
    return edited > 2 && other > 2 ? 2 : other;
}

namespace {

// Runs handler when the spin edit loses the focus.
class ExitWatcher : public QObject {
public:
    ExitWatcher(QObject* parent, std::function<void()> handler) : QObject(parent), FHandler(std::move(handler)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut)
            Guarded(FHandler)();
        return false;
    }

private:
    std::function<void()> FHandler;
};

} // namespace

TJpegOptionForm::TJpegOptionForm(QWidget* owner) : TForm(owner)
{
    setObjectName("JpegOptionForm");
    setWindowTitle(QStringLiteral("JpegOptionForm"));
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TFormPosition::poScreenCenter);

    Label1 = new QLabel(this);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setRange(1, 100);
    ScrollBar1->setValue(90);
    CheckBox1 = new QCheckBox(QStringLiteral("プログレッシブ"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("グレースケール"), this);
    CheckBox3 = new QCheckBox(QStringLiteral("ダウンサンプリング"), this);
    Label3 = new QLabel(QStringLiteral("h"), this);
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(1, 4);
    SpinEdit1->setValue(2);
    Label4 = new QLabel(QStringLiteral("v"), this);
    SpinEdit2 = new QSpinBox(this);
    SpinEdit2->setRange(1, 4);
    SpinEdit2->setValue(1);
    Label2 = new QLabel(this);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Button2 = new QPushButton(QStringLiteral("プレビュー(&P)"), this);
    Button1 = new QPushButton(QStringLiteral("OK(&O)"), this);
    Button3 = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    SetButtonModalResult(Button3, mrCancel);
    SetDefaultButton(Button2);
    SetCancelButton(Button3);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 4);
    layout->addWidget(ScrollBar1, 1, 0, 1, 4);
    layout->addWidget(CheckBox1, 2, 0, 1, 4);
    layout->addWidget(CheckBox2, 3, 0, 1, 4);
    layout->addWidget(CheckBox3, 4, 0, 1, 4);
    layout->addWidget(Label3, 5, 0);
    layout->addWidget(SpinEdit1, 5, 1);
    layout->addWidget(Label4, 5, 2);
    layout->addWidget(SpinEdit2, 5, 3);
    layout->addWidget(Label2, 6, 0, 1, 4);
    layout->addWidget(Button2, 7, 0, 1, 2);
    layout->addWidget(Button1, 7, 2);
    layout->addWidget(Button3, 7, 3);

    connect(ScrollBar1, &QScrollBar::valueChanged, this, Guarded([this](int) { ScrollBar1Change(); }));
    connect(CheckBox2, &QCheckBox::clicked, this, Guarded([this](bool) { CheckBox2Click(); }));
    connect(CheckBox3, &QCheckBox::clicked, this, Guarded([this](bool) { CheckBox3Click(); }));
    connect(Button2, &QPushButton::clicked, this, Guarded([this](bool) { Button2Click(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this](bool) { Button1Click(); }));
    SpinEdit1->installEventFilter(new ExitWatcher(this, [this] { SpinEdit1Exit(); }));
    SpinEdit2->installEventFilter(new ExitWatcher(this, [this] { SpinEdit2Exit(); }));

    // FormCreate.
    JpegQuality = 90;
    JpegProgressive = false;
    JpegGrayscale = false;
    JpegDownSampling = false;
    JpegHSampling = 1;
    JpegVSampling = 1;
    SpinEdit1->setEnabled(false);
    SpinEdit2->setEnabled(false);
    bmp = std::make_unique<TBitmap>();
    if (CurrentImage != nullptr)
        bmp->Assign(CurrentImage);
    jpg = std::make_unique<TJPEGImage>();
    FormActivate();
}

TJpegOptionForm::~TJpegOptionForm() = default;

void TJpegOptionForm::FormActivate()
{
    Label1->setText(QStringLiteral("JPEG画質率 %1 %").arg(ScrollBar1->value()));
}

void TJpegOptionForm::ScrollBar1Change()
{
    FormActivate();
    // The size shown belongs to the old quality.
    Label2->clear();
}

void TJpegOptionForm::CheckBox2Click()
{
    const bool grey = CheckBox2->isChecked();
    CheckBox3->setEnabled(!grey);
    SpinEdit1->setEnabled(!grey);
    SpinEdit2->setEnabled(!grey);
}

void TJpegOptionForm::CheckBox3Click()
{
    SpinEdit1->setEnabled(CheckBox3->isChecked());
    SpinEdit2->setEnabled(CheckBox3->isChecked());
}

void TJpegOptionForm::SpinEdit1Exit()
{
    SpinEdit2->setValue(SamplingGivingWay(SpinEdit1->value(), SpinEdit2->value()));
}

void TJpegOptionForm::SpinEdit2Exit()
{
    SpinEdit1->setValue(SamplingGivingWay(SpinEdit2->value(), SpinEdit1->value()));
}

void TJpegOptionForm::Button2Click()
{
    jpg->SetCompressionQuality(static_cast<TJPEGQualityRange>(ScrollBar1->value()));
    jpg->SetGrayscale(CheckBox2->isChecked());
    jpg->SetDownSampling(CheckBox3->isChecked());
    jpg->SethSamplingFactor(static_cast<uint8_t>(SpinEdit1->value()));
    jpg->SetvSamplingFactor(static_cast<uint8_t>(SpinEdit2->value()));
    jpg->Assign(bmp.get());
    jpg->Compress();
    jpg->JPEGNeeded();
    TMemoryStream stream;
    jpg->SaveToStream(stream);
    Label2->setText(QString::number(stream.Size() / 1024) + "KB");
    // The user judges the compression on the real image in the main window:
    // a picture decoded from the compressed bytes, never the cached original.
    if (MainForm != nullptr) {
        TJPEGImage shown;
        stream.SetPosition(0);
        shown.LoadFromStream(stream);
        shown.SetSmoothing(false);
        MainForm->Image1->SetGraphic(shown);
    }
}

void TJpegOptionForm::Button1Click()
{
    // The sampling rule holds even when a spin edit still has the focus.
    if (SpinEdit2->hasFocus())
        SpinEdit2Exit();
    else
        SpinEdit1Exit();
    JpegQuality = ScrollBar1->value();
    JpegProgressive = CheckBox1->isChecked();
    JpegGrayscale = CheckBox2->isChecked();
    JpegDownSampling = CheckBox3->isChecked();
    JpegHSampling = SpinEdit1->value();
    JpegVSampling = SpinEdit2->value();
    SetModalResult(mrOk);
}
