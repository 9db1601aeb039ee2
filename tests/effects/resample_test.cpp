#include "effects/ByteConversion.h"
#include "effects/Interpolation.h"
#include "effects/ResampleContributors.h"
#include "effects/ResamplePass.h"
#include "effects/RowBands.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// The resampler written the obvious way, straight from its formulas: lists of
// (pixel, weight) pairs per target index, one pixel and channel at a time.
struct OracleEntry {
    int Pixel;
    float Weight;
};

std::vector<std::vector<OracleEntry>> OracleLists(int Old, int New, float Support, TFilterProc Filter)
{
    const float Scale = (Old == 1 || New == 1) ? static_cast<float>(static_cast<long double>(New) / Old)
                                               : static_cast<float>(static_cast<long double>(New - 1) / (Old - 1));
    std::vector<std::vector<OracleEntry>> Lists(New);
    for (int i = 0; i < New; ++i) {
        const float Centre = static_cast<float>(i / static_cast<long double>(Scale));
        const float Width = Scale >= 1 ? Support : static_cast<float>(Support / static_cast<long double>(Scale));
        const float F = static_cast<float>(1.0L / Scale);
        const int Left = static_cast<int>(std::floor(Centre - static_cast<long double>(Width)));
        const int Right = static_cast<int>(std::ceil(Centre + static_cast<long double>(Width)));
        for (int j = Left; j <= Right; ++j) {
            const float Weight = Scale >= 1 ? Filter(static_cast<float>(Centre - static_cast<long double>(j)))
                                            : static_cast<float>(Filter(static_cast<float>((Centre - static_cast<long double>(j)) / F)) / static_cast<long double>(F));
            if (Weight == 0)
                continue;
            int p = j < 0 ? -j : j >= Old ? 2 * Old - 1 - j : j;
            p = std::clamp(p, 0, Old - 1);
            Lists[i].push_back({p, Weight});
        }
    }
    return Lists;
}

uint8_t OracleSum(const std::vector<OracleEntry>& List, const std::function<uint8_t(int)>& Value)
{
    float Sum = 0;
    for (const OracleEntry& e : List)
        Sum = static_cast<float>(Sum + static_cast<long double>(e.Weight) * Value(e.Pixel));
    return RoundToByte(Sum);
}

std::vector<Rgb> OracleResample(TFvDIB& Image, int w, int h, float Support, TFilterProc Filter)
{
    const int W = Image.Width();
    const int H = Image.Height();
    const std::vector<Rgb> In = Pixels(Image);
    auto Channel = [](const Rgb& c, int k) { return k == 0 ? c.B : k == 1 ? c.G : c.R; };
    const auto Across = OracleLists(W, w, Support, Filter);
    std::vector<Rgb> Work(static_cast<size_t>(w) * H);
    for (int r = 0; r < H; ++r)
        for (int i = 0; i < w; ++i) {
            int v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = OracleSum(Across[i], [&](int x) { return static_cast<uint8_t>(Channel(In[r * W + x], k)); });
            Work[r * w + i] = Rgb{v[2], v[1], v[0]};
        }
    const auto Down = OracleLists(H, h, Support, Filter);
    std::vector<Rgb> Out(static_cast<size_t>(w) * h);
    for (int i = 0; i < h; ++i)
        for (int c = 0; c < w; ++c) {
            int v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = OracleSum(Down[i], [&](int y) { return static_cast<uint8_t>(Channel(Work[y * w + c], k)); });
            Out[i * w + c] = Rgb{v[2], v[1], v[0]};
        }
    return Out;
}

struct SizeCase {
    int W, H, w, h;
};

} // namespace

TEST(ResizeKernels, ValuesAtTheirKnownPoints)
{
    EXPECT_EQ(HannKernel(0), 1.0f / 3);
    EXPECT_EQ(HannKernel(1), 0.25f);
    EXPECT_EQ(HannKernel(-1), 0.25f);
    EXPECT_EQ(HannKernel(2), static_cast<float>(1.0L / 12));
    EXPECT_EQ(HannKernel(3), 0.0f);
    EXPECT_EQ(HannKernel(-3.5f), 0.0f);
    EXPECT_EQ(BicubicKernel(0), 1.0f);
    EXPECT_EQ(BicubicKernel(1), 0.0f);
    EXPECT_EQ(BicubicKernel(2), 0.0f);
    EXPECT_EQ(BicubicKernel(2.5f), 0.0f);
    EXPECT_EQ(BicubicKernel(0.5f), 0.625f);
    EXPECT_EQ(BicubicKernel(-1.5f), -0.125f);
    EXPECT_EQ(HermiteKernel(0.5f), 0.5f);
    EXPECT_EQ(BellKernel(0), 0.75f);
    EXPECT_EQ(BellKernel(1), 0.125f);
    EXPECT_EQ(BSplineKernel(0), static_cast<float>(2.0L / 3));
    EXPECT_EQ(BSplineKernel(1), static_cast<float>(1.0L / 6));
    EXPECT_EQ(MitchellKernel(0), static_cast<float>(16.0L / 18));
    EXPECT_NEAR(MitchellKernel(0.5f), (7 / 8.0 - 3 + 16 / 3.0) / 6, 1e-6);
    EXPECT_NEAR(MitchellKernel(-1.5f), (-7 / 3.0 * 3.375 + 27 - 30 + 32 / 3.0) / 6, 1e-6);
    EXPECT_EQ(LagrangeKernel(0), 1.0f);
    EXPECT_EQ(LagrangeKernel(1), 0.0f);
    // (x - 2)(x + 1)(x - 1) / 2 inside 1, -(x - 1)(x - 2)(x - 3) / 6 beyond.
    EXPECT_EQ(LagrangeKernel(0.5f), 0.5625f);
    EXPECT_EQ(LagrangeKernel(-1.5f), -0.0625f);
    EXPECT_EQ(Sinc(0), 1.0f);
    EXPECT_EQ(Lanczos3Kernel(0), 1.0f);
    // Pi narrowed to single precision is not pi: the zeros are only near zero.
    EXPECT_NE(Lanczos3Kernel(1), 0.0f);
    EXPECT_LT(std::fabs(Lanczos3Kernel(1)), 1e-6f);
    // Between the zeros the window's width shows: sinc(1.5) * sinc(1.5 / a).
    const double Pi = 3.14159265358979323846;
    EXPECT_NEAR(Lanczos2Kernel(1.5f), -1 / (1.5 * Pi) * std::sin(0.75 * Pi) / (0.75 * Pi), 1e-6);
    EXPECT_NEAR(Lanczos3Kernel(1.5f), -1 / (0.75 * Pi * Pi), 1e-6);
    EXPECT_NEAR(Lanczos4Kernel(-1.5f), -1 / (1.5 * Pi) * std::sin(0.375 * Pi) / (0.375 * Pi), 1e-6);
}

TEST(ResizeKernels, EvenAndZeroFromTheirBounds)
{
    const struct {
        TFilterProc Filter;
        float Bound;
    } Kernels[] = {{HermiteKernel, 1}, {BellKernel, 1.5f}, {BSplineKernel, 2}, {BicubicKernel, 2},
                   {MitchellKernel, 2}, {LagrangeKernel, 2}, {Lanczos2Kernel, 2}, {Lanczos3Kernel, 3},
                   {Lanczos4Kernel, 4}, {HannKernel, 3}};
    for (const auto& k : Kernels) {
        // The Hann window is taken from (Value + 3) / 6, which rounds
        // differently on the two sides.
        if (k.Filter != HannKernel) {
            for (float x = 0; x < k.Bound; x += 0.0625f)
                EXPECT_EQ(k.Filter(x), k.Filter(-x)) << x;
        }
        EXPECT_EQ(k.Filter(k.Bound), 0.0f);
        EXPECT_EQ(k.Filter(-k.Bound), 0.0f);
        EXPECT_EQ(k.Filter(k.Bound + 0.25f), 0.0f);
    }
}

TEST(ResampleContributors, StayInsideTinySources)
{
    for (const auto& Row : ResizeFilterTable)
        for (int Old : {1, 2, 3})
            for (int New : {1, 2, 5, 9}) {
                const TContributorLists Lists = BuildContributors(Old, New, Row.Support, Row.Filter);
                ASSERT_EQ(Lists.Count(), New);
                for (int32_t p : Lists.Pixel) {
                    EXPECT_GE(p, 0);
                    EXPECT_LT(p, Old);
                }
            }
}

TEST(ResampleContributors, FirstAndLastCentresCoincide)
{
    const TContributorLists Lists = BuildContributors(10, 4, 3.0f, BicubicKernel);
    // Target 0 sits on source 0 and target 3 on source 9, so the largest
    // weight of each of them belongs to that pixel.
    auto Heaviest = [&](int i) {
        int Best = Lists.First[i];
        for (int k = Lists.First[i]; k < Lists.First[i + 1]; ++k)
            if (Lists.Weight[k] > Lists.Weight[Best])
                Best = k;
        return Lists.Pixel[Best];
    };
    EXPECT_EQ(Heaviest(0), 0);
    EXPECT_EQ(Heaviest(3), 9);
}

// The fast row pass against the plain evaluation for lists whose weights
// are as far apart in magnitude as the fast path accepts, including
// products that fall exactly halfway between two singles.
TEST(ResamplePass, FusedSumsMatchThePlainEvaluation)
{
    std::mt19937 Random(7);
    const int Rows = 16;
    const int RowBytes = 700;
    std::vector<std::vector<uint8_t>> Source(Rows, std::vector<uint8_t>(RowBytes));
    std::vector<const uint8_t*> SourceRows;
    for (auto& Row : Source) {
        for (uint8_t& b : Row)
            b = static_cast<uint8_t>(Random() % 4 == 0 ? 3 * (Random() % 86) : Random() % 256);
        SourceRows.push_back(Row.data());
    }
    TContributorLists Lists;
    Lists.First.push_back(0);
    const int ListCount = 400;
    for (int i = 0; i < ListCount; ++i) {
        const int Count = 1 + static_cast<int>(Random() % 12);
        const int Spread = static_cast<int>(Random() % 32);
        for (int k = 0; k < Count; ++k) {
            float w;
            switch (Random() % 4) {
            case 0:
                w = 1.0f / 3;
                break;
            case 1:
                w = std::ldexp(1.0f + static_cast<float>(Random() % 1024) / 1024, -Spread);
                break;
            default:
                w = std::ldexp(static_cast<float>(static_cast<int>(Random() % 2000001) - 1000000) / 1000000, -static_cast<int>(Random() % 4));
            }
            if (w == 0)
                w = 0.5f;
            Lists.Pixel.push_back(static_cast<int32_t>(Random() % Rows));
            Lists.Weight.push_back(w);
        }
        Lists.First.push_back(static_cast<int32_t>(Lists.Pixel.size()));
        Lists.Fusable.push_back(1);
    }
    std::vector<std::vector<uint8_t>> Target(ListCount, std::vector<uint8_t>(RowBytes));
    std::vector<uint8_t*> TargetRows;
    for (auto& Row : Target)
        TargetRows.push_back(Row.data());
    ResampleRows(Lists, SourceRows.data(), TargetRows.data(), RowBytes, 0, ListCount);
    int Mismatches = 0;
    for (int i = 0; i < ListCount; ++i)
        for (int x = 0; x < RowBytes; ++x)
            Mismatches += Target[i][x] != ResampleByte(Lists, SourceRows.data(), i, x);
    EXPECT_EQ(Mismatches, 0);
}

// Halves round to even, sums beyond 0 .. 255 clamp: weights 0.5, 1.5 and
// -0.5 over every byte value, 64-byte blocks and the tail alike.
TEST(ResamplePass, FusedRoundingAndClampAtTheEnds)
{
    std::vector<uint8_t> Source(256 + 7);
    for (size_t x = 0; x < Source.size(); ++x)
        Source[x] = static_cast<uint8_t>(x);
    const uint8_t* SourceRows[] = {Source.data()};
    TContributorLists Lists;
    Lists.First = {0, 1, 2, 3};
    Lists.Pixel = {0, 0, 0};
    Lists.Weight = {0.5f, 1.5f, -0.5f};
    Lists.Fusable = {1, 1, 1};
    std::vector<std::vector<uint8_t>> Target(3, std::vector<uint8_t>(Source.size()));
    uint8_t* TargetRows[] = {Target[0].data(), Target[1].data(), Target[2].data()};
    ResampleRows(Lists, SourceRows, TargetRows, static_cast<int>(Source.size()), 0, 3);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(Target[0][v], (v / 2) + (v % 4 == 3)) << v;
        EXPECT_EQ(Target[1][v], std::min(255, v + v / 2 + (v % 4 == 1))) << v;
        EXPECT_EQ(Target[2][v], 0) << v;
    }
}

TEST(Resample, MatchesTheOracleOnAwkwardSizes)
{
    const SizeCase Cases[] = {{1, 1, 3, 2},   {7, 5, 3, 4},   {13, 11, 29, 7}, {2, 9, 1, 1},   {5, 5, 5, 9},
                              {31, 17, 12, 40}, {64, 3, 17, 3}, {3, 70, 6, 33}, {9, 1, 4, 2},   {40, 30, 7, 5}};
    for (int Row = 0; Row < ResizeFilterCount; ++Row) {
        const TResizeFilter& Filter = ResizeFilterTable[Row];
        for (const SizeCase& c : Cases) {
            auto Image = MakeNoise(c.W, c.H, static_cast<uint32_t>(Row + 3));
            const std::vector<Rgb> Expected = OracleResample(*Image, c.w, c.h, Filter.Support, Filter.Filter);
            Resample(*Image, c.w, c.h, Filter.Support, Filter.Filter);
            ASSERT_EQ(Image->Width(), c.w);
            ASSERT_EQ(Image->Height(), c.h);
            EXPECT_EQ(Pixels(*Image), Expected) << Filter.Name << " " << c.W << "x" << c.H << " -> " << c.w << "x" << c.h;
        }
    }
}

// Wide enough for several chunks per row and several strips, on a smooth
// picture where weights near the kernels' zeros matter.
TEST(Resample, MatchesTheOracleOnLargerImages)
{
    for (int Row : {5, 7, 9}) {
        const TResizeFilter& Filter = ResizeFilterTable[Row];
        for (const SizeCase& c : {SizeCase{230, 150, 171, 301}, SizeCase{230, 150, 97, 64}}) {
            auto Image = MakeImage(c.W, c.H, [](int x, int y) { return Rgb{(x * 7 + y) % 256, (x * y) % 256, 255 - (y * 3) % 256}; });
            const std::vector<Rgb> Expected = OracleResample(*Image, c.w, c.h, Filter.Support, Filter.Filter);
            Resample(*Image, c.w, c.h, Filter.Support, Filter.Filter);
            EXPECT_EQ(Pixels(*Image), Expected) << Filter.Name << " -> " << c.w << "x" << c.h;
        }
    }
}

TEST(Resample, SameBytesOnOneThreadAndMany)
{
    auto One = MakeNoise(700, 500, 5);
    auto Many = MakeNoise(700, 500, 5);
    SetEngineThreadCount(1);
    Resample(*One, 333, 271, 3.0f, Lanczos3Kernel);
    SetEngineThreadCount(4);
    Resample(*Many, 333, 271, 3.0f, Lanczos3Kernel);
    SetEngineThreadCount(0);
    EXPECT_EQ(Pixels(*One), Pixels(*Many));
}

TEST(Resample, HannSmoothsAnUnchangedAxis)
{
    auto Image = MakeImage(9, 1, [](int x, int) { return x == 4 ? Rgb{240, 240, 240} : Rgb{0, 0, 0}; });
    ResizeImage(*Image, 9, 2, 4);
    for (int y = 0; y < 2; ++y) {
        std::vector<int> Row;
        for (int x = 0; x < 9; ++x)
            Row.push_back(PixelAt(*Image, x, y).G);
        EXPECT_EQ(Row, (std::vector<int>{0, 0, 20, 60, 80, 60, 20, 0, 0})) << "row " << y;
    }
}

TEST(Resample, InterpolatingKernelsKeepAnUnchangedAxis)
{
    for (int Method : {6, 9, 11, 12, 13, 14}) {
        auto Image = MakeNoise(11, 4, 9);
        const std::vector<Rgb> Before = Pixels(*Image);
        ResizeImage(*Image, 11, 7, Method);
        // Row 0 of the target sits on source row 0 exactly.
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(PixelAt(*Image, x, 0), Before[x]) << "method " << Method << " x " << x;
    }
}

TEST(Resample, HannAndHammingGiveTheSameImage)
{
    auto Hann = MakeNoise(23, 19, 2);
    auto Hamming = MakeNoise(23, 19, 2);
    ResizeImage(*Hann, 40, 11, 4);
    ResizeImage(*Hamming, 40, 11, 5);
    EXPECT_EQ(Pixels(*Hann), Pixels(*Hamming));
}
