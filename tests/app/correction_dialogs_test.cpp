#include "AppTestSupport.h"
#include "app/PreviewImages.h"
#include "app/brightness.h"
#include "app/colorrevision.h"
#include "app/contrast.h"
#include "app/gamma.h"
#include "app/hls.h"
#include "app/lms.h"
#include "app/main.h"
#include "app/posterization.h"
#include "effects/process.h"
#include "platform/ui/Image.h"

#include <QCheckBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

void FillPattern(TFvDIB& image, int width, int height)
{
    image.SetPixelFormat(fvPf24Bit);
    image.SetWidth(width);
    image.SetHeight(height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = static_cast<uint8_t>((x * 7 + y * 13 + (x * y) % 31) & 0xFF);
    }
}

// A main window with a 600 x 300 photo open: its thumbnail is 300 x 150.
class CorrectionDialog : public ::testing::Test {
protected:
    CorrectionDialog() : Form(nullptr, ScratchFolder("corr").string() + "/")
    {
        TFvDIB image;
        FillPattern(image, 600, 300);
        Form.Document().Loaded(image);
        Form.Work();
        Form.Document().OpenFlag = true;
    }

    // The thumbnail of the document corrected by Correct, as the preview shows it.
    static QImage Expected(const std::function<void(TFvDIB&)>& Correct)
    {
        TPreviewImages images;
        MakePreviewImages(images, *CurrentImage);
        Correct(*images.Temp);
        return RenderGraphic(*images.Temp);
    }

    // Activated, a dialog previews the untouched thumbnail before any bar moves.
    template <class Dialog> static void ExpectActivatedUntouched(Dialog& dialog)
    {
        dialog.FormActivate();
        EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB&) {}));
    }

    CaptureMessages Capture;
    TMainForm Form;
};

TEST(Thumbnail, FactorFromWidthIsReplacedByTheHeightRuleAndNoSideIsZero)
{
    struct Case {
        int W, H, Factor, TW, TH;
    };
    const Case cases[] = {{200, 100, 0, 200, 100}, {1000, 100, 3, 333, 33},  {1000, 200, 1, 1000, 200},
                          {300, 300, 2, 150, 150}, {256, 128, 1, 256, 128},  {255, 129, 1, 255, 129},
                          {5000, 10, 19, 263, 1},  {10, 5000, 39, 1, 128},   {512, 128, 2, 256, 64}};
    for (const Case& c : cases) {
        EXPECT_EQ(ThumbnailFactor(c.W, c.H), c.Factor) << c.W << " x " << c.H;
        TFvDIB source;
        FillPattern(source, c.W, c.H);
        TPreviewImages images;
        MakePreviewImages(images, source);
        EXPECT_EQ(images.Temp->Width(), c.TW) << c.W << " x " << c.H;
        EXPECT_EQ(images.Temp->Height(), c.TH) << c.W << " x " << c.H;
        EXPECT_EQ(images.Dest->PixelFormat(), fvPf24Bit);
    }
    // Below the factor's bounds the thumbnail is the whole image, pixel for pixel.
    TFvDIB small;
    FillPattern(small, 200, 100);
    TPreviewImages images;
    MakePreviewImages(images, small);
    EXPECT_EQ(RenderGraphic(*images.Temp), RenderGraphic(small));
}

TEST_F(CorrectionDialog, ASmallDocumentIsPreviewedWholeAndNeverChanged)
{
    TFvDIB small;
    FillPattern(small, 200, 100);
    CurrentImage->Assign(&small);
    const QImage document = RenderGraphic(*CurrentImage);
    TBrightnessForm dialog(&Form);
    dialog.FormActivate();
    EXPECT_EQ(dialog.I_1->Picture(), document);
    dialog.SB_1->setValue(80);
    dialog.FormDeactivate();
    dialog.SB_1->setValue(-20);
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { BrightnessCorrection(d, -20); }));
    EXPECT_EQ(RenderGraphic(*CurrentImage), document);
}

TEST_F(CorrectionDialog, GammaLinkedBarsMoveTogetherAndPreviewOneGamma)
{
    TGammaForm dialog(&Form);
    dialog.FormActivate();
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB&) {}));
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R補正値 : 2.20"));

    dialog.SB_3->setValue(150);
    for (QScrollBar* bar : {dialog.SB_1, dialog.SB_2, dialog.SB_3})
        EXPECT_EQ(bar->value(), 150);
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R補正値 : 1.50"));
    EXPECT_EQ(dialog.L_2->text(), QStringLiteral("G補正値 : 1.50"));
    EXPECT_EQ(dialog.L_3->text(), QStringLiteral("B補正値 : 1.50"));
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { GammaCorrection(d, 1.5); }));

    // The ends of the range, moved from the keyboard.
    QTest::keyClick(dialog.SB_1, Qt::Key_Home);
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R補正値 : 0.75"));
    QTest::keyClick(dialog.SB_2, Qt::Key_End);
    EXPECT_EQ(dialog.L_3->text(), QStringLiteral("B補正値 : 3.00"));
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { GammaCorrection(d, 3.0); }));

    // 2.20 is the identity of the gamma table: back there, the thumbnail shows unchanged.
    dialog.SB_1->setValue(220);
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB&) {}));
    EXPECT_TRUE(Capture.Shown.Exceptions.empty());
}

TEST_F(CorrectionDialog, GammaUnlinkedBarsAreIndependentAndOKHandsBackAllThree)
{
    TGammaForm dialog(&Form);
    dialog.CB_2->setChecked(false);
    // No activation yet: the change makes its own thumbnail.
    dialog.SB_2->setValue(100);
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { GammaCorrectionRGB(d, 2.2, 1.0, 2.2); }));
    dialog.SB_3->setValue(300);
    EXPECT_EQ(dialog.SB_1->value(), 220);
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { GammaCorrectionRGB(d, 2.2, 1.0, 3.0); }));
    dialog.SB_1->setValue(150);
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R補正値 : 1.50"));
    EXPECT_EQ(dialog.L_2->text(), QStringLiteral("G補正値 : 1.00"));
    EXPECT_EQ(dialog.I_1->Picture(), Expected([](TFvDIB& d) { GammaCorrectionRGB(d, 1.5, 1.0, 3.0); }));

    // Linking does nothing by itself.
    dialog.CB_2->setChecked(true);
    EXPECT_EQ(dialog.SB_2->value(), 100);
    dialog.B_1->click();
    EXPECT_EQ(dialog.ModalResult(), 1);
    EXPECT_EQ(dialog.RValue, 1.5);
    EXPECT_EQ(dialog.GValue, 1.0);
    EXPECT_EQ(dialog.BValue, 3.0);

    // The value is written with the locale's decimal separator.
    QLocale::setDefault(QLocale(QLocale::German));
    dialog.SB_1->setValue(75);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R補正値 : 0,75"));
}

TEST_F(CorrectionDialog, BrightnessAndContrastLabelsPreviewsAndValues)
{
    TBrightnessForm brightness(&Form);
    EXPECT_EQ(brightness.I_1->size(), QSize(286, 140));
    brightness.SB_1->setValue(-100);
    EXPECT_EQ(brightness.L_1->text(), QStringLiteral("補正値 : -100"));
    EXPECT_EQ(brightness.I_1->Picture(), Expected([](TFvDIB& d) { BrightnessCorrection(d, -100); }));
    brightness.B_1->click();
    EXPECT_EQ(brightness.Value, -100);
    EXPECT_EQ(brightness.ModalResult(), 1);

    TContrastForm contrast(&Form);
    EXPECT_EQ(contrast.I_1->size(), QSize(257, 129));
    ExpectActivatedUntouched(contrast);
    contrast.SB_1->setValue(37);
    EXPECT_EQ(contrast.L_1->text(), QStringLiteral("補正値 : 37"));
    EXPECT_EQ(contrast.I_1->Picture(), Expected([](TFvDIB& d) { ContrastCorrection(d, 37); }));
    contrast.B_1->click();
    EXPECT_EQ(contrast.Value, 37);
}

TEST_F(CorrectionDialog, ColourHlsAndLmsPreviewWithAllThreePositions)
{
    TColorForm colour(&Form);
    ExpectActivatedUntouched(colour);
    // Each bar brings the preview up to date by itself.
    colour.SB_1->setValue(-255);
    EXPECT_EQ(colour.I_1->Picture(), Expected([](TFvDIB& d) { ColorBalance(d, -255, 0, 0); }));
    colour.SB_2->setValue(17);
    EXPECT_EQ(colour.I_1->Picture(), Expected([](TFvDIB& d) { ColorBalance(d, -255, 17, 0); }));
    colour.SB_3->setValue(40);
    EXPECT_EQ(colour.L_1->text(), QStringLiteral("R補正値 : -255"));
    EXPECT_EQ(colour.L_2->text(), QStringLiteral("G補正値 : 17"));
    EXPECT_EQ(colour.L_3->text(), QStringLiteral("B補正値 : 40"));
    EXPECT_EQ(colour.I_1->Picture(), Expected([](TFvDIB& d) { ColorBalance(d, -255, 17, 40); }));
    colour.B_1->click();
    EXPECT_EQ(std::make_tuple(colour.RValue, colour.GValue, colour.BValue), std::make_tuple(-255, 17, 40));

    THLSForm hls(&Form);
    EXPECT_EQ(hls.L_1->text(), QStringLiteral("色相(H) : 0"));
    ExpectActivatedUntouched(hls);
    hls.SB_1->setValue(120);
    EXPECT_EQ(hls.I_1->Picture(), Expected([](TFvDIB& d) { HlsCorrection(d, 120, 0, 0); }));
    hls.SB_1->setValue(360);
    hls.SB_2->setValue(-30);
    EXPECT_EQ(hls.I_1->Picture(), Expected([](TFvDIB& d) { HlsCorrection(d, 360, -30, 0); }));
    hls.SB_3->setValue(55);
    // The unit's values follow every change, not only OK.
    EXPECT_EQ(std::make_tuple(HlsHue, HlsLightness, HlsSaturation), std::make_tuple(360, -30, 55));
    EXPECT_EQ(hls.L_1->text(), QStringLiteral("色相(H) : 360"));
    EXPECT_EQ(hls.L_2->text(), QStringLiteral("明度(L) : -30"));
    EXPECT_EQ(hls.L_3->text(), QStringLiteral("彩度(S) : 55"));
    EXPECT_EQ(hls.I_1->Picture(), Expected([](TFvDIB& d) { HlsCorrection(d, 360, -30, 55); }));
    // The next dialog starts from zero, and OK at once hands back zero.
    THLSForm again(&Form);
    again.B_1->click();
    EXPECT_EQ(std::make_tuple(HlsHue, HlsLightness, HlsSaturation), std::make_tuple(0, 0, 0));

    // OK on an untouched dialog hands back its bars, not the values it was made with.
    TLMSForm untouched(&Form);
    untouched.B_1->click();
    EXPECT_EQ(std::make_tuple(untouched.LValue, untouched.MValue, untouched.SValue), std::make_tuple(100, 100, 100));
    TLMSForm lms(&Form);
    EXPECT_EQ(lms.L_2->text(), QStringLiteral("M錐体(M) : 100%"));
    ExpectActivatedUntouched(lms);
    lms.CheckBox1->setChecked(false);
    lms.SB_2->setValue(20);
    EXPECT_EQ(lms.L_2->text(), QStringLiteral("M錐体(M) : 20%"));
    EXPECT_EQ(lms.MValue, 20);
    EXPECT_EQ(lms.I_1->Picture(), Expected([](TFvDIB& d) { LmsCorrection(d, 100, 20, 100, false); }));
    lms.CheckBox1->setChecked(true);
    lms.SB_1->setValue(0);
    EXPECT_EQ(lms.L_1->text(), QStringLiteral("L錐体(L) : 0%"));
    EXPECT_EQ(lms.I_1->Picture(), Expected([](TFvDIB& d) { LmsCorrection(d, 0, 20, 100, true); }));
    lms.SB_3->setValue(35);
    EXPECT_EQ(lms.L_3->text(), QStringLiteral("S錐体(S) : 35%"));
    EXPECT_EQ(lms.I_1->Picture(), Expected([](TFvDIB& d) { LmsCorrection(d, 0, 20, 35, true); }));
    lms.B_1->click();
    EXPECT_EQ(std::make_tuple(lms.LValue, lms.MValue, lms.SValue), std::make_tuple(0, 20, 35));
}

TEST_F(CorrectionDialog, PosterizationLinkMovesTheOtherBarsAndOKHandsBackEachLevel)
{
    TPosterizationForm dialog(&Form);
    dialog.SB_2->setValue(8);
    EXPECT_EQ(std::make_tuple(dialog.SB_1->value(), dialog.SB_2->value(), dialog.SB_3->value()),
              std::make_tuple(8, 8, 8));
    EXPECT_EQ(dialog.L_1->text(), QStringLiteral("R階調 : 8"));
    EXPECT_EQ(dialog.L_3->text(), QStringLiteral("B階調 : 8"));

    dialog.CB_1->setChecked(false);
    dialog.SB_1->setValue(2);
    dialog.SB_2->setValue(3);
    dialog.SB_3->setValue(255);
    EXPECT_EQ(dialog.L_2->text(), QStringLiteral("G階調 : 3"));
    dialog.B_1->click();
    EXPECT_EQ(std::make_tuple(dialog.RValue, dialog.GValue, dialog.BValue), std::make_tuple(2, 3, 255));
    EXPECT_EQ(dialog.ModalResult(), 1);
}

} // namespace
