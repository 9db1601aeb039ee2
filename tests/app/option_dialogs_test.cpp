#include "AppTestSupport.h"
#include "MenuTestSupport.h"
#include "ModalDriver.h"
#include "app/ini.h"
#include "app/jpegoption.h"
#include "app/main.h"
#include "app/pngoption.h"
#include "app/size.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Window {
    explicit Window(const std::string& name, int width = 99, int height = 99)
        : Dir(ScratchFolder(name)), Form(nullptr, Dir.string() + "/")
    {
        TFvDIB image;
        FillImage(image, width, height);
        OpenDocument(Form, image);
    }
    std::filesystem::path Dir;
    TMainForm Form;
};

// Esc; a dialog it did not close is closed with OK, so the test goes on.
void EscapeOrOk(TForm& dialog)
{
    QTest::keyClick(&dialog, Qt::Key_Escape);
    if (dialog.ModalResult() == mrNone)
        dialog.SetModalResult(mrOk);
}

TEST(SizeDialog, PerCentAndNumbersGiveTheTargetAndTheMethodIsRemembered)
{
    CaptureMessages capture;
    Window w("size_dialog", 300, 99);
    WhenShown<TSizeForm>([](TSizeForm& f) {
        EXPECT_EQ(f.LB_1->text().toStdString(), "現サイズ (X,Y) : (300,99)");
        EXPECT_EQ(f.LB_3->text().toStdString(), "変換後サイズ (X,Y) : (300,99)");
        EXPECT_EQ(std::pair(f.SB_1->value(), f.LB_2->text().toStdString()), std::pair(100, std::string("100%")));
        EXPECT_FALSE(f.SE_X->isEnabled());
        f.SB_1->setValue(200);
        EXPECT_EQ(f.LB_3->text().toStdString(), "変換後サイズ (X,Y) : (600,198)");
        f.CB_1->setCurrentIndex(1);
        f.SB_1->setValue(1);
        EXPECT_EQ(f.LB_3->text().toStdString(), "変換後サイズ (X,Y) : (3,0)");
        EXPECT_EQ(f.LB_2->text().toStdString(), "1%");
        f.B_OK->click();
    });
    w.Form.M6Click();
    // 1 % of 300 x 99 is 3 x 0: no row becomes one row.
    EXPECT_EQ(CurrentImage->Width(), 3);
    EXPECT_EQ(CurrentImage->Height(), 1);
    EXPECT_EQ(IniReadInteger(SettingsPath, "Size", "Mode"), 1);
    EXPECT_EQ(w.Form.Document().Count(), 2u);

    WhenShown<TSizeForm>([](TSizeForm& f) {
        EXPECT_EQ(f.CB_1->currentIndex(), 1);
        // Each way of giving the size enables only its own controls.
        const auto enabled = [&f] {
            return std::vector<bool>{f.SB_1->isEnabled(), f.SE_X->isEnabled(), f.SE_Y->isEnabled()};
        };
        f.RB_Mode2->click();
        EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true}));
        f.RB_Mode1->click();
        EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false}));
        f.RB_Mode2->click();
        EXPECT_EQ(f.SE_X->value(), 3);
        EXPECT_EQ(f.SE_Y->value(), 1);
        f.SE_X->setValue(50);
        f.SE_Y->setValue(20);
        f.B_OK->click();
    });
    w.Form.M6Click();
    EXPECT_EQ(CurrentImage->Width(), 50);
    EXPECT_EQ(CurrentImage->Height(), 20);

    // A remembered method outside the list leaves none chosen; OK stores -1 and resizes nothing.
    IniWriteInteger(SettingsPath, "Size", "Mode", 15);
    WhenShown<TSizeForm>([](TSizeForm& f) {
        EXPECT_EQ(f.CB_1->currentIndex(), -1);
        f.B_OK->click();
    });
    w.Form.M6Click();
    EXPECT_EQ(IniReadInteger(SettingsPath, "Size", "Mode"), -1);
    EXPECT_EQ(CurrentImage->Width(), 50);
    EXPECT_TRUE(capture.Shown.Exceptions.empty());

    // No button of this dialog is its cancel button: Esc leaves it open.
    WhenShown<TSizeForm>([](TSizeForm& f) {
        QTest::keyClick(&f, Qt::Key_Escape);
        EXPECT_TRUE(f.isVisible());
        f.Button2->click();
    });
    w.Form.M6Click();

    // One and a half times, across and down.
    WhenShown<TSizeForm>([](TSizeForm& f) {
        f.CB_1->setCurrentIndex(1);
        f.SB_1->setValue(150);
        f.B_OK->click();
    });
    w.Form.M6Click();
    EXPECT_EQ(std::pair(CurrentImage->Width(), CurrentImage->Height()), std::pair(75, 30));
}

TEST(JpegOptionDialog, SamplingRuleGreyAndPreviewSize)
{
    Window w("jpeg_dialog", 64, 48);
    TJpegOptionForm form(&w.Form);
    EXPECT_EQ(form.Label1->text().toStdString(), "JPEG画質率 90 %");
    EXPECT_FALSE(form.SpinEdit1->isEnabled());
    form.CheckBox3->click();
    EXPECT_TRUE(form.SpinEdit1->isEnabled());
    // Leaving either box makes the other one give way at once.
    QFocusEvent leave(QEvent::FocusOut);
    form.SpinEdit1->setValue(4);
    form.SpinEdit2->setValue(3);
    QCoreApplication::sendEvent(form.SpinEdit1, &leave);
    EXPECT_EQ(form.SpinEdit2->value(), 2);
    form.SpinEdit2->setValue(4);
    form.SpinEdit1->setValue(3);
    QCoreApplication::sendEvent(form.SpinEdit2, &leave);
    EXPECT_EQ(form.SpinEdit1->value(), 2);
    form.SpinEdit1->setValue(4);
    form.SpinEdit2->setValue(3);
    // OK applies the rule even though no spin edit lost the focus.
    form.Button1->click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_EQ(JpegHSampling, 4);
    EXPECT_EQ(JpegVSampling, 2);
    EXPECT_TRUE(JpegDownSampling);
    EXPECT_EQ(SamplingGivingWay(2, 4), 4);
    // With the focus still in "v", OK makes "h" give way.
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.SpinEdit2->setFocus();
    form.SpinEdit1->setValue(4);
    form.SpinEdit2->setValue(3);
    form.Button1->click();
    EXPECT_EQ(JpegHSampling, 2);
    EXPECT_EQ(JpegVSampling, 3);
    form.hide();
    EXPECT_EQ(SamplingGivingWay(4, 2), 2);

    form.CheckBox2->click();
    EXPECT_FALSE(form.CheckBox3->isEnabled());
    EXPECT_FALSE(form.SpinEdit2->isEnabled());
    form.Button2->click();
    EXPECT_EQ(form.Label2->text().toStdString(), "2KB");
    // The preview in the main window is grey.
    const QImage shown = w.Form.Image1->Picture();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_Grayscale8).convertToFormat(shown.format()), shown);
    form.ScrollBar1->setValue(50);
    EXPECT_EQ(form.Label2->text().toStdString(), "");
    EXPECT_EQ(form.Label1->text().toStdString(), "JPEG画質率 50 %");
    form.CheckBox1->click();
    form.Button1->click();
    EXPECT_EQ(std::make_tuple(JpegQuality, JpegProgressive, JpegGrayscale), std::make_tuple(50, true, true));

    TJpegOptionForm fresh(&w.Form);
    EXPECT_EQ(JpegQuality, 90);
    EXPECT_FALSE(JpegDownSampling);
    EXPECT_EQ(std::pair(JpegHSampling, JpegVSampling), std::pair(1, 1));
    WhenShown<TJpegOptionForm>([](TJpegOptionForm& f) { EscapeOrOk(f); });
    EXPECT_EQ(fresh.ShowModal(), mrCancel);
}

TEST(PngOptionDialog, OnlyToolsThatAreFoundCanRunAndHiddenBoxesStillCount)
{
    Window w("png_dialog");
    TMainForm& main = w.Form;
    // Each flag comes to follow whether its tool is found, whatever it was.
    main.OptiPNGFlag = main.PNGRewriteFlag = false;
    main.PNGOutFlag = true;
    main.OptiPNGPath = "optipng";
    main.PNGOutPath = "";
    main.PNGRewritePath = "true";
    main.HiddenFunctionFlag = false;
    TPNGOptionForm form(&main);
    WhenShown<TPNGOptionForm>([&main](TPNGOptionForm& f) {
        EXPECT_TRUE(main.OptiPNGFlag && !main.PNGOutFlag && main.PNGRewriteFlag);
        EXPECT_FALSE(f.CheckBox1->isVisible());
        EXPECT_TRUE(f.CheckBox1->isChecked());
        EXPECT_FALSE(f.CheckBox2->isEnabled());
        EXPECT_TRUE(f.CheckBox3->isChecked());
        EXPECT_EQ(f.Label1->text().toStdString(), "PNG圧縮Level 9");
        f.ScrollBar1->setValue(3);
        f.Button1->click();
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    WhenShown<TPNGOptionForm>([](TPNGOptionForm& f) { EscapeOrOk(f); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(PngCompressionLevel, 3);
    EXPECT_TRUE(main.OptiPNGFlag);
    EXPECT_FALSE(main.PNGOutFlag);
    EXPECT_TRUE(main.PNGRewriteFlag);
}

TEST(PngSave, OptimisersRunOnTheSavedFileAndACloseWaitsForThem)
{
    CaptureMessages capture;
    Window w("png_save_optimise");
    TMainForm& main = w.Form;
    const auto tool = w.Dir / "tool";
    WriteFile(tool, "#!/bin/sh\nsleep 0.3\necho \"$@\" >> \"" + (w.Dir / "calls").string() + "\"\n");
    ::chmod(tool.c_str(), 0755);
    main.PNGRewritePath = tool.string();
    main.show();
    const std::string png = (w.Dir / "out.png").string();
    ChooseFile(png, 3);
    bool visibleAfterClose = false;
    WhenShown<TPNGOptionForm>([&](TPNGOptionForm& f) {
        f.Button1->click();
        // Closing while the tool works is put off until it is done.
        QTimer::singleShot(100, [&] {
            main.close();
            visibleAfterClose = main.isVisible();
        });
    });
    main.Save2Click();
    EXPECT_EQ(ReadFile(w.Dir / "calls"), png + "\n");
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(capture.Shown.Dialogs.empty());
}

} // namespace
