#include "app/pngoption.h"

#include "app/main.h"
#include "platform/system/Process.h"
#include "platform/ui/Application.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

TPNGOptionForm* PNGOptionForm = nullptr;
int PngCompressionLevel = 9;

TPNGOptionForm::TPNGOptionForm(QWidget* owner) : TForm(owner)
{
    setObjectName("PNGOptionForm");
    setWindowTitle(QStringLiteral("PNGOptionForm"));
    setFont(DesignFont("ＭＳ Ｐゴシック", 12));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TFormPosition::poScreenCenter);

    Label1 = new QLabel(this);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, this);
    ScrollBar1->setRange(0, 9);
    ScrollBar1->setValue(9);
    CheckBox1 = new QCheckBox(QStringLiteral("最適化(OptiPNG)"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("最適化(PNGOut)"), this);
    CheckBox3 = new QCheckBox(QStringLiteral("最適化(PNGRewrite)"), this);
    Button1 = new QPushButton(QStringLiteral("OK(&O)"), this);
    Button2 = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    SetButtonModalResult(Button2, mrCancel);
    SetDefaultButton(Button1);
    SetCancelButton(Button2);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : std::initializer_list<QWidget*>{Label1, ScrollBar1, CheckBox1, CheckBox2, CheckBox3})
        layout->addWidget(widget);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addLayout(buttons);

    connect(ScrollBar1, &QScrollBar::valueChanged, this, Guarded([this](int) { ScrollBar1Change(); }));
    connect(Button1, &QPushButton::clicked, this, Guarded([this](bool) { Button1Click(); }));
    ScrollBar1Change();
}

void TPNGOptionForm::showEvent(QShowEvent* event)
{
    TForm::showEvent(event);
    // Activation may come late or never; the dialog is set up once either way.
    FormActivate();
}

void TPNGOptionForm::FormActivate()
{
    // Set up once per showing, so returning to the dialog keeps the user's choice.
    if (FPrepared || MainForm == nullptr)
        return;
    FPrepared = true;
    ScrollBar1Change();
    TMainForm& main = *MainForm;
    const bool found[3] = {!ResolveToolPath(main.OptiPNGPath).empty(), !ResolveToolPath(main.PNGOutPath).empty(),
                           !ResolveToolPath(main.PNGRewritePath).empty()};
    main.OptiPNGFlag = found[0];
    main.PNGOutFlag = found[1];
    main.PNGRewriteFlag = found[2];
    QCheckBox* boxes[3] = {CheckBox1, CheckBox2, CheckBox3};
    for (int i = 0; i < 3; ++i) {
        boxes[i]->setVisible(main.HiddenFunctionFlag);
        boxes[i]->setEnabled(found[i]);
        boxes[i]->setChecked(found[i]);
    }
}

void TPNGOptionForm::ScrollBar1Change()
{
    Label1->setText(QStringLiteral("PNG圧縮Level %1").arg(ScrollBar1->value()));
}

void TPNGOptionForm::Button1Click()
{
    PngCompressionLevel = ScrollBar1->value();
    if (MainForm != nullptr) {
        MainForm->OptiPNGFlag = CheckBox1->isChecked();
        MainForm->PNGOutFlag = CheckBox2->isChecked();
        MainForm->PNGRewriteFlag = CheckBox3->isChecked();
    }
    SetModalResult(mrOk);
}
