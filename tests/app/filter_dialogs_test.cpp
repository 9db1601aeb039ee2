#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "app/DialogCommand.h"
#include "app/PreviewFilter.h"
#include "app/blur.h"
#include "app/custom.h"
#include "app/gaussianblur.h"
#include "app/kuwahara.h"
#include "app/motionblur.h"
#include "app/oilpaint.h"
#include "app/sharp.h"
#include "effects/process.h"
#include "platform/ui/Image.h"
#include "platform/ui/RadioGroup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// Runs Command; Steps act on its dialog once the dialog's modal loop runs,
// and a dialog they leave open is then closed by its close box.
void RunDialog(TMainForm& form, void (TMainForm::*Command)(), const std::function<void()>& Steps)
{
    bool ran = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ran = true;
        Steps();
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    timer.start(0);
    (form.*Command)();
    EXPECT_TRUE(ran);
}

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// A preview inside one tick of the clock counts as none; the tests that need
// a valid preview give such a run a measured time.
uint32_t Measured(uint32_t& time)
{
    if (time == 0)
        time = 1;
    return time;
}

// Previews, gives the run a measured time and presses OK; answers the result.
template <class Form>
int PreviewThenOk(Form* form, uint32_t& time)
{
    Click(form->Button1);
    Measured(time);
    Click(form->Button2);
    return form->ModalResult();
}

struct Window : TOpenedWindow {
    Window() : TOpenedWindow("filters", 23, 17) {}

    size_t History() { return form.Document().Count(); }

    // What the main window's image control shows, as the picture of image.
    bool Showing(TFvDIB& image) { return form.Image1->Picture() == RenderGraphic(image); }
};

TEST(FilterDialogs, EveryFilterItemOfTheMenuOpensItsDialog)
{
    Window w;
    w.form.EffectClick();
    const char* soft = "ソフト（&S）";
    const struct {
        const char* Submenu;
        const char* Item;
        std::function<TForm*()> Form;
        const char* Caption;
    } items[] = {
        {soft, "ソフト...(&S)", [] { return BlurForm; }, "Blur"},
        {soft, "モーションブラー...(&M)", [] { return MotionBlurForm; }, "MotionBlur"},
        {soft, "ガウシンアンブラー...(&G)", [] { return GaussianBlurForm; }, "GaussianBlur"},
        {nullptr, "シャープ...", [] { return SharpForm; }, "Sharp"},
        {nullptr, "カスタム...(&C)", [] { return CustForm; }, "カスタムフィルタ"},
        {nullptr, "オイルペイント...", [] { return OilPaintForm; }, "OilPaint"},
        {nullptr, "Kuwahara(&K)", [] { return KuwaharaForm; }, "Kuwahara"},
    };
    for (const auto& item : items) {
        QAction* action = item.Submenu != nullptr
                              ? MenuItem(w.form, {"イメージ(&I)", "フィルタ(&F)", item.Submenu, item.Item})
                              : MenuItem(w.form, {"イメージ(&I)", "フィルタ(&F)", item.Item});
        ASSERT_NE(action, nullptr) << item.Caption;
        QTimer timer;
        timer.setSingleShot(true);
        QString shown;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (TForm* form = item.Form(); form != nullptr && form == QApplication::activeModalWidget()) {
                shown = form->windowTitle();
                form->close();
            }
        });
        timer.start(0);
        action->trigger();
        EXPECT_EQ(shown, QString::fromUtf8(item.Caption));
        EXPECT_EQ(item.Form(), nullptr);
    }
    EXPECT_EQ(w.History(), 1u);
}

TEST(FilterDialogs, OkWithoutPreviewFiltersTheDocumentWithTheValuesOnScreen)
{
    Window w;
    int result = 0;
    RunDialog(w.form, &TMainForm::Soft1Click, [&] {
        EXPECT_EQ(BlurForm->windowTitle(), QStringLiteral("Blur"));
        EXPECT_EQ(BlurForm->Label1->text(), QStringLiteral("Power 1"));
        BlurForm->ScrollBar1->setValue(4);
        EXPECT_EQ(BlurForm->Label1->text(), QStringLiteral("Power 4"));
        Click(BlurForm->Button2);
        result = BlurForm->ModalResult();
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(BlurRadius, 4);
    EXPECT_EQ(BlurForm, nullptr);
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { Soften(image, 4); }));
    EXPECT_TRUE(w.form.PanelText(3).endsWith(" ms"));
    EXPECT_EQ(w.History(), 2u);
    EXPECT_TRUE(w.Showing(*CurrentImage));
}

TEST(FilterDialogs, PreviewThenOkTakesThePreviewAndItsTime)
{
    Window w;
    uint32_t time = 0;
    int result = 0;
    RunDialog(w.form, &TMainForm::Soft1Click, [&] {
        BlurForm->ScrollBar1->setValue(2);
        Click(BlurForm->Button1);
        // The main window shows the preview; the document is untouched.
        EXPECT_TRUE(w.Showing(*BlurForm->bmp));
        EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(w.original));
        // A second preview replaces the first.
        BlurForm->ScrollBar1->setValue(6);
        Click(BlurForm->Button1);
        time = Measured(BlurProcessTime);
        Click(BlurForm->Button2);
        result = BlurForm->ModalResult();
    });
    EXPECT_EQ(result, mrPreviewed);
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { Soften(image, 6); }));
    EXPECT_EQ(w.form.PanelText(3), QString::number(time) + QStringLiteral(" ms"));
    EXPECT_EQ(w.History(), 2u);
    EXPECT_TRUE(w.Showing(*CurrentImage));

    const std::pair<void (TMainForm::*)(), std::function<int()>> others[] = {
        {&TMainForm::GaussianClick, [] { return PreviewThenOk(GaussianBlurForm, GaussianBlurProcessTime); }},
        {&TMainForm::MotionClick, [] { return PreviewThenOk(MotionBlurForm, MotionBlurProcessTime); }},
        {&TMainForm::KuwaharaK1Click, [] { return PreviewThenOk(KuwaharaForm, KuwaharaForm->ProcessTime); }},
        {&TMainForm::OilClick, [] { return PreviewThenOk(OilPaintForm, OilPaintProcessTime); }},
        {&TMainForm::SharClick, [] { return PreviewThenOk(SharpForm, SharpProcessTime); }},
    };
    for (const auto& [command, previewThenOk] : others) {
        RunDialog(w.form, command, [&] { result = previewThenOk(); });
        EXPECT_EQ(result, mrPreviewed);
    }
}

TEST(FilterDialogs, AChangeAfterThePreviewOrAnUnmeasuredPreviewMakesOkRecompute)
{
    {
        // Every scroll bar of every filter dialog, and the oil paint's colour count, forget a
        // measured preview when they change; a new dialog forgets the last one's.
        Window w;
        GaussianBlurProcessTime = MotionBlurProcessTime = OilPaintProcessTime = SharpProcessTime = 7;
        const auto forgets = [](uint32_t& time, const std::vector<std::function<void()>>& changes) {
            EXPECT_EQ(time, 0u) << "on opening";
            for (size_t i = 0; i < changes.size(); ++i) {
                Measured(time);
                changes[i]();
                EXPECT_EQ(time, 0u) << "control " << i;
            }
        };
        const auto second = [](TRadioGroup* group) { group->findChildren<QAbstractButton*>()[1]->click(); };
        RunDialog(w.form, &TMainForm::GaussianClick, [&] {
            forgets(GaussianBlurProcessTime, {[] { GaussianBlurForm->ScrollBar1->setValue(9); }});
            Click(GaussianBlurForm->Button3);
        });
        RunDialog(w.form, &TMainForm::MotionClick, [&] {
            forgets(MotionBlurProcessTime, {[] { MotionBlurForm->ScrollBar1->setValue(9); },
                                            [] { MotionBlurForm->ScrollBar2->setValue(9); },
                                            [] { MotionBlurForm->ScrollBar3->setValue(9); }});
            Click(MotionBlurForm->Button3);
        });
        RunDialog(w.form, &TMainForm::OilClick, [&] {
            forgets(OilPaintProcessTime, {[] { OilPaintForm->ScrollBar1->setValue(4); },
                                          [&] { second(OilPaintForm->RadioGroup1); }});
            Click(OilPaintForm->Button3);
        });
        RunDialog(w.form, &TMainForm::SharClick, [&] {
            forgets(SharpProcessTime, {[] { SharpForm->ScrollBar1->setValue(9); }});
            Click(SharpForm->Button3);
        });
    }
    {
        Window w;
        int result = 0;
        BlurRadius = 0;
        BlurProcessTime = 7;
        RunDialog(w.form, &TMainForm::Soft1Click, [&] {
            EXPECT_EQ(BlurProcessTime, 0u);
            BlurForm->ScrollBar1->setValue(3);
            Click(BlurForm->Button1);
            Measured(BlurProcessTime);
            // Away and back to the same position still clears the preview.
            BlurForm->ScrollBar1->setValue(4);
            BlurForm->ScrollBar1->setValue(3);
            EXPECT_EQ(BlurProcessTime, 0u);
            Click(BlurForm->Button2);
            result = BlurForm->ModalResult();
        });
        EXPECT_EQ(result, mrOk);
        EXPECT_EQ(BlurRadius, 3);
        EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { Soften(image, 3); }));
    }
    {
        Window w;
        int result = 0;
        RunDialog(w.form, &TMainForm::KuwaharaK1Click, [&] {
            Click(KuwaharaForm->Button1);
            // Finished within one tick: no valid preview.
            KuwaharaForm->ProcessTime = 0;
            Click(KuwaharaForm->Button2);
            result = KuwaharaForm->ModalResult();
        });
        EXPECT_EQ(result, mrOk);
        EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { KuwaharaFilter(image, 1, 3); }));
    }
}

TEST(FilterDialogs, CancelEscAndTheCloseBoxRestoreTheViewAndRecordNothing)
{
    const std::vector<std::function<void()>> ways = {
        [] { Click(GaussianBlurForm->Button3); },
        [] { QTest::keyClick(GaussianBlurForm, Qt::Key_Escape); },
        [] { GaussianBlurForm->close(); },
    };
    for (const auto& cancel : ways) {
        Window w;
        int result = 0;
        RunDialog(w.form, &TMainForm::GaussianClick, [&] {
            GaussianBlurForm->ScrollBar1->setValue(20);
            // Enter runs the preview, the default button.
            QTest::keyClick(GaussianBlurForm, Qt::Key_Return);
            EXPECT_TRUE(w.Showing(*GaussianBlurForm->bmp));
            EXPECT_EQ(PixelBytes(*GaussianBlurForm->bmp),
                      w.Expected([](TFvDIB& image) { GaussianBlur(image, 20); }));
            cancel();
            result = GaussianBlurForm->ModalResult();
        });
        EXPECT_EQ(result, mrCancel);
        EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(w.original));
        EXPECT_TRUE(w.Showing(*CurrentImage));
        EXPECT_EQ(w.History(), 1u);
        EXPECT_EQ(w.form.PanelText(3), QString());
    }
}

TEST(FilterDialogs, GaussianBlurRunsAlongBothAxesAndLabelsTenths)
{
    Window w;
    RunDialog(w.form, &TMainForm::GaussianClick, [&] {
        const std::pair<int, const char*> labels[] = {{1, "ρ : 0.1"}, {10, "ρ : 1.0"}, {50, "ρ : 5.0"}, {25, "ρ : 2.5"}};
        for (const auto& [position, text] : labels) {
            GaussianBlurForm->ScrollBar1->setValue(position);
            EXPECT_EQ(GaussianBlurForm->Label1->text(), QString::fromUtf8(text));
        }
        Click(GaussianBlurForm->Button2);
    });
    EXPECT_EQ(GaussianBlurValue, 25);
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) {
        GaussianBlurPass(image, 25);
        Rotate90(image, false);
        GaussianBlurPass(image, 25);
        Rotate90(image, true);
    }));
}

TEST(FilterDialogs, MotionBlurHandsBackTheAngleInRadians)
{
    EXPECT_EQ(DegreesToRadians(45), static_cast<double>(45 * 0.017453292519943295769L));
    Window w;
    RunDialog(w.form, &TMainForm::MotionClick, [&] {
        EXPECT_EQ(MotionBlurForm->Label1->text(), QStringLiteral("deg 1°"));
        EXPECT_EQ(MotionBlurForm->Label2->text(), QStringLiteral("rad 0.02"));
        EXPECT_EQ(MotionBlurForm->Label3->text(), QStringLiteral("size 1"));
        EXPECT_EQ(MotionBlurForm->Label4->text(), QStringLiteral("Quality 1"));
        MotionBlurForm->ScrollBar1->setValue(90);
        EXPECT_EQ(MotionBlurForm->Label1->text(), QStringLiteral("deg 90°"));
        EXPECT_EQ(MotionBlurForm->Label2->text(), QStringLiteral("rad 1.57"));
        MotionBlurForm->ScrollBar1->setValue(360);
        EXPECT_EQ(MotionBlurForm->Label2->text(), QStringLiteral("rad 6.28"));
        MotionBlurForm->ScrollBar1->setValue(45);
        MotionBlurForm->ScrollBar2->setValue(20);
        MotionBlurForm->ScrollBar3->setValue(10);
        EXPECT_EQ(MotionBlurForm->Label3->text(), QStringLiteral("size 20"));
        EXPECT_EQ(MotionBlurForm->Label4->text(), QStringLiteral("Quality 10"));
        Click(MotionBlurForm->Button2);
    });
    EXPECT_EQ(MotionBlurAngle, DegreesToRadians(45));
    EXPECT_EQ(MotionBlurSize, 20);
    EXPECT_EQ(MotionBlurQuality, 10);
    EXPECT_EQ(PixelBytes(*CurrentImage),
              w.Expected([](TFvDIB& image) { MotionBlurFilter(image, 20, 10, DegreesToRadians(45)); }));
}

TEST(FilterDialogs, ANewMotionBlurDialogStartsFromItsOwnAngle)
{
    Window w;
    MotionBlurAngle = 3;
    RunDialog(w.form, &TMainForm::MotionClick, [&] {
        Click(MotionBlurForm->Button1);
        EXPECT_EQ(PixelBytes(*MotionBlurForm->bmp),
                  w.Expected([](TFvDIB& image) { MotionBlurFilter(image, 1, 1, DegreesToRadians(1)); }));
    });
}

TEST(FilterDialogs, SharpenKeepsThePreviewedModeAfterTheModeChanges)
{
    Window w;
    uint32_t time = 0;
    RunDialog(w.form, &TMainForm::SharClick, [&] {
        EXPECT_EQ(SharpForm->RadioGroup1->ItemIndex(), 0);
        SharpForm->ScrollBar1->setValue(300);
        EXPECT_EQ(SharpForm->Label1->text(), QStringLiteral("Power 3.00"));
        SharpForm->ScrollBar1->setValue(1);
        EXPECT_EQ(SharpForm->Label1->text(), QStringLiteral("Power 0.01"));
        SharpForm->ScrollBar1->setValue(150);
        Click(SharpForm->Button1);
        time = Measured(SharpProcessTime);
        Click(SharpForm->RadioGroup1->Button(2));
        EXPECT_EQ(SharpForm->RadioGroup1->ItemIndex(), 2);
        Click(SharpForm->Button2);
    });
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { SharpenPower(image, 0, 1.5); }));
    EXPECT_EQ(w.form.PanelText(3), QString::number(time) + QStringLiteral(" ms"));

    RunDialog(w.form, &TMainForm::SharClick, [&] {
        Click(SharpForm->RadioGroup1->Button(1));
        SharpForm->ScrollBar1->setValue(75);
        Click(SharpForm->Button2);
    });
    EXPECT_EQ(SharpMode, 1);
    EXPECT_EQ(SharpPower, 0.75);
    EXPECT_EQ(w.History(), 3u);
}

TEST(FilterDialogs, OilPaintColourCountClearsThePreview)
{
    Window w;
    int result = 0;
    OilPaintProcessTime = 7; // an earlier dialog's preview
    RunDialog(w.form, &TMainForm::OilClick, [&] {
        EXPECT_EQ(OilPaintProcessTime, 0u);
        EXPECT_EQ(OilPaintForm->RadioGroup1->ItemIndex(), 3);
        EXPECT_EQ(OilPaintForm->RadioGroup1->title(), QStringLiteral("使用色数(RGB各色)"));
        OilPaintForm->ScrollBar1->setValue(2);
        EXPECT_EQ(OilPaintForm->Label1->text(), QStringLiteral("Block 2"));
        Click(OilPaintForm->Button1);
        Measured(OilPaintProcessTime);
        Click(OilPaintForm->RadioGroup1->Button(1));
        EXPECT_EQ(OilPaintProcessTime, 0u);
        Click(OilPaintForm->Button2);
        result = OilPaintForm->ModalResult();
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(OilPaintBlock, 2);
    EXPECT_EQ(OilPaintColors, 1);
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { OilPaintFilter(image, 2, 1); }));
}

TEST(FilterDialogs, KuwaharaHandsBackTheHiddenGroupsMode)
{
    Window w;
    RunDialog(w.form, &TMainForm::KuwaharaK1Click, [&] {
        EXPECT_FALSE(KuwaharaForm->RadioGroup1->isVisible());
        KuwaharaForm->ScrollBar1->setValue(5);
        EXPECT_EQ(KuwaharaForm->Label1->text(), QStringLiteral("Block 5"));
        Click(KuwaharaForm->Button2);
        EXPECT_EQ(KuwaharaForm->Value, 5);
        EXPECT_EQ(KuwaharaForm->Mode, 3);
    });
    EXPECT_EQ(PixelBytes(*CurrentImage), w.Expected([](TFvDIB& image) { KuwaharaFilter(image, 5, 3); }));
}

TEST(FilterDialogs, AFailedPreviewLeavesNoValidPreview)
{
    Window w;
    TFvDIB result;
    uint32_t time = 25;
    EXPECT_THROW(RunPreview(result, time, [](TFvDIB&) { throw std::runtime_error("failed"); }), std::runtime_error);
    EXPECT_EQ(time, 0u);
    EXPECT_TRUE(w.Showing(*CurrentImage));
}

// The open cell editor, else the grid, whose first key opens one.
QWidget* KeyTarget(QTableWidget* grid)
{
    QWidget* editor = grid->indexWidget(grid->currentIndex());
    return editor != nullptr ? editor : grid;
}

TEST(FilterDialogs, CustomKernelNeedsEveryCellAndReadsTheLocalesNumbers)
{
    Window w;
    int result = 0;
    RunDialog(w.form, &TMainForm::CustClick, [&] {
        QTableWidget* grid = CustForm->StringGrid1;
        EXPECT_EQ(CustForm->windowTitle(), QStringLiteral("カスタムフィルタ"));
        EXPECT_EQ(CustForm->font().pixelSize(), 12);
        // All nine cells in sight, with no headers, the grid filling its panel.
        EXPECT_EQ(grid->viewport()->size(), QSize(3 * 64, 3 * 24));
        EXPECT_EQ(grid->geometry(), CustForm->Panel1->rect());
        EXPECT_FALSE(CustForm->Button1->isEnabled());
        // Typed cell by cell, Tab moving on, row by row.
        grid->setCurrentCell(0, 0);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(grid->currentRow() * 3 + grid->currentColumn(), i);
            EXPECT_FALSE(CustForm->Button1->isEnabled());
            QTest::keyClick(KeyTarget(grid), i == 4 ? '1' : '0');
            if (i < 8)
                QTest::keyClick(KeyTarget(grid), Qt::Key_Tab);
        }
        // The last keystroke enables OK while its editor is still open.
        EXPECT_TRUE(CustForm->Button1->isEnabled());
        grid->item(0, 2)->setText(QString());
        EXPECT_FALSE(CustForm->Button1->isEnabled());
        grid->item(0, 2)->setText(QStringLiteral("0"));
        Click(CustForm->Button1);
        result = CustForm->ModalResult();
    });
    EXPECT_EQ(result, mrOk);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(CustomKernel[r][c], r == 1 && c == 1 ? 1.0 : 0.0);
    EXPECT_EQ(PixelBytes(*CurrentImage), PixelBytes(w.original));
    EXPECT_EQ(w.History(), 2u);

    RunDialog(w.form, &TMainForm::CustClick, [&] {
        const char* texts[9] = {"abc", " -0.5 ", "1e1", "", "0", "1,5", "+2", ".25", "3."};
        for (int i = 0; i < 9; ++i)
            CustForm->StringGrid1->item(i / 3, i % 3)->setText(QString::fromUtf8(texts[i]));
        EXPECT_FALSE(CustForm->Button1->isEnabled());
        CustForm->StringGrid1->item(1, 0)->setText(QStringLiteral("x"));
        Click(CustForm->Button1);
    });
    const double expected[9] = {0, -0.5, 10, 0, 0, 0, 2, 0.25, 3};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(CustomKernel[i / 3][i % 3], expected[i]) << i;

    // Cancel, or Esc, keeps the last weights and the document.
    RunDialog(w.form, &TMainForm::CustClick, [&] { Click(CustForm->Button2); });
    RunDialog(w.form, &TMainForm::CustClick, [&] {
        QTest::keyClick(CustForm, Qt::Key_Escape);
        result = CustForm->ModalResult();
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(CustomKernel[0][1], -0.5);
    EXPECT_EQ(w.History(), 3u);
}

} // namespace
