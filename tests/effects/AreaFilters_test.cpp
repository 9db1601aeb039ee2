#include "PixelGrid.h"

#include "effects/GaussianBlur.h"
#include "effects/Kuwahara.h"
#include "effects/MotionBlur.h"
#include "effects/NeighbourhoodFilter.h"
#include "effects/OilPaint.h"
#include "effects/Rotation.h"
#include "effects/RowBands.h"
#include "effects/Sharpen.h"
#include "effects/Soften.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace {

// The slow, obvious forms of the filters, pixel by pixel as they are
// defined; the real ones slide sums and histograms.
using TPixelFn = std::function<Rgb(TFvDIB& Source, int x, int y)>;

std::vector<Rgb> Oracle(TFvDIB& Source, const TPixelFn& Fn)
{
    std::vector<Rgb> Out;
    for (int y = 0; y < Source.Height(); ++y)
        for (int x = 0; x < Source.Width(); ++x)
            Out.push_back(Fn(Source, x, y));
    return Out;
}

int Channel(TFvDIB& Image, int x, int y, int c)
{
    return Image.ScanLine(y)[x * 3 + c];
}

Rgb FromBgr(const int* v)
{
    return Rgb{v[2], v[1], v[0]};
}

Rgb SoftenPixel(TFvDIB& S, int x, int y, int Radius)
{
    int Sum[3] = {}, n = 0;
    for (int r = y - Radius; r <= y + Radius; ++r)
        for (int c = x - Radius; c <= x + Radius; ++c)
            if (r >= 0 && r < S.Height() && c >= 0 && c < S.Width()) {
                for (int k = 0; k < 3; ++k)
                    Sum[k] += Channel(S, c, r, k);
                ++n;
            }
    for (int& v : Sum)
        v /= n;
    return FromBgr(Sum);
}

Rgb GaussianPixel(TFvDIB& S, int x, int y, int Value)
{
    const long double Rho = Value / 10.0L;
    const int Radius = static_cast<int>(3 * Rho);
    int Sum[3] = {}, Total = 0;
    const int Last = S.Width() - 1;
    for (int k = -Radius; k <= Radius; ++k) {
        const int w = static_cast<int>(16 * std::exp(-static_cast<long double>(k * k) / (2 * Rho * Rho)));
        int c = x + k;
        if (c < 0)
            c = -c;
        if (c > Last)
            c = 2 * Last - c;
        c = std::clamp(c, 0, Last);
        for (int j = 0; j < 3; ++j)
            Sum[j] += w * Channel(S, c, y, j);
        Total += w;
    }
    for (int& v : Sum)
        v /= Total;
    return FromBgr(Sum);
}

int MotionFold(int64_t V, int Last)
{
    if (V > Last)
        V = 2 * static_cast<int64_t>(Last) - V;
    if (V < 0)
        V = -V;
    return static_cast<int>(std::clamp<int64_t>(V, 0, Last));
}

Rgb MotionPixel(TFvDIB& S, int x, int y, int Size, int Quality, double Angle)
{
    const long double c = std::cos(static_cast<long double>(Angle)), s = std::sin(static_cast<long double>(Angle));
    const int64_t dx = static_cast<int64_t>(c / Quality * 65536), dy = static_cast<int64_t>(s / Quality * 65536);
    int64_t fx = static_cast<int64_t>((x - Size * c) * 65536), fy = static_cast<int64_t>((y - Size * s) * 65536);
    const int N = 2 * Size * Quality;
    int Sum[3] = {};
    for (int k = 0; k < N; ++k) {
        const int X = MotionFold(fx >> 16, S.Width() - 1), Y = MotionFold(fy >> 16, S.Height() - 1);
        for (int j = 0; j < 3; ++j)
            Sum[j] += Channel(S, X, Y, j);
        fx += dx;
        fy += dy;
    }
    for (int& v : Sum)
        v /= N;
    return FromBgr(Sum);
}

Rgb OilPixel(TFvDIB& S, int x, int y, int Block, int ColourIndex)
{
    const int Levels = 4 << ColourIndex, Shift = 6 - ColourIndex;
    int Result[3];
    for (int j = 0; j < 3; ++j) {
        std::vector<int> Hist(257, 0);
        auto Window = [&](auto Visit) {
            for (int r = y - Block; r <= y + Block; ++r)
                for (int c = x - Block; c <= x + Block; ++c)
                    if (r >= 0 && r < S.Height() && c >= 0 && c < S.Width())
                        Visit(Channel(S, c, r, j));
        };
        Window([&](int v) { ++Hist[v >> Shift]; });
        int Best = 0;
        for (int b = 0; b <= Levels; ++b)
            if (Hist[b] > Hist[Best])
                Best = b;
        int Sum = 0, Count = 0;
        Window([&](int v) {
            if (v >> Shift == Best) {
                Sum += v;
                ++Count;
            }
        });
        Result[j] = Sum / Count;
    }
    return FromBgr(Result);
}

int KuwaharaFold(int v, int Last)
{
    if (v < 0)
        v = -v;
    if (v > Last)
        v = 2 * Last + 1 - v;
    return std::clamp(v, 0, Last);
}

Rgb KuwaharaPixel(TFvDIB& S, int x, int y, int Block)
{
    const int W = S.Width(), H = S.Height();
    // Quadrant origins (upper-left pixel) in the order 0 to 3.
    const int Ox[4] = {x - Block, x, x, x - Block};
    const int Oy[4] = {y - Block, y - Block, y, y};
    int Best = 1000, Chosen = 0;
    for (int q = 0; q < 4; ++q) {
        int Score = 1000;
        if (Ox[q] >= 0 && Oy[q] >= 0 && Ox[q] + Block < W && Oy[q] + Block < H) {
            Score = 0;
            for (int j = 0; j < 3; ++j) {
                int Lo = 255, Hi = 0;
                for (int r = Oy[q]; r <= Oy[q] + Block; ++r)
                    for (int c = Ox[q]; c <= Ox[q] + Block; ++c) {
                        Lo = std::min(Lo, Channel(S, c, r, j));
                        Hi = std::max(Hi, Channel(S, c, r, j));
                    }
                Score += Hi - Lo;
            }
        }
        if (Score < Best) {
            Best = Score;
            Chosen = q;
        }
    }
    int Sum[3] = {};
    for (int r = Oy[Chosen]; r <= Oy[Chosen] + Block; ++r)
        for (int c = Ox[Chosen]; c <= Ox[Chosen] + Block; ++c)
            for (int j = 0; j < 3; ++j)
                Sum[j] += Channel(S, KuwaharaFold(c, W - 1), KuwaharaFold(r, H - 1), j);
    for (int& v : Sum)
        v /= (Block + 1) * (Block + 1);
    return FromBgr(Sum);
}

const std::pair<int, int> Sizes[] = {{1, 1}, {2, 3}, {5, 4}, {1, 9}, {13, 11}, {29, 22}, {67, 45}};

void ExpectOracle(const std::function<void(TFvDIB&)>& Filter, const TPixelFn& Pixel, const std::string& What)
{
    for (auto [W, H] : Sizes) {
        auto Source = MakeNoise(W, H, static_cast<uint32_t>(W * 31 + H));
        auto Image = MakeNoise(W, H, static_cast<uint32_t>(W * 31 + H));
        Filter(*Image);
        EXPECT_EQ(Pixels(*Image), Oracle(*Source, Pixel)) << What << " " << W << "x" << H;
    }
}

TEST(AreaFilters, SoftenMatchesTheWindowWalk)
{
    for (int Radius : {1, 2, 7}) {
        ExpectOracle([&](TFvDIB& I) { Soften(I, Radius); },
                     [&](TFvDIB& S, int x, int y) { return SoftenPixel(S, x, y, Radius); },
                     "radius " + std::to_string(Radius));
    }
}

TEST(AreaFilters, SoftenKeepsUniformImagesAndSinglePixels)
{
    auto U = MakeUniform(9, 7, {12, 200, 99});
    Soften(*U, 7);
    EXPECT_EQ(Pixels(*U), Pixels(*MakeUniform(9, 7, {12, 200, 99})));
    auto One = MakeUniform(1, 1, {1, 2, 3});
    Soften(*One, 3);
    EXPECT_EQ(PixelAt(*One, 0, 0), (Rgb{1, 2, 3}));
}

TEST(AreaFilters, GaussianPassMatchesThePixelSum)
{
    for (int Value : {1, 5, 10, 23, 37, 50})
        ExpectOracle([&](TFvDIB& I) { GaussianBlurPass(I, Value); },
                     [&](TFvDIB& S, int x, int y) { return GaussianPixel(S, x, y, Value); },
                     "value " + std::to_string(Value));
}

// Row of one white pixel at 40 in black: the output shows the weights over their total.
std::vector<int> GaussianImpulse(int Value)
{
    auto Image = MakeImage(81, 1, [](int x, int) { return x == 40 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
    GaussianBlurPass(*Image, Value);
    std::vector<int> Out;
    for (int x = 40; x <= 45; ++x)
        Out.push_back(PixelAt(*Image, x, 0).R);
    return Out;
}

TEST(AreaFilters, GaussianWeights)
{
    // Value 10: 16, 9, 2, 0 over 38.
    EXPECT_EQ(GaussianImpulse(10), (std::vector<int>{107, 60, 13, 0, 0, 0}));
    // Value 50: total 186.
    EXPECT_EQ(GaussianImpulse(50), (std::vector<int>{21, 20, 19, 17, 15, 12}));
    for (int Value : {1, 2, 3, 4}) {
        auto Image = MakeNoise(17, 5);
        GaussianBlurPass(*Image, Value);
        EXPECT_EQ(Pixels(*Image), Pixels(*MakeNoise(17, 5))) << Value;
    }
    // Value 5 (16, 2): the missing left neighbour of pixel 0 is pixel 1.
    auto Row = MakeImage(4, 1, [](int x, int) { return Rgb{x == 0 ? 100 : 7, 0, 0}; });
    GaussianBlurPass(*Row, 5);
    EXPECT_EQ(PixelAt(*Row, 0, 0).R, (16 * 100 + 4 * 7) / 20);
}

TEST(AreaFilters, GaussianBlurIsTwoPassesAroundATurn)
{
    for (auto [W, H] : Sizes)
        for (int Value : {4, 10, 50}) {
            auto ByTurns = MakeNoise(W, H, 4);
            GaussianBlurPass(*ByTurns, Value);
            Rotate90(*ByTurns, false);
            GaussianBlurPass(*ByTurns, Value);
            Rotate90(*ByTurns, true);
            auto Direct = MakeNoise(W, H, 4);
            GaussianBlur(*Direct, Value);
            EXPECT_EQ(Pixels(*Direct), Pixels(*ByTurns)) << W << "x" << H << " value " << Value;
        }
}

struct TMotionCase {
    int Size, Quality;
    double Degrees;
};

TEST(AreaFilters, MotionBlurMatchesTheSampleWalk)
{
    const TMotionCase Cases[] = {{1, 1, 0}, {3, 2, 40}, {20, 10, 90}, {5, 10, 245}, {7, 3, 180}, {20, 10, 45}, {2, 7, 333}, {20, 10, 0}, {20, 10, 3}};
    for (const TMotionCase& C : Cases) {
        const double Angle = C.Degrees * std::numbers::pi / 180;
        ExpectOracle([&](TFvDIB& I) { MotionBlurFilter(I, C.Size, C.Quality, Angle); },
                     [&](TFvDIB& S, int x, int y) { return MotionPixel(S, x, y, C.Size, C.Quality, Angle); },
                     "motion " + std::to_string(C.Size) + "/" + std::to_string(C.Quality) + "/" +
                         std::to_string(C.Degrees));
    }
}

TEST(AreaFilters, MotionBlurOfOneStepIsThePairMean)
{
    auto Row = MakeImage(5, 1, [](int x, int) { return Rgb{x * 50, 0, 0}; });
    MotionBlurFilter(*Row, 1, 1, 0.0);
    // Pixel 0 folds column -1 to 1.
    EXPECT_EQ(PixelAt(*Row, 0, 0).R, 25);
    EXPECT_EQ(PixelAt(*Row, 3, 0).R, 125);
}

TEST(AreaFilters, OilPaintMatchesTheHistogramWalk)
{
    for (auto [Block, Index] : {std::pair{1, 0}, {2, 3}, {3, 5}, {10, 5}, {10, 1}, {4, 4}})
        ExpectOracle([&](TFvDIB& I) { OilPaintFilter(I, static_cast<uint8_t>(Block), static_cast<uint8_t>(Index)); },
                     [&](TFvDIB& S, int x, int y) { return OilPixel(S, x, y, Block, Index); },
                     "oil " + std::to_string(Block) + "/" + std::to_string(Index));
}

TEST(AreaFilters, OilPaintAcrossManyStrips)
{
    auto Source = MakeNoise(1100, 9, 8);
    auto Image = MakeNoise(1100, 9, 8);
    OilPaintFilter(*Image, 3, 4);
    EXPECT_EQ(Pixels(*Image), Oracle(*Source, [](TFvDIB& S, int x, int y) { return OilPixel(S, x, y, 3, 4); }));
}

TEST(AreaFilters, OilPaintOf128LevelsPairs254And255)
{
    auto Image = MakeImage(2, 1, [](int x, int) { return x == 0 ? Rgb{254, 254, 254} : Rgb{255, 255, 255}; });
    OilPaintFilter(*Image, 1, 5);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{254, 254, 254}));
    EXPECT_EQ(PixelAt(*Image, 1, 0), (Rgb{254, 254, 254}));
}

TEST(AreaFilters, KuwaharaMatchesTheQuadrantWalk)
{
    for (int Block : {1, 2, 3, 6, 10})
        ExpectOracle([&](TFvDIB& I) { KuwaharaFilter(I, static_cast<uint8_t>(Block), 0); },
                     [&](TFvDIB& S, int x, int y) { return KuwaharaPixel(S, x, y, Block); },
                     "block " + std::to_string(Block));
    // Pictures that no quadrant fits: every pixel is its folded block's mean.
    for (uint32_t Seed = 1; Seed <= 8; ++Seed) {
        auto Source = MakeNoise(4, 4, Seed);
        auto Image = MakeNoise(4, 4, Seed);
        KuwaharaFilter(*Image, 4, 0);
        EXPECT_EQ(Pixels(*Image), Oracle(*Source, [](TFvDIB& S, int x, int y) { return KuwaharaPixel(S, x, y, 4); }))
            << Seed;
    }
}

TEST(AreaFilters, KuwaharaIgnoresMode)
{
    auto A = MakeNoise(12, 9);
    auto B = MakeNoise(12, 9);
    KuwaharaFilter(*A, 3, 0);
    KuwaharaFilter(*B, 3, 200);
    EXPECT_EQ(Pixels(*A), Pixels(*B));
}

TEST(AreaFilters, SharpenWeights)
{
    // Power 0.01, mode 0: -2 on four neighbours, 266 in the centre: a flat
    // area gains 258/256.
    auto U = MakeUniform(5, 5, {200, 100, 0});
    SharpenPower(*U, 0, 0.01);
    EXPECT_EQ(PixelAt(*U, 2, 2), (Rgb{201, 100, 0}));
    // Power 1, mode 0: the classic sharpen 5 x centre less the four sides.
    auto Dot = MakeImage(3, 3, [](int x, int y) { return x == 1 && y == 1 ? Rgb{40, 40, 40} : Rgb{10, 10, 10}; });
    SharpenPower(*Dot, 0, 1.0);
    EXPECT_EQ(PixelAt(*Dot, 1, 1).R, 5 * 40 - 4 * 10);
    // Mode 1 weighs the four diagonals alike; mode 2 all eight.
    auto Dot1 = MakeImage(3, 3, [](int x, int y) { return x == 1 && y == 1 ? Rgb{40, 40, 40} : Rgb{10, 10, 10}; });
    SharpenPower(*Dot1, 1, 1.0);
    EXPECT_EQ(PixelAt(*Dot1, 1, 1).R, 5 * 40 - 4 * 10);
    auto Dot2 = MakeImage(3, 3, [](int x, int y) { return x == 1 && y == 1 ? Rgb{40, 40, 40} : Rgb{10, 10, 10}; });
    SharpenPower(*Dot2, 2, 0.25);
    EXPECT_EQ(PixelAt(*Dot2, 1, 1).R, (3 * 256 * 40 - 64 * 8 * 10) / 256);
}

TEST(AreaFilters, OutOfRangeParametersAreClamped)
{
    auto Check = [](const std::function<void(TFvDIB&)>& Odd, const std::function<void(TFvDIB&)>& Clamped) {
        auto A = MakeNoise(15, 12);
        auto B = MakeNoise(15, 12);
        Odd(*A);
        Clamped(*B);
        EXPECT_EQ(Pixels(*A), Pixels(*B));
    };
    Check([](TFvDIB& I) { Soften(I, 0); }, [](TFvDIB& I) { Soften(I, 1); });
    Check([](TFvDIB& I) { Soften(I, 99); }, [](TFvDIB& I) { Soften(I, 7); });
    Check([](TFvDIB& I) { GaussianBlurPass(I, 0); }, [](TFvDIB& I) { GaussianBlurPass(I, 1); });
    Check([](TFvDIB& I) { GaussianBlurPass(I, 500); }, [](TFvDIB& I) { GaussianBlurPass(I, 50); });
    Check([](TFvDIB& I) { MotionBlurFilter(I, 0, 0, 1.0); }, [](TFvDIB& I) { MotionBlurFilter(I, 1, 1, 1.0); });
    Check([](TFvDIB& I) { MotionBlurFilter(I, 90, 90, 1.0); }, [](TFvDIB& I) { MotionBlurFilter(I, 20, 10, 1.0); });
    Check([](TFvDIB& I) { MotionBlurFilter(I, 3, 3, NAN); }, [](TFvDIB& I) { MotionBlurFilter(I, 3, 3, 0.0); });
    Check([](TFvDIB& I) { OilPaintFilter(I, 0, 9); }, [](TFvDIB& I) { OilPaintFilter(I, 1, 5); });
    Check([](TFvDIB& I) { OilPaintFilter(I, 200, 2); }, [](TFvDIB& I) { OilPaintFilter(I, 10, 2); });
    Check([](TFvDIB& I) { KuwaharaFilter(I, 0, 0); }, [](TFvDIB& I) { KuwaharaFilter(I, 1, 0); });
    Check([](TFvDIB& I) { SharpenPower(I, 7, 0.5); }, [](TFvDIB& I) { SharpenPower(I, 2, 0.5); });
    Check([](TFvDIB& I) { SharpenPower(I, -3, 0.5); }, [](TFvDIB& I) { SharpenPower(I, 0, 0.5); });
    // A power far beyond the dialog saturates the weights instead of wrapping.
    Check([](TFvDIB& I) { SharpenPower(I, 0, 1e30); }, [](TFvDIB& I) { SharpenPower(I, 0, 1e12); });
}

TEST(AreaFilters, BandsAcrossCoresGiveTheSameBytes)
{
    const std::vector<std::function<void(TFvDIB&)>> Filters = {
        [](TFvDIB& I) { Soften(I, 5); },
        [](TFvDIB& I) { GaussianBlurPass(I, 50); },
        [](TFvDIB& I) { GaussianBlur(I, 30); },
        [](TFvDIB& I) { MotionBlurFilter(I, 20, 10, 0.6); },
        [](TFvDIB& I) { OilPaintFilter(I, 10, 5); },
        [](TFvDIB& I) { KuwaharaFilter(I, 10, 0); },
        [](TFvDIB& I) { SharpenPower(I, 2, 3.0); },
        [](TFvDIB& I) { NeighbourhoodFilter(I, PixelMedian, nullptr); },
        [](TFvDIB& I) { NeighbourhoodFilter(I, ConvolveLaplacian3, nullptr); },
    };
    for (size_t f = 0; f < Filters.size(); ++f) {
        auto One = MakeNoise(240, 461, 9);
        auto Many = MakeNoise(240, 461, 9);
        SetEngineThreadCount(1);
        Filters[f](*One);
        SetEngineThreadCount(5);
        Filters[f](*Many);
        EXPECT_EQ(Pixels(*One), Pixels(*Many)) << "filter " << f;
    }
    SetEngineThreadCount(0);
}

TEST(AreaFilters, BandsShorterThanTheReach)
{
    // Wide and low: five bands of six rows, each reaching into several others.
    const std::vector<std::function<void(TFvDIB&)>> Filters = {
        [](TFvDIB& I) { GaussianBlur(I, 50); },
        [](TFvDIB& I) { MotionBlurFilter(I, 20, 3, 1.2); },
        [](TFvDIB& I) { KuwaharaFilter(I, 10, 0); },
    };
    for (size_t f = 0; f < Filters.size(); ++f) {
        auto One = MakeNoise(2000, 30, 6);
        auto Many = MakeNoise(2000, 30, 6);
        SetEngineThreadCount(1);
        Filters[f](*One);
        SetEngineThreadCount(5);
        Filters[f](*Many);
        EXPECT_EQ(Pixels(*One), Pixels(*Many)) << "filter " << f;
    }
    SetEngineThreadCount(0);
}

TEST(AreaFilters, RefuseImagesThatAreNot24Bit)
{
    TFvDIB Image;
    Image.SetWidth(5);
    Image.SetHeight(5);
    EXPECT_THROW(Soften(Image, 2), EInvalidGraphicOperation);
    EXPECT_THROW(GaussianBlurPass(Image, 20), EInvalidGraphicOperation);
    EXPECT_THROW(MotionBlurFilter(Image, 2, 2, 0.5), EInvalidGraphicOperation);
    EXPECT_THROW(OilPaintFilter(Image, 2, 2), EInvalidGraphicOperation);
    EXPECT_THROW(KuwaharaFilter(Image, 2, 0), EInvalidGraphicOperation);
    EXPECT_EQ(Image.BitCount(), 8);
}

} // namespace
