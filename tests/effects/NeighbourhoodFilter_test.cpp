#include "PixelGrid.h"

#include "effects/NeighbourhoodFilter.h"
#include "effects/RowBands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

// The obvious runner: eleven zero-padded rows around each output row and
// one call per pixel, as the callbacks are defined against.
std::vector<Rgb> PlainRun(TFvDIB& Image, TNeighbourhoodProc Proc, const void* Data)
{
    const int W = Image.Width(), H = Image.Height();
    const size_t Padded = static_cast<size_t>(W) * 3 + 30;
    std::vector<std::vector<uint8_t>> Copies(static_cast<size_t>(H) + 10, std::vector<uint8_t>(Padded, 0));
    for (int y = 0; y < H; ++y)
        std::memcpy(Copies[static_cast<size_t>(y) + 5].data() + 15, Image.ScanLine(y), static_cast<size_t>(W) * 3);
    std::vector<Rgb> Out;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t* Rows[11];
            for (int r = 0; r < 11; ++r)
                Rows[r] = Copies[static_cast<size_t>(y + r)].data() + x * 3;
            uint8_t P[3];
            Proc(x, y, Rows, Data, P);
            Out.push_back(Rgb{P[2], P[1], P[0]});
        }
    return Out;
}

struct TNamedProc {
    const char* Name;
    TNeighbourhoodProc Proc;
};

const TNamedProc EngineProcs[] = {
    {"ColorEmboss", ConvolveColorEmboss}, {"DarkEmboss", ConvolveDarkEmboss},
    {"SunPower", ConvolveSunPower},       {"HorzDifference", ConvolveHorzDifference},
    {"VertDifference", ConvolveVertDifference}, {"HorzRoberts", ConvolveHorzRoberts},
    {"VertRoberts", ConvolveVertRoberts}, {"VertSobel", ConvolveVertSobel},
    {"Laplacian1", ConvolveLaplacian1},   {"Laplacian2", ConvolveLaplacian2},
    {"Laplacian3", ConvolveLaplacian3},   {"Laplacian4", ConvolveLaplacian4},
    {"Emboss", PixelEmboss},              {"Median", PixelMedian},
};

// Runs a callback through NeighbourhoodFilter on a uniform image of grey v.
std::unique_ptr<TFvDIB> Filtered(int W, int H, int v, TNeighbourhoodProc Proc, const void* Data = nullptr)
{
    auto Image = MakeUniform(W, H, {v, v, v});
    NeighbourhoodFilter(*Image, Proc, Data);
    return Image;
}

int Grey(TFvDIB& Image, int x, int y)
{
    const Rgb c = PixelAt(Image, x, y);
    EXPECT_TRUE(c.R == c.G && c.G == c.B) << c;
    return c.R;
}

TEST(NeighbourhoodFilter, RowKernelsMatchThePerPixelCallbacks)
{
    const int32_t Sharpen[9] = {-200, -3, 77, 512, 1300, -1024, 0, 9, -256};
    for (auto [W, H] : {std::pair{1, 1}, {2, 2}, {1, 7}, {9, 1}, {3, 5}, {37, 23}}) {
        for (int Threads : {1, 4}) {
            SetEngineThreadCount(Threads);
            for (const TNamedProc& P : EngineProcs) {
                auto Image = MakeNoise(W, H, 7);
                const std::vector<Rgb> Expected = PlainRun(*Image, P.Proc, nullptr);
                NeighbourhoodFilter(*Image, P.Proc, nullptr);
                EXPECT_EQ(Pixels(*Image), Expected) << P.Name << " " << W << "x" << H;
            }
            const int32_t Grouped[9] = {-768, 0, -768, 0, 3328, 0, -768, 0, -768};
            for (const int32_t* Weights : {Sharpen, Grouped}) {
                auto Image = MakeNoise(W, H, 3);
                const std::vector<Rgb> Expected = PlainRun(*Image, PixelWeighted, Weights);
                NeighbourhoodFilter(*Image, PixelWeighted, Weights);
                EXPECT_EQ(Pixels(*Image), Expected) << "Weighted " << W << "x" << H;
            }
        }
    }
    SetEngineThreadCount(0);

    // Sums past 32 bits, which cancel on rows of one colour each and leave
    // the middle pixel and a little of the rows above and below.
    const int32_t Huge[9] = {5'000'000, 7, -5'000'000, 300, 256, -300, -5'000'000, 9, 5'000'000};
    auto Noise = MakeNoise(1, 23, 5);
    auto Rows = MakeImage(37, 23, [&](int, int y) { return PixelAt(*Noise, 0, y); });
    const std::vector<Rgb> Expected = PlainRun(*Rows, PixelWeighted, Huge);
    NeighbourhoodFilter(*Rows, PixelWeighted, Huge);
    EXPECT_EQ(Pixels(*Rows), Expected);
}

TEST(NeighbourhoodFilter, UniformImagesAtTheBorders)
{
    // Colour emboss weights add up to 1; the black row above drops the three -1s.
    auto E = Filtered(5, 4, 60, ConvolveColorEmboss);
    EXPECT_EQ(Grey(*E, 2, 2), 60);
    EXPECT_EQ(Grey(*E, 2, 0), 240);
    auto E2 = Filtered(5, 4, 100, ConvolveColorEmboss);
    EXPECT_EQ(Grey(*E2, 1, 0), 255);

    auto D = Filtered(5, 4, 30, ConvolveDarkEmboss);
    EXPECT_EQ(Grey(*D, 2, 1), 128);
    EXPECT_EQ(Grey(*D, 2, 0), 248);
    EXPECT_EQ(Grey(*D, 2, 3), 248);

    auto S = Filtered(5, 5, 100, ConvolveSunPower);
    EXPECT_EQ(Grey(*S, 2, 2), 131);

    auto H = Filtered(6, 3, 40, ConvolveHorzDifference);
    EXPECT_EQ(Grey(*H, 2, 1), 0);
    EXPECT_EQ(Grey(*H, 5, 1), 200);

    auto L = Filtered(4, 4, 10, ConvolveLaplacian2);
    EXPECT_EQ(Grey(*L, 1, 1), 0);
    EXPECT_EQ(Grey(*L, 0, 0), 150);
    EXPECT_EQ(Grey(*L, 3, 3), 150);
    auto L2 = Filtered(4, 4, 20, ConvolveLaplacian2);
    EXPECT_EQ(Grey(*L2, 3, 0), 255);
}

TEST(NeighbourhoodFilter, WeightsAddingUpToOneKeepAUniformInterior)
{
    const int32_t Identity[9] = {0, 0, 0, 0, 256, 0, 0, 0, 0};
    auto Noise = MakeNoise(11, 9);
    const std::vector<Rgb> Before = Pixels(*Noise);
    NeighbourhoodFilter(*Noise, PixelWeighted, Identity);
    EXPECT_EQ(Pixels(*Noise), Before);

    const int32_t Sharp[9] = {-256, -256, -256, -256, 8 * 256 + 256, -256, -256, -256, -256};
    const int32_t Soft[9] = {16, 32, 16, 32, 64, 32, 16, 32, 16};
    for (const int32_t* Weights : {Sharp, Soft}) {
        auto U = Filtered(7, 6, 173, PixelWeighted, Weights);
        for (int y = 1; y < 5; ++y)
            for (int x = 1; x < 6; ++x)
                EXPECT_EQ(Grey(*U, x, y), 173) << x << "," << y;
    }
    auto C = Filtered(7, 6, 173, ConvolveColorEmboss);
    EXPECT_EQ(Grey(*C, 3, 3), 173);
    auto M = Filtered(7, 6, 173, PixelMedian);
    EXPECT_EQ(Grey(*M, 3, 3), 173);
}

TEST(NeighbourhoodFilter, WeightedSumsDoNotWrap)
{
    // In 32 bits 200 x INT32_MAX would wrap negative and give black, in
    // whichever place the weight stands.
    for (int k : {0, 4, 8}) {
        int32_t Huge[9] = {};
        Huge[k] = INT32_MAX;
        auto U = Filtered(3, 3, 200, PixelWeighted, Huge);
        EXPECT_EQ(Grey(*U, 1, 1), 255) << k;
    }
    // The least weight whose sum over white passes 32 bits.
    const int32_t JustPast[9] = {0, 0, 0, 0, INT32_MAX / 255 + 1, 0, 0, 0, 0};
    EXPECT_EQ(Grey(*Filtered(3, 3, 255, PixelWeighted, JustPast), 1, 1), 255);
    const int32_t Negative[9] = {0, 0, 0, 0, INT32_MIN, 0, 0, 0, INT32_MAX};
    auto N = Filtered(3, 3, 200, PixelWeighted, Negative);
    EXPECT_EQ(Grey(*N, 0, 0), 0);
    // -1 shifted right by 8 is -1 (floor), which clamps to 0.
    const int32_t Tiny[9] = {0, 0, 0, 0, -1, 0, 0, 0, 0};
    auto T = Filtered(2, 2, 1, PixelWeighted, Tiny);
    EXPECT_EQ(Grey(*T, 0, 0), 0);
}

TEST(NeighbourhoodFilter, WeightedWithoutWeightsIsBlack)
{
    auto Image = MakeNoise(4, 3);
    NeighbourhoodFilter(*Image, PixelWeighted, nullptr);
    EXPECT_EQ(Pixels(*Image), Pixels(*MakeUniform(4, 3, {0, 0, 0})));
}

TEST(NeighbourhoodFilter, MedianAtTheBorders)
{
    auto Image = MakeNoise(6, 5, 11);
    NeighbourhoodFilter(*Image, PixelMedian, nullptr);
    for (auto [x, y] : {std::pair{0, 0}, {5, 0}, {0, 4}, {5, 4}})
        EXPECT_EQ(PixelAt(*Image, x, y), (Rgb{0, 0, 0}));

    // Top border: three zeros, so the second smallest of the six inside values.
    auto Grid = MakeImage(3, 2, [](int x, int y) {
        const int v[2][3] = {{90, 10, 70}, {40, 20, 60}};
        return Rgb{v[y][x], 0, 0};
    });
    NeighbourhoodFilter(*Grid, PixelMedian, nullptr);
    EXPECT_EQ(PixelAt(*Grid, 1, 0).R, 20);
}

TEST(NeighbourhoodFilter, EmbossIsGreyFromTwoDiagonalNeighbours)
{
    // Upper-left (30, 60, 90) averages 60; lower-right (10, 10, 11) averages 10.
    auto Image = MakeImage(3, 3, [](int x, int y) {
        if (x == 0 && y == 0)
            return Rgb{30, 60, 90};
        if (x == 2 && y == 2)
            return Rgb{10, 10, 11};
        return Rgb{255, 0, 255};
    });
    NeighbourhoodFilter(*Image, PixelEmboss, nullptr);
    EXPECT_EQ(PixelAt(*Image, 1, 1), (Rgb{178, 178, 178}));
    // Pixel (0, 0): black upper left, (255 + 0 + 255) div 3 = 170 lower right.
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{0, 0, 0}));
    // Pixel (2, 2): upper left (255, 0, 255), black lower right: 170 + 128 clamps.
    EXPECT_EQ(PixelAt(*Image, 2, 2), (Rgb{255, 255, 255}));
}

TEST(NeighbourhoodFilter, OnePixelImagesWorkWithEveryCallback)
{
    for (const TNamedProc& P : EngineProcs) {
        auto Image = MakeUniform(1, 1, {200, 100, 50});
        NeighbourhoodFilter(*Image, P.Proc, nullptr);
        EXPECT_EQ(Pixels(*Image), PlainRun(*MakeUniform(1, 1, {200, 100, 50}), P.Proc, nullptr)) << P.Name;
    }
    // All eight neighbours are black: 4 v, times 5.
    auto Image = MakeUniform(1, 1, {20, 10, 5});
    NeighbourhoodFilter(*Image, ConvolveLaplacian1, nullptr);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{255, 200, 100}));
}

// A caller's own callback sees all eleven rows: it copies pixel (X + 5, Y - 5).
void CopyFarNeighbour(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    std::memcpy(Pixel, Rows[0] + 10 * 3, 3);
}

TEST(NeighbourhoodFilter, OtherCallbacksSeeTheWholeWindow)
{
    // Taller than the eleven rows of the window, so its row slots are reused.
    auto Image = MakeNoise(9, 14, 5);
    auto Source = MakeNoise(9, 14, 5);
    NeighbourhoodFilter(*Image, CopyFarNeighbour, nullptr);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool Inside = x + 5 < 9 && y - 5 >= 0;
            EXPECT_EQ(PixelAt(*Image, x, y), (Inside ? PixelAt(*Source, x + 5, y - 5) : Rgb{0, 0, 0})) << x << "," << y;
        }
}

TEST(NeighbourhoodFilter, RefusesImagesThatAreNot24Bit)
{
    TFvDIB Image;
    Image.SetWidth(4);
    Image.SetHeight(4);
    EXPECT_THROW(NeighbourhoodFilter(Image, PixelMedian, nullptr), EInvalidGraphicOperation);
    EXPECT_EQ(Image.BitCount(), 8);
}

} // namespace

namespace {

TEST(NeighbourhoodFilter, LeavesACopySharingThePixelsAlone)
{
    auto Original = MakeNoise(8, 6, 2);
    const std::vector<Rgb> Before = Pixels(*Original);
    TFvDIB Copy;
    Copy.Assign(Original.get());
    NeighbourhoodFilter(Copy, PixelMedian, nullptr);
    EXPECT_EQ(Pixels(*Original), Before);
    EXPECT_NE(Pixels(Copy), Before);
}

} // namespace
