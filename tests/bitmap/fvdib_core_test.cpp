#include "TestSupport.h"

#include <cstring>

namespace {

TEST(FvDIB, NewBitmapIsOnePixelEightBits)
{
    TFvDIB dib;
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_EQ(dib.Height(), 1);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.PaletteSize(), 256);
    EXPECT_EQ(dib.PixelFormat(), fvPf8Bit);
    EXPECT_TRUE(dib.UseFMO());
    EXPECT_FALSE(dib.GetEmpty());
    EXPECT_FALSE(dib.Modified());
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.ConvertMode(), fvCmNormal);
    EXPECT_EQ(dib.BGColor(), clWhite);
    EXPECT_EQ(dib.HalftoneMode(), fvHtNoHalftone);
    EXPECT_EQ(dib.ClipboardFormat(), CF_DIB);
    EXPECT_EQ(dib.XPelsPerMeter(), 3780);
}

TEST(FvDIB, AssignSharesAndScanLineCopiesOnWrite)
{
    TFvDIB a;
    a.SetBitCount(24);
    a.SetWidth(4);
    a.SetHeight(3);
    a.ScanLine(0)[0] = 11;
    a.SetBGColor(clRed);
    a.SetConvertMode(fvCmFine);

    TFvDIB b;
    ChangeCounter changes;
    changes.Attach(b);
    b.Assign(&a);
    EXPECT_EQ(&a.InternalDIB(), &b.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount, 2);
    EXPECT_EQ(b.BGColor(), clRed);
    EXPECT_EQ(b.ConvertMode(), fvCmFine);
    EXPECT_TRUE(b.Modified());
    EXPECT_EQ(changes.Count, 1);

    uint8_t* row = b.ScanLine(0);
    EXPECT_NE(&a.InternalDIB(), &b.InternalDIB());
    EXPECT_EQ(a.InternalDIB().RefCount, 1);
    EXPECT_EQ(b.InternalDIB().RefCount, 1);
    EXPECT_EQ(row[0], 11);
    row[0] = 22;
    EXPECT_EQ(a.ScanLine(0)[0], 11);
    // No further copy once each holds its own storage.
    EXPECT_EQ(b.ScanLine(0), row);
}

// A conversion builds new memory anyway, so a shared storage is converted
// where it is; a failed one leaves the two still sharing.
TEST(FvDIB, ConvertingASharedBitmapLeavesTheOtherAlone)
{
    TFvDIB a;
    a.SetBitCount(24);
    a.SetWidth(64);
    a.SetHeight(3);
    for (int x = 0; x < 64; ++x)
        a.SetPixels(x, 1, static_cast<uint32_t>((x / 4) % 2 ? clWhite : clRed));
    const uint8_t* pixels = a.InternalDIB().DIBInfos.pBits;

    TFvDIB b;
    b.Assign(&a);
    b.SetPixelFormat(fvPf8Bit);
    EXPECT_EQ(b.PixelFormat(), fvPf8Bit);
    EXPECT_EQ(a.PixelFormat(), fvPf24Bit);
    EXPECT_EQ(a.InternalDIB().RefCount, 1);
    EXPECT_EQ(b.InternalDIB().RefCount, 1);
    EXPECT_EQ(a.InternalDIB().DIBInfos.pBits, pixels);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(b.GetColors(static_cast<int>(b.GetPixels(x, 1))), a.GetPixels(x, 1)) << x;

    // Sixteen greys in runs of four: RLE8 holds them, RLE4 cannot be smaller.
    TFvDIB c;
    c.SetBitCount(8);
    c.SetWidth(64);
    c.SetHeight(3);
    for (int i = 0; i < 16; ++i)
        c.SetColors(i, static_cast<TColor>(0x111111 * i));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 64; ++x)
            c.SetPixels(x, y, static_cast<uint32_t>((x / 4 + y) % 16));
    c.SetPixelFormat(fvPf8BitRLE);
    TFvDIB d;
    d.Assign(&c);
    EXPECT_THROW(d.SetPixelFormat(fvPf4BitRLE), EFvDIBCompressionFailed);
    EXPECT_EQ(&d.InternalDIB(), &c.InternalDIB());
    EXPECT_EQ(c.InternalDIB().RefCount, 2);
    EXPECT_EQ(d.PixelFormat(), fvPf8BitRLE);
}

TEST(FvDIB, AssigningToItselfChangesNothing)
{
    TFvDIB a;
    ChangeCounter changes;
    changes.Attach(a);
    TFvInternalDIB* storage = &a.InternalDIB();
    a.Assign(&a);
    EXPECT_EQ(&a.InternalDIB(), storage);
    EXPECT_EQ(storage->RefCount, 1);
    EXPECT_FALSE(a.Modified());
    EXPECT_EQ(changes.Count, 0);
}

TEST(FvDIB, SharedStorageOutlivesFirstOwner)
{
    TFvDIB b;
    {
        TFvDIB a;
        a.SetBitCount(24);
        a.ScanLine(0)[1] = 5;
        b.Assign(&a);
        TFvDIB c;
        c.Assign(&a);
        EXPECT_EQ(a.InternalDIB().RefCount, 3);
        c.Assign(&b);
        EXPECT_EQ(a.InternalDIB().RefCount, 3);
    }
    EXPECT_EQ(b.InternalDIB().RefCount, 1);
    EXPECT_EQ(b.ScanLine(0)[1], 5);
}

TEST(FvDIB, AssignNilGivesDefaultContent)
{
    TFvDIB a;
    a.SetUseFMO(false);
    a.SetBitCount(24);
    a.SetWidth(9);
    a.Assign(nullptr);
    EXPECT_EQ(a.Width(), 1);
    EXPECT_EQ(a.BitCount(), 8);
    EXPECT_EQ(a.PaletteSize(), 256);
    EXPECT_FALSE(a.UseFMO());
}

TEST(FvDIB, WidthKeepsPaletteSizeButBlanksContent)
{
    TFvDIB dib;
    dib.SetColors(3, clRed);
    dib.SetPaletteSize(20);
    dib.ScanLine(0)[0] = 3;
    dib.SetModified(false);
    dib.SetPaletteModified(false);
    dib.SetWidth(7);
    EXPECT_EQ(dib.Width(), 7);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.PaletteSize(), 20);
    EXPECT_EQ(dib.GetColors(3), clBlack);
    EXPECT_EQ(dib.ScanLine(0)[0], 0);
    EXPECT_TRUE(dib.Modified());

    TFvInternalDIB* storage = &dib.InternalDIB();
    dib.SetModified(false);
    dib.SetWidth(7);
    EXPECT_EQ(&dib.InternalDIB(), storage);
    EXPECT_FALSE(dib.Modified());
}

TEST(FvDIB, HeightSignChoosesRowOrder)
{
    TFvDIB dib;
    dib.SetBitCount(8);
    dib.SetPaletteModified(false);
    dib.SetHeight(-20);
    EXPECT_EQ(dib.Height(), 20);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biHeight, -20);
    uint8_t* bits = dib.InternalDIB().DIBInfos.pBits;
    EXPECT_EQ(dib.ScanLine(0), bits);
    EXPECT_EQ(dib.ScanLine(19), bits + 19 * 4);

    // The current positive height does nothing, so a top-down bitmap stays so.
    dib.SetHeight(20);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biHeight, -20);

    dib.SetWidth(2);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biHeight, 20);
    bits = dib.InternalDIB().DIBInfos.pBits;
    EXPECT_EQ(dib.ScanLine(0), bits + 19 * 4);
    EXPECT_EQ(dib.ScanLine(19), bits);
}

TEST(FvDIB, SizeAndDepthRejections)
{
    TFvDIB dib;
    ExpectError<EFvDIBInvalidDIBPara>([&] { dib.SetWidth(0); }, "TFvDIB.SetWidth: Invalid Width");
    ExpectError<EFvDIBInvalidDIBPara>([&] { dib.SetHeight(0); }, "TFvDIB.SetHeight: Invalid Height");
    ExpectError<EFvDIBInvalidDIBPara>([&] { dib.SetBitCount(16); }, "TFvDIB.SetBitCount: Invalid BitCount");
    ExpectError<EFvDIBInvalidDIBPara>([&] { dib.SetWidth(0x7FFFFFFF); },
                                      "TFvInternalDIB.CreateDIB: Invalid Parameters");
    EXPECT_EQ(dib.Width(), 1);
    EXPECT_FALSE(dib.Modified());
}

TEST(FvDIB, BitCountGivesDefaultTableSize)
{
    TFvDIB dib;
    dib.SetBitCount(1);
    EXPECT_EQ(dib.PaletteSize(), 2);
    dib.SetBitCount(4);
    EXPECT_EQ(dib.PaletteSize(), 16);
    dib.SetBitCount(24);
    EXPECT_EQ(dib.PaletteSize(), 0);
    EXPECT_EQ(dib.GetPalette(), nullptr);
}

TEST(FvDIB, PaletteSizeLimits)
{
    TFvDIB dib;
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.SetPaletteSize(0); },
                                         "TFvDIB.SetPaletteSize: Palette Index is Out of Range 2");
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.SetPaletteSize(257); },
                                         "TFvDIB.SetPaletteSize: Palette Index is Out of Range 2");
    dib.SetBitCount(1);
    dib.SetPaletteSize(256);
    EXPECT_EQ(dib.PaletteSize(), 256);

    dib.SetBitCount(24);
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.SetPaletteSize(257); },
                                         "TFvDIB.SetPaletteSize: Palette Index is Out of Range 1");
    dib.SetPaletteSize(256);
    dib.SetPaletteSize(16);
    dib.SetColors(15, clLime);
    dib.SetPaletteSize(0);
    EXPECT_EQ(dib.PaletteSize(), 0);
    EXPECT_EQ(dib.GetPalette(), nullptr);
    // The entries themselves stay.
    EXPECT_EQ(dib.GetColors(15), clLime);
}

TEST(FvDIB, PaletteSizeUnsharesAndReleasesPaletteHandle)
{
    TFvDIB a;
    ASSERT_NE(a.GetPalette(), nullptr);
    TFvDIB b;
    b.Assign(&a);
    b.SetPaletteModified(false);
    b.SetPaletteSize(16);
    EXPECT_EQ(a.PaletteSize(), 256);
    EXPECT_EQ(b.PaletteSize(), 16);
    EXPECT_TRUE(b.PaletteModified());
    EXPECT_EQ(GetPaletteEntries(b.GetPalette(), 0, 0, nullptr), 16u);
}

TEST(FvDIB, ColorsReadAndWriteAllEntries)
{
    TFvDIB dib;
    dib.SetBitCount(4);
    dib.SetColors(200, 0x123456);
    EXPECT_EQ(dib.GetColors(200), 0x123456);
    const RGBQUAD& entry = dib.InternalDIB().DIBInfos.W3HeadInfo.bmiColors[200];
    EXPECT_EQ(entry.rgbRed, 0x56);
    EXPECT_EQ(entry.rgbGreen, 0x34);
    EXPECT_EQ(entry.rgbBlue, 0x12);
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.GetColors(256); },
                                         "TFvDIB.GetColors: Palette Index is Out of Range");
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.SetColors(256, 0); },
                                         "TFvDIB.SetColors: Palette Index is Out of Range");
    ExpectError<EFvDIBPaletteIndexRange>([&] { dib.SetColors(-1, 0); },
                                         "TFvDIB.SetColors: Palette Index is Out of Range");
    // System colours are resolved to their RGB value.
    dib.SetColors(1, clWindow);
    EXPECT_EQ(static_cast<uint32_t>(dib.GetColors(1)), ColorToRGB(clWindow));
}

TEST(FvDIB, SetColorsRenewsPalette)
{
    TFvDIB dib;
    dib.SetBitCount(1);
    HPALETTE before = dib.GetPalette();
    ASSERT_NE(before, nullptr);
    dib.SetPaletteModified(false);
    dib.SetModified(false);
    dib.SetColors(1, clWhite);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_TRUE(dib.Modified());
    PALETTEENTRY entries[2];
    ASSERT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 2, entries), 2u);
    EXPECT_EQ(entries[1].peRed, 255);
    EXPECT_EQ(entries[1].peBlue, 255);
}

TEST(FvDIB, Pixels24BitsAreBlueGreenRed)
{
    TFvDIB dib;
    dib.SetBitCount(24);
    dib.SetWidth(3);
    dib.SetHeight(2);
    uint8_t* row = dib.ScanLine(1);
    row[3] = 0x10;
    row[4] = 0x20;
    row[5] = 0x30;
    EXPECT_EQ(dib.GetPixels(1, 1), 0x102030u);
    dib.SetPixels(2, 0, 0xFF0000);
    EXPECT_EQ(dib.ScanLine(0)[6], 0xFF);
    EXPECT_EQ(dib.ScanLine(0)[7], 0);
    EXPECT_EQ(dib.ScanLine(0)[8], 0);
    // The top byte of a positive TColor is ignored; a negative one is out of range.
    dib.SetPixels(0, 0, 0x7F0000FF);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x0000FFu);
    EXPECT_THROW(dib.SetPixels(0, 0, 0x80000000u), ERangeError);
}

TEST(FvDIB, PixelsOfIndexedFormats)
{
    TFvDIB dib;
    dib.SetWidth(15);
    dib.SetPixels(9, 0, 255);
    EXPECT_EQ(dib.GetPixels(9, 0), 255u);
    EXPECT_THROW(dib.SetPixels(0, 0, 256), ERangeError);

    dib.SetBitCount(4);
    dib.SetPixels(0, 0, 0x1A);
    dib.SetPixels(1, 0, 0x05);
    EXPECT_EQ(dib.ScanLine(0)[0], 0xA5);
    EXPECT_EQ(dib.GetPixels(0, 0), 0xAu);
    EXPECT_EQ(dib.GetPixels(1, 0), 0x5u);
    dib.SetPixels(1, 0, 0);
    EXPECT_EQ(dib.ScanLine(0)[0], 0xA0);

    dib.SetBitCount(1);
    dib.SetPixels(0, 0, 7);
    dib.SetPixels(9, 0, 1);
    EXPECT_EQ(dib.ScanLine(0)[0], 0x80);
    EXPECT_EQ(dib.ScanLine(0)[1], 0x40);
    EXPECT_EQ(dib.GetPixels(9, 0), 1u);
    EXPECT_EQ(dib.GetPixels(8, 0), 0u);
    // Setting and clearing keep the other bits of the pixel's own byte.
    dib.SetPixels(8, 0, 1);
    EXPECT_EQ(dib.ScanLine(0)[1], 0xC0);
    dib.SetPixels(8, 0, 0);
    EXPECT_EQ(dib.ScanLine(0)[1], 0x40);
    dib.SetPixels(14, 0, 1);
    EXPECT_EQ(dib.ScanLine(0)[1], 0x42);
    EXPECT_EQ(dib.GetPixels(14, 0), 1u);
    dib.SetPixels(0, 0, 0);
    EXPECT_EQ(dib.ScanLine(0)[0], 0);
}

TEST(FvDIB, PixelAndRowPositionChecks)
{
    TFvDIB dib;
    dib.SetWidth(4);
    dib.SetHeight(3);
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.ScanLine(3); }, "TFvDIB.GetScanLine: y is Out of Range");
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.ScanLine(-1); }, "TFvDIB.GetScanLine: y is Out of Range");
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.GetPixels(4, 0); },
                                          "TFvDIB.GetPixels: Pixel Position is Out of Range");
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.GetPixels(0, -1); },
                                          "TFvDIB.GetPixels: Pixel Position is Out of Range");
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.SetPixels(-1, 0, 0); },
                                          "TFvDIB.SetPixels: Pixel Position is Out of Range");
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.SetPixels(0, 3, 0); },
                                          "TFvDIB.SetPixels: Pixel Position is Out of Range");
}

TEST(FvDIB, CompressedPixelsAreRefused)
{
    TFvDIB dib;
    dib.SetWidth(4);
    dib.InternalDIB().DIBInfos.W3Head().biCompression = BI_RLE8;
    ExpectError<EFvDIBBadDIBType>([&] { dib.ScanLine(0); }, "TFvDIB.GetScanLine: Bad DIB Type");
    // The row check comes first for scan lines, the type check first for pixels.
    ExpectError<EFvDIBPixelPositionRange>([&] { dib.ScanLine(1); }, "TFvDIB.GetScanLine: y is Out of Range");
    ExpectError<EFvDIBBadDIBType>([&] { dib.GetPixels(99, 0); }, "TFvDIB.GetPixels: Bad DIB Type");
    ExpectError<EFvDIBBadDIBType>([&] { dib.SetPixels(99, 0, 0); }, "TFvDIB.SetPixels: Bad DIB Type");
}

TEST(FvDIB, SetPixelsUnsharesButDoesNotSetModified)
{
    TFvDIB a;
    TFvDIB b;
    b.Assign(&a);
    b.SetModified(false);
    b.SetPixels(0, 0, 9);
    EXPECT_EQ(a.GetPixels(0, 0), 0u);
    EXPECT_EQ(b.GetPixels(0, 0), 9u);
    EXPECT_FALSE(b.Modified());
    // Reading pixels never un-shares.
    TFvDIB c;
    c.Assign(&b);
    EXPECT_EQ(c.GetPixels(0, 0), 9u);
    EXPECT_EQ(&c.InternalDIB(), &b.InternalDIB());
}

TEST(FvDIB, ResolutionUnsharesAndSetsModified)
{
    TFvDIB a;
    TFvDIB b;
    b.Assign(&a);
    b.SetModified(false);
    b.SetXPelsPerMeter(0);
    b.SetYPelsPerMeter(5000);
    EXPECT_EQ(b.XPelsPerMeter(), 0);
    EXPECT_EQ(b.YPelsPerMeter(), 5000);
    EXPECT_EQ(a.YPelsPerMeter(), 3780);
    EXPECT_TRUE(b.Modified());
}

TEST(FvDIB, UseFMOMovesPixelsWithoutModified)
{
    TFvDIB a;
    a.SetBitCount(24);
    a.SetPixels(0, 0, 0x123456);
    TFvDIB b;
    b.Assign(&a);
    b.SetModified(false);
    b.SetUseFMO(false);
    EXPECT_FALSE(b.UseFMO());
    EXPECT_TRUE(a.UseFMO());
    EXPECT_EQ(b.InternalDIB().DIBInfos.hFile, nullptr);
    EXPECT_EQ(b.GetPixels(0, 0), 0x123456u);
    EXPECT_EQ(a.InternalDIB().RefCount, 1);
    EXPECT_FALSE(b.Modified());
    // Later replacements keep the chosen memory kind.
    b.SetWidth(5);
    EXPECT_FALSE(b.UseFMO());
}

TEST(FvDIB, HalftoneModeWrite)
{
    TFvDIB dib;
    ChangeCounter changes;
    changes.Attach(dib);
    dib.SetPaletteModified(false);
    dib.SetHalftoneMode(fvHtNoHalftone);
    EXPECT_EQ(changes.Count, 0);
    dib.SetHalftoneMode(fvHtHalftone);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 0, nullptr), 215u);
    dib.SetHalftoneMode(fvHtHalftoneBW);
    EXPECT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 0, nullptr), 2u);
}

TEST(FvDIB, HalftonePaletteEntries)
{
    TFvDIB dib;
    dib.SetHalftoneMode(fvHtHalftone);
    PALETTEENTRY entries[215];
    ASSERT_EQ(GetPaletteEntries(dib.GetPalette(), 0, 215, entries), 215u);
    const int reds[6] = {0, 51, 102, 153, 204, 255}, greens[7] = {0, 43, 85, 128, 171, 214, 255};
    const int blues[5] = {0, 64, 128, 192, 255};
    std::vector<std::vector<int>> expected;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 5; ++b)
                expected.push_back({reds[r], greens[g], blues[b], 0});
    for (std::vector<int> extra : {std::vector<int>{128, 0, 0, 0}, {128, 128, 0, 0}, {128, 0, 128, 0},
                                   {192, 192, 192, 0}, {128, 128, 128, 0}})
        expected.push_back(extra);
    for (int i = 0; i < 215; ++i)
        EXPECT_EQ((std::vector<int>{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags}),
                  expected[i]) << i;
    // Shared by every bitmap.
    TFvDIB other;
    other.SetHalftoneMode(fvHtHalftone);
    EXPECT_EQ(other.GetPalette(), dib.GetPalette());
}

TEST(FvDIB, SetPaletteTakesEntriesAndOwnership)
{
    LOGPALETTE logPalette{};
    logPalette.palVersion = 0x300;
    logPalette.palNumEntries = 3;
    logPalette.palPalEntry[2] = PALETTEENTRY{0x30, 0x20, 0x10, 0};
    HPALETTE palette = CreatePalette(&logPalette);
    TFvDIB a;
    TFvDIB b;
    b.Assign(&a);
    b.SetPalette(palette);
    EXPECT_EQ(b.PaletteSize(), 3);
    EXPECT_EQ(b.GetColors(2), 0x102030);
    EXPECT_EQ(b.GetPalette(), palette);
    EXPECT_EQ(a.PaletteSize(), 256);
    // The palette it replaces is deleted (a leak otherwise).
    b.SetPalette(CopyPalette(palette));
    EXPECT_EQ(b.GetColors(2), 0x102030);

    b.SetPalette(nullptr);
    EXPECT_EQ(b.PaletteSize(), 0);
    EXPECT_EQ(b.GetPalette(), nullptr);
}

TEST(FvDIB, OnChangeFiresOnReplacement)
{
    TFvDIB dib;
    ChangeCounter changes;
    changes.Attach(dib);
    dib.SetWidth(3);
    dib.SetHeight(3);
    dib.SetBitCount(24);
    EXPECT_EQ(changes.Count, 3);
    // Writing through a scan line is not a notified change.
    dib.ScanLine(0)[0] = 1;
    EXPECT_EQ(changes.Count, 3);
    // Every other change is announced once.
    std::vector<int> announced;
    dib.SetXPelsPerMeter(3780);
    announced.push_back(changes.Count);
    dib.SetYPelsPerMeter(3780);
    announced.push_back(changes.Count);
    dib.SetBitCount(8);
    dib.SetPaletteSize(16);
    announced.push_back(changes.Count);
    dib.SetPalette(nullptr);
    announced.push_back(changes.Count);
    dib.SetBitCount(24);
    dib.CreateTrueColorPalette();
    announced.push_back(changes.Count);
    TFvDIB other;
    other.SetWidth(2);
    dib.SetPaletteModified(false);
    dib.Assign(&other);
    announced.push_back(changes.Count);
    EXPECT_TRUE(dib.PaletteModified());
    dib.Assign(nullptr);
    announced.push_back(changes.Count);
    EXPECT_EQ(announced, (std::vector<int>{4, 5, 7, 8, 10, 11, 12}));
}

} // namespace
