#include "TestSupport.h"

#include "bitmap/DIBCanvas.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Clipboard.h"
#include "platform/graphics/Picture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

// A 24-bit bitmap whose pixel (x, y) is the colour at index x + width * y of colours.
void Fill24(TFvDIB& dib, int width, int height, const std::vector<TColor>& colours)
{
    dib.SetBitCount(24);
    dib.SetWidth(width);
    dib.SetHeight(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.SetPixels(x, y, static_cast<uint32_t>(colours[x + width * y]));
}

// Noise RLE data: runs, literals (some of odd length), deltas and ends of
// line, many crossing the right edge, ending in an end of picture, cut short
// inside a pair, or running out.
std::vector<uint8_t> NoiseRle(std::mt19937& rng, bool rle4, int width, int height)
{
    std::vector<uint8_t> data;
    const auto below = [&](unsigned n) { return static_cast<uint8_t>(rng() % n); };
    while (data.size() < static_cast<size_t>(12 * (width + 4) * height)) {
        const unsigned kind = rng() % 10;
        if (kind < 4) {
            data.insert(data.end(), {static_cast<uint8_t>(1 + below(std::min(width + 3, 255))), below(256)});
        } else if (kind < 6) {
            const unsigned count = 3 + below(std::min(width + 2, 253));
            const unsigned bytes = rle4 ? (count + 1) / 2 : count;
            data.insert(data.end(), {0, static_cast<uint8_t>(count)});
            for (unsigned i = 0; i < bytes + (bytes & 1); ++i)
                data.push_back(below(256));
        } else if (kind == 6) {
            data.insert(data.end(), {0, 2, below(4), below(2)});
        } else {
            data.insert(data.end(), {0, 0});
        }
    }
    const unsigned ending = rng() % 3;
    if (ending == 0)
        data.insert(data.begin() + static_cast<long>(data.size() / 2), {0, 1});
    else if (ending == 1)
        data.resize(data.size() / 2 + 1);
    return data;
}

// A bitmap whose pixels are the RLE data, with a noise colour table of colours entries.
void SetRle(TFvDIB& dib, int bits, int width, int height, unsigned colours, const std::vector<uint8_t>& data,
            std::mt19937& rng)
{
    dib.SetBitCount(bits);
    dib.SetWidth(width);
    dib.SetHeight(height);
    TFvInternalDIB& storage = dib.InternalDIB();
    BITMAPINFOHEADER& head = storage.DIBInfos.W3Head();
    head.biCompression = bits == 8 ? BI_RLE8 : BI_RLE4;
    head.biClrUsed = colours;
    for (RGBQUAD& entry : storage.DIBInfos.W3HeadInfo.bmiColors)
        entry = RGBQUAD{static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0};
    ReleaseMemory(storage.DIBInfos.hFile, storage.DIBInfos.pBits, storage.UseFMO);
    GetMemory(static_cast<int64_t>(data.size()), storage.DIBInfos.hFile, storage.DIBInfos.pBits, storage.UseFMO);
    storage.DIBInfos.BitsSize = static_cast<int32_t>(data.size());
    std::memcpy(storage.DIBInfos.pBits, data.data(), data.size());
    storage.ReleasePalette();
}

// Drawing as it was before expansions were kept: the RLE data straight to StretchDIBits.
void DrawRleData(TCanvas& canvas, TFvDIB& dib, const TRect& r)
{
    const HPALETTE old = SelectPalette(canvas.Handle(), dib.GetPalette(), true);
    RealizePalette(canvas.Handle());
    SetStretchBltMode(canvas.Handle(), COLORONCOLOR);
    const TFvDIBInfos& infos = dib.InternalDIB().DIBInfos;
    StretchDIBits(canvas.Handle(), r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, 0, 0, dib.Width(),
                  dib.Height(), infos.pBits, static_cast<size_t>(infos.BitsSize), &infos.W3HeadInfo, DIB_RGB_COLORS,
                  SRCCOPY);
    SelectPalette(canvas.Handle(), old, true);
}

// The picture drawn into a target of the given depth (8 bits: with the
// picture's own table), through Draw or straight from the RLE data.
std::vector<uint8_t> DrawnRle(TFvDIB& dib, int bits, int width, int height, const TRect& r, bool plain)
{
    TFvDIB target;
    target.SetBitCount(bits);
    target.SetWidth(width);
    target.SetHeight(height);
    if (bits == 8)
        target.SetPalette(CopyPalette(dib.GetPalette()));
    for (int y = 0; y < height; ++y)
        std::memset(target.ScanLine(y), 0x5A, static_cast<size_t>(DIBStride(width, bits)));
    {
        TFvDIBCanvas canvas(&target);
        if (plain)
            DrawRleData(canvas, dib, r);
        else
            canvas.StretchDraw(r, dib);
    }
    return RowBytes(target);
}

// Every way the picture is drawn gives what the RLE data gives.
void ExpectDrawnAsRleData(TFvDIB& dib, const std::string& what)
{
    const int w = dib.Width(), h = dib.Height();
    const TRect rects[] = {Rect(0, 0, w, h), Rect(3, 1, 4 + 2 * w, 1 + 3 * h / 2), Rect(1, 2, 2 + w / 2, 3 + h / 3),
                           Rect(w + 2, h, 2, 0)};
    for (const int bits : {24, 8})
        for (const TRect& r : rects)
            ASSERT_EQ(DrawnRle(dib, bits, 2 * w + 8, 2 * h + 8, r, false),
                      DrawnRle(dib, bits, 2 * w + 8, 2 * h + 8, r, true))
                << what << ", " << bits << " bits, " << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom;
    // A paint in strips of five rows.
    for (int top = 0; top < h; top += 5)
        ASSERT_EQ(DrawnRle(dib, 24, w, 5, Rect(0, -top, w, h - top), false),
                  DrawnRle(dib, 24, w, 5, Rect(0, -top, w, h - top), true))
            << what << ", strip " << top;
}

TEST(DIBCanvas, NeedsABitmapInASection)
{
    ExpectError<EFvDIBCanvasFailed>([] { TFvDIBCanvas canvas(nullptr); },
                                    "TFvDIBCanvas.Create: Cannot Create Canvas");
    TFvDIB dib;
    dib.SetUseFMO(false);
    ExpectError<EFvDIBCanvasFailed>([&] { TFvDIBCanvas canvas(&dib); }, "TFvDIBCanvas.Create: Cannot Create Canvas");
}

TEST(DIBCanvas, CompressedBitmapHasNoSection)
{
    TFvDIB dib;
    dib.SetWidth(4);
    dib.InternalDIB().DIBInfos.W3Head().biCompression = BI_RLE8;
    dib.SetModified(false);
    ExpectError<EOutOfResources>([&] { TFvDIBCanvas canvas(&dib); }, "TFvDIBCanvas.Create: Cannot Create Memory DC");
    EXPECT_FALSE(dib.Modified());
}

TEST(DIBCanvas, DrawingLandsInThePixelsOfItsOwnCopy)
{
    TFvDIB shared;
    Fill24(shared, 4, 3, std::vector<TColor>(12, clWhite));
    TFvDIB dib;
    dib.Assign(&shared);
    dib.SetModified(false);
    ChangeCounter changes;
    changes.Attach(dib);
    {
        TFvDIBCanvas canvas(&dib);
        EXPECT_NE(&dib.InternalDIB(), &shared.InternalDIB());
        canvas.Brush.Color = clRed;
        canvas.FillRect(Rect(1, 0, 3, 2));
        // Nothing is copied: the section shares the bitmap's pages.
        EXPECT_EQ(dib.GetPixels(1, 0), static_cast<uint32_t>(clRed));
        EXPECT_FALSE(dib.Modified());
    }
    EXPECT_TRUE(dib.Modified());
    EXPECT_EQ(changes.Count, 1);
    const uint8_t* row = dib.ScanLine(1);
    EXPECT_EQ(row[3], 0);
    EXPECT_EQ(row[5], 255);
    EXPECT_EQ(dib.GetPixels(0, 1), static_cast<uint32_t>(clWhite));
    EXPECT_EQ(dib.GetPixels(2, 1), static_cast<uint32_t>(clRed));
    EXPECT_EQ(dib.GetPixels(2, 2), static_cast<uint32_t>(clWhite));
    EXPECT_EQ(shared.GetPixels(1, 0), static_cast<uint32_t>(clWhite));
}

// Bitmaps, their shared copies, canvases and conversions give back every
// section they made.
TEST(DIBCanvas, SectionsAreReleasedWithTheirLastHolder)
{
    const size_t live = LiveFileMappings();
    {
        TFvDIB dib;
        Fill24(dib, 1200, 700, std::vector<TColor>(1200 * 700, clBlue)); // over 2 MiB
        TFvDIB copy;
        copy.Assign(&dib);
        {
            TFvDIBCanvas canvas(&copy);
            canvas.Brush.Color = clRed;
            canvas.FillRect(Rect(0, 0, 2, 2));
            EXPECT_EQ(LiveFileMappings(), live + 2);
        }
        EXPECT_EQ(copy.GetPixels(1, 1), static_cast<uint32_t>(clRed));
        EXPECT_EQ(dib.GetPixels(1, 1), static_cast<uint32_t>(clBlue));
        copy.SetPixelFormat(fvPf8Bit);
        dib.SetUseFMO(false);
    }
    EXPECT_EQ(LiveFileMappings(), live);
}

TEST(FvDIBDraw, StretchesOntoACanvas)
{
    TFvDIB source;
    Fill24(source, 2, 2, {clRed, clLime, clBlue, clYellow});
    TFvDIB target;
    Fill24(target, 5, 4, std::vector<TColor>(20, clBlack));
    {
        TFvDIBCanvas canvas(&target);
        canvas.StretchDraw(Rect(1, 0, 5, 4), source);
    }
    EXPECT_EQ(target.GetPixels(0, 0), 0u);
    EXPECT_EQ(target.GetPixels(1, 0), static_cast<uint32_t>(clRed));
    EXPECT_EQ(target.GetPixels(2, 1), static_cast<uint32_t>(clRed));
    EXPECT_EQ(target.GetPixels(3, 1), static_cast<uint32_t>(clLime));
    EXPECT_EQ(target.GetPixels(1, 2), static_cast<uint32_t>(clBlue));
    EXPECT_EQ(target.GetPixels(4, 3), static_cast<uint32_t>(clYellow));
}

TEST(FvDIBDraw, IndexedAndTopDownBitmapsDrawTheirColours)
{
    TFvDIB source;
    source.SetBitCount(4);
    source.SetWidth(2);
    source.SetHeight(-2);
    source.SetColors(3, clAqua);
    source.SetColors(7, clPurple);
    source.SetPixels(1, 0, 3);
    source.SetPixels(0, 1, 7);
    TFvDIB target;
    Fill24(target, 2, 2, std::vector<TColor>(4, clWhite));
    {
        TFvDIBCanvas canvas(&target);
        canvas.Draw(0, 0, source);
    }
    EXPECT_EQ(target.GetPixels(0, 0), 0u);
    EXPECT_EQ(target.GetPixels(1, 0), static_cast<uint32_t>(clAqua));
    EXPECT_EQ(target.GetPixels(0, 1), static_cast<uint32_t>(clPurple));
}

TEST(FvDIBDraw, RlePicturesDrawAsTheirData)
{
    std::mt19937 rng(2026);
    struct Shape {
        int bits, width, height;
        unsigned colours;
    };
    for (const Shape& shape : {Shape{8, 37, 23, 200}, Shape{4, 37, 23, 13}, Shape{4, 1, 6, 0}, Shape{8, 2, 9, 0},
                               Shape{4, 6, 17, 16}})
        for (int round = 0; round < 6; ++round) {
            TFvDIB dib;
            SetRle(dib, shape.bits, shape.width, shape.height, shape.colours,
                   NoiseRle(rng, shape.bits == 4, shape.width, shape.height), rng);
            ExpectDrawnAsRleData(dib, std::to_string(shape.bits) + " bits, " + std::to_string(shape.width) + " x " +
                                          std::to_string(shape.height) + ", round " + std::to_string(round));
            EXPECT_TRUE(dib.InternalDIB().HoldsRleExpansion());
        }
    // RLE is never top-down: such a picture draws nothing either way.
    TFvDIB topDown;
    SetRle(topDown, 8, 7, -4, 0, NoiseRle(rng, false, 7, 4), rng);
    EXPECT_EQ(DrawnRle(topDown, 24, 9, 6, Rect(0, 0, 7, 4), false), DrawnRle(topDown, 24, 9, 6, Rect(0, 0, 7, 4), true));
    EXPECT_EQ(DrawnRle(topDown, 24, 9, 6, Rect(0, 0, 7, 4), false), std::vector<uint8_t>(6 * DIBStride(9, 24), 0x5A));
    EXPECT_FALSE(topDown.InternalDIB().HoldsRleExpansion());
}

TEST(FvDIBDraw, RleExpansionFollowsEveryChange)
{
    std::mt19937 rng(7);
    TFvDIB dib;
    dib.SetWidth(29);
    dib.SetHeight(11);
    const auto newPixels = [&] {
        dib.SetPixelFormat(fvPf8Bit);
        EXPECT_FALSE(dib.InternalDIB().HoldsRleExpansion());
        // Noise in runs, so that the RLE data is shorter than the pixels.
        uint32_t value = 7;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 29; ++x)
                dib.SetPixels(x, y, value = rng() % 4 ? value : rng() % 256);
        dib.SetPixelFormat(fvPf8BitRLE);
    };
    for (int i = 0; i < 256; ++i)
        dib.SetColors(i, static_cast<TColor>(rng() & 0xFFFFFF));
    newPixels();
    ExpectDrawnAsRleData(dib, "first");
    // Drawn again from the one expansion.
    const uint8_t* expansion = dib.InternalDIB().RleExpansion();
    ExpectDrawnAsRleData(dib, "again");
    EXPECT_EQ(dib.InternalDIB().RleExpansion(), expansion);
    TFvDIB shared;
    shared.Assign(&dib);
    // A new colour is drawn from the indices already expanded.
    dib.SetColors(7, clFuchsia);
    ExpectDrawnAsRleData(dib, "recoloured");
    ExpectDrawnAsRleData(shared, "shared");
    // New pixels in the same storage: its expansion goes with the old ones.
    newPixels();
    ExpectDrawnAsRleData(dib, "new pixels");
    dib.SetPaletteSize(40);
    ExpectDrawnAsRleData(dib, "fewer colours");
    dib.SetPalette(CopyPalette(shared.GetPalette()));
    ExpectDrawnAsRleData(dib, "other palette");
    EXPECT_TRUE(shared.InternalDIB().HoldsRleExpansion());
    shared.SetWidth(30);
    EXPECT_FALSE(shared.InternalDIB().HoldsRleExpansion());
}

TEST(FvDIBDraw, HalftoneIntoEmptyRectangleDrawsNothing)
{
    TFvDIB source;
    Fill24(source, 2, 2, std::vector<TColor>(4, clRed));
    source.SetHalftoneMode(fvHtHalftone);
    TFvDIB target;
    Fill24(target, 3, 3, std::vector<TColor>(9, clWhite));
    {
        TFvDIBCanvas canvas(&target);
        canvas.StretchDraw(Rect(1, 1, 1, 3), source);
        canvas.StretchDraw(Rect(0, 2, 3, 2), source);
    }
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(target.GetPixels(x, y), static_cast<uint32_t>(clWhite));
}

TEST(FvDIBDraw, HalftoneDrawsAConvertedCopy)
{
    TFvDIB source;
    Fill24(source, 4, 2, {clRed, clRed, clWhite, clWhite, clBlack, clBlack, clBlue, clBlue});
    const std::vector<uint8_t> before = RowBytes(source);
    source.SetHalftoneMode(fvHtHalftoneBW);
    TFvDIB target;
    Fill24(target, 100, 50, std::vector<TColor>(5000, clGray));
    source.SetModified(false);
    {
        TFvDIBCanvas canvas(&target);
        canvas.StretchDraw(Rect(0, 0, 100, 50), source);
    }
    EXPECT_EQ(source.HalftoneMode(), fvHtHalftoneBW);
    EXPECT_EQ(RowBytes(source), before);
    EXPECT_FALSE(source.Modified());
    // Only black and white reach the target.
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t colour = target.GetPixels(x, y);
            ASSERT_TRUE(colour == 0 || colour == 0xFFFFFF) << x << ", " << y << ": " << colour;
        }
    EXPECT_EQ(target.GetPixels(60, 10), 0xFFFFFFu);
    EXPECT_EQ(target.GetPixels(10, 40), 0u);
}

TEST(FvDIBBitmap, AssignToBitmapKeepsIndicesAndTable)
{
    TFvDIB dib;
    dib.SetBitCount(8);
    dib.SetWidth(3);
    dib.SetHeight(2);
    dib.SetPaletteSize(4);
    dib.SetColors(0, clWhite);
    dib.SetColors(1, clWhite);
    dib.SetColors(2, 0x336699);
    dib.SetPixels(0, 0, 1);
    dib.SetPixels(2, 1, 2);
    dib.SetHalftoneMode(fvHtHalftone);
    TBitmap bitmap;
    bitmap.Assign(&dib);
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 1);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0);
    EXPECT_EQ(bitmap.ScanLine(1)[2], 2);
    ASSERT_NE(bitmap.Palette(), nullptr);
    EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), 4u);
    PALETTEENTRY entries[4];
    GetPaletteEntries(bitmap.Palette(), 0, 4, entries);
    EXPECT_EQ(entries[2].peRed, 0x99);
    EXPECT_EQ(entries[2].peBlue, 0x33);
    EXPECT_EQ(dib.HalftoneMode(), fvHtHalftone);
}

TEST(FvDIBBitmap, RleFourBecomesFourBitBitmap)
{
    TFvDIB dib;
    dib.SetBitCount(4);
    dib.SetWidth(4);
    dib.SetHeight(2);
    dib.SetColors(1, clRed);
    dib.SetColors(2, clLime);
    TFvInternalDIB& storage = dib.InternalDIB();
    // Bottom row 1 1 2 2, top row 2 2 1 1.
    const uint8_t rle[] = {2, 0x11, 2, 0x22, 0, 0, 2, 0x22, 2, 0x11, 0, 1};
    storage.DIBInfos.W3Head().biCompression = BI_RLE4;
    // The stream is longer than the 8 uncompressed bytes: it gets memory of its own length.
    ReleaseMemory(storage.DIBInfos.hFile, storage.DIBInfos.pBits, storage.UseFMO);
    GetMemory(sizeof rle, storage.DIBInfos.hFile, storage.DIBInfos.pBits, storage.UseFMO);
    storage.DIBInfos.BitsSize = sizeof rle;
    std::memcpy(storage.DIBInfos.pBits, rle, sizeof rle);
    ASSERT_EQ(dib.PixelFormat(), fvPf4BitRLE);
    TBitmap bitmap;
    bitmap.Assign(&dib);
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x22);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x11);
    EXPECT_EQ(bitmap.ScanLine(1)[0], 0x11);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 0x22);
    EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), 16u);
}

TEST(FvDIBBitmap, AssignFromBitmapOfEachDepth)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(3, 2);
    bitmap.ScanLine(0)[0] = 0x10;
    bitmap.ScanLine(0)[1] = 0x20;
    bitmap.ScanLine(0)[2] = 0x30;
    std::memset(bitmap.ScanLine(1), 0, 9);
    bitmap.ScanLine(1)[8] = 0xFF;
    TFvDIB dib;
    dib.SetPaletteModified(false);
    dib.Assign(&bitmap);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.Width(), 3);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.InternalDIB().DIBInfos.W3Head().biHeight, 2);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x102030u);
    EXPECT_EQ(dib.GetPixels(2, 1), 0x0000FFu);
    EXPECT_EQ(dib.XPelsPerMeter(), 3780);
    EXPECT_TRUE(dib.PaletteModified());
    EXPECT_TRUE(dib.Modified());

    bitmap.SetPixelFormat(pf32bit);
    dib.Assign(&bitmap);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.GetPixels(0, 0), 0x102030u);
    // 16 bits become 24 as well; a full blue stays full.
    bitmap.SetPixelFormat(pf16bit);
    dib.Assign(&bitmap);
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_EQ(dib.GetPixels(2, 1), 0x0000FFu);

    TFvDIB indexed;
    indexed.SetBitCount(8);
    indexed.SetWidth(2);
    indexed.SetPaletteSize(3);
    indexed.SetColors(2, 0x0080FF);
    indexed.SetPixels(1, 0, 2);
    TBitmap eight;
    eight.Assign(&indexed);
    dib.Assign(&eight);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.GetPixels(1, 0), 2u);
    EXPECT_EQ(dib.GetColors(dib.GetPixels(1, 0)), 0x0080FF);
    EXPECT_EQ(dib.PaletteSize(), 3);
    // A table of one colour stays one colour.
    indexed.SetPaletteSize(1);
    eight.Assign(&indexed);
    dib.Assign(&eight);
    EXPECT_EQ(dib.PaletteSize(), 1);
}

// The file road gives its bitmap up; what it takes must be what Assign reads.
TEST(FvDIBBitmap, TakingABitmapGivesWhatAssignGives)
{
    const size_t live = LiveFileMappings();
    // Every byte of a row written, the padding too; 8-bit pictures with a table of seven entries.
    const auto filled = [](TPixelFormat format) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(format);
        if (format == pf8bit) {
            LOGPALETTE log{0x300, 7, {}};
            for (int i = 0; i < 7; ++i)
                log.palPalEntry[i] = PALETTEENTRY{static_cast<BYTE>(40 * i), static_cast<BYTE>(99 - i), 3, 0};
            bitmap->SetPalette(CreatePalette(&log));
        }
        bitmap->SetSize(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < (format == pf24bit ? 16 : 8); ++x)
                bitmap->ScanLine(y)[x] = static_cast<uint8_t>(16 * y + x + 1);
        return bitmap;
    };
    const auto same = [](const TFvDIB& taken, const TFvDIB& assigned) {
        const TFvDIBInfos& a = taken.InternalDIB().DIBInfos;
        const TFvDIBInfos& b = assigned.InternalDIB().DIBInfos;
        EXPECT_EQ(std::memcmp(a.Dummy, b.Dummy, sizeof a.Dummy), 0);
        ASSERT_EQ(a.BitsSize, b.BitsSize);
        EXPECT_EQ(std::memcmp(a.pBits, b.pBits, static_cast<size_t>(a.BitsSize)), 0);
        EXPECT_EQ(taken.PaletteModified(), assigned.PaletteModified());
        EXPECT_EQ(taken.Modified(), assigned.Modified());
    };
    for (const bool useFMO : {true, false}) {
        for (const TPixelFormat format : {pf24bit, pf8bit}) {
            const auto source = filled(format);
            TFvDIB assigned;
            assigned.SetUseFMO(useFMO);
            assigned.Assign(source.get());
            TFvDIB taken;
            taken.SetUseFMO(useFMO);
            taken.TakeBitmap(*source);
            same(taken, assigned);
            EXPECT_EQ(taken.GetPixels(4, 2), format == pf24bit ? 0x2D2E2Fu : 0x25u);
            EXPECT_EQ(source->Empty(), useFMO);
        }
    }
    {
        // A picture shared with another bitmap is left to that one as it was.
        TBitmap first;
        first.Assign(filled(pf24bit).get());
        TBitmap second;
        second.Assign(&first);
        TFvDIB taken;
        taken.TakeBitmap(second);
        EXPECT_EQ(first.ScanLine(2)[14], 0x2F);
        EXPECT_EQ(taken.GetPixels(4, 2), 0x2D2E2Fu);
    }
    EXPECT_EQ(LiveFileMappings(), live);
}

TEST(FvDIBBitmap, EmptyBitmapLeavesTheBitmapAsItWas)
{
    TBitmap empty;
    TFvDIB dib;
    dib.SetPixels(0, 0, 4);
    TFvInternalDIB* storage = &dib.InternalDIB();
    ExpectError<EFvDIBInvalidDIBPara>([&] { dib.Assign(&empty); }, "TFvInternalDIB.CreateDIB: Invalid Parameters");
    EXPECT_EQ(&dib.InternalDIB(), storage);
    EXPECT_EQ(dib.GetPixels(0, 0), 4u);
}

TEST(FvDIBBitmap, AssignToAnotherBitmapShares)
{
    TFvDIB a;
    TFvDIB b;
    TPersistentAccess::AssignTo(a, &b);
    EXPECT_EQ(&a.InternalDIB(), &b.InternalDIB());
    TPicture picture;
    EXPECT_THROW(TPersistentAccess::AssignTo(a, &picture), EConvertError);
}

TEST(FvDIBClipboard, AssignFromTheClipboard)
{
    TFvDIB source;
    Fill24(source, 2, 1, {clRed, clBlue});
    TClipboard clipboard;
    clipboard.Assign(&source);
    EXPECT_TRUE(clipboard.HasFormat(CF_DIB));

    TFvDIB dib;
    dib.Assign(&clipboard);
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.GetPixels(1, 0), static_cast<uint32_t>(clBlue));

    clipboard.Clear();
    TFvDIB other;
    ExpectError<EInvalidGraphic>([&] { other.Assign(&clipboard); },
                                 "TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Format or No Data");
    // The clipboard was closed again: a new session can change it.
    clipboard.Assign(&source);
    EXPECT_TRUE(clipboard.HasFormat(CF_DIB));
}

TEST(FvDIBRegistration, PictureKnowsTheDibFormat)
{
    EXPECT_EQ(TPicture::FileFormatClass("DIB"), &TFvDIB::ClassInfo);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_DIB));
    bool described = false;
    for (const TFileFormat& format : TPicture::FileFormats())
        if (format.Extension == "dib")
            described = format.Description == "Device Independent Bitmap";
    EXPECT_TRUE(described);
    EXPECT_TRUE(InheritsFrom(&TFvDIB::ClassInfo, &TFvGraphic::ClassInfo));
}

TEST(FvDIBRegistration, PictureOpensDibFilesAndClipboardBlocks)
{
    TFvDIB dib;
    Fill24(dib, 2, 1, {clTeal, clOlive});
    const std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_registration.DIB";
    dib.SaveToFile(path);
    TPicture picture;
    picture.LoadFromFile(path);
    auto* loaded = dynamic_cast<TFvDIB*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetPixels(1, 0), static_cast<uint32_t>(clOlive));
    std::remove(path.c_str());

    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    dib.SaveToClipboardFormat(format, data, palette);
    picture.LoadFromClipboardFormat(format, data, palette);
    GlobalFree(data);
    loaded = dynamic_cast<TFvDIB*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetPixels(0, 0), static_cast<uint32_t>(clTeal));
}

struct ProgressRecord {
    TProgressStage Stage;
    int Percent;
    bool Redraw;
    std::string Message;
};

TEST(FvDIBProgress, ColourReductionReportsItsStages)
{
    TFvDIB dib;
    Fill24(dib, 8, 8, std::vector<TColor>(64, clRed));
    for (int i = 0; i < 64; ++i)
        dib.SetPixels(i % 8, i / 8, static_cast<uint32_t>(i * 0x030507));
    std::vector<ProgressRecord> records;
    dib.OnProgress = [&](TPersistent* sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                         const std::string& message) {
        EXPECT_EQ(sender, &dib);
        EXPECT_EQ(r, Rect(0, 0, 8, 8));
        records.push_back({stage, percent, redraw, message});
    };
    dib.SetModified(false);
    dib.SetPixelFormat(fvPf8Bit);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_TRUE(dib.Modified());
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().Stage, TProgressStage::psStarting);
    EXPECT_EQ(records.front().Percent, 0);
    EXPECT_FALSE(records.front().Redraw);
    EXPECT_EQ(records.back().Stage, TProgressStage::psEnding);
    EXPECT_EQ(records.back().Percent, 100);
    EXPECT_TRUE(records.back().Redraw);
    // One report per palette entry made, but the last, which the end stands for.
    ASSERT_EQ(records.size(), 257u);
    for (size_t i = 1; i + 1 < records.size(); ++i) {
        EXPECT_EQ(records[i].Stage, TProgressStage::psRunning);
        EXPECT_EQ(records[i].Percent, static_cast<int>(i * 100 / 256));
    }
    for (const ProgressRecord& record : records)
        EXPECT_EQ(record.Message, "PixelFormat 24Bit -> 8Bit");
    // On down to 4 bits, in steps of its own.
    records.clear();
    dib.SetPixelFormat(fvPf4Bit);
    ASSERT_EQ(records.size(), 17u);
    EXPECT_EQ(records.back().Percent, 100);
    for (size_t i = 1; i + 1 < records.size(); ++i)
        EXPECT_EQ(records[i].Percent, static_cast<int>(i * 100 / 16));
    EXPECT_EQ(records.back().Message, "PixelFormat 8Bit -> 4Bit");

    records.clear();
    dib.SetPixelFormat(fvPf24Bit);
    EXPECT_TRUE(records.empty());
    dib.SetPixelFormat(fvPf24Bit);
    EXPECT_TRUE(records.empty());
}

TEST(FvDIBProgress, FailingPaletteComputationStillEnds)
{
    TFvDIB dib;
    std::vector<TProgressStage> stages;
    dib.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string& message) {
        EXPECT_EQ(message, "Create True Color Palette");
        stages.push_back(stage);
    };
    ExpectError<EFvDIBBadDIBType>([&] { dib.CreateTrueColorPalette(); },
                                  "TFvInternalDIB.CreateTrueColorPalette: Bad DIB Type");
    EXPECT_EQ(stages, (std::vector<TProgressStage>{TProgressStage::psStarting, TProgressStage::psEnding}));
}

TEST(FvDIBProgress, TrueColourPaletteOfSharedBitmap)
{
    TFvDIB source;
    Fill24(source, 4, 1, {clRed, clRed, clBlue, clBlue});
    TFvDIB dib;
    dib.Assign(&source);
    dib.CreateTrueColorPalette();
    EXPECT_EQ(dib.BitCount(), 24);
    EXPECT_GT(dib.PaletteSize(), 0);
    EXPECT_EQ(source.PaletteSize(), 0);
    EXPECT_NE(dib.GetPalette(), nullptr);

    // A picture back from the history already has its palette: it stays shared.
    TFvDIB back;
    back.Assign(&dib);
    back.SetPaletteModified(false);
    int progress = 0;
    TProgressStage last = TProgressStage::psStarting;
    back.OnProgress = [&](TPersistent*, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
        ++progress;
        last = stage;
    };
    back.CreateTrueColorPalette();
    EXPECT_EQ(&back.InternalDIB(), &dib.InternalDIB());
    EXPECT_TRUE(back.PaletteModified());
    EXPECT_GT(progress, 0);
    EXPECT_EQ(last, TProgressStage::psEnding);

    // A picture of its own reports its new palette as well.
    source.SetPaletteModified(false);
    source.CreateTrueColorPalette();
    EXPECT_GT(source.PaletteSize(), 0);
    EXPECT_TRUE(source.PaletteModified());
}

} // namespace
