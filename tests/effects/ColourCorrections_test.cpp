#include "effects/AutoLevel.h"
#include "effects/ColorModels.h"
#include "effects/HlsCorrection.h"
#include "effects/LmsCorrection.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

uint32_t Packed(Rgb c)
{
    return (static_cast<uint32_t>(c.R) << 16) | (static_cast<uint32_t>(c.G) << 8) | static_cast<uint32_t>(c.B);
}

struct Hls {
    int H, S, L;
    bool operator==(const Hls&) const = default;
};

Hls ToHls(Rgb c)
{
    Hls Out;
    RgbToHls(Packed(c), Out.H, Out.S, Out.L);
    return Out;
}

Rgb FromHls(int H, int S, int L)
{
    uint8_t p[3];
    HlsToRgb(p, H, S, L);
    return Rgb{p[2], p[1], p[0]};
}

TEST(ColorModels, HlsOfPrimariesAndGreys)
{
    EXPECT_EQ(ToHls({255, 0, 0}), (Hls{0, 100, 50}));
    EXPECT_EQ(ToHls({0, 255, 0}), (Hls{120, 100, 50}));
    EXPECT_EQ(ToHls({0, 0, 255}), (Hls{240, 100, 50}));
    EXPECT_EQ(ToHls({10, 10, 10}), (Hls{0, 0, 3}));
    EXPECT_EQ(ToHls({255, 255, 255}), (Hls{0, 0, 100}));
    // Magenta: red is the maximum and the hue wraps below zero.
    EXPECT_EQ(ToHls({255, 0, 255}).H, 300);
}

TEST(ColorModels, HlsBackToRgb)
{
    EXPECT_EQ(FromHls(0, 100, 50), (Rgb{255, 0, 0}));
    EXPECT_EQ(FromHls(120, 100, 50), (Rgb{0, 255, 0}));
    EXPECT_EQ(FromHls(240, 100, 50), (Rgb{0, 0, 255}));
    EXPECT_EQ(FromHls(0, 0, 3), (Rgb{8, 8, 8}));
    EXPECT_EQ(FromHls(0, 0, 100), (Rgb{255, 255, 255}));
    // A hue outside one turn is taken modulo 360.
    EXPECT_EQ(FromHls(480, 100, 50), FromHls(120, 100, 50));
    EXPECT_EQ(FromHls(-120, 100, 50), FromHls(240, 100, 50));
}

TEST(ColorModels, YCbCrRoundTripOfGreyLosesBlue)
{
    int Y, Cr, Cb;
    RgbToYCbCr(Packed({128, 128, 128}), Y, Cr, Cb);
    EXPECT_EQ(Y, 128);
    EXPECT_EQ(Cr, 128);
    EXPECT_EQ(Cb, 127);
    uint8_t p[3];
    YCbCrToRgb(p, Y, Cr, Cb);
    EXPECT_EQ((Rgb{p[2], p[1], p[0]}), (Rgb{128, 128, 126}));
}

TEST(ColorModels, LmsRoundTripLosesOneStepOfRed)
{
    auto Trip = [](Rgb c) {
        uint32_t L, M, S;
        RgbToLms(Packed(c), L, M, S);
        uint8_t p[3];
        LmsToRgb(p, static_cast<int>(L), static_cast<int>(M), static_cast<int>(S));
        return Rgb{p[2], p[1], p[0]};
    };
    EXPECT_EQ(Trip({255, 255, 255}), (Rgb{254, 255, 255}));
    EXPECT_EQ(Trip({128, 128, 128}), (Rgb{127, 128, 128}));
    EXPECT_EQ(Trip({0, 0, 0}), (Rgb{0, 0, 0}));
}

TEST(ColorModels, LmsToRgbClampsHugeAndNegativeSums)
{
    uint8_t p[3];
    LmsToRgb(p, 2000000000, 0, 0);
    EXPECT_EQ((Rgb{p[2], p[1], p[0]}), (Rgb{255, 0, 255}));
    LmsToRgb(p, -2000000000, 0, 0);
    EXPECT_EQ((Rgb{p[2], p[1], p[0]}), (Rgb{0, 255, 0}));
}

TEST(HlsCorrection, NeutralCallIsLossy)
{
    EXPECT_EQ(Apply1({10, 10, 10}, [](TFvDIB& I) { HlsCorrection(I, 0, 0, 0); }), (Rgb{8, 8, 8}));
}

TEST(HlsCorrection, FullTurnOfHueIsNoTurn)
{
    auto A = MakeNoise(29, 13);
    auto B = MakeNoise(29, 13);
    HlsCorrection(*A, 0, 0, 0);
    HlsCorrection(*B, 360, 0, 0);
    EXPECT_EQ(Pixels(*A), Pixels(*B));
}

TEST(HlsCorrection, HueShiftTurnsPrimaries)
{
    EXPECT_EQ(Apply1({255, 0, 0}, [](TFvDIB& I) { HlsCorrection(I, 120, 0, 0); }), (Rgb{0, 255, 0}));
    EXPECT_EQ(Apply1({0, 0, 255}, [](TFvDIB& I) { HlsCorrection(I, 240, 0, 0); }), (Rgb{0, 255, 0}));
}

TEST(HlsCorrection, LightnessAndSaturationScaleAndCap)
{
    // Lightness 50 doubled is 100: white.
    EXPECT_EQ(Apply1({255, 0, 0}, [](TFvDIB& I) { HlsCorrection(I, 0, 100, 0); }), (Rgb{255, 255, 255}));
    EXPECT_EQ(Apply1({255, 0, 0}, [](TFvDIB& I) { HlsCorrection(I, 0, -100, 0); }), (Rgb{0, 0, 0}));
    EXPECT_EQ(Apply1({255, 0, 0}, [](TFvDIB& I) { HlsCorrection(I, 0, 0, -100); }), (Rgb{128, 128, 128}));
    // Out-of-range arguments act as the ends of their ranges.
    EXPECT_EQ(Apply1({255, 0, 0}, [](TFvDIB& I) { HlsCorrection(I, 0, 500, 0); }), (Rgb{255, 255, 255}));
    EXPECT_EQ(Apply1({200, 40, 90}, [](TFvDIB& I) { HlsCorrection(I, -30, 0, 0); }),
              Apply1({200, 40, 90}, [](TFvDIB& I) { HlsCorrection(I, 0, 0, 0); }));
}

TEST(HlsCorrection, MatchesThePlainConversionsOnEveryPixel)
{
    // Noise with greys (saturation 0), white (lightness 100) and a full
    // saturation among it; the arguments beyond their ranges act as the ends.
    auto Source = MakeNoise(241, 39, 5);
    auto Mixed = MakeImage(241, 39, [&](int x, int y) {
        const Rgb c = PixelAt(*Source, x, y);
        return x % 4 == 1 ? Rgb{c.G, c.G, c.G} : x == 3 && y == 2 ? Rgb{255, 255, 255} : x == 5 ? Rgb{c.R, 0, 255} : c;
    });
    const std::vector<Rgb> Before = Pixels(*Mixed);
    for (auto [H, L, S] : {std::tuple{30, -40, 25}, {350, 37, -63}, {0, 0, 100}, {360, -100, -100}, {1, 100, 0},
                           {400, -150, 150}, {-20, 20, -150}}) {
        auto Image = MakeImage(241, 39, [&](int x, int y) { return Before[241 * y + x]; });
        HlsCorrection(*Image, H, L, S);
        const std::vector<Rgb> After = Pixels(*Image);
        const long double dL = std::clamp(L, -100, 100) / 100.0L, dS = std::clamp(S, -100, 100) / 100.0L;
        for (size_t i = 0; i < Before.size(); ++i) {
            Hls c = ToHls(Before[i]);
            c.H = (c.H + std::clamp(H, 0, 360)) % 360;
            c.L = std::min<int>(static_cast<int>((dL + 1) * c.L), 100);
            c.S = std::min<int>(static_cast<int>((dS + 1) * c.S), 100);
            ASSERT_EQ(After[i], FromHls(c.H, c.S, c.L)) << i << " " << H << "/" << L << "/" << S;
        }
    }
}

TEST(LmsCorrection, FullConesKeepWhiteNearlyAndBlackExactly)
{
    for (bool Average : {false, true}) {
        EXPECT_EQ(Apply1({255, 255, 255}, [&](TFvDIB& I) { LmsCorrection(I, 100, 100, 100, Average); }),
                  (Rgb{254, 255, 255}));
        EXPECT_EQ(Apply1({0, 0, 0}, [&](TFvDIB& I) { LmsCorrection(I, 100, 100, 100, Average); }), (Rgb{0, 0, 0}));
        EXPECT_EQ(Apply1({128, 128, 128}, [&](TFvDIB& I) { LmsCorrection(I, 100, 100, 100, Average); }),
                  (Rgb{127, 128, 128}));
    }
}

TEST(LmsCorrection, NoConesWithoutAverageIsBlack)
{
    auto Image = MakeNoise(17, 5);
    LmsCorrection(*Image, 0, 0, 0, false);
    for (const Rgb& c : Pixels(*Image))
        ASSERT_EQ(c, (Rgb{0, 0, 0}));
}

TEST(LmsCorrection, AverageBlendsEachConeFromTheUpdatedOthers)
{
    const Rgb In{180, 60, 20};
    uint32_t l, m, s;
    RgbToLms(Packed(In), l, m, s);
    l = (m + s) / 2;
    m = (s + l) / 2;
    s = (l + m) / 2;
    uint8_t p[3];
    LmsToRgb(p, static_cast<int>(l), static_cast<int>(m), static_cast<int>(s));
    EXPECT_EQ(Apply1(In, [](TFvDIB& I) { LmsCorrection(I, 0, 0, 0, true); }), (Rgb{p[2], p[1], p[0]}));
    // Cones beyond 100 per cent are 100 per cent.
    EXPECT_EQ(Apply1(In, [](TFvDIB& I) { LmsCorrection(I, 400, 100, 100, true); }),
              Apply1(In, [](TFvDIB& I) { LmsCorrection(I, 100, 100, 100, true); }));
}

TEST(LmsCorrection, MatchesThePlainConversionsOnEveryPixel)
{
    for (auto [L, M, S] : {std::tuple{100, 100, 100}, {50, 75, 25}, {0, 0, 0}, {33, 100, 1}}) {
        for (bool Average : {false, true}) {
            auto Image = MakeNoise(300, 211, static_cast<uint32_t>(L + M + S));
            const std::vector<Rgb> Before = Pixels(*Image);
            LmsCorrection(*Image, L, M, S, Average);
            const std::vector<Rgb> After = Pixels(*Image);
            const uint32_t aL = L * 1024 / 100, aM = M * 1024 / 100, aS = S * 1024 / 100;
            for (size_t i = 0; i < Before.size(); ++i) {
                uint32_t l, m, s;
                RgbToLms(Packed(Before[i]), l, m, s);
                if (Average) {
                    l = ((((1024 - aL) * (m + s)) >> 1) + aL * l) >> 10;
                    m = ((((1024 - aM) * (s + l)) >> 1) + aM * m) >> 10;
                    s = ((((1024 - aS) * (l + m)) >> 1) + aS * s) >> 10;
                } else {
                    l = (aL * l) >> 10;
                    m = (aM * m) >> 10;
                    s = (aS * s) >> 10;
                }
                uint8_t p[3];
                LmsToRgb(p, static_cast<int>(l), static_cast<int>(m), static_cast<int>(s));
                ASSERT_EQ(After[i], (Rgb{p[2], p[1], p[0]})) << i;
            }
        }
    }
}

// The plain two passes over whole pixels.
std::vector<Rgb> PlainAutoLevel(const std::vector<Rgb>& In, int W, int H)
{
    const int64_t Cut = std::llrint((static_cast<int64_t>(W) - 1) * (H - 1) * 0.015L);
    int64_t Histogram[256] = {};
    for (const Rgb& c : In) {
        int Y, Cr, Cb;
        RgbToYCbCr(Packed(c), Y, Cr, Cb);
        ++Histogram[Y];
    }
    int Low = 0, High = 255;
    for (int64_t Sum = 0; Low < 255 && (Sum += Histogram[Low]) <= Cut; ++Low) {
    }
    for (int64_t Sum = 0; High > 0 && (Sum += Histogram[High]) <= Cut; --High) {
    }
    const float Scale = 255.0L / (High - Low + 1);
    std::vector<Rgb> Out;
    for (const Rgb& c : In) {
        int Y, Cr, Cb;
        RgbToYCbCr(Packed(c), Y, Cr, Cb);
        uint8_t p[3];
        YCbCrToRgb(p, RoundToByte(static_cast<float>((Y - Low) * static_cast<long double>(Scale))), Cr, Cb);
        Out.push_back(Rgb{p[2], p[1], p[0]});
    }
    return Out;
}

TEST(AutoLevel, MatchesThePlainPassesOnEveryPixel)
{
    for (uint32_t Seed : {1u, 2u, 3u}) {
        // Noise squeezed into a narrow luma range so that the stretch is large.
        auto Image = MakeImage(613, 9, [Seed](int x, int y) {
            const uint32_t v = (static_cast<uint32_t>(x) * 2654435761u + static_cast<uint32_t>(y) * 40503u) ^ Seed;
            return Rgb{60 + static_cast<int>(v % 90), 70 + static_cast<int>((v >> 8) % 80), 50 + static_cast<int>((v >> 16) % 120)};
        });
        const std::vector<Rgb> Expected = PlainAutoLevel(Pixels(*Image), 613, 9);
        AutoLevel(*Image);
        ASSERT_EQ(Pixels(*Image), Expected) << Seed;
    }
    auto Image = MakeNoise(700, 6);
    const std::vector<Rgb> Expected = PlainAutoLevel(Pixels(*Image), 700, 6);
    AutoLevel(*Image);
    EXPECT_EQ(Pixels(*Image), Expected);

    // Every colour whose luma is a whole number, where the extended evaluation decides.
    std::vector<Rgb> Whole;
    for (int R = 0; R < 256; ++R)
        for (int G = 0; G < 256; ++G)
            for (int B = 0; B < 256; ++B)
                if ((299 * R + 587 * G + 114 * B) % 1000 == 0)
                    Whole.push_back(Rgb{R, G, B});
    const int Width = 601, Height = static_cast<int>(Whole.size() / Width);
    auto Lumas = MakeImage(Width, Height, [&](int x, int y) { return Whole[static_cast<size_t>(y) * Width + x]; });
    const std::vector<Rgb> Stretched = PlainAutoLevel(Pixels(*Lumas), Width, Height);
    AutoLevel(*Lumas);
    EXPECT_EQ(Pixels(*Lumas), Stretched);
    // A colour whose luma the extended evaluation puts a step below the quotient, beside a grey
    // two steps above it: that step is the stretch's lower end.
    const Rgb Lower = *std::find_if(Whole.begin(), Whole.end(), [](Rgb c) {
        int Y, Cr, Cb;
        RgbToYCbCr(Packed(c), Y, Cr, Cb);
        return Y != (299 * c.R + 587 * c.G + 114 * c.B) / 1000;
    });
    int Y, Cr, Cb;
    RgbToYCbCr(Packed(Lower), Y, Cr, Cb);
    auto Two = MakeImage(2, 2, [&](int x, int) { return x == 0 ? Lower : Rgb{Y + 2, Y + 2, Y + 2}; });
    const std::vector<Rgb> Ends = PlainAutoLevel(Pixels(*Two), 2, 2);
    AutoLevel(*Two);
    EXPECT_EQ(Pixels(*Two), Ends);
}

TEST(AutoLevel, FullRangeStillLosesTheTopStep)
{
    // Black and white halves: Low 0, High 255, Scale 255/256.
    auto Image = MakeImage(10, 10, [](int x, int) { return x < 5 ? Rgb{0, 0, 0} : Rgb{255, 255, 255}; });
    AutoLevel(*Image);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(*Image, 9, 9), (Rgb{254, 254, 252}));
}

TEST(AutoLevel, GreyInAFullRangeImage)
{
    auto Image = MakeImage(10, 10, [](int x, int y) {
        if (y == 5 && x == 5)
            return Rgb{128, 128, 128};
        return x < 5 ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    });
    AutoLevel(*Image);
    EXPECT_EQ(PixelAt(*Image, 5, 5), (Rgb{128, 128, 126}));
}

TEST(AutoLevel, OneLumaBecomesZeroKeepingChroma)
{
    auto Grey = MakeUniform(6, 4, {90, 90, 90});
    AutoLevel(*Grey);
    for (const Rgb& c : Pixels(*Grey))
        ASSERT_EQ(c, (Rgb{0, 0, 0}));

    auto Red = MakeUniform(6, 4, {200, 0, 0});
    AutoLevel(*Red);
    int Y, Cr, Cb;
    RgbToYCbCr(Packed({200, 0, 0}), Y, Cr, Cb);
    uint8_t p[3];
    YCbCrToRgb(p, 0, Cr, Cb);
    EXPECT_EQ(PixelAt(*Red, 3, 2), (Rgb{p[2], p[1], p[0]}));
}

TEST(AutoLevel, ThinImagesCutNothing)
{
    // One column: the cut is 0, so the extreme lumas themselves are Low and High.
    auto Image = MakeImage(1, 3, [](int, int y) { return Rgb{y * 100, y * 100, y * 100}; });
    AutoLevel(*Image);
    int Y, Cr, Cb;
    RgbToYCbCr(Packed({200, 200, 200}), Y, Cr, Cb);
    // Low 0, High the luma of grey 200.
    const float Scale = 255.0L / (Y + 1);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{0, 0, 0}));
    uint8_t p[3];
    YCbCrToRgb(p, RoundToByte(static_cast<float>(Y * static_cast<long double>(Scale))), Cr, Cb);
    EXPECT_EQ(PixelAt(*Image, 0, 2), (Rgb{p[2], p[1], p[0]}));
}

} // namespace
