// Every dialog as it opens, control by control: place and size where the
// design fixes them, and range, position, caption and state of each.
#include "AppTestSupport.h"
#include "app/blur.h"
#include "app/brightness.h"
#include "app/colorrevision.h"
#include "app/contrast.h"
#include "app/gamma.h"
#include "app/gaussianblur.h"
#include "app/hls.h"
#include "app/jpegoption.h"
#include "app/kuwahara.h"
#include "app/lms.h"
#include "app/main.h"
#include "app/motionblur.h"
#include "app/oilpaint.h"
#include "app/pngoption.h"
#include "app/posterization.h"
#include "app/sharp.h"
#include "app/size.h"
#include "app/susie.h"
#include "app/version.h"
#include "platform/ui/Image.h"
#include "platform/ui/RadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Row {
    const char* Name;
    QWidget* Control;
    // "x,y wxh" where the design places the control; empty where a layout does.
    std::string Bounds;
    std::string State;
};

std::string BoundsOf(const QWidget* w)
{
    std::ostringstream s;
    s << w->x() << ',' << w->y() << ' ' << w->width() << 'x' << w->height();
    return s.str();
}

// Range and position, caption and check, selection, and what is off or hidden.
std::string StateOf(const QWidget* w)
{
    std::ostringstream s;
    if (const auto* bar = qobject_cast<const QScrollBar*>(w))
        s << bar->minimum() << ".." << bar->maximum() << '=' << bar->value();
    else if (const auto* spin = qobject_cast<const QSpinBox*>(w))
        s << spin->minimum() << ".." << spin->maximum() << '=' << spin->value();
    else if (const auto* label = qobject_cast<const QLabel*>(w))
        s << label->text().toStdString() << ((label->alignment() & Qt::AlignRight) ? " right" : "");
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        s << button->text().toStdString() << (button->isChecked() ? " checked" : "");
    else if (const auto* combo = qobject_cast<const QComboBox*>(w))
        s << combo->currentIndex() << ' ' << combo->currentText().toStdString();
    else if (const auto* group = dynamic_cast<const TRadioGroup*>(w))
        s << group->title().toStdString() << " item " << group->ItemIndex();
    if (const auto* push = qobject_cast<const QPushButton*>(w); push && push->isDefault())
        s << " default";
    if (!w->isEnabled())
        s << " off";
    if (w->isHidden())
        s << " hidden";
    return s.str();
}

// No two controls of one parent, or of one group box in it, cover each other.
void ExpectNoOverlap(const QWidget& parent, const std::string& title)
{
    std::vector<const QWidget*> shown;
    for (const QObject* child : parent.children())
        if (const auto* w = qobject_cast<const QWidget*>(child); w && w->isVisible())
            shown.push_back(w);
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << title << ": " << BoundsOf(shown[i]) << ' ' << StateOf(shown[i]) << " covers " << BoundsOf(shown[j])
                << ' ' << StateOf(shown[j]);
        if (qobject_cast<const QGroupBox*>(shown[i]))
            ExpectNoOverlap(*shown[i], title);
    }
}

// Every dialog opens in the middle of the screen.
void ExpectScreenCentred(QWidget& widget)
{
    auto* form = dynamic_cast<TForm*>(&widget);
    ASSERT_NE(form, nullptr) << widget.windowTitle().toStdString();
    QTimer::singleShot(0, form, [form] { form->SetModalResult(mrCancel); });
    form->ShowModal();
    const QRect screen = form->screen()->geometry();
    EXPECT_EQ(form->pos(), QPoint(screen.x() + (screen.width() - form->width()) / 2,
                                  screen.y() + (screen.height() - form->height()) / 2))
        << form->windowTitle().toStdString();
}

void ExpectLayout(QWidget& form, const std::string& client, const std::vector<Row>& rows)
{
    const std::string title = form.windowTitle().toStdString();
    // Every dialog is designed in a 12-pixel font, with a dialog's border: no buttons to
    // minimise or maximise it.
    EXPECT_EQ(form.font().pixelSize(), 12) << title;
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint) << title;
    // "WxH" of the designed client area, then "top" for a dialog that stays on top.
    const std::string top = (form.windowFlags() & Qt::WindowStaysOnTopHint) ? "top" : "";
    if (client.empty() || client == "top") {
        EXPECT_EQ(top, client) << title;
    } else {
        EXPECT_EQ(std::to_string(form.width()) + 'x' + std::to_string(form.height()) + (top.empty() ? "" : " top"),
                  client)
            << title;
    }
    for (const Row& row : rows) {
        if (!row.Bounds.empty()) {
            EXPECT_EQ(BoundsOf(row.Control), row.Bounds) << title << ' ' << row.Name;
        }
        EXPECT_EQ(StateOf(row.Control), row.State) << title << ' ' << row.Name;
    }
    form.show();
    QCoreApplication::processEvents();
    ExpectNoOverlap(form, title);
    form.hide();
    ExpectScreenCentred(form);
}

// The main window with a 600 x 300 picture open.
class DialogLayout : public ::testing::Test {
protected:
    DialogLayout() : Form(nullptr, ScratchFolder("layout").string() + "/")
    {
        TFvDIB image;
        image.SetPixelFormat(fvPf24Bit);
        image.SetWidth(600);
        image.SetHeight(300);
        Form.Document().Loaded(image);
        Form.Work();
    }

    CaptureMessages Capture;
    TMainForm Form;
};

TEST_F(DialogLayout, CorrectionDialogsOpenWithTheirDesignedControls)
{
    TGammaForm gamma(&Form);
    ExpectLayout(gamma, "273x291 top",
                 {{"I_1", gamma.I_1, "8,8 257x129", ""},
                  {"L_1", gamma.L_1, "8,144 257x14", "R補正値 : 2.20"},
                  {"SB_1", gamma.SB_1, "8,160 257x16", "75..300=220"},
                  {"L_2", gamma.L_2, "8,182 257x14", "G補正値 : 2.20"},
                  {"SB_2", gamma.SB_2, "8,198 257x16", "75..300=220"},
                  {"L_3", gamma.L_3, "8,220 257x14", "B補正値 : 2.20"},
                  {"SB_3", gamma.SB_3, "8,236 257x16", "75..300=220"},
                  {"CB_2", gamma.CB_2, "8,262 80x17", "リンク checked"},
                  {"B_1", gamma.B_1, "106,258 75x25", "補正(&O) default"},
                  {"B_2", gamma.B_2, "190,258 75x25", "キャンセル(&C)"}});

    TBrightnessForm brightness(&Form);
    ExpectLayout(brightness, "302x231",
                 {{"I_1", brightness.I_1, "8,8 286x140", ""},
                  {"L_1", brightness.L_1, "8,156 286x14", "補正値 : 0"},
                  {"SB_1", brightness.SB_1, "8,172 286x16", "-100..100=0"},
                  {"B_1", brightness.B_1, "135,198 75x25", "補正(&O) default"},
                  {"Button1", brightness.Button1, "219,198 75x25", "キャンセル(&C)"}});

    TContrastForm contrast(&Form);
    ExpectLayout(contrast, "273x219",
                 {{"I_1", contrast.I_1, "8,8 257x129", ""},
                  {"L_1", contrast.L_1, "8,144 257x14", "補正値 : 0"},
                  {"SB_1", contrast.SB_1, "8,160 257x16", "-100..100=0"},
                  {"B_1", contrast.B_1, "106,186 75x25", "補正(&O) default"},
                  {"B_2", contrast.B_2, "190,186 75x25", "キャンセル(&C)"}});

    TColorForm colour(&Form);
    ExpectLayout(colour, "273x291",
                 {{"I_1", colour.I_1, "8,8 257x129", ""},
                  {"L_1", colour.L_1, "8,144 257x14", "R補正値 : 0"},
                  {"SB_1", colour.SB_1, "8,160 257x16", "-255..255=0"},
                  {"L_2", colour.L_2, "8,182 257x14", "G補正値 : 0"},
                  {"SB_2", colour.SB_2, "8,198 257x16", "-255..255=0"},
                  {"L_3", colour.L_3, "8,220 257x14", "B補正値 : 0"},
                  {"SB_3", colour.SB_3, "8,236 257x16", "-255..255=0"},
                  {"B_1", colour.B_1, "106,258 75x25", "補正(&O) default"},
                  {"B_2", colour.B_2, "190,258 75x25", "キャンセル(&C)"}});

    THLSForm hls(&Form);
    ExpectLayout(hls, "273x291",
                 {{"I_1", hls.I_1, "8,8 257x129", ""},
                  {"L_1", hls.L_1, "8,144 257x14", "色相(H) : 0"},
                  {"SB_1", hls.SB_1, "8,160 257x16", "0..360=0"},
                  {"L_2", hls.L_2, "8,182 257x14", "明度(L) : 0"},
                  {"SB_2", hls.SB_2, "8,198 257x16", "-100..100=0"},
                  {"L_3", hls.L_3, "8,220 257x14", "彩度(S) : 0"},
                  {"SB_3", hls.SB_3, "8,236 257x16", "-100..100=0"},
                  {"B_1", hls.B_1, "106,258 75x25", "補正(&O) default"},
                  {"B_2", hls.B_2, "190,258 75x25", "キャンセル(&C)"}});

    TLMSForm lms(&Form);
    ExpectLayout(lms, "273x291",
                 {{"I_1", lms.I_1, "8,8 257x129", ""},
                  {"L_1", lms.L_1, "8,144 257x14", "L錐体(L) : 100%"},
                  {"SB_1", lms.SB_1, "8,160 257x16", "0..100=100"},
                  {"L_2", lms.L_2, "8,182 257x14", "M錐体(M) : 100%"},
                  {"SB_2", lms.SB_2, "8,198 257x16", "0..100=100"},
                  {"L_3", lms.L_3, "8,220 257x14", "S錐体(S) : 100%"},
                  {"SB_3", lms.SB_3, "8,236 257x16", "0..100=100"},
                  {"CheckBox1", lms.CheckBox1, "8,262 90x17", "平均補完 checked"},
                  {"B_1", lms.B_1, "106,258 75x25", "補正(&O) default"},
                  {"Button1", lms.Button1, "190,258 75x25", "キャンセル(&C)"}});

    TPosterizationForm posterization(&Form);
    ExpectLayout(posterization, "273x155",
                 {{"L_1", posterization.L_1, "8,8 257x14", "R階調 : 255"},
                  {"SB_1", posterization.SB_1, "8,24 257x16", "2..255=255"},
                  {"L_2", posterization.L_2, "8,46 257x14", "G階調 : 255"},
                  {"SB_2", posterization.SB_2, "8,62 257x16", "2..255=255"},
                  {"L_3", posterization.L_3, "8,84 257x14", "B階調 : 255"},
                  {"SB_3", posterization.SB_3, "8,100 257x16", "2..255=255"},
                  {"CB_1", posterization.CB_1, "8,126 80x17", "リンク checked"},
                  {"B_1", posterization.B_1, "106,122 75x25", "変換(&O) default"},
                  {"B_2", posterization.B_2, "190,122 75x25", "キャンセル(&C)"}});
    EXPECT_TRUE(Capture.Shown.Exceptions.empty());
}

TEST_F(DialogLayout, FilterDialogsOpenAtTheFirstPositionOfEachBar)
{
    TBlurForm blur(&Form);
    ExpectLayout(blur, "", {{"ScrollBar1", blur.ScrollBar1, "", "1..7=1"}, {"Label1", blur.Label1, "", "Power 1"}});

    TMotionBlurForm motion(&Form);
    ExpectLayout(motion, "",
                 {{"ScrollBar1", motion.ScrollBar1, "", "0..360=1"},
                  {"Label1", motion.Label1, "", "deg 1°"},
                  {"Label2", motion.Label2, "", "rad 0.02"},
                  {"ScrollBar2", motion.ScrollBar2, "", "1..20=1"},
                  {"Label3", motion.Label3, "", "size 1"},
                  {"ScrollBar3", motion.ScrollBar3, "", "1..10=1"},
                  {"Label4", motion.Label4, "", "Quality 1"}});
    // The angle in radians sits under the angle in degrees.
    EXPECT_EQ(motion.Label2->x(), motion.Label1->x());

    TGaussianBlurForm gaussian(&Form);
    ExpectLayout(gaussian, "",
                 {{"ScrollBar1", gaussian.ScrollBar1, "", "1..50=1"}, {"Label1", gaussian.Label1, "", "ρ : 0.1"}});

    TSharpForm sharp(&Form);
    ExpectLayout(sharp, "",
                 {{"ScrollBar1", sharp.ScrollBar1, "", "1..300=1"},
                  {"Label1", sharp.Label1, "", "Power 0.01"},
                  {"RadioGroup1", sharp.RadioGroup1, "", "Mode item 0"},
                  {"Button1", sharp.Button1, "", "プレビュー（&P） default"},
                  {"Button2", sharp.Button2, "", "OK(&O)"},
                  {"Button3", sharp.Button3, "", "キャンセル(&C)"}});

    // Every radio group lays its choices out side by side in one row.
    const auto oneRow = [](const TRadioGroup& group, int count) {
        std::vector<int> tops;
        for (int i = 0; i < count; ++i)
            tops.push_back(group.Button(i)->y());
        EXPECT_EQ(tops, std::vector<int>(static_cast<size_t>(count), tops.front()));
    };
    oneRow(*sharp.RadioGroup1, 3);

    TOilPaintForm oil(&Form);
    ExpectLayout(oil, "",
                 {{"ScrollBar1", oil.ScrollBar1, "", "1..10=1"},
                  {"Label1", oil.Label1, "", "Block 1"},
                  {"RadioGroup1", oil.RadioGroup1, "", "使用色数(RGB各色) item 3"}});
    // The colour count spans the bar and its label, and no further.
    EXPECT_EQ(oil.RadioGroup1->x(), oil.ScrollBar1->x());
    EXPECT_EQ(oil.RadioGroup1->geometry().right(), oil.Label1->geometry().right());
    // The buttons end where the label does.
    EXPECT_EQ(oil.Button3->geometry().right(), oil.Label1->geometry().right());
    oneRow(*oil.RadioGroup1, 6);

    TKuwaharaForm kuwahara(&Form);
    ExpectLayout(kuwahara, "",
                 {{"ScrollBar1", kuwahara.ScrollBar1, "", "1..10=1"},
                  {"Label1", kuwahara.Label1, "", "Block 1"},
                  {"RadioGroup1", kuwahara.RadioGroup1, "", "使用色数(RGB各色) item 3 hidden"}});
}

TEST_F(DialogLayout, OptionDialogsOpenWithTheirDesignedValues)
{
    TSizeForm size(&Form);
    ExpectLayout(size, "top",
                 {{"RB_Mode1", size.RB_Mode1, "", "比率設定 checked"},
                  {"SB_1", size.SB_1, "", "1..200=100"},
                  {"LB_2", size.LB_2, "", "100% right"},
                  {"RB_Mode2", size.RB_Mode2, "", "数値設定"},
                  {"SE_X", size.SE_X, "", "1..9999=1"},
                  {"SE_Y", size.SE_Y, "", "1..9999=1"},
                  {"CB_1", size.CB_1, "", "3 Integration"},
                  {"B_OK", size.B_OK, "", "実行(&O) default"}});
    // The rows that span the settings end with their last column.
    for (const QWidget* spanning : {static_cast<QWidget*>(size.RB_Mode1), static_cast<QWidget*>(size.RB_Mode2)})
        EXPECT_EQ(spanning->geometry().right(), size.SE_Y->geometry().right());
    // The settings and the method span both buttons' columns, and no further.
    for (const QWidget* spanning : {static_cast<QWidget*>(size.GB_Set), static_cast<QWidget*>(size.CB_1)})
        EXPECT_EQ(spanning->geometry().right(), size.Button2->geometry().right());

    TJpegOptionForm jpeg(&Form);
    ExpectLayout(jpeg, "",
                 {{"ScrollBar1", jpeg.ScrollBar1, "", "1..100=90"},
                  {"CheckBox1", jpeg.CheckBox1, "", "プログレッシブ"},
                  {"CheckBox2", jpeg.CheckBox2, "", "グレースケール"},
                  {"CheckBox3", jpeg.CheckBox3, "", "ダウンサンプリング"},
                  {"SpinEdit1", jpeg.SpinEdit1, "", "1..4=2 off"},
                  {"SpinEdit2", jpeg.SpinEdit2, "", "1..4=1 off"},
                  {"Label2", jpeg.Label2, "", " right"},
                  {"Button2", jpeg.Button2, "", "プレビュー(&P) default"},
                  {"Button1", jpeg.Button1, "", "OK(&O)"}});
    for (const QWidget* box : {jpeg.CheckBox1, jpeg.CheckBox2, jpeg.CheckBox3})
        EXPECT_EQ(box->x(), jpeg.ScrollBar1->x());
    // The rows that span the dialog end with its last column.
    for (const QWidget* spanning : std::initializer_list<const QWidget*>{jpeg.Label1, jpeg.ScrollBar1, jpeg.CheckBox1,
                                                                          jpeg.CheckBox2, jpeg.CheckBox3, jpeg.Label2})
        EXPECT_EQ(spanning->geometry().right(), jpeg.Button3->geometry().right()) << spanning->objectName().toStdString();
    // The preview button takes the first two columns.
    EXPECT_EQ(jpeg.Button2->geometry().right(), jpeg.SpinEdit1->geometry().right());

    TPNGOptionForm png(&Form);
    ExpectLayout(png, "",
                 {{"Label1", png.Label1, "", "PNG圧縮Level 9"}, {"ScrollBar1", png.ScrollBar1, "", "0..9=9"}});
}

TEST_F(DialogLayout, HelpDialogsPlaceTheirControlsAsDesigned)
{
    TVersionForm version(&Form);
    EXPECT_EQ(version.size(), QSize(330, 100));
    EXPECT_EQ(BoundsOf(version.Image1), "8,8 33x33");
    EXPECT_EQ(version.Label1->pos(), QPoint(56, 8));
    EXPECT_EQ(version.Label2->pos(), QPoint(168, 32));
    // Each label is as large as its text.
    for (const QLabel* label : {version.Label1, version.Label2})
        EXPECT_EQ(label->size(), label->sizeHint()) << label->text().toStdString();
    EXPECT_EQ(BoundsOf(version.Button1), "128,64 75x25");
    EXPECT_EQ(std::pair(version.font().pixelSize(), version.Label1->font().pixelSize()), std::pair(12, 16));
    ExpectScreenCentred(version);

    TSusieForm list(&Form);
    EXPECT_EQ(list.width(), 334);
    EXPECT_EQ(list.height(), 267);
    EXPECT_EQ(std::pair(list.minimumSize(), list.maximumSize()), std::pair(QSize(334, 267), QSize(984, 662)));
    // A window that can be sized has buttons to minimise and maximise it; a dialog has not.
    EXPECT_EQ(list.windowFlags() & Qt::WindowMinMaxButtonsHint, Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(version.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_EQ(std::pair(list.font().pixelSize(), list.Memo1->font().pixelSize()), std::pair(12, 12));
    ExpectScreenCentred(list);
}

TEST_F(DialogLayout, ASmallPictureSitsInTheMiddleOfTheWindow)
{
    ShowWindow(Form);
    TFvDIB small;
    small.SetPixelFormat(fvPf24Bit);
    small.SetWidth(40);
    small.SetHeight(20);
    Form.Document().Loaded(small);
    Form.Work();
    Form.ImageView(*CurrentImage);
    Form.resize(500, 400);
    QCoreApplication::processEvents();
    const QRect view = Form.ScrollBox1->viewport()->rect();
    const QRect picture = Form.Image1->geometry();
    EXPECT_EQ(picture.size(), QSize(40, 20));
    EXPECT_EQ(picture.center(), view.center());
}

} // namespace
