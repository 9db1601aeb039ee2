#include "effects/LookupTables.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>

namespace {

// 256 x 3 image: row 0 greys 0..255, rows 1 and 2 the same ramp in other
// channel orders so that each channel sees every value.
std::unique_ptr<TFvDIB> Ramp()
{
    return MakeImage(256, 3, [](int x, int y) {
        if (y == 0)
            return Rgb{x, x, x};
        if (y == 1)
            return Rgb{x, 255 - x, x / 2};
        return Rgb{255 - x, x / 3, x};
    });
}

// The result of a table operation, value by value, as seen in the grey row.
template <class Op>
std::vector<int> Mapped(Op&& Operation)
{
    auto Image = Ramp();
    Operation(*Image);
    std::vector<int> Out;
    for (int x = 0; x < 256; ++x)
        Out.push_back(PixelAt(*Image, x, 0).G);
    return Out;
}

TEST(LookupTables, NeutralSettingsKeepEveryPixel)
{
    auto Original = MakeNoise(37, 11);
    const std::vector<Rgb> Before = Pixels(*Original);
    auto Check = [&](auto&& Operation) {
        auto Image = MakeNoise(37, 11);
        Operation(*Image);
        EXPECT_EQ(Pixels(*Image), Before);
    };
    Check([](TFvDIB& I) { GammaCorrection(I, 2.2); });
    Check([](TFvDIB& I) { GammaCorrectionRGB(I, 2.2, 2.2, 2.2); });
    Check([](TFvDIB& I) { BrightnessCorrection(I, 0); });
    Check([](TFvDIB& I) { ContrastCorrection(I, 0); });
    Check([](TFvDIB& I) { ColorBalance(I, 0, 0, 0); });
    Check([](TFvDIB& I) {
        Negative(I);
        Negative(I);
    });
}

TEST(LookupTables, GammaBrightensAboveTwoPointTwoAndDarkensBelow)
{
    TLut Table;
    MakeGammaTable(3.0, Table);
    EXPECT_EQ(Table[128], 154);
    MakeGammaTable(1.0, Table);
    EXPECT_EQ(Table[128], 56);
    EXPECT_EQ(Table[0], 0);
    EXPECT_EQ(Table[255], 255);
}

TEST(LookupTables, GammaRgbTakesRedGreenBlueInThatOrder)
{
    TLut R, G, B;
    MakeGammaTable(3.0, R);
    MakeGammaTable(1.0, G);
    MakeGammaTable(2.2, B);
    EXPECT_EQ(Apply1({128, 128, 128}, [](TFvDIB& I) { GammaCorrectionRGB(I, 3.0, 1.0, 2.2); }),
              (Rgb{R[128], G[128], B[128]}));
}

TEST(LookupTables, GammaOutsideTheDialogRangeIsClamped)
{
    TLut Low, Clamped;
    MakeGammaTable(0.1, Low);
    MakeGammaTable(0.75, Clamped);
    EXPECT_EQ(Low, Clamped);
    MakeGammaTable(std::numeric_limits<double>::quiet_NaN(), Low);
    MakeGammaTable(2.2, Clamped);
    EXPECT_EQ(Low, Clamped);
}

TEST(LookupTables, BrightnessAddsAndClamps)
{
    const std::vector<int> Up = Mapped([](TFvDIB& I) { BrightnessCorrection(I, 100); });
    EXPECT_EQ(Up[0], 100);
    EXPECT_EQ(Up[155], 255);
    EXPECT_EQ(Up[200], 255);
    const std::vector<int> Clamped = Mapped([](TFvDIB& I) { BrightnessCorrection(I, 1000); });
    EXPECT_EQ(Clamped, Up);
    EXPECT_EQ(Apply1({10, 120, 250}, [](TFvDIB& I) { BrightnessCorrection(I, -20); }), (Rgb{0, 100, 230}));
}

TEST(LookupTables, ContrastFullyDownIsUniform128)
{
    auto Image = MakeNoise(19, 7);
    ContrastCorrection(*Image, -100);
    for (const Rgb& c : Pixels(*Image))
        ASSERT_EQ(c, (Rgb{128, 128, 128}));
}

TEST(LookupTables, ContrastStretchesAndSqueezesAroundTheMiddle)
{
    const std::vector<int> T = Mapped([](TFvDIB& I) { ContrastCorrection(I, 100); });
    EXPECT_EQ(T[127], 126);
    EXPECT_EQ(T[128], 128);
    for (int i = 0; i <= 64; ++i)
        EXPECT_EQ(T[i], 0) << i;
    for (int i = 192; i <= 255; ++i)
        EXPECT_EQ(T[i], 255) << i;
    // Half strength tells the middle 127.5 from 128, around which these inputs
    // would round from ties: 50 maps i to Round(1.5 i - 63.75), -50 to Round(0.5 i + 63.75).
    const std::vector<int> Up = Mapped([](TFvDIB& I) { ContrastCorrection(I, 50); });
    EXPECT_EQ(Up[42], 0);
    EXPECT_EQ(Up[43], 1);
    EXPECT_EQ(Up[103], 91);
    EXPECT_EQ(Up[127], 127);
    EXPECT_EQ(Up[128], 128);
    const std::vector<int> Down = Mapped([](TFvDIB& I) { ContrastCorrection(I, -50); });
    EXPECT_EQ(Down[3], 65);
    EXPECT_EQ(Down[255], 191);
}

TEST(LookupTables, ColorBalanceOffsetsEachChannel)
{
    EXPECT_EQ(Apply1({100, 100, 100}, [](TFvDIB& I) { ColorBalance(I, 200, -50, -255); }), (Rgb{255, 50, 0}));
    EXPECT_EQ(Apply1({100, 100, 100}, [](TFvDIB& I) { ColorBalance(I, 999, -999, 0); }), (Rgb{255, 0, 100}));
    // The full offsets, in both directions, on every channel.
    EXPECT_EQ(Apply1({0, 255, 0}, [](TFvDIB& I) { ColorBalance(I, 255, -255, 255); }), (Rgb{255, 0, 255}));
    EXPECT_EQ(Apply1({255, 0, 255}, [](TFvDIB& I) { ColorBalance(I, -255, 255, -255); }), (Rgb{0, 255, 0}));
}

TEST(LookupTables, PosterizationLevels)
{
    TLut T;
    MakePosterizationTable(2, T);
    EXPECT_EQ(T[127], 0);
    EXPECT_EQ(T[128], 255);
    MakePosterizationTable(3, T);
    EXPECT_EQ(T[84], 0);
    EXPECT_EQ(T[85], 128);
    EXPECT_EQ(T[170], 128);
    EXPECT_EQ(T[171], 255);
    MakePosterizationTable(4, T);
    EXPECT_EQ(T[63], 0);
    EXPECT_EQ(T[64], 86);
    EXPECT_EQ(T[127], 86);
    EXPECT_EQ(T[128], 170);
    EXPECT_EQ(T[191], 170);
    EXPECT_EQ(T[192], 255);
    MakePosterizationTable(16, T);
    const std::set<int> Levels(T.begin(), T.end());
    EXPECT_EQ(Levels, (std::set<int>{0, 18, 34, 52, 68, 86, 102, 120, 136, 154, 170, 188, 204, 222, 238, 255}));
    MakePosterizationTable(255, T);
    EXPECT_EQ(T[0], 0);
    EXPECT_EQ(T[1], 2);
    EXPECT_EQ(T[2], 3);
    EXPECT_EQ(T[255], 255);
}

TEST(LookupTables, PosterizationBelowTwoLevelsIsTwoLevels)
{
    TLut Two, Fewer;
    MakePosterizationTable(2, Two);
    for (int Levels : {1, 0, -5}) {
        MakePosterizationTable(Levels, Fewer);
        EXPECT_EQ(Fewer, Two) << Levels;
    }
    MakePosterizationTable(1000, Fewer);
    MakePosterizationTable(255, Two);
    EXPECT_EQ(Fewer, Two);
}

TEST(LookupTables, PosterizeMapsEachChannelThroughItsOwnTable)
{
    EXPECT_EQ(Apply1({127, 64, 1}, [](TFvDIB& I) { Posterize(I, 2, 4, 255); }), (Rgb{0, 86, 2}));
}

TEST(LookupTables, SolarizationFoldsAtTheMiddle)
{
    const std::vector<int> Max = Mapped([](TFvDIB& I) { Solarization(I, true); });
    EXPECT_EQ(Max[0], 255);
    EXPECT_EQ(Max[255], 255);
    EXPECT_EQ(Max[127], 128);
    const std::vector<int> Min = Mapped([](TFvDIB& I) { Solarization(I, false); });
    EXPECT_EQ(Min[0], 0);
    EXPECT_EQ(Min[255], 0);
    EXPECT_EQ(Min[128], 127);
}

TEST(LookupTables, ApplyLutMapsEveryChannelAndLumaLutUsesTheOldLuma)
{
    TLut Table;
    for (int i = 0; i < 256; ++i)
        Table[i] = static_cast<uint8_t>(i / 2);
    EXPECT_EQ(Apply1({200, 100, 51}, [&](TFvDIB& I) { ApplyLut(I, Table); }), (Rgb{100, 50, 25}));

    TLut R, G, B;
    for (int i = 0; i < 256; ++i) {
        R[i] = static_cast<uint8_t>(i);
        G[i] = static_cast<uint8_t>(255 - i);
        B[i] = 7;
    }
    const int Y = Luma(200, 100, 51);
    EXPECT_EQ(Apply1({200, 100, 51}, [&](TFvDIB& I) { ApplyLumaLut(R, G, B, I); }), (Rgb{Y, 255 - Y, 7}));
}

TEST(LookupTables, TablesApplyToEveryByteOfWideRows)
{
    // Widths around the 64-byte and 64-pixel steps of the vector paths.
    for (int W : {21, 22, 63, 64, 65, 130, 301}) {
        TLut R, G, B;
        MakePosterizationTable(5, R);
        MakePosterizationTable(16, G);
        MakeGammaTable(1.3, B);
        auto Image = MakeNoise(W, 3, static_cast<uint32_t>(W));
        const std::vector<Rgb> Before = Pixels(*Image);
        Posterize(*Image, 5, 16, 255);
        TLut Last;
        MakePosterizationTable(255, Last);
        std::vector<Rgb> After = Pixels(*Image);
        for (size_t i = 0; i < Before.size(); ++i)
            ASSERT_EQ(After[i], (Rgb{R[Before[i].R], G[Before[i].G], Last[Before[i].B]})) << W << " " << i;

        Image = MakeNoise(W, 3, static_cast<uint32_t>(W));
        GammaCorrection(*Image, 1.3);
        After = Pixels(*Image);
        for (size_t i = 0; i < Before.size(); ++i)
            ASSERT_EQ(After[i], (Rgb{B[Before[i].R], B[Before[i].G], B[Before[i].B]})) << W << " " << i;
    }
}

TEST(LookupTables, LumaLutMatchesThePlainLumaOnEveryPixel)
{
    TLut R, G, B;
    for (int i = 0; i < 256; ++i) {
        R[i] = static_cast<uint8_t>(i * 7);
        G[i] = static_cast<uint8_t>(255 - i);
        B[i] = static_cast<uint8_t>(i / 3);
    }
    auto Image = MakeNoise(1100, 5);
    const std::vector<Rgb> Before = Pixels(*Image);
    ApplyLumaLut(R, G, B, *Image);
    const std::vector<Rgb> After = Pixels(*Image);
    for (size_t i = 0; i < Before.size(); ++i) {
        const int Y = Luma(Before[i].R, Before[i].G, Before[i].B);
        ASSERT_EQ(After[i], (Rgb{R[Y], G[Y], B[Y]})) << i;
    }
}

TEST(LookupTables, ImagesThatAreNot24BitAreRefused)
{
    TFvDIB Image;
    Image.SetBitCount(8);
    Image.SetWidth(4);
    Image.SetHeight(4);
    EXPECT_THROW(Negative(Image), EInvalidGraphicOperation);
    EXPECT_THROW(GammaCorrection(Image, 1.0), EInvalidGraphicOperation);
}

} // namespace
