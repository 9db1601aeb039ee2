#include "effects/ByteConversion.h"
#include "effects/Grayscale.h"
#include "effects/Sepia.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

namespace {

// A grey of value Y has luma Y, so grey inputs address the tables directly.
Rgb OfGrey(int Y, void (*Operation)(TFvDIB&))
{
    return Apply1({Y, Y, Y}, Operation);
}

TEST(Sepia, NormalTonesByLuma)
{
    EXPECT_EQ(OfGrey(64, SepiaNormal), (Rgb{90, 64, 41}));
    EXPECT_EQ(OfGrey(128, SepiaNormal), (Rgb{152, 128, 102}));
    EXPECT_EQ(OfGrey(0, SepiaNormal), (Rgb{0, 0, 0}));
    EXPECT_EQ(OfGrey(255, SepiaNormal), (Rgb{255, 255, 255}));
}

TEST(Sepia, TintedVariantsOffsetTheLuma)
{
    EXPECT_EQ(OfGrey(128, SepiaRed), (Rgb{164, 111, 124}));
    EXPECT_EQ(OfGrey(128, SepiaGreen), (Rgb{110, 141, 106}));
    EXPECT_EQ(OfGrey(128, SepiaBlue), (Rgb{124, 121, 172}));
    EXPECT_EQ(OfGrey(128, SepiaPurple), (Rgb{142, 119, 137}));
    EXPECT_EQ(OfGrey(250, SepiaRed), (Rgb{255, 233, 246}));
    EXPECT_EQ(OfGrey(5, SepiaBlue), (Rgb{1, 0, 49}));
}

TEST(Sepia, MetalRampsAndStaysGrey)
{
    EXPECT_EQ(OfGrey(0, SepiaMetal), (Rgb{80, 80, 80}));
    EXPECT_EQ(OfGrey(63, SepiaMetal), (Rgb{252, 252, 252}));
    EXPECT_EQ(OfGrey(64, SepiaMetal), (Rgb{255, 255, 255}));
    EXPECT_EQ(OfGrey(127, SepiaMetal), (Rgb{83, 83, 83}));
    EXPECT_EQ(OfGrey(128, SepiaMetal), (Rgb{80, 80, 80}));
    // 32 * 2.734375 = 87.5 exactly: both ramps round the half to even.
    EXPECT_EQ(OfGrey(32, SepiaMetal), (Rgb{168, 168, 168}));
    EXPECT_EQ(OfGrey(96, SepiaMetal), (Rgb{168, 168, 168}));
    auto Image = MakeNoise(23, 9);
    SepiaMetal(*Image);
    for (const Rgb& c : Pixels(*Image)) {
        ASSERT_EQ(c.R, c.G);
        ASSERT_EQ(c.G, c.B);
    }
}

TEST(Grayscale, VariantsUseTheLumaOfTheInput)
{
    const Rgb In{200, 30, 90};
    const int Y = Luma(200, 30, 90);
    EXPECT_EQ(Apply1(In, GrayscaleNormal), (Rgb{Y, Y, Y}));
    EXPECT_EQ(Apply1(In, GrayscaleRed), (Rgb{255, Y, Y}));
    EXPECT_EQ(Apply1(In, GrayscaleGreen), (Rgb{Y, 255, Y}));
    EXPECT_EQ(Apply1(In, GrayscaleBlue), (Rgb{Y, Y, 255}));
}

TEST(Grayscale, MatchesThePlainLumaOnEveryPixel)
{
    // Rows of 390 bytes: a pixel written past a row's end reaches the next row.
    auto Image = MakeNoise(130, 17);
    const std::vector<Rgb> Before = Pixels(*Image);
    GrayscaleRed(*Image);
    const std::vector<Rgb> After = Pixels(*Image);
    for (size_t i = 0; i < Before.size(); ++i) {
        const int Y = Luma(Before[i].R, Before[i].G, Before[i].B);
        ASSERT_EQ(After[i], (Rgb{255, Y, Y})) << i;
    }
}

} // namespace
