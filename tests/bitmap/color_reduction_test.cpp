#include "ConverterRecords.h"

#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using TReducer = std::function<void(const TFvDIBInfos&, TFvDIBInfos&, bool, const TFvProgressStep&)>;

void SetColor(TRecord& Record, int X, int Y, uint8_t R, uint8_t G, uint8_t B)
{
    uint8_t* p = Record.Row(Y) + 3 * X;
    p[0] = B, p[1] = G, p[2] = R;
}

Bytes Rgb(const RGBQUAD& Color)
{
    return Bytes{Color.rgbRed, Color.rgbGreen, Color.rgbBlue};
}

TEST(ColorReduction, OneColourGivesOneEntry)
{
    const struct {
        TReducer Reduce;
        int Steps;
    } reducers[] = {{ConvertTrueColorTo8BitRGBLow, 256},
                    {ConvertTrueColorTo4BitRGBLow, 16},
                    {ConvertTrueColorTo8BitRGBHigh, 256},
                    {ConvertTrueColorTo4BitRGBHigh, 16}};
    for (const auto& r : reducers) {
        TRecord in(5, 3, 24), out;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                SetColor(in, x, y, 10, 200, 77);
        int steps = 0;
        r.Reduce(in.Infos, out.Infos, false, [&] { ++steps; });
        EXPECT_EQ(steps, r.Steps);
        EXPECT_EQ(out.Head().biClrUsed, 1u);
        EXPECT_EQ(Rgb(out.Color(0)), (Bytes{10, 200, 77}));
        EXPECT_EQ(out.Bytes(), Bytes(out.Infos.BitsSize, 0));
        EXPECT_EQ(out.Head().biBitCount, r.Steps == 256 ? 8 : 4);
        EXPECT_EQ(out.Head().biCompression, BI_RGB);
    }
}

TEST(ColorReduction, BlackAndWhiteCutOnGreenWhiteFirst)
{
    TRecord in(4, 1, 24), out;
    SetColor(in, 0, 0, 0, 0, 0);
    SetColor(in, 1, 0, 255, 255, 255);
    SetColor(in, 2, 0, 255, 255, 255);
    int steps = 0;
    ConvertTrueColorTo8BitRGBHigh(in.Infos, out.Infos, false, [&] { ++steps; });
    EXPECT_EQ(steps, 256);
    ASSERT_EQ(out.Head().biClrUsed, 2u);
    EXPECT_EQ(Rgb(out.Color(0)), (Bytes{255, 255, 255}));
    EXPECT_EQ(Rgb(out.Color(1)), (Bytes{0, 0, 0}));
    EXPECT_EQ(Bytes(out.Row(0), out.Row(0) + 4), (Bytes{1, 0, 0, 1}));

    TFvSample samples[] = {{0, 0, 0}, {255, 255, 255}};
    TFvPaletteBuffer palette;
    TFvSplitTree tree;
    MedianCutSplit(samples, 0, 2, 0, 8, nullptr, palette, 0, tree);
    EXPECT_EQ(tree.Nodes[0].Axis, fvAxisGreen);
    EXPECT_EQ(tree.Nodes[0].Threshold, 127.5L);
    // Each cut below the root splits one colour from an empty range.
    EXPECT_EQ(tree.Count, 31);
}

TEST(ColorReduction, LowModeSharesFiveSixFiveBins)
{
    TRecord in(2, 1, 24), out;
    SetColor(in, 0, 0, 8, 4, 8);
    SetColor(in, 1, 0, 15, 7, 15);
    ConvertTrueColorTo8BitRGBLow(in.Infos, out.Infos, false, nullptr);
    ASSERT_EQ(out.Head().biClrUsed, 1u);
    EXPECT_EQ(Rgb(out.Color(0)), (Bytes{11, 5, 11}));
    EXPECT_EQ(HistogramKey(8, 4, 8), 2081u);
}

TEST(ColorReduction, EightBitUsesOnlyTheColoursOfItsPixels)
{
    // Rows of an odd width, and of an even one whose last pair fills the row's last byte.
    for (const int width : {7, 8}) {
        TRecord in(width, 2, 8, 256), out;
        for (int i = 0; i < 256; ++i)
            in.Color(i) = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
        const uint8_t used[] = {5, 9, 200};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x)
                in.Row(y)[x] = used[(x + y) % 3];
        int steps = 0;
        Convert8BitRGBTo4BitRGB(in.Infos, out.Infos, false, [&] { ++steps; });
        EXPECT_EQ(steps, 16);
        ASSERT_EQ(out.Head().biClrUsed, 3u);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x) {
                const int index = (out.Row(y)[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
                EXPECT_EQ(Rgb(out.Color(index)), Rgb(in.Color(used[(x + y) % 3]))) << width << ": " << x;
            }
        // The spare nibble of the odd row stays clear.
        if (width % 2 != 0) {
            EXPECT_EQ(out.Row(0)[3] & 15, 0);
        }
        ExpectFailure<EFvDIBBadDIBType>([&] { Convert8BitRGBTo4BitRGB(out.Infos, in.Infos, false, nullptr); },
                                        "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
    }
}

TEST(ColorReduction, MeansRoundHalfToEven)
{
    const struct {
        uint8_t A, B, Expected;
    } cases[] = {{100, 101, 100}, {101, 102, 102}};
    for (const auto& c : cases) {
        TFvSample samples[] = {{0, 0, c.A}, {0, 0, c.B}};
        TFvPaletteBuffer palette;
        TFvSplitTree tree;
        int steps = 0;
        MedianCutSplit(samples, 0, 2, 0, 0, [&] { ++steps; }, palette, 0, tree);
        ASSERT_EQ(palette.Count, 1);
        EXPECT_EQ(palette.Entries[0].rgbRed, c.Expected);
        EXPECT_EQ(steps, 1);
    }
    // The cut runs across the axis of the largest variance weighed red 3, green 4, blue 2:
    // red's 100 x 3 beats green's 64 x 4, so both halves keep green's mean.
    TFvSample square[] = {{0, 0, 0}, {0, 16, 20}, {0, 16, 0}, {0, 0, 20}};
    TFvPaletteBuffer halves;
    TFvSplitTree tree;
    MedianCutSplit(square, 0, 4, 0, 1, nullptr, halves, 0, tree);
    ASSERT_EQ(halves.Count, 2);
    EXPECT_EQ(std::pair(halves.Entries[0].rgbGreen, halves.Entries[1].rgbGreen), std::pair(uint8_t{8}, uint8_t{8}));
    // Equal weighed variances go to red, then to green.
    struct {
        TFvSample Samples[4];
        uint8_t Axis;
    } ties[] = {{{{0, 0, 0}, {0, 0, 0}, {1, 0, 2}, {3, 0, 2}}, fvAxisRed},   // red 1 x 3, blue 1.5 x 2
                {{{0, 0, 0}, {0, 0, 0}, {0, 3, 0}, {0, 3, 4}}, fvAxisRed},   // red 3 x 3, green 2.25 x 4
                {{{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {3, 2, 0}}, fvAxisGreen}}; // green 0.75 x 4, blue 1.5 x 2
    for (auto& tie : ties) {
        TFvSplitTree cut;
        MedianCutSplit(tie.Samples, 0, 4, 0, 1, nullptr, halves, 0, cut);
        EXPECT_EQ(cut.Nodes[0].Axis, tie.Axis);
    }
}

TEST(ColorReduction, EmptyRangesStillCountTheirLeaves)
{
    TFvColorBin bins[1];
    TFvPaletteBuffer palette;
    int steps = 0;
    MedianCutSplit(bins, 0, 0, 3, 8, [&] { ++steps; }, palette);
    EXPECT_EQ(steps, 32);
    EXPECT_EQ(palette.Count, 0);
}

TEST(ColorReduction, RefusesAnythingButTrueColour)
{
    TRecord in(2, 2, 8), out;
    ExpectFailure<EFvDIBBadDIBType>([&] { ConvertTrueColorTo8BitRGBLow(in.Infos, out.Infos, false, nullptr); },
                                    "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount");
    ExpectFailure<EFvDIBBadDIBType>([&] { ConvertTrueColorTo4BitRGBHigh(in.Infos, out.Infos, false, nullptr); },
                                    "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount");
    EXPECT_EQ(out.Infos.pBits, nullptr);
    // Every widening and black-and-white converter refuses a source of another depth.
    TRecord wide(2, 2, 24);
    const auto refuses = [&](const std::function<void()>& convert, const char* name, const char* reason) {
        ExpectFailure<EFvDIBBadDIBType>(convert, std::string(name) + ": " + reason);
    };
    const char* combination = "Invalid Bitcount & Compression Combination";
    refuses([&] { Convert1BitRGBTo4BitRGB(wide.Infos, out.Infos, false); }, "Convert1BitRGBTo4BitRGB", combination);
    refuses([&] { Convert1BitRGBTo8BitRGB(wide.Infos, out.Infos, false); }, "Convert1BitRGBTo8BitRGB", combination);
    refuses([&] { Convert4BitRGBTo8BitRGB(wide.Infos, out.Infos, false); }, "Convert4BitRGBTo8BitRGB", combination);
    refuses([&] { Convert1BitRGBToTrueColor(wide.Infos, out.Infos, false); }, "Convert1BitRGBToTrueColor", combination);
    refuses([&] { Convert4BitRGBToTrueColor(wide.Infos, out.Infos, false); }, "Convert4BitRGBToTrueColor", combination);
    refuses([&] { Convert8BitRGBToTrueColor(wide.Infos, out.Infos, false); }, "Convert8BitRGBToTrueColor", combination);
    refuses([&] { Convert8BitTo1BitRGB(wide.Infos, out.Infos, false, 0); }, "Convert8BitTo1BitRGB",
            "Invalid Bitcount or Compression");
    refuses([&] { Convert4BitRGBTo1BitRGB(wide.Infos, out.Infos, false, 0); }, "Convert4BitRGBTo1BitRGB",
            "Invalid Bitcount");
    refuses([&] { ConvertTrueColorTo1BitRGB(in.Infos, out.Infos, false, 0); }, "ConvertTrueColorTo1BitRGB",
            "Invalid Bitcount");
    EXPECT_EQ(out.Infos.pBits, nullptr);
}

// More pixels of one colour than a 32-bit sum of low bits can hold: every
// row of this picture is the same memory.
TEST(ColorReduction, HugeHistogramSumsDoNotWrap)
{
    const int64_t width = 65536, height = 9500;
    Bytes row(3 * width, 255);
    const TFvSourceRows rows{row.data(), width, height, 0};
    std::vector<TFvColorBin> bins;
    ASSERT_EQ(FillHistogram(rows, bins), 1);
    EXPECT_EQ(bins[0].Weight, uint32_t(width * height));
    EXPECT_EQ((Bytes{uint8_t(bins[0].Red), uint8_t(bins[0].Green), uint8_t(bins[0].Blue)}), (Bytes{255, 255, 255}));
    EXPECT_EQ(bins[0].Key, 65535u);
}

} // namespace

namespace {

// Counted in bands on several threads, the bins are those of one plain pass;
// so are those of a small picture whose colours mostly have a bin each.
TEST(ColorReduction, HistogramOfAPhotoSizedPictureMatchesAPlainCount)
{
    for (const auto& [width, height] : {std::pair<int64_t, int64_t>{1531, 1013}, {7, 3}}) {
        Bytes pixels(static_cast<size_t>(3 * width * height));
        uint32_t seed = 7;
        for (uint8_t& b : pixels) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(seed >> 24);
        }
        std::vector<uint64_t> sums(65536 * 4);
        for (size_t i = 0; i < pixels.size(); i += 3) {
            const uint8_t* p = &pixels[i];
            uint64_t* bin = &sums[4 * HistogramKey(p[2], p[1], p[0])];
            bin[0] += p[2] & 7u, bin[1] += p[1] & 3u, bin[2] += p[0] & 7u, ++bin[3];
        }
        const TFvSourceRows rows{pixels.data(), width, height, 3 * width};
        std::vector<TFvColorBin> bins;
        const int64_t used = FillHistogram(rows, bins);
        int64_t expectedUsed = 0;
        for (uint32_t key = 0; key < 65536; ++key) {
            const uint64_t* bin = &sums[4 * key];
            if (bin[3] == 0)
                continue;
            ASSERT_LT(expectedUsed, used);
            const TFvColorBin& got = bins[expectedUsed++];
            EXPECT_EQ(got.Key, key);
            EXPECT_EQ(got.Weight, bin[3]);
            EXPECT_EQ(got.Red, bin[0] / bin[3] + (key >> 11) * 8);
            EXPECT_EQ(got.Green, bin[1] / bin[3] + ((key >> 5) & 63) * 4);
            EXPECT_EQ(got.Blue, bin[2] / bin[3] + (key & 31) * 8);
        }
        EXPECT_EQ(used, expectedUsed);
        EXPECT_TRUE(std::all_of(bins.begin() + used, bins.end(), [](const TFvColorBin& b) {
            return std::tuple(b.Red, b.Green, b.Blue, b.Weight, b.Key) == std::tuple(0u, 0u, 0u, 0u, 0u);
        }));
        // A picture without pixels fills no bin.
        EXPECT_EQ(FillHistogram(TFvSourceRows{pixels.data(), 0, 0, 0}, bins), 0);
        EXPECT_EQ(FillHistogram(TFvSourceRows{pixels.data(), width, 0, 3 * width}, bins), 0);
    }
}

} // namespace
