#include "effects/Interpolation.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<int> GreenRow(TFvDIB& Image, int y)
{
    std::vector<int> Row;
    for (int x = 0; x < Image.Width(); ++x)
        Row.push_back(PixelAt(Image, x, y).G);
    return Row;
}

std::unique_ptr<TFvDIB> GreyRow(const std::vector<int>& Values)
{
    return MakeImage(static_cast<int>(Values.size()), 1, [&](int x, int) { return Rgb{Values[x], Values[x], Values[x]}; });
}

} // namespace

TEST(ResizeImage, UnknownMethodsLeaveTheImage)
{
    for (int Method : {15, -1, 1000}) {
        auto Image = MakeNoise(6, 5);
        const std::vector<Rgb> Before = Pixels(*Image);
        EXPECT_EQ(&ResizeImage(*Image, 3, 3, Method), Image.get());
        EXPECT_EQ(Image->Width(), 6);
        EXPECT_EQ(Pixels(*Image), Before);
    }
}

TEST(ResizeImage, EveryMethodGivesTheAskedSizeInTwentyFourBits)
{
    const int Sizes[][4] = {{1, 1, 5, 3}, {7, 3, 2, 1}, {5, 8, 5, 8}, {13, 2, 1, 9}, {4, 4, 9, 9}};
    for (int Method = 0; Method <= 14; ++Method)
        for (const auto& s : Sizes) {
            auto Image = MakeNoise(s[0], s[1]);
            EXPECT_EQ(&ResizeImage(*Image, s[2], s[3], Method), Image.get());
            EXPECT_EQ(Image->Width(), s[2]) << "method " << Method;
            EXPECT_EQ(Image->Height(), s[3]) << "method " << Method;
            EXPECT_EQ(Image->PixelFormat(), fvPf24Bit);
            // No method writes into the rows' padding.
            for (int y = 0; y < s[3]; ++y)
                for (int64_t b = 3 * s[2]; b < DIBStride(s[2], 24); ++b)
                    ASSERT_EQ(Image->ScanLine(y)[b], 0) << "method " << Method;
        }
}

TEST(ResizeImage, SizesBelowOneAreRefusedAndTheImageKept)
{
    for (int Method = 0; Method <= 14; ++Method)
        for (const auto& Size : {std::pair{0, 4}, std::pair{4, 0}, std::pair{-3, 4}, std::pair{4, -2}}) {
            auto Image = MakeNoise(6, 5);
            const std::vector<Rgb> Before = Pixels(*Image);
            try {
                ResizeImage(*Image, Size.first, Size.second, Method);
                ADD_FAILURE() << "method " << Method;
            } catch (const EFvDIBError& e) {
                // Every method refuses with the picture's own message.
                EXPECT_EQ(e.Message(), Size.first < 1 ? "TFvDIB.SetWidth: Invalid Width" : "TFvDIB.SetHeight: Invalid Height")
                    << "method " << Method;
            }
            EXPECT_EQ(Image->Width(), 6);
            EXPECT_EQ(Image->Height(), 5);
            EXPECT_EQ(Pixels(*Image), Before);
        }
}

TEST(ResizeImage, UniformImagesStayUniformUnderTheDirectMethods)
{
    for (int Method = 0; Method <= 3; ++Method) {
        auto Image = MakeUniform(7, 5, Rgb{200, 13, 255});
        ResizeImage(*Image, 17, 3, Method);
        for (const Rgb& c : Pixels(*Image))
            ASSERT_EQ(c, (Rgb{200, 13, 255})) << "method " << Method;
    }
}

TEST(ResizeNearest, MapsIndexToIndexAndStopsAtTheLastColumn)
{
    auto Image = MakeImage(10, 1, [](int x, int) { return Rgb{x * 20, x, 0}; });
    ResizeNearest(*Image, 20, 1);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(PixelAt(*Image, x, 0).R, std::min((x + 1) / 2, 9) * 20) << x;
    EXPECT_EQ(PixelAt(*Image, 19, 0).R, 180);
    EXPECT_EQ(PixelAt(*Image, 18, 0).R, 180);
}

TEST(ResizeNearest, TheCurrentSizeCopiesEveryPixel)
{
    auto Image = MakeNoise(9, 7);
    const std::vector<Rgb> Before = Pixels(*Image);
    ResizeNearest(*Image, 9, 7);
    EXPECT_EQ(Pixels(*Image), Before);
}

TEST(ResizeNearest, ShrinksByRoundingTheScaledIndex)
{
    auto Image = GreyRow({0, 10, 20, 30, 40, 50, 60});
    ResizeNearest(*Image, 3, 1);
    // Ratio 7/3: indexes Trunc(0.5), Trunc(2.83), Trunc(5.17).
    EXPECT_EQ(GreenRow(*Image, 0), (std::vector<int>{0, 20, 50}));

    // Ratio 7/4, indexes 0, 2, 4, 5, into rows without padding: the last
    // pixel of a row must not spill into the row after it in memory.
    auto Noise = MakeNoise(7, 3);
    const std::vector<Rgb> Source = Pixels(*Noise);
    ResizeNearest(*Noise, 4, 3);
    std::vector<Rgb> Expected;
    for (int y = 0; y < 3; ++y)
        for (const int x : {0, 2, 4, 5})
            Expected.push_back(Source[static_cast<size_t>(y) * 7 + x]);
    EXPECT_EQ(Pixels(*Noise), Expected);
}

TEST(ResizeBilinear, MapsPixelCentres)
{
    auto Image = GreyRow({0, 101});
    ResizeBilinear(*Image, 4, 1);
    // Source positions -0.25, 0.25, 0.75, 1.25; the ends hold the edge pixels.
    EXPECT_EQ(GreenRow(*Image, 0), (std::vector<int>{0, 25, 76, 101}));
}

TEST(ResizeBilinear, BlendsBothAxes)
{
    auto Image = MakeImage(2, 2, [](int x, int y) {
        const int v[2][2] = {{0, 100}, {200, 40}};
        return Rgb{v[y][x], 0, 0};
    });
    ResizeBilinear(*Image, 4, 4);
    std::vector<int> Red;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            Red.push_back(PixelAt(*Image, x, y).R);
    // Row 1 sits a quarter of the way down, row 2 three quarters.
    EXPECT_EQ(Red, (std::vector<int>{0, 25, 75, 100, 50, 59, 76, 85, 150, 126, 79, 55, 200, 160, 80, 40}));
}

TEST(ResizeIntegration, AveragesTheCoveredBlock)
{
    auto Image = MakeImage(4, 4, [](int x, int y) {
        if (x < 2 && y < 2)
            return Rgb{77, 77, 77};
        if (x >= 2 && y < 2)
            return x == 3 && y == 1 ? Rgb{100, 100, 100} : Rgb{0, 0, 0};
        if (x < 2)
            return Rgb{255, 0, 9};
        return Rgb{(x + y) % 2 ? 10 : 20, 0, 0};
    });
    ResizeIntegration(*Image, 2, 2);
    EXPECT_EQ(PixelAt(*Image, 0, 0), (Rgb{77, 77, 77}));
    EXPECT_EQ(PixelAt(*Image, 1, 0), (Rgb{25, 25, 25}));
    EXPECT_EQ(PixelAt(*Image, 0, 1), (Rgb{255, 0, 9}));
    EXPECT_EQ(PixelAt(*Image, 1, 1), (Rgb{15, 0, 0}));

    // Only each block's first pixel lit, so every average is exactly a half: worked out
    // again the defined way, and rounded up. Rows without padding show a byte written past one.
    auto Halves = MakeImage(8, 4, [](int x, int y) {
        return x % 2 || y % 2 ? Rgb{0, 0, 0} : Rgb{2 + 8 * (x / 2), 6, 10 + 4 * (y / 2)};
    });
    ResizeIntegration(*Halves, 4, 2);
    EXPECT_EQ(Pixels(*Halves), (std::vector<Rgb>{{1, 2, 3}, {3, 2, 3}, {5, 2, 3}, {7, 2, 3},
                                                 {1, 2, 4}, {3, 2, 4}, {5, 2, 4}, {7, 2, 4}}));
}

TEST(ResizeIntegration, WeighsPartlyCoveredPixels)
{
    auto Image = GreyRow({0, 90, 180});
    ResizeIntegration(*Image, 2, 1);
    // Ratio 1.5: [0, 1.5) covers 0 and half of 90; [1.5, 3) half of 90 and 180.
    EXPECT_EQ(GreenRow(*Image, 0), (std::vector<int>{30, 150}));
}

namespace {

// A 6 x 5 picture with a 16-entry palette, every entry used.
std::unique_ptr<TFvDIB> IndexedImage()
{
    auto Image = std::make_unique<TFvDIB>();
    Image->SetWidth(6);
    Image->SetHeight(5);
    for (int i = 0; i < 16; ++i)
        Image->SetColors(i, static_cast<TColor>((i * 17) | ((255 - i * 13) << 8) | ((i * i) << 16)));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            Image->SetPixels(x, y, static_cast<uint32_t>((x * 5 + y * 3) % 16));
    return Image;
}

} // namespace

TEST(ResizeImage, IndexedImagesAreResizedAsTheirTrueColourPicture)
{
    for (int Method = 0; Method <= 14; ++Method) {
        auto Indexed = IndexedImage();
        auto TrueColour = IndexedImage();
        TrueColour->SetPixelFormat(fvPf24Bit);
        ResizeImage(*Indexed, 9, 4, Method);
        ResizeImage(*TrueColour, 9, 4, Method);
        EXPECT_EQ(Indexed->PixelFormat(), fvPf24Bit);
        EXPECT_EQ(Pixels(*Indexed), Pixels(*TrueColour)) << "method " << Method;
    }
}

TEST(ResizeImage, TheCurrentSizeKeepsAnIndexedImageOnlyForTheKernels)
{
    for (int Method = 4; Method <= 14; ++Method) {
        auto Image = IndexedImage();
        ResizeImage(*Image, 6, 5, Method);
        EXPECT_EQ(Image->PixelFormat(), fvPf8Bit) << "method " << Method;
    }
    for (int Method = 1; Method <= 3; ++Method) {
        auto Image = IndexedImage();
        auto TrueColour = IndexedImage();
        TrueColour->SetPixelFormat(fvPf24Bit);
        ResizeImage(*Image, 6, 5, Method);
        EXPECT_EQ(Image->PixelFormat(), fvPf24Bit) << "method " << Method;
        EXPECT_EQ(Pixels(*Image), Pixels(*TrueColour)) << "method " << Method;
    }
}

namespace {

// Methods 2 and 3 written the obvious way, one pixel and channel at a time,
// for comparison with the optimised resizers.
std::vector<Rgb> OracleBilinear(TFvDIB& Image, int w, int h)
{
    const int W = Image.Width();
    const int H = Image.Height();
    const std::vector<Rgb> In = Pixels(Image);
    const double rx = static_cast<double>(static_cast<long double>(W) / w);
    const double ry = static_cast<double>(static_cast<long double>(H) / h);
    std::vector<Rgb> Out;
    for (int y = 0; y < h; ++y) {
        const double sy = static_cast<double>((y + 0.5L) * ry - 0.5L);
        const int iy = static_cast<int>(std::floor(sy));
        const double fy = sy - iy;
        const int r0 = iy < 0 ? 0 : iy;
        const int r1 = iy + 1 > H - 1 ? H - 1 : iy + 1;
        for (int x = 0; x < w; ++x) {
            const double sx = static_cast<double>((x + 0.5L) * rx - 0.5L);
            const int ix = static_cast<int>(std::floor(sx));
            const double fx = sx - ix;
            const int c0 = ix < 0 ? 0 : ix;
            const int c1 = ix + 1 > W - 1 ? W - 1 : ix + 1;
            int v[3];
            for (int k = 0; k < 3; ++k) {
                auto P = [&](int r, int c) {
                    const Rgb& p = In[r * W + c];
                    return k == 0 ? p.R : k == 1 ? p.G : p.B;
                };
                // Double arithmetic throughout: extended precision differs in about one pixel in 7,000.
                const double Blend = P(r0, c0) + fx * (P(r0, c1) - P(r0, c0)) + fy * (P(r1, c0) - P(r0, c0)) +
                                     fx * fy * (P(r0, c0) + P(r1, c1) - P(r0, c1) - P(r1, c0));
                v[k] = static_cast<int>(Blend + 0.5);
            }
            Out.push_back(Rgb{v[0], v[1], v[2]});
        }
    }
    return Out;
}

std::vector<Rgb> OracleIntegration(TFvDIB& Image, int w, int h)
{
    const int W = Image.Width();
    const int H = Image.Height();
    const std::vector<Rgb> In = Pixels(Image);
    const double rx = static_cast<double>(static_cast<long double>(W) / w);
    const double ry = static_cast<double>(static_cast<long double>(H) / h);
    const float Area = static_cast<float>(static_cast<long double>(W * H) / w / h);
    auto Part = [](int j, double Low, double High) -> double {
        if (j > Low && j + 1 < High)
            return 1;
        if (j <= Low && j + 1 < High)
            return static_cast<double>(j + 1 - static_cast<long double>(Low));
        if (j > Low)
            return static_cast<double>(High - static_cast<long double>(j));
        return static_cast<double>(static_cast<long double>(High) - Low);
    };
    std::vector<Rgb> Out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double x0 = static_cast<double>(x * static_cast<long double>(rx));
            const double x1 = static_cast<double>((x + 1) * static_cast<long double>(rx) - 0.000001L);
            const double y0 = static_cast<double>(y * static_cast<long double>(ry));
            const double y1 = static_cast<double>((y + 1) * static_cast<long double>(ry) - 0.000001L);
            double Sum[3] = {0, 0, 0};
            for (int i = static_cast<int>(std::floor(y0)); i <= static_cast<int>(std::floor(y1)); ++i)
                for (int j = static_cast<int>(std::floor(x0)); j <= static_cast<int>(std::floor(x1)); ++j) {
                    const double Weight = static_cast<double>(static_cast<long double>(Part(j, x0, x1)) * Part(i, y0, y1));
                    const Rgb& p = In[i * W + j];
                    const int c[3] = {p.R, p.G, p.B};
                    for (int k = 0; k < 3; ++k)
                        Sum[k] = static_cast<double>(Sum[k] + static_cast<long double>(Weight) * c[k]);
                }
            int v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = static_cast<int>(Sum[k] / static_cast<long double>(Area) + 0.5L);
            Out.push_back(Rgb{v[0], v[1], v[2]});
        }
    return Out;
}

} // namespace

TEST(ResizeBilinear, MatchesTheOracle)
{
    const int Sizes[][4] = {{17, 13, 34, 26}, {17, 13, 68, 52}, {16, 16, 8, 8}, {31, 7, 13, 19}, {3, 2, 200, 3},
                            {50, 40, 49, 41}, {9, 9, 36, 36}, {2, 3, 12, 14}, {2, 4, 6, 15}};
    for (const auto& s : Sizes) {
        auto Image = MakeNoise(s[0], s[1], 11);
        const std::vector<Rgb> Expected = OracleBilinear(*Image, s[2], s[3]);
        ResizeBilinear(*Image, s[2], s[3]);
        EXPECT_EQ(Pixels(*Image), Expected) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
    }
}

TEST(ResizeIntegration, MatchesTheOracle)
{
    const int Sizes[][4] = {{16, 12, 8, 6}, {17, 13, 5, 4}, {17, 13, 34, 26}, {31, 7, 13, 19},
                            {3, 2, 7, 3},   {50, 40, 49, 41}, {90, 60, 4, 3}};
    for (const auto& s : Sizes) {
        auto Image = MakeNoise(s[0], s[1], 12);
        const std::vector<Rgb> Expected = OracleIntegration(*Image, s[2], s[3]);
        ResizeIntegration(*Image, s[2], s[3]);
        EXPECT_EQ(Pixels(*Image), Expected) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
    }
}
