#include "ConverterRecords.h"

#include "bitmap/Converters.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A 24-bit record of one colour; rows in memory order.
void Fill(TRecord& Record, uint8_t R, uint8_t G, uint8_t B)
{
    const int height = Record.Head().biHeight < 0 ? -Record.Head().biHeight : Record.Head().biHeight;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < Record.Head().biWidth; ++x) {
            uint8_t* p = Record.Row(y) + 3 * x;
            p[0] = B, p[1] = G, p[2] = R;
        }
}

Bytes Pixels8(TRecord& Record, int Y)
{
    return Bytes(Record.Row(Y), Record.Row(Y) + Record.Head().biWidth);
}

Bytes Pixels1(TRecord& Record, int Y)
{
    Bytes bits;
    for (int x = 0; x < Record.Head().biWidth; ++x)
        bits.push_back((Record.Row(Y)[x / 8] >> (7 - x % 8)) & 1);
    return bits;
}

// Bytes of a fixed pseudo-random sequence.
struct Noise {
    uint32_t State;
    uint8_t Next()
    {
        State = State * 1664525u + 1013904223u;
        return static_cast<uint8_t>(State >> 24);
    }
};

const int Levels[3][7] = {{0, 51, 102, 153, 204, 255}, {0, 43, 85, 128, 171, 214, 255}, {0, 64, 128, 192, 255}};
// The highest value of each level but the last, per channel R, G, B.
const int Tops[3][6] = {{25, 76, 127, 178, 230, 999}, {21, 63, 106, 149, 192, 233}, {31, 95, 159, 223, 999, 999}};
const int LevelCount[3] = {6, 7, 5};

// The diffusion written plainly: pixel indexes (or 0/1 for black and white)
// of a 24-bit record, rows in memory order; Seen counts each level top met.
std::vector<Bytes> PlainHalftone(TRecord& Source, bool BlackAndWhite, std::vector<int>& Seen)
{
    const int w = Source.Head().biWidth, h = Source.Head().biHeight;
    std::vector<std::vector<std::array<int, 3>>> errors(h + 1, std::vector<std::array<int, 3>>(w + 2));
    std::vector<Bytes> result(h, Bytes(w));
    for (int y = 0; y < h; ++y) {
        const bool forward = y % 2 == 0;
        std::array<int, 3> last{};
        for (int i = 0; i < w; ++i) {
            const int x = forward ? i : w - 1 - i;
            const uint8_t* p = Source.Row(y) + 3 * x;
            const int value[3] = {p[2], p[1], p[0]};
            int v[3], level[3];
            for (int c = 0; c < 3; ++c) {
                const int behind = errors[y][forward ? x : x + 2][c];
                v[c] = value[c] - (12 * last[c] + 12 * errors[y][x + 1][c] + 5 * behind) / 32;
                level[c] = 0;
                while (level[c] < LevelCount[c] - 1 && v[c] > Tops[c][level[c]])
                    ++level[c];
                for (int k = 0; k < 6; ++k)
                    Seen[6 * c + k] += v[c] == Tops[c][k] || v[c] == Tops[c][k] + 1;
            }
            const bool white = v[0] + v[1] + v[2] >= 384;
            Seen[18] += v[0] + v[1] + v[2] == 383 || v[0] + v[1] + v[2] == 384;
            for (int c = 0; c < 3; ++c) {
                const int error = BlackAndWhite ? (white ? 255 : 0) - v[c] : Levels[c][level[c]] - v[c];
                errors[y + 1][x + 1][c] = last[c] = static_cast<int16_t>(error);
            }
            result[y][x] = static_cast<uint8_t>(BlackAndWhite ? white : 35 * level[0] + 5 * level[1] + level[2]);
        }
    }
    return result;
}

TEST(Halftone, ColourCube)
{
    TRecord in(2, 1, 24), out;
    in.Row(0)[0] = in.Row(0)[1] = in.Row(0)[2] = 255;
    ConvertToHalftone(in.Infos, out.Infos, false);
    EXPECT_EQ(Pixels8(out, 0), (Bytes{209, 0}));
    EXPECT_EQ(out.Head().biBitCount, 8);
    EXPECT_EQ(out.Head().biClrUsed, 215u);
    std::vector<Bytes> expected;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 5; ++b)
                expected.push_back(Bytes{uint8_t(Levels[0][r]), uint8_t(Levels[1][g]), uint8_t(Levels[2][b]), 0});
    for (const Bytes& extra : {Bytes{128, 0, 0, 0}, Bytes{128, 128, 0, 0}, Bytes{128, 0, 128, 0},
                               Bytes{192, 192, 192, 0}, Bytes{128, 128, 128, 0}})
        expected.push_back(extra);
    for (int i = 0; i < 215; ++i) {
        const RGBQUAD& c = out.Color(i);
        EXPECT_EQ((Bytes{c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved}), expected[i]) << i;
    }
}

// An oblong noise picture meets both sides of every level's top and of the
// black-and-white threshold; rows run both ways with odd and even widths.
TEST(Halftone, NoiseFollowsThePlainDiffusion)
{
    for (const int width : {61, 60}) {
        TRecord in(width, 37, 24), colour, bw;
        Noise noise{static_cast<uint32_t>(width)};
        for (int y = 0; y < 37; ++y)
            for (int x = 0; x < 3 * width; ++x)
                in.Row(y)[x] = noise.Next();
        ConvertToHalftone(in.Infos, colour.Infos, false);
        ConvertToHalftoneBW(in.Infos, bw.Infos, false);
        std::vector<int> seen(19);
        const std::vector<Bytes> expectedColour = PlainHalftone(in, false, seen);
        const std::vector<Bytes> expectedBW = PlainHalftone(in, true, seen);
        for (int y = 0; y < 37; ++y) {
            EXPECT_EQ(Pixels8(colour, y), expectedColour[y]) << width << " row " << y;
            EXPECT_EQ(Pixels1(bw, y), expectedBW[y]) << width << " row " << y;
        }
        for (int i = 0; i < 19; ++i) {
            if (i == 18 || Tops[i / 6][i % 6] < 999) {
                EXPECT_GT(seen[i], 0) << "boundary " << i << " never met";
            }
        }
    }
}

TEST(Halftone, GreyAlternatesTheRedLevels)
{
    TRecord in(8, 2, 24), out;
    Fill(in, 128, 128, 128);
    ConvertToHalftone(in.Infos, out.Infos, false);
    EXPECT_EQ(Pixels8(out, 0), (Bytes{122, 87, 122, 87, 122, 87, 122, 87}));
    // The second memory row runs from the right.
    EXPECT_EQ(Pixels8(out, 1)[7], 122);

    // With an odd width the second row meets the error of the first row's
    // last pixel at its start.
    TRecord odd(7, 2, 24), oddOut;
    Fill(odd, 128, 128, 128);
    ConvertToHalftone(odd.Infos, oddOut.Infos, false);
    EXPECT_EQ(Pixels8(oddOut, 0), (Bytes{122, 87, 122, 87, 122, 87, 122}));
    EXPECT_EQ(Pixels8(oddOut, 1)[6], 87);
}

TEST(Halftone, BlackAndWhite)
{
    TRecord in(8, 2, 24), out;
    Fill(in, 128, 128, 128);
    ConvertToHalftoneBW(in.Infos, out.Infos, false);
    EXPECT_EQ(Pixels1(out, 0), (Bytes{1, 0, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(Pixels1(out, 1)[7], 1);
    EXPECT_EQ(out.Head().biBitCount, 1);
    EXPECT_EQ(out.Head().biClrUsed, 2u);
    EXPECT_EQ(out.Color(1).rgbGreen, 255);

    TRecord odd(7, 2, 24), oddOut;
    Fill(odd, 128, 128, 128);
    ConvertToHalftoneBW(odd.Infos, oddOut.Infos, false);
    EXPECT_EQ(Pixels1(oddOut, 1)[6], 0);
}

// Indexed pixels of every depth, high bits first, go through their colour
// table to the same result as the 24-bit picture of those colours.
TEST(Halftone, IndexedSourcesUseTheirColourTable)
{
    for (const int bits : {1, 4, 8}) {
        const int colours = 1 << bits;
        TRecord in(23, 9, bits, colours), direct(23, 9, 24), a, b;
        Noise noise{static_cast<uint32_t>(bits)};
        for (int i = 0; i < colours; ++i)
            in.Color(i) = RGBQUAD{noise.Next(), noise.Next(), noise.Next(), 0};
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 23; ++x) {
                const int index = noise.Next() % colours;
                const int shift = 8 - bits - x * bits % 8;
                in.Row(y)[x * bits / 8] = static_cast<uint8_t>(in.Row(y)[x * bits / 8] | index << shift);
                const RGBQUAD& c = in.Color(index);
                uint8_t* p = direct.Row(y) + 3 * x;
                p[0] = c.rgbBlue, p[1] = c.rgbGreen, p[2] = c.rgbRed;
            }
        ConvertToHalftone(in.Infos, a.Infos, false);
        ConvertToHalftone(direct.Infos, b.Infos, false);
        EXPECT_EQ(a.Bytes(), b.Bytes()) << bits << " bits";
    }
    TRecord rle(8, 1, 8, BI_RLE8, Bytes{0, 1}), a;
    ExpectFailure<EFvDIBBadDIBType>([&] { ConvertToHalftone(rle.Infos, a.Infos, false); },
                                    "ConvertToHalftone: Invalid Bitcount & Compression Combination");
}

} // namespace
