#include "ConverterRecords.h"

#include "bitmap/Converters.h"

#include <gtest/gtest.h>

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
