#include "ConverterRecords.h"

#include "bitmap/Converters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode8(const Bytes& Pixels, int Height = 1)
{
    const int width = static_cast<int>(Pixels.size()) / Height;
    TRecord in(width, Height, 8);
    for (int y = 0; y < Height; ++y)
        std::copy(Pixels.begin() + width * y, Pixels.begin() + width * (y + 1), in.Row(y));
    TRecord out;
    Convert8BitRGBTo8BitRLE(in.Infos, out.Infos, false);
    return out.Bytes();
}

Bytes Decode8(int Width, int Height, const Bytes& Stream)
{
    TRecord in(Width, Height, 8, BI_RLE8, Stream);
    TRecord out;
    Convert8BitRLETo8BitRGB(in.Infos, out.Infos, false);
    return out.Bytes();
}

Bytes Decode4(int Width, int Height, const Bytes& Stream)
{
    TRecord in(Width, Height, 4, BI_RLE4, Stream);
    TRecord out;
    Convert4BitRLETo4BitRGB(in.Infos, out.Infos, false);
    return out.Bytes();
}

void ExpectBad8(int Width, int Height, const Bytes& Stream, const std::string& What)
{
    ExpectFailure<EFvDIBInvalidDIB>([&] { Decode8(Width, Height, Stream); },
                                    "Convert8BitRLETo8BitRGB: Bad RLE Data " + What);
}

void ExpectBad4(int Width, int Height, const Bytes& Stream, const std::string& What)
{
    ExpectFailure<EFvDIBInvalidDIB>([&] { Decode4(Width, Height, Stream); },
                                    "Convert4BitRLETo4BitRGB: Bad RLE Data " + What);
}

TEST(RleEncoding, CutsRowsIntoRunsAndLiterals)
{
    // The literal 5, 6 of two units becomes two one-pixel runs; the second 9
    // turns the open literal 5, 6, 9 into a run.
    EXPECT_EQ(Encode8({7, 7, 7, 7, 7, 7, 5, 6, 9, 9, 9, 9, 9, 9, 9, 9}),
              (Bytes{6, 7, 1, 5, 1, 6, 8, 9, 0, 0, 0, 1}));
    EXPECT_EQ(Encode8(Bytes(256, 42)), (Bytes{255, 42, 1, 42, 0, 0, 0, 1}));
    // Three different pixels and an odd count: absolute mode with a pad byte.
    EXPECT_EQ(Encode8({1, 2, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4}),
              (Bytes{0, 3, 1, 2, 3, 0, 9, 4, 0, 0, 0, 1}));

    // A full literal of 255 closes, and the row's one unit left is a run of one.
    Bytes rows(512, 42);
    Bytes expected{0, 255};
    for (int i = 0; i < 255; ++i) {
        rows[i] = static_cast<uint8_t>(i % 7);
        expected.push_back(rows[i]);
    }
    rows[255] = 200;
    expected.insert(expected.end(), {0, 1, 200, 0, 0, 255, 42, 1, 42, 0, 0, 0, 1});
    EXPECT_EQ(Encode8(rows, 2), expected);
}

TEST(RleEncoding, FailsWhenTheStreamWouldNotBeSmaller)
{
    const std::string message = "Convert8BitRGBTo8BitRLE: Compression Failed";
    ExpectFailure<EFvDIBCompressionFailed>([] { Encode8({9}); }, message);
    ExpectFailure<EFvDIBCompressionFailed>([] { Encode8({9, 9}); }, message);
    Bytes distinct(300);
    for (size_t i = 0; i < distinct.size(); ++i)
        distinct[i] = static_cast<uint8_t>(i % 7);
    ExpectFailure<EFvDIBCompressionFailed>([&] { Encode8(distinct); }, message);
}

TEST(RleEncoding, Rle4CutsTheLastUnitOfAnOddRow)
{
    TRecord in(13, 1, 4);
    for (int i = 0; i < 6; ++i)
        in.Row(0)[i] = 0x33;
    in.Row(0)[6] = 0x30;
    TRecord out;
    Convert4BitRGBTo4BitRLE(in.Infos, out.Infos, false);
    EXPECT_EQ(out.Bytes(), (Bytes{12, 0x33, 1, 0x30, 0, 0, 0, 1}));
    EXPECT_EQ(out.Infos.BitsSize, 8);
    EXPECT_EQ(out.Head().biSizeImage, 8u);
    EXPECT_EQ(out.Head().biCompression, BI_RLE4);

    // A run holds at most 127 units (254 pixels); this row of 301 has 150 units of 3, 3.
    TRecord wide(301, 1, 4);
    std::fill_n(wide.Row(0), 150, uint8_t{0x33});
    wide.Row(0)[150] = 0x30;
    TRecord wideOut;
    Convert4BitRGBTo4BitRLE(wide.Infos, wideOut.Infos, false);
    EXPECT_EQ(wideOut.Bytes(), (Bytes{254, 0x33, 46, 0x33, 1, 0x30, 0, 0, 0, 1}));
}

TEST(RleEncoding, TopDownRowsComeBackBottomUp)
{
    TRecord in(20, -3, 8, 256);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x)
            in.Row(y)[x] = static_cast<uint8_t>(x < 10 ? y : 50 + y);
    in.Color(7) = RGBQUAD{1, 2, 3, 0};
    TRecord rle, back;
    Convert8BitRGBTo8BitRLE(in.Infos, rle.Infos, false);
    EXPECT_EQ(rle.Head().biHeight, 3);
    EXPECT_EQ(rle.Head().biClrUsed, 256u);
    EXPECT_EQ(rle.Color(7).rgbRed, 3);
    Convert8BitRLETo8BitRGB(rle.Infos, back.Infos, false);
    EXPECT_EQ(back.Head().biHeight, 3);
    EXPECT_EQ(back.Head().biCompression, BI_RGB);
    EXPECT_EQ(back.Head().biSizeImage, 0u);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(back.RowBytes(y), in.RowBytes(2 - y)) << "row " << y;
}

TEST(RleEncoding, RoundTripsKeepThePicture)
{
    for (int bits : {4, 8})
        for (int width : {31, 64, 255, 256, 300, 511, 1001}) {
            TRecord in(width, 4, bits);
            const int64_t bytes = bits == 8 ? width : (width + 1) / 2;
            for (int y = 0; y < 4; ++y)
                for (int64_t x = 0; x < bytes; ++x)
                    // Long runs with short literals between them.
                    in.Row(y)[x] = static_cast<uint8_t>(x % 20 < 3 ? x * 7 + y : 0x11 * y);
            if (bits == 4 && (width & 1) != 0)
                for (int y = 0; y < 4; ++y)
                    in.Row(y)[bytes - 1] &= 0xF0;
            TRecord rle, back;
            if (bits == 8) {
                Convert8BitRGBTo8BitRLE(in.Infos, rle.Infos, false);
                Convert8BitRLETo8BitRGB(rle.Infos, back.Infos, false);
            } else {
                Convert4BitRGBTo4BitRLE(in.Infos, rle.Infos, false);
                Convert4BitRLETo4BitRGB(rle.Infos, back.Infos, false);
            }
            EXPECT_EQ(back.Bytes(), in.Bytes()) << bits << " bits, width " << width;
        }
}

TEST(RleEncoding, RefusesOtherFormats)
{
    TRecord rgb4(4, 1, 4), rle8(4, 1, 8, BI_RLE8, Bytes{0, 1});
    TRecord out;
    ExpectFailure<EFvDIBBadDIBType>([&] { Convert8BitRGBTo8BitRLE(rgb4.Infos, out.Infos, false); },
                                    "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    ExpectFailure<EFvDIBBadDIBType>([&] { Convert8BitRGBTo8BitRLE(rle8.Infos, out.Infos, false); },
                                    "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    ExpectFailure<EFvDIBBadDIBType>([&] { Convert4BitRLETo4BitRGB(rle8.Infos, out.Infos, false); },
                                    "Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination");
    EXPECT_EQ(out.Infos.pBits, nullptr);
}

TEST(RleDecoding, RunsDeltasAndAbsoluteRuns)
{
    // Row 0: run, absolute with its pad byte; end of line; delta to (1, 2); run.
    const Bytes stream{2, 9, 0, 3, 4, 5, 6, 0, 0, 0, 0, 2, 1, 1, 2, 8, 0, 1};
    const Bytes expected{9, 9, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(Decode8(5, 3, stream), expected);
}

TEST(RleDecoding, EndsOfLineUpToTheHeight)
{
    EXPECT_EQ(Decode8(3, 2, {0, 0, 0, 0, 0, 1}), Bytes(8, 0));
    ExpectBad8(3, 2, {0, 0, 0, 0, 0, 0, 0, 1}, "1");
    EXPECT_EQ(Decode4(3, 2, {0, 0, 0, 0, 0, 1}), Bytes(8, 0));
    ExpectBad4(3, 2, {0, 0, 0, 0, 0, 0, 0, 1}, "5");
}

TEST(RleDecoding, RefusesWritesOutsideTheRows)
{
    ExpectBad8(4, 2, {5, 1, 0, 1}, "4");
    ExpectBad8(4, 1, {0, 0, 1, 1, 0, 1}, "4");         // a run on the row past the last
    ExpectBad8(4, 2, {0, 2, 5, 0, 0, 1}, "2");         // delta past the row
    ExpectBad8(4, 2, {0, 2, 0, 3, 0, 1}, "2");         // delta past the last row
    ExpectBad8(4, 2, {2, 0, 0, 3, 1, 2, 3, 0}, "3");   // absolute run past the row
    ExpectBad4(3, 1, {5, 0x12, 0, 1}, "8");
    ExpectBad4(3, 1, {0, 2, 5, 0, 0, 1}, "6");
    ExpectBad4(3, 1, {0, 5, 0x12, 0x34, 0x50, 0}, "7");
    // A delta to the end of a row and past the last row's end of line is allowed.
    EXPECT_EQ(Decode8(4, 1, {0, 2, 4, 1, 0, 1}), Bytes(4, 0));
}

TEST(RleDecoding, StreamsThatStopEarly)
{
    // Between two pairs: as if the end of bitmap had been read.
    EXPECT_EQ(Decode8(4, 1, {3, 7}), (Bytes{7, 7, 7, 0}));
    EXPECT_EQ(Decode8(4, 1, {}), Bytes(4, 0));
    EXPECT_EQ(Decode4(4, 1, {3, 0x12}), (Bytes{0x12, 0x10, 0, 0}));
    // Inside a pair, a delta's operands or an absolute run.
    ExpectBad8(4, 1, {3}, "(End of Data)");
    ExpectBad8(4, 1, {0, 2, 1}, "(End of Data)");
    ExpectBad8(4, 1, {0, 3, 1, 2, 3}, "(End of Data)");
    ExpectBad4(4, 1, {0, 3, 0x12}, "(End of Data)");
    ExpectBad4(4, 1, {0, 2}, "(End of Data)");
}

TEST(RleDecoding, Rle4Nibbles)
{
    // A delta to an odd x: the run starts in the low nibble of byte x div 2.
    EXPECT_EQ(Decode4(8, 1, {0, 2, 3, 0, 3, 0xAB, 0, 1}), (Bytes{0x00, 0x0A, 0xBA, 0x00}));
    // An odd-width row may be filled up to its spare nibble; absolute runs
    // take whole words.
    EXPECT_EQ(Decode4(5, 1, {6, 0x12}), (Bytes{0x12, 0x12, 0x12, 0x00}));
    EXPECT_EQ(Decode4(5, 2, {0, 5, 0x12, 0x34, 0x50, 0x00, 0, 0, 0, 3, 0x67, 0x80, 0, 1}),
              (Bytes{0x12, 0x34, 0x50, 0x00, 0x67, 0x80, 0x00, 0x00}));
}

} // namespace
