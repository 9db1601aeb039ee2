#include "app/size.h"

#include "app/ini.h"
#include "app/main.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>

TSizeForm* SizeForm = nullptr;

namespace {

const char* const MethodNames[] = {"API",          "NearestNeighbor", "BiLinear", "Integration",    "hann window",
                                   "hamming window", "Hermite",       "Bell",     "B-Spline",       "Bicubic",
                                   "Mitchell",     "Lagrange",        "Lanczos2", "Lanczos3",       "Lanczos4"};

std::string SizeText(int width, int height)
{
    // Appended piece by piece: GCC 12 reports a false overlap for a literal
    // added in front of a temporary string.
    std::string text = "(";
    text += std::to_string(width);
    text += ',';
    text += std::to_string(height);
    text += ')';
    return text;
}

int ImageWidth()
{
    return CurrentImage != nullptr ? CurrentImage->Width() : 0;
}

int ImageHeight()
{
    return CurrentImage != nullptr ? CurrentImage->Height() : 0;
}

} // namespace

TSizeForm::TSizeForm(QWidget* owner) : TForm(owner)
{
    setObjectName("SizeChange");
    setWindowTitle(QStringLiteral("SizeChange"));
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TFormPosition::poScreenCenter);
    SetStayOnTop(true);

    LB_1 = new QLabel(this);
    GB_Set = new QGroupBox(QStringLiteral("サイズ変更"), this);
    RB_Mode1 = new QRadioButton(QStringLiteral("比率設定"), GB_Set);
    RB_Mode1->setChecked(true);
    SB_1 = new QScrollBar(Qt::Horizontal, GB_Set);
    SB_1->setRange(1, 200);
    SB_1->setValue(100);
    LB_2 = new QLabel(QStringLiteral("100%"), GB_Set);
    LB_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LB_3 = new QLabel(GB_Set);
    RB_Mode2 = new QRadioButton(QStringLiteral("数値設定"), GB_Set);
    X = new QLabel(QStringLiteral("X"), GB_Set);
    SE_X = new QSpinBox(GB_Set);
    Y = new QLabel(QStringLiteral("Y"), GB_Set);
    SE_Y = new QSpinBox(GB_Set);
    for (QSpinBox* edit : {SE_X, SE_Y})
        edit->setRange(1, 9999);
    CB_1 = new QComboBox(this);
    for (const char* name : MethodNames)
        CB_1->addItem(QString::fromLatin1(name));
    CB_1->setCurrentText(QStringLiteral("Integration"));
    B_OK = new QPushButton(QStringLiteral("実行(&O)"), this);
    Button2 = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    // Neither button is the cancel button, so Esc does not close this dialog.
    SetButtonModalResult(Button2, mrCancel);
    SetDefaultButton(B_OK);

    auto* group = new QGridLayout(GB_Set);
    group->addWidget(RB_Mode1, 0, 0, 1, 4);
    group->addWidget(SB_1, 1, 0, 1, 3);
    group->addWidget(LB_2, 1, 3);
    group->addWidget(LB_3, 2, 0, 1, 4);
    group->addWidget(RB_Mode2, 3, 0, 1, 4);
    group->addWidget(X, 4, 0);
    group->addWidget(SE_X, 4, 1);
    group->addWidget(Y, 4, 2);
    group->addWidget(SE_Y, 4, 3);
    auto* layout = new QGridLayout(this);
    layout->addWidget(LB_1, 0, 0, 1, 2);
    layout->addWidget(GB_Set, 1, 0, 1, 2);
    layout->addWidget(CB_1, 2, 0, 1, 2);
    layout->addWidget(B_OK, 3, 0);
    layout->addWidget(Button2, 3, 1);

    connect(SB_1, &QScrollBar::valueChanged, this, Guarded([this](int) { SB_1Change(); }));
    connect(RB_Mode1, &QRadioButton::clicked, this, Guarded([this](bool) { RB_Mode1Click(); }));
    connect(RB_Mode2, &QRadioButton::clicked, this, Guarded([this](bool) { RB_Mode2Click(); }));
    connect(B_OK, &QPushButton::clicked, this, Guarded([this](bool) { B_OKClick(); }));
}

void TSizeForm::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    // Activation may come late or never; the dialog is set up once either way.
    FormActivate();
}

void TSizeForm::FormActivate()
{
    // Set up once per showing, so returning to the dialog keeps what was entered.
    if (FPrepared)
        return;
    FPrepared = true;
    const int width = ImageWidth();
    const int height = ImageHeight();
    CB_1->setCurrentIndex(IniReadInteger(SettingsPath, "Size", "Mode"));
    RB_Mode1->setChecked(true);
    SB_1->setValue(100);
    SB_1->setEnabled(true);
    SE_X->setEnabled(false);
    SE_Y->setEnabled(false);
    SE_X->setValue(width);
    SE_Y->setValue(height);
    LB_1->setText(QString::fromStdString("現サイズ (X,Y) : " + SizeText(width, height)));
    LB_3->setText(QString::fromStdString("変換後サイズ (X,Y) : " + SizeText(width * 100 / 100, height * 100 / 100)));
}

void TSizeForm::SB_1Change()
{
    const int p = SB_1->value();
    LB_2->setText(QString::number(p) + "%");
    LB_3->setText(
        QString::fromStdString("変換後サイズ (X,Y) : " + SizeText(ImageWidth() * p / 100, ImageHeight() * p / 100)));
}

void TSizeForm::RB_Mode1Click()
{
    SB_1->setEnabled(true);
    SE_X->setEnabled(false);
    SE_Y->setEnabled(false);
}

void TSizeForm::RB_Mode2Click()
{
    SE_X->setValue(ImageWidth());
    SE_Y->setValue(ImageHeight());
    SB_1->setEnabled(false);
    SE_X->setEnabled(true);
    SE_Y->setEnabled(true);
}

void TSizeForm::B_OKClick()
{
    if (RB_Mode1->isChecked()) {
        const int p = SB_1->value();
        CX = ImageWidth() * p / 100;
        CY = ImageHeight() * p / 100;
    } else {
        CX = SE_X->value();
        CY = SE_Y->value();
    }
    Mode = CB_1->currentIndex();
    IniWriteInteger(SettingsPath, "Size", "Mode", Mode);
    SetModalResult(mrOk);
}
