#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "app/brightness.h"
#include "app/colorrevision.h"
#include "app/contrast.h"
#include "app/gamma.h"
#include "app/hls.h"
#include "app/lms.h"
#include "app/posterization.h"
#include "effects/process.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The main window with a 24-bit photo open and the effect menu's items enabled.
struct Fixture : TOpenedWindow {
    Fixture() : TOpenedWindow("corrcmd", 300, 140) { form.EffectClick(); }

    // Runs the menu item; Drive acts on the dialog once its modal loop runs.
    void Run(std::initializer_list<const char*> path, const std::function<void(QWidget&)>& Drive)
    {
        RunMenuDialog(form, path, Drive);
    }
};

void Enter(QWidget& dialog)
{
    QTest::keyClick(&dialog, Qt::Key_Return);
}

TEST(CorrectionCommand, GammaLinkedOKAppliesTheOneValueAndRecordsTheEdit)
{
    Fixture f;
    f.Run({"イメージ(&I)", "補正(&A)", "ガンマ補正(&G)..."}, [](QWidget& dialog) {
        ASSERT_EQ(&dialog, GammaForm);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ガンマ補正"));
        GammaForm->SB_3->setValue(150);
        Enter(dialog);
    });
    EXPECT_EQ(GammaForm, nullptr);
    EXPECT_EQ(PixelBytes(*CurrentImage), f.Expected([](TFvDIB& i) { GammaCorrection(i, 1.5); }));
    EXPECT_TRUE(f.form.PanelText(3).endsWith(QStringLiteral(" ms")));
    EXPECT_EQ(f.form.Document().Count(), 2u);
    EXPECT_EQ(f.form.Document().UndoPointer, 1);
    EXPECT_TRUE(f.capture.Shown.Exceptions.empty());
}

TEST(CorrectionCommand, GammaLinkedOnlyAtOKAppliesTheRedBarsValueToAllChannels)
{
    Fixture f;
    f.Run({"イメージ(&I)", "補正(&A)", "ガンマ補正(&G)..."}, [](QWidget& dialog) {
        GammaForm->CB_2->setChecked(false);
        GammaForm->SB_1->setValue(120);
        GammaForm->SB_2->setValue(250);
        GammaForm->CB_2->setChecked(true);
        Enter(dialog);
    });
    EXPECT_EQ(PixelBytes(*CurrentImage), f.Expected([](TFvDIB& i) { GammaCorrection(i, 1.2); }));

    f.Run({"イメージ(&I)", "補正(&A)", "ガンマ補正(&G)..."}, [](QWidget& dialog) {
        GammaForm->CB_2->setChecked(false);
        GammaForm->SB_3->setValue(90);
        Enter(dialog);
    });
    EXPECT_EQ(PixelBytes(*CurrentImage), f.Expected([](TFvDIB& i) {
                  GammaCorrection(i, 1.2);
                  GammaCorrectionRGB(i, 2.2, 2.2, 0.9);
              }));
    EXPECT_EQ(f.form.Document().Count(), 3u);
}

TEST(CorrectionCommand, CancelEscOrCloseBoxLeaveTheDocumentAndHistory)
{
    Fixture f;
    const std::vector<uint8_t> before = PixelBytes(*CurrentImage);
    // Gamma shows the document again even when cancelled; the others leave the view alone.
    f.Run({"イメージ(&I)", "補正(&A)", "ガンマ補正(&G)..."}, [](QWidget& dialog) {
        GammaForm->SB_1->setValue(100);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_TRUE(f.form.Document().ChangeFlag);
    f.form.Document().ChangeFlag = false;
    f.Run({"イメージ(&I)", "補正(&A)", "明るさ補正(&B)..."}, [](QWidget& dialog) {
        BrightnessForm->SB_1->setValue(50);
        dialog.close();
    });
    f.Run({"イメージ(&I)", "カラー変更(&C)", "ポスタリゼーション(&P)..."}, [](QWidget&) {
        PosterizationForm->SB_1->setValue(4);
        PosterizationForm->B_2->click();
    });
    EXPECT_FALSE(f.form.Document().ChangeFlag);
    EXPECT_EQ(PixelBytes(*CurrentImage), before);
    EXPECT_EQ(f.form.Document().Count(), 1u);
    EXPECT_EQ(f.form.PanelText(3), QString());
    EXPECT_EQ(BrightnessForm, nullptr);
}

TEST(CorrectionCommand, EachOtherDialogAppliesItsValuesOnOK)
{
    struct Case {
        std::initializer_list<const char*> Path;
        std::function<void(QWidget&)> Drive;
        std::function<void(TFvDIB&)> Apply;
    };
    const Case cases[] = {
        {{"イメージ(&I)", "補正(&A)", "明るさ補正(&B)..."},
         [](QWidget& d) {
             BrightnessForm->SB_1->setValue(-100);
             Enter(d);
         },
         [](TFvDIB& i) { BrightnessCorrection(i, -100); }},
        {{"イメージ(&I)", "補正(&A)", "コントラスト補正(&C)..."},
         [](QWidget& d) {
             ContrastForm->SB_1->setValue(60);
             Enter(d);
         },
         [](TFvDIB& i) { ContrastCorrection(i, 60); }},
        {{"イメージ(&I)", "補正(&A)", "色調補正(&R)..."},
         [](QWidget&) {
             ColorForm->SB_2->setValue(-30);
             ColorForm->SB_3->setValue(200);
             ColorForm->B_1->click();
         },
         [](TFvDIB& i) { ColorBalance(i, 0, -30, 200); }},
        {{"イメージ(&I)", "補正(&A)", "HLS補正(&H)..."},
         [](QWidget& d) {
             HLSForm->SB_1->setValue(90);
             HLSForm->SB_3->setValue(-40);
             Enter(d);
         },
         [](TFvDIB& i) { HlsCorrection(i, 90, 0, -40); }},
        {{"イメージ(&I)", "補正(&A)", "LMS補正(&L)..."},
         [](QWidget& d) {
             LMSForm->SB_3->setValue(30);
             LMSForm->CheckBox1->setChecked(false);
             Enter(d);
         },
         [](TFvDIB& i) { LmsCorrection(i, 100, 100, 30, false); }},
        {{"イメージ(&I)", "カラー変更(&C)", "ポスタリゼーション(&P)..."},
         [](QWidget& d) {
             PosterizationForm->CB_1->setChecked(false);
             PosterizationForm->SB_1->setValue(2);
             PosterizationForm->SB_2->setValue(3);
             Enter(d);
         },
         [](TFvDIB& i) { Posterize(i, 2, 3, 255); }},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Run(c.Path, c.Drive);
        EXPECT_EQ(PixelBytes(*CurrentImage), f.Expected(c.Apply)) << *std::prev(c.Path.end());
        EXPECT_EQ(f.form.Document().Count(), 2u);
        EXPECT_TRUE(f.form.Document().ChangeFlag);
        EXPECT_TRUE(f.form.PanelText(3).endsWith(QStringLiteral(" ms")));
        EXPECT_TRUE(f.capture.Shown.Exceptions.empty());
    }
}

} // namespace
