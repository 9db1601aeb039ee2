#include "ConverterRecords.h"

#include "bitmap/Converters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::unique_ptr<TFvInternalDIB> MakeStorage(int Width, int Height, int Bits, int Colors)
{
    auto dib = std::make_unique<TFvInternalDIB>(false);
    dib->FreeDIB();
    dib->CreateDIB(Width, Height, Colors, Bits);
    return dib;
}

// Row Y from the top.
uint8_t* TopRow(TFvInternalDIB& Dib, int Y)
{
    const BITMAPINFOHEADER& head = Dib.DIBInfos.W3Head();
    const int row = head.biHeight > 0 ? Dib.Height - 1 - Y : Y;
    return Dib.DIBInfos.pBits + DIBStride(head.biWidth, head.biBitCount) * row;
}

void SetColor(TFvInternalDIB& Dib, int X, int Y, uint8_t R, uint8_t G, uint8_t B)
{
    uint8_t* p = TopRow(Dib, Y) + 3 * X;
    p[0] = B, p[1] = G, p[2] = R;
}

// Every pixel's colour B, G, R, top row first, read through a 24-bit copy.
Bytes Colors(const TFvInternalDIB& Dib)
{
    const auto copy = Dib.Clone(false);
    copy->SetPixelFormat(fvPf24Bit, fvCmNormal, nullptr, 0xFFFFFF);
    Bytes colors;
    for (int y = 0; y < copy->Height; ++y)
        colors.insert(colors.end(), TopRow(*copy, y), TopRow(*copy, y) + 3 * copy->Width);
    return colors;
}

TEST(PixelFormat, ReadFromBitCountAndCompression)
{
    TFvInternalDIB dib(false);
    BITMAPINFOHEADER& head = dib.DIBInfos.W3Head();
    const struct {
        int Bits;
        uint32_t Compression;
        TFvPixelFormat Format;
    } valid[] = {{1, BI_RGB, fvPf1Bit},   {4, BI_RGB, fvPf4Bit},   {4, BI_RLE4, fvPf4BitRLE},
                 {8, BI_RGB, fvPf8Bit},   {8, BI_RLE8, fvPf8BitRLE}, {24, BI_RGB, fvPf24Bit}};
    for (const auto& v : valid) {
        head.biBitCount = static_cast<WORD>(v.Bits);
        head.biCompression = v.Compression;
        EXPECT_EQ(dib.GetPixelFormat(), v.Format) << v.Bits << "/" << v.Compression;
    }
    const struct {
        int Bits;
        uint32_t Compression;
        const char* Message;
    } invalid[] = {{1, BI_RLE8, "TFvInternalDIB.GetPixelFormat: Invalid DIB(1Bit)"},
                   {4, BI_RLE8, "TFvInternalDIB.GetPixelFormat: Invalid DIB(4Bit)"},
                   {8, BI_BITFIELDS, "TFvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)"},
                   {24, BI_RLE4, "TFvInternalDIB.GetPixelFormat: Invalid DIB(24Bit)"},
                   {16, BI_RGB, "TFvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)"}};
    for (const auto& v : invalid) {
        head.biBitCount = static_cast<WORD>(v.Bits);
        head.biCompression = v.Compression;
        ExpectFailure<EFvDIBInvalidDIB>([&] { dib.GetPixelFormat(); }, v.Message);
        ExpectFailure<EFvDIBInvalidDIB>([&] { dib.SetPixelFormat(fvPf24Bit, fvCmNormal, nullptr, 0); }, v.Message);
    }
    head.biBitCount = 8;
    head.biCompression = BI_RGB;
}

TEST(PixelFormat, TheCurrentFormatChangesNothing)
{
    auto dib = MakeStorage(5, 3, 8, 256);
    dib->PaletteModified = false;
    uint8_t* bits = dib->DIBInfos.pBits;
    int steps = 0;
    dib->SetPixelFormat(fvPf8Bit, fvCmNormal, [&] { ++steps; }, 0xFFFFFF);
    EXPECT_EQ(dib->DIBInfos.pBits, bits);
    EXPECT_FALSE(dib->PaletteModified);
    EXPECT_EQ(steps, 0);
}

TEST(PixelFormat, BlackAndWhiteKeepsOnlyTheBackground)
{
    for (const uint32_t background : {0xFFFFFFu, 0x000000u}) {
        auto dib = MakeStorage(9, 1, 24, 0);
        SetColor(*dib, 0, 0, 255, 255, 255);
        SetColor(*dib, 1, 0, 254, 255, 255);
        SetColor(*dib, 3, 0, 0, 0, 1);
        SetColor(*dib, 8, 0, 255, 255, 255);
        dib->SetPixelFormat(fvPf1Bit, fvCmNormal, nullptr, background);
        ASSERT_EQ(dib->GetPixelFormat(), fvPf1Bit);
        const uint8_t* row = dib->DIBInfos.pBits;
        if (background == 0xFFFFFF) {
            EXPECT_EQ(row[0], 0x80);
            EXPECT_EQ(row[1], 0x80);
        } else {
            // Pixels 2 and 4 to 7 are black; bits past the width stay 0.
            EXPECT_EQ(row[0], 0x2F);
            EXPECT_EQ(row[1], 0x00);
        }
        EXPECT_EQ(dib->DIBInfos.W3Head().biClrUsed, 2u);
        EXPECT_EQ(dib->DIBInfos.W3HeadInfo.bmiColors[0].rgbRed, 0);
        EXPECT_EQ(dib->DIBInfos.W3HeadInfo.bmiColors[1].rgbBlue, 255);
    }
    // The background is compared R, G, B with the value's low, middle and high byte:
    // of red 0x10 and blue 0x30 and its mirror, only the first is the background.
    auto trueColour = MakeStorage(2, 1, 24, 0);
    SetColor(*trueColour, 0, 0, 0x10, 0x20, 0x30);
    SetColor(*trueColour, 1, 0, 0x30, 0x20, 0x10);
    trueColour->SetPixelFormat(fvPf1Bit, fvCmNormal, nullptr, 0x302010);
    EXPECT_EQ(trueColour->DIBInfos.pBits[0], 0x80);
    auto dib = MakeStorage(2, 1, 8, 256);
    dib->DIBInfos.W3HeadInfo.bmiColors[1] = RGBQUAD{0x30, 0x20, 0x10, 0};
    dib->DIBInfos.pBits[0] = 1;
    dib->SetPixelFormat(fvPf1Bit, fvCmNormal, nullptr, 0x302010);
    EXPECT_EQ(dib->DIBInfos.pBits[0], 0x80);
}

TEST(PixelFormat, WideningKeepsTheColourTable)
{
    auto dib = MakeStorage(3, 2, 4, 16);
    for (int i = 0; i < 16; ++i)
        dib->DIBInfos.W3HeadInfo.bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0};
    TopRow(*dib, 0)[0] = 0x5A;
    TopRow(*dib, 0)[1] = 0xF0;
    dib->SetPixelFormat(fvPf8Bit, fvCmNormal, nullptr, 0);
    EXPECT_EQ(dib->DIBInfos.W3Head().biClrUsed, 16u);
    EXPECT_EQ(Bytes(TopRow(*dib, 0), TopRow(*dib, 0) + 3), (Bytes{5, 10, 15}));
    dib->SetPixelFormat(fvPf24Bit, fvCmNormal, nullptr, 0);
    EXPECT_EQ(dib->DIBInfos.W3Head().biClrUsed, 16u);
    EXPECT_EQ(dib->DIBInfos.W3HeadInfo.bmiColors[15].rgbRed, 45);
    EXPECT_EQ(Bytes(TopRow(*dib, 0), TopRow(*dib, 0) + 9), (Bytes{5, 10, 15, 10, 20, 30, 15, 30, 45}));
}

TEST(PixelFormat, OddWidthsLeaveTheSpareNibbleClear)
{
    auto dib = MakeStorage(3, 1, 1, 2);
    dib->DIBInfos.pBits[0] = 0xFF;
    dib->SetPixelFormat(fvPf4Bit, fvCmNormal, nullptr, 0);
    EXPECT_EQ(Bytes(dib->DIBInfos.pBits, dib->DIBInfos.pBits + 4), (Bytes{0x11, 0x10, 0, 0}));
}

TEST(PixelFormat, ReducingConversionsReportProgress)
{
    const struct {
        TFvPixelFormat From, To;
        int Steps;
    } cases[] = {{fvPf24Bit, fvPf8Bit, 256}, {fvPf24Bit, fvPf4Bit, 16},   {fvPf24Bit, fvPf8BitRLE, 256},
                 {fvPf8Bit, fvPf4Bit, 16},   {fvPf8Bit, fvPf4BitRLE, 16}, {fvPf8BitRLE, fvPf4Bit, 16},
                 {fvPf8Bit, fvPf24Bit, 0},   {fvPf24Bit, fvPf1Bit, 0},    {fvPf24Bit, fvPfHalftone, 0}};
    for (const auto mode : {fvCmNormal, fvCmFine})
        for (const auto& c : cases) {
            auto dib = MakeStorage(40, 4, 24, 0);
            dib->SetPixelFormat(c.From, mode, nullptr, 0);
            int steps = 0;
            dib->SetPixelFormat(c.To, mode, [&] { ++steps; }, 0);
            EXPECT_EQ(steps, c.Steps) << c.From << " -> " << c.To;
        }
}

TEST(PixelFormat, AFailedChainLeavesTheBitmapAsItWas)
{
    // Sixteen greys in runs of four pixels: RLE8 holds them, but as 4-bit
    // units each run is two units and RLE4 cannot be smaller.
    auto dib = MakeStorage(64, 3, 8, 256);
    for (int i = 0; i < 16; ++i)
        dib->DIBInfos.W3HeadInfo.bmiColors[i] = RGBQUAD{uint8_t(17 * i), uint8_t(17 * i), uint8_t(17 * i), 0};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 64; ++x)
            TopRow(*dib, y)[x] = static_cast<uint8_t>((x / 4 + y) % 16);
    dib->SetPixelFormat(fvPf8BitRLE, fvCmNormal, nullptr, 0);
    const TFvDIBInfos before = dib->DIBInfos;
    const Bytes stream(dib->DIBInfos.pBits, dib->DIBInfos.pBits + dib->DIBInfos.BitsSize);
    int steps = 0;
    ExpectFailure<EFvDIBCompressionFailed>([&] { dib->SetPixelFormat(fvPf4BitRLE, fvCmNormal, [&] { ++steps; }, 0); },
                                           "Convert4BitRGBTo4BitRLE: Compression Failed");
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(dib->GetPixelFormat(), fvPf8BitRLE);
    EXPECT_EQ(dib->DIBInfos.pBits, before.pBits);
    EXPECT_EQ(Bytes(dib->DIBInfos.pBits, dib->DIBInfos.pBits + dib->DIBInfos.BitsSize), stream);
    EXPECT_EQ(0, std::memcmp(dib->DIBInfos.Dummy, before.Dummy, sizeof(before.Dummy)));
}

// Black and white stripes survive every pair of formats; sixteen greys every
// pair whose target has at least 16 colours.
TEST(PixelFormat, RoundTripsKeepThePicture)
{
    const TFvPixelFormat formats[] = {fvPf1Bit, fvPf4Bit, fvPf4BitRLE, fvPf8Bit, fvPf8BitRLE, fvPf24Bit};
    for (const bool greys : {false, true})
        for (const auto mode : {fvCmNormal, fvCmFine})
            for (const int height : {5, -5}) {
                auto original = MakeStorage(131, height, 24, 0);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 131; ++x) {
                        const int v = greys ? 17 * ((x / 8 + y) % 16) : ((x / 8 + y) % 2) * 255;
                        SetColor(*original, x, y, uint8_t(v), uint8_t(v), uint8_t(v));
                    }
                const Bytes colors = Colors(*original);
                for (const auto from : formats)
                    for (const auto to : formats) {
                        if (greys && (from == fvPf1Bit || to == fvPf1Bit))
                            continue;
                        const auto dib = original->Clone(false);
                        dib->SetPixelFormat(from, mode, nullptr, 0xFFFFFF);
                        dib->SetPixelFormat(to, mode, nullptr, 0xFFFFFF);
                        EXPECT_EQ(dib->GetPixelFormat(), to);
                        EXPECT_EQ(Colors(*dib), colors) << (greys ? "greys " : "stripes ") << from << " -> " << to
                                                        << " mode " << mode << " height " << height;
                    }
            }
}

TEST(PixelFormat, TrueColorPalette)
{
    auto dib = MakeStorage(4, 2, 24, 0);
    SetColor(*dib, 0, 0, 10, 20, 30);
    const Bytes before(dib->DIBInfos.pBits, dib->DIBInfos.pBits + dib->DIBInfos.BitsSize);
    for (const auto mode : {fvCmNormal, fvCmFine}) {
        dib->PaletteModified = false;
        int steps = 0;
        dib->CreateTrueColorPalette(mode, [&] { ++steps; });
        EXPECT_EQ(steps, 256);
        EXPECT_TRUE(dib->PaletteModified);
        EXPECT_EQ(dib->GetPixelFormat(), fvPf24Bit);
        EXPECT_EQ(Bytes(dib->DIBInfos.pBits, dib->DIBInfos.pBits + dib->DIBInfos.BitsSize), before);
        ASSERT_EQ(dib->DIBInfos.W3Head().biClrUsed, 2u);
        const RGBQUAD first = dib->DIBInfos.W3HeadInfo.bmiColors[0];
        EXPECT_EQ(first.rgbRed, 10);
        EXPECT_EQ(first.rgbBlue, 30);
    }
    // Of a picture of many colours, each mode keeps the table its 8-bit conversion chooses.
    auto noise = MakeStorage(37, 23, 24, 0);
    uint32_t seed = 1;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            seed = seed * 1103515245u + 12345u;
            SetColor(*noise, x, y, uint8_t(seed >> 24), uint8_t(seed >> 16), uint8_t(seed >> 8));
        }
    const auto table = [](const TFvInternalDIB& d) {
        const auto* c = reinterpret_cast<const uint8_t*>(d.DIBInfos.W3HeadInfo.bmiColors);
        return Bytes(c, c + 4 * d.DIBInfos.W3Head().biClrUsed);
    };
    Bytes tables[2];
    for (const auto mode : {fvCmNormal, fvCmFine}) {
        const auto converted = noise->Clone(false);
        converted->SetPixelFormat(fvPf8Bit, mode, nullptr, 0xFFFFFF);
        noise->CreateTrueColorPalette(mode, nullptr);
        tables[mode == fvCmFine] = table(*noise);
        EXPECT_EQ(tables[mode == fvCmFine], table(*converted)) << mode;
    }
    EXPECT_NE(tables[0], tables[1]);

    auto indexed = MakeStorage(4, 2, 8, 256);
    indexed->PaletteModified = false;
    ExpectFailure<EFvDIBBadDIBType>([&] { indexed->CreateTrueColorPalette(fvCmNormal, nullptr); },
                                    "TFvInternalDIB.CreateTrueColorPalette: Bad DIB Type");
    EXPECT_EQ(indexed->DIBInfos.W3Head().biClrUsed, 256u);
    EXPECT_FALSE(indexed->PaletteModified);
}

} // namespace
