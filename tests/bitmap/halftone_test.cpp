#include "ConverterRecords.h"

#include "bitmap/Converters.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(Halftone, ColourCube)
{
    TRecord in(2, 1, 24), out;
    in.Row(0)[0] = in.Row(0)[1] = in.Row(0)[2] = 255;
    ConvertToHalftone(in.Infos, out.Infos, false);
    EXPECT_EQ(Pixels8(out, 0), (Bytes{209, 0}));
    EXPECT_EQ(out.Head().biBitCount, 8);
    EXPECT_EQ(out.Head().biClrUsed, 215u);
    const RGBQUAD& c122 = out.Color(122);
    EXPECT_EQ((Bytes{c122.rgbRed, c122.rgbGreen, c122.rgbBlue}), (Bytes{153, 128, 128}));
    const RGBQUAD& c87 = out.Color(87);
    EXPECT_EQ((Bytes{c87.rgbRed, c87.rgbGreen, c87.rgbBlue}), (Bytes{102, 128, 128}));
    const RGBQUAD& c213 = out.Color(213);
    EXPECT_EQ((Bytes{c213.rgbRed, c213.rgbGreen, c213.rgbBlue}), (Bytes{192, 192, 192}));
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

// The diffusion written out plainly: serpentine over memory rows, each value
// less 12/32 of the error just made, 12/32 of the error above and 5/32 of
// the one diagonally behind in the row above (the sum's division truncating).
// Choose maps corrected R, G, B to the colour drawn; errors are drawn - corrected.
using Rgb = std::array<int, 3>;
template <typename Choice>
std::vector<Rgb> PlainDiffusion(TRecord& In, Choice Choose)
{
    const int w = In.Head().biWidth, h = In.Head().biHeight;
    std::vector<Rgb> Drawn(w * h), Error(w * h);
    const auto ErrorAt = [&](int y, int x, int c) { return y < 0 || x < 0 || x >= w ? 0 : Error[w * y + x][c]; };
    for (int y = 0; y < h; ++y) {
        const int step = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = step == 1 ? i : w - 1 - i;
            Rgb v;
            for (int c = 0; c < 3; ++c) {
                const int last = i == 0 ? 0 : ErrorAt(y, x - step, c);
                const int sum = 12 * last + 12 * ErrorAt(y - 1, x, c) + 5 * ErrorAt(y - 1, x - step, c);
                v[c] = In.Row(y)[3 * x + 2 - c] - sum / 32;
            }
            Drawn[w * y + x] = Choose(v);
            for (int c = 0; c < 3; ++c)
                Error[w * y + x][c] = Drawn[w * y + x][c] - v[c];
        }
    }
    return Drawn;
}

// Each level begins where its value is nearer than the one below; red's
// fifth begins at 231, one past the midpoint.
Rgb CubeColour(const Rgb& v)
{
    static const std::vector<int> Levels[3] = {
        {0, 51, 102, 153, 204, 255}, {0, 43, 85, 128, 171, 214, 255}, {0, 64, 128, 192, 255}};
    static const std::vector<int> Starts[3] = {{26, 77, 128, 179, 231}, {22, 64, 107, 150, 193, 234}, {32, 96, 160, 224}};
    Rgb Drawn;
    for (int c = 0; c < 3; ++c)
        Drawn[c] = Levels[c][std::upper_bound(Starts[c].begin(), Starts[c].end(), v[c]) - Starts[c].begin()];
    return Drawn;
}

// Black or white is decided on the sum of all three corrected values.
Rgb BlackOrWhite(const Rgb& v)
{
    const int Drawn = v[0] + v[1] + v[2] >= 384 ? 255 : 0;
    return Rgb{Drawn, Drawn, Drawn};
}

void ExpectPlainDiffusion(TRecord& In)
{
    TRecord colour, bw;
    ConvertToHalftone(In.Infos, colour.Infos, false);
    ConvertToHalftoneBW(In.Infos, bw.Infos, false);
    const std::vector<Rgb> Cube = PlainDiffusion(In, CubeColour), Mono = PlainDiffusion(In, BlackOrWhite);
    const int w = In.Head().biWidth;
    for (int y = 0; y < In.Head().biHeight; ++y)
        for (int x = 0; x < w; ++x) {
            const RGBQUAD& c = colour.Color(colour.Row(y)[x]);
            EXPECT_EQ((Rgb{c.rgbRed, c.rgbGreen, c.rgbBlue}), Cube[w * y + x]) << x << ", " << y;
            EXPECT_EQ(Pixels1(bw, y)[x] * 255, Mono[w * y + x][0]) << x << ", " << y;
        }
}

TEST(Halftone, NoiseFollowsThePlainDiffusion)
{
    TRecord in(13, 6, 24);
    uint32_t seed = 12345;
    for (int y = 0; y < 6; ++y)
        for (int k = 0; k < 39; ++k)
            in.Row(y)[k] = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 23);
    ExpectPlainDiffusion(in);
    // Every level's ends, undisturbed by errors.
    for (int v = 0; v < 256; ++v) {
        TRecord one(1, 1, 24);
        Fill(one, static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v));
        ExpectPlainDiffusion(one);
    }
}

TEST(Halftone, IndexedSourcesUseTheirColourTable)
{
    TRecord in(8, 2, 4, 16), direct(8, 2, 24), a, b;
    in.Color(3) = RGBQUAD{40, 90, 200, 0};
    Fill(direct, 200, 90, 40);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            in.Row(y)[x] = 0x33;
    ConvertToHalftone(in.Infos, a.Infos, false);
    ConvertToHalftone(direct.Infos, b.Infos, false);
    EXPECT_EQ(a.Bytes(), b.Bytes());
    TRecord rle(8, 1, 8, BI_RLE8, Bytes{0, 1});
    ExpectFailure<EFvDIBBadDIBType>([&] { ConvertToHalftone(rle.Infos, a.Infos, false); },
                                    "ConvertToHalftone: Invalid Bitcount & Compression Combination");
}

} // namespace
