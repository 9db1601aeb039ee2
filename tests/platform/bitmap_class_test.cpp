#include "platform/core/Exceptions.h"
#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>
#include <unistd.h>

namespace {

// A BMP file written byte by byte: file header, a header of headerSize bytes
// (the masks inside it from 52 bytes on, else after it), a table and the
// given pixel bytes.
std::vector<uint8_t> Bmp(int width, int height, int bits, DWORD compression, const std::vector<RGBQUAD>& table,
                         const std::vector<uint8_t>& pixels, const std::vector<DWORD>& masks = {},
                         DWORD headerSize = 40)
{
    BITMAPINFOHEADER h{headerSize, width, height, 1, static_cast<WORD>(bits), compression,
                       static_cast<DWORD>(pixels.size()), 2835, 2835,
                       static_cast<DWORD>(table.size()), 0};
    const size_t maskBytes = headerSize >= 52 ? 0 : 4 * masks.size();
    const DWORD offset = static_cast<DWORD>(14 + headerSize + maskBytes + 4 * table.size());
    BITMAPFILEHEADER f{BFT_BITMAP, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    std::vector<uint8_t> out(sizeof f + headerSize);
    std::memcpy(out.data(), &f, sizeof f);
    std::memcpy(out.data() + sizeof f, &h, sizeof h);
    if (headerSize >= 52)
        std::memcpy(out.data() + sizeof f + sizeof h, masks.data(), 4 * masks.size());
    else
        for (DWORD m : masks)
            out.insert(out.end(), reinterpret_cast<uint8_t*>(&m), reinterpret_cast<uint8_t*>(&m) + 4);
    for (const RGBQUAD& q : table)
        out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

void Load(TBitmap& bitmap, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    bitmap.LoadFromStream(stream);
}

std::vector<uint8_t> Save(TBitmap& bitmap)
{
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.Size());
}

std::string LoadError(const std::vector<uint8_t>& bytes)
{
    TBitmap bitmap;
    try {
        Load(bitmap, bytes);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

TEST(TBitmapClass, StartsEmptyAndKeepsTopDownRows)
{
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    // Negative extents are taken as none.
    bitmap.SetSize(-4, -2);
    EXPECT_EQ(std::pair(bitmap.Width(), bitmap.Height()), std::pair(0, 0));
    bitmap.SetHeight(3);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Height(), 3);
    int changes = 0;
    bitmap.OnChange = [&](TPersistent*) { ++changes; };
    bitmap.SetWidth(5);
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 20);
    EXPECT_THROW(bitmap.ScanLine(3), EInvalidGraphicOperation);
    // A fresh bitmap is white; the canvas draws into the same pixels ScanLine shows.
    EXPECT_EQ(bitmap.ScanLine(2)[0], 0xFF);
    bitmap.Canvas().SetPixel(1, 2, clRed);
    EXPECT_EQ(bitmap.ScanLine(2)[4 + 2], 0xFF);
    EXPECT_EQ(bitmap.ScanLine(2)[4 + 0], 0x00);
    EXPECT_EQ(changes, 2);
    // Every other change of the picture is announced once.
    std::vector<int> announced;
    TBitmap other;
    other.SetSize(2, 3);
    bitmap.SetPixelFormat(pf8bit);
    announced.push_back(changes);
    bitmap.SetPalette(CopyPalette(bitmap.Palette()));
    announced.push_back(changes);
    bitmap.Assign(&other);
    announced.push_back(changes);
    bitmap.Assign(nullptr);
    announced.push_back(changes);
    TMemoryStream stream;
    other.SaveToStream(stream);
    stream.SetPosition(0);
    bitmap.LoadFromStream(stream);
    announced.push_back(changes);
    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    other.SaveToClipboardFormat(format, data, palette);
    bitmap.LoadFromClipboardFormat(format, data, palette);
    announced.push_back(changes);
    GlobalFree(data);
    EXPECT_EQ(announced, (std::vector<int>{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(bitmap.Height(), 3);

    BITMAP description{};
    ASSERT_TRUE(GetObject(bitmap.Handle(), &description));
    EXPECT_EQ(description.bmBitsPixel, 32);
    try {
        bitmap.ScanLine(-1);
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "Scan line index out of range");
    }
}

TEST(TBitmapClass, PixelFormatChangesConvertThePicture)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(2, 1);
    bitmap.Canvas().SetPixel(0, 0, 0xA0A0A0);
    bitmap.Canvas().SetPixel(1, 0, 0x0000F0);
    bitmap.SetPixelFormat(pf1bit);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x80); // light grey is nearer white, bright red nearer black
    ASSERT_NE(bitmap.Palette(), nullptr);
    EXPECT_EQ(GetPaletteEntries(bitmap.Palette(), 0, 0, nullptr), 2u);

    // A palette of the depth becomes the colour table; the indices stay.
    LOGPALETTE log{};
    log.palVersion = 0x300;
    log.palNumEntries = 2;
    log.palPalEntry[0] = {0, 0, 255, 0};
    log.palPalEntry[1] = {0, 255, 0, 0};
    bitmap.SetPalette(CreatePalette(&log));
    EXPECT_TRUE(bitmap.PaletteModified());
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x80);
    bitmap.SetPixelFormat(pf24bit);
    const uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ(std::vector<uint8_t>(row, row + 6), (std::vector<uint8_t>{0, 255, 0, 255, 0, 0}));
    // 15 bits: five to a channel without masks; a colour drawn keeps each channel's top bits.
    bitmap.SetPixelFormat(pf15bit);
    bitmap.Canvas().SetPixel(1, 0, 0x3C80F0);
    row = bitmap.ScanLine(0);
    EXPECT_EQ(std::vector<uint8_t>(row, row + 4), (std::vector<uint8_t>{0xE0, 0x03, 0x07, 0x7A}));
    EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphicOperation);
}

TEST(TBitmapClass, ReadsEveryDepthAndWritesBottomUp)
{
    // 8 bits, bottom-up, two of 256 entries used.
    const std::vector<RGBQUAD> two = {{0, 0, 0, 0}, {1, 2, 3, 0}};
    const std::vector<uint8_t> eight = Bmp(3, 2, 8, BI_RGB, two, {1, 0, 0, 0, 0, 1, 1, 0});
    TBitmap bitmap;
    bitmap.SetPaletteModified(false);
    Load(bitmap, eight);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_TRUE(bitmap.PaletteModified()); // a picture with a palette to realize
    // Its canvas draws with that palette selected.
    LOGPALETTE one{0x300, 1, {}};
    HPALETTE other = CreatePalette(&one);
    HDC canvas = bitmap.Canvas().Handle();
    const HPALETTE selected = SelectPalette(canvas, other, true);
    EXPECT_EQ(selected, bitmap.Palette());
    SelectPalette(canvas, selected, true);
    DeleteObject(other);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 1); // top row is the last in the file
    EXPECT_EQ(bitmap.ScanLine(1)[0], 1);
    EXPECT_EQ(Save(bitmap), eight);
    // A file header that gives no offset has its pixels right after the table.
    std::vector<uint8_t> noOffset = eight;
    std::fill_n(noOffset.begin() + 10, 4, uint8_t{0});
    Load(bitmap, noOffset);
    EXPECT_EQ(Save(bitmap), eight);

    // 4 bits top-down, and 1 bit.
    const std::vector<RGBQUAD> sixteen(16, RGBQUAD{9, 9, 9, 0});
    Load(bitmap, Bmp(3, -1, 4, BI_RGB, sixteen, {0x12, 0x30, 0, 0}));
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x30);
    Load(bitmap, Bmp(9, 1, 1, BI_RGB, two, {0x80, 0x80, 0, 0}));
    EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
    EXPECT_EQ(bitmap.Width(), 9);

    // 24 and 32 bits; 16 bits with and without fields.
    // A header that counts no planes, as some writers leave it, reads as one plane.
    std::vector<uint8_t> noPlanes = Bmp(1, 1, 24, BI_RGB, {}, {1, 2, 3, 0});
    noPlanes[14 + 12] = 0;
    Load(bitmap, noPlanes);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_FALSE(bitmap.PaletteModified());
    EXPECT_EQ(bitmap.ScanLine(0)[2], 3);
    // A deeper picture's optional table is skipped: its handle describes none.
    Load(bitmap, Bmp(1, 1, 24, BI_RGB, two, {1, 2, 3, 0}));
    BITMAPINFO own{};
    own.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, bitmap.Handle(), 0, 1, nullptr, &own, DIB_RGB_COLORS), 1);
    DeleteDC(dc);
    EXPECT_EQ(own.bmiHeader.biClrUsed, 0u);
    EXPECT_EQ(Save(bitmap), Bmp(1, 1, 24, BI_RGB, {}, {1, 2, 3, 0}));
    Load(bitmap, Bmp(1, 1, 32, BI_RGB, {}, {1, 2, 3, 4}));
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    Load(bitmap, Bmp(1, 1, 16, BI_RGB, {}, {0xFF, 0x7F, 0, 0}));
    EXPECT_EQ(bitmap.PixelFormat(), pf15bit);
    const std::vector<uint8_t> sixFive = Bmp(2, 1, 16, BI_BITFIELDS, {}, {0x00, 0xF8, 0x1F, 0x00}, {0xF800, 0x07E0, 0x001F});
    Load(bitmap, sixFive);
    EXPECT_EQ(bitmap.PixelFormat(), pf16bit);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), clRed);
    EXPECT_EQ(bitmap.Canvas().Pixel(1, 0), clBlue);
    EXPECT_EQ(Save(bitmap), sixFive);
    // Masks that match 5-5-5 or 5-6-5 in only some channels, or take all sixteen bits, are custom.
    for (const auto& [red, green] : {std::pair<DWORD, DWORD>{0x7C00, 0x03C0}, {0x7800, 0x03E0}, {0xF800, 0x03E0}, {0xF000, 0x07E0},
                                     {0xFFFF, 0x07E0}}) {
        Load(bitmap, Bmp(2, 1, 16, BI_BITFIELDS, {}, std::vector<uint8_t>(4), {red, green, 0x001F}));
        EXPECT_EQ(bitmap.PixelFormat(), pfCustom) << red;
    }
    // Every later header, the masks inside it, reads the same.
    for (const DWORD size : {52, 56, 108, 124}) {
        TBitmap later;
        Load(later, Bmp(2, 1, 16, BI_BITFIELDS, {}, {0x00, 0xF8, 0x1F, 0x00}, {0xF800, 0x07E0, 0x001F}, size));
        EXPECT_EQ(Save(later), sixFive) << size;
    }
    // Channels of ten bits take a colour drawn widened from its eight.
    Load(bitmap, Bmp(2, 1, 32, BI_BITFIELDS, {}, std::vector<uint8_t>(8), {0x3FF00000, 0x000FFC00, 0x000003FF}));
    bitmap.Canvas().SetPixel(1, 0, 0x3C80F0);
    uint32_t wide = 0;
    std::memcpy(&wide, bitmap.ScanLine(0) + 4, 4);
    EXPECT_EQ(wide, 0xF0u << 22 | 0x80u << 12 | 0x3Cu << 2);
}

TEST(TBitmapClass, ReadsRleAndCoreHeaders)
{
    const std::vector<RGBQUAD> table = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}};
    TBitmap bitmap;
    Load(bitmap, Bmp(4, 2, 8, BI_RLE8, table, {4, 1, 0, 0, 2, 2, 0, 1}));
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(1), bitmap.ScanLine(1) + 4), (std::vector<uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + 4), (std::vector<uint8_t>{2, 2, 0, 0}));
    // An image size of 0 leaves the data to the file's end; a smaller one cuts it there.
    for (const auto& [size, top] : {std::pair{0, 2}, std::pair{2, 0}}) {
        std::vector<uint8_t> sized = Bmp(4, 2, 8, BI_RLE8, table, {4, 1, 0, 0, 2, 2, 0, 1});
        sized[34] = static_cast<uint8_t>(size);
        Load(bitmap, sized);
        EXPECT_EQ(std::pair(bitmap.ScanLine(1)[3], bitmap.ScanLine(0)[1]), std::pair(uint8_t{1}, uint8_t(top))) << size;
    }
    Load(bitmap, Bmp(3, 1, 4, BI_RLE4, table, {3, 0x12, 0, 1}));
    EXPECT_EQ(bitmap.PixelFormat(), pf4bit);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0x12);
    EXPECT_EQ(bitmap.ScanLine(0)[1], 0x10);
    // Rows of eight, whose packed bytes fill the row to its end.
    Load(bitmap, Bmp(8, 2, 4, BI_RLE4, table, {8, 0x12, 0, 0, 8, 0x21, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + 4), std::vector<uint8_t>(4, 0x21));
    EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(1), bitmap.ScanLine(1) + 4), std::vector<uint8_t>(4, 0x12));

    // A 12-byte core header with a 3-byte table.
    std::vector<uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0,
                                 12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0,
                                 0, 0, 0, 255, 255, 255,
                                 0x40, 0, 0, 0};
    Load(bitmap, core);
    EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
    EXPECT_EQ(bitmap.Canvas().Pixel(1, 0), clWhite);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), clBlack);
    // At 8 bits a core table always holds 256 entries; entry 255 is blue-green.
    const int pixels = 14 + 12 + 3 * 256;
    core[10] = pixels & 0xFF;
    core[11] = pixels >> 8;
    core[24] = 8;
    core.resize(pixels);
    core[pixels - 3] = 0x80;
    core[pixels - 2] = 0x40;
    core.insert(core.end(), {0, 0xFF, 0, 0});
    Load(bitmap, core);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.Canvas().Pixel(1, 0), 0x804000);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), clBlack);
}

TEST(TBitmapClass, RejectsBadFilesAndKeepsItsPicture)
{
    const std::vector<RGBQUAD> two = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    std::vector<uint8_t> good = Bmp(1, 1, 24, BI_RGB, {}, {1, 2, 3, 0});
    std::vector<uint8_t> bad = good;
    bad[0] = 'X';
    EXPECT_EQ(LoadError(bad), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(1, 1, 12, BI_RGB, {}, {0, 0, 0, 0})), "Bitmap image is not valid");
    std::vector<uint8_t> unknownHeader = good;
    unknownHeader[14] = 64;
    EXPECT_EQ(LoadError(unknownHeader), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(0x10000, 0x10000, 24, BI_RGB, {}, {})), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(1, INT32_MIN, 24, BI_RGB, {}, {})), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(4, -2, 8, BI_RLE8, two, {0, 1})), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(4, 2, 24, BI_RLE8, {}, {0, 1})), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(Bmp(1, 1, 16, BI_BITFIELDS, {}, {0, 0, 0, 0}, {0, 0x3E0, 0x1F})), "Bitmap image is not valid");
    // RLE4 fits at 4 bits a pixel but not as the byte a pixel it is decoded through.
    EXPECT_EQ(LoadError(Bmp(0x10000, 0x8000, 4, BI_RLE4, two, {0, 1})), "Bitmap image is not valid");
    // Pixels said to start inside the headers or past the end of the file.
    for (const uint8_t offset : {20, 200}) {
        std::vector<uint8_t> misplaced = good;
        misplaced[10] = offset;
        EXPECT_EQ(LoadError(misplaced), "Bitmap image is not valid") << int{offset};
    }
    // A colour table counted past the end of the file.
    std::vector<uint8_t> counted = good;
    counted[46] = 200;
    EXPECT_EQ(LoadError(counted), "Stream read error");
    // Pixel data cut short is a read error, found before the picture is allocated.
    EXPECT_EQ(LoadError(Bmp(1000, 1000, 24, BI_RGB, {}, {1, 2, 3})), "Stream read error");
    EXPECT_EQ(LoadError({'B', 'M', 0}), "Stream read error");

    TBitmap bitmap;
    Load(bitmap, good);
    good[0] = 'X';
    EXPECT_THROW(Load(bitmap, good), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 1);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 1);
}

// A picture fits while stride x height stays within 2^31 - 1 bytes.
TEST(TBitmapClass, SizesFitUpToTheByteLimitAtEveryDepth)
{
    const int64_t rows = 0x7FFFFFFF / 4; // of four bytes each; one more row reaches 2^31
    for (const auto& [bits, width] : {std::pair{1, 32}, {4, 8}, {8, 4}, {16, 2}, {24, 1}, {32, 1}}) {
        EXPECT_TRUE(BitmapSizeFits(width, rows, bits)) << bits;
        EXPECT_FALSE(BitmapSizeFits(width, rows + 1, bits)) << bits;
        EXPECT_FALSE(BitmapSizeFits(width + 1, rows, bits)) << bits;
    }
    EXPECT_TRUE(BitmapSizeFits(0x7FFFFFFF, 1, 1));
    EXPECT_FALSE(BitmapSizeFits(0x80000000, 1, 1));
    EXPECT_TRUE(BitmapSizeFits(1, 1, 24));
    EXPECT_FALSE(BitmapSizeFits(0, 1, 24));
    EXPECT_FALSE(BitmapSizeFits(1, 0, 24));
}

TEST(TBitmapClass, AssignCopiesAndDrawsThroughTheCanvas)
{
    TBitmap source;
    source.SetPixelFormat(pf8bit);
    source.SetSize(2, 2);
    source.ScanLine(1)[1] = 9;
    TBitmap copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.PixelFormat(), pf8bit);
    EXPECT_EQ(copy.ScanLine(1)[1], 9);
    EXPECT_NE(copy.Palette(), source.Palette());
    source.ScanLine(1)[1] = 3;
    EXPECT_EQ(copy.ScanLine(1)[1], 9);

    // Drawing one 8-bit bitmap into another with the same table keeps the indices.
    TBitmap big;
    big.Assign(&copy);
    big.SetSize(4, 4);
    big.Canvas().StretchDraw(Rect(0, 0, 4, 4), copy);
    EXPECT_EQ(big.ScanLine(3)[3], 9);
    EXPECT_EQ(big.ScanLine(2)[2], 9);
    EXPECT_EQ(big.ScanLine(1)[1], big.ScanLine(0)[0]);

    // A canvas that drew before an assignment draws into the assigned picture after it.
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(3, 2);
    target.Canvas().SetPixel(0, 0, clBlue);
    TBitmap assigned;
    assigned.SetPixelFormat(pf24bit);
    assigned.SetSize(2, 2);
    target.Assign(&assigned);
    target.Canvas().SetPixel(1, 1, clRed);
    EXPECT_EQ(std::vector<uint8_t>(target.ScanLine(1), target.ScanLine(1) + 6),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 255}));
    EXPECT_EQ(assigned.Canvas().Pixel(1, 1), clWhite);
    // Emptied, it reaches no picture at all.
    target.Assign(nullptr);
    EXPECT_EQ(target.Canvas().Pixel(1, 1), static_cast<TColor>(CLR_INVALID));

    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Width(), 0);

    HBITMAP handle = big.ReleaseHandle();
    EXPECT_TRUE(big.Empty());
    EXPECT_TRUE(DeleteObject(handle));
}

// Assigned true-colour bitmaps share one picture; every way of changing one
// leaves the other as it was, in either direction and whichever goes first.
TEST(TBitmapClass, SharedPicturesAreCopiedBeforeEitherChanges)
{
    auto photo = [] {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(3, 2);
        bitmap->ScanLine(1)[4] = 7;
        bitmap->SetTransparent(true);
        return bitmap;
    };
    const std::vector<uint8_t> original = Save(*photo());
    auto sharedPair = [&](auto change) {
        auto source = photo();
        TBitmap copy;
        copy.Assign(source.get());
        EXPECT_EQ(copy.PixelFormat(), pf24bit);
        EXPECT_TRUE(copy.Transparent());
        EXPECT_EQ(Save(copy), original);
        change(*source);
        EXPECT_EQ(Save(copy), original);
        TBitmap back;
        back.Assign(&copy);
        change(copy);
        source.reset();
        EXPECT_EQ(Save(back), original);
    };
    sharedPair([](TBitmap& b) { b.ScanLine(1)[4] = 9; });
    sharedPair([](TBitmap& b) { b.Canvas().SetPixel(0, 0, clRed); });
    sharedPair([](TBitmap& b) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP old = SelectObject(dc, b.Handle());
        BitBlt(dc, 0, 0, 3, 2, nullptr, 0, 0, BLACKNESS);
        SelectObject(dc, old);
        DeleteDC(dc);
    });
    sharedPair([](TBitmap& b) {
        LOGPALETTE log{0x300, 1, {}};
        b.SetPalette(CreatePalette(&log));
    });
    sharedPair([](TBitmap& b) { b.SetSize(1, 1); });
    sharedPair([](TBitmap& b) { b.SetPixelFormat(pf8bit); });
    sharedPair([](TBitmap& b) {
        // The picture goes; its size stays.
        const std::pair size(b.Width(), b.Height());
        b.FreeImage();
        EXPECT_EQ(std::pair(b.Width(), b.Height()), size);
    });
    sharedPair([](TBitmap& b) { EXPECT_TRUE(DeleteObject(b.ReleaseHandle())); });
    sharedPair([](TBitmap& b) { Load(b, Bmp(1, 1, 24, BI_RGB, {}, {1, 2, 3, 0})); });
    sharedPair([](TBitmap& b) { b.Assign(nullptr); });

    // A source still holding a drawing context is copied, so that context cannot reach the copy.
    auto source = photo();
    HDC drawing = source->Canvas().Handle();
    TBitmap copy;
    copy.Assign(source.get());
    const RECT all{0, 0, 3, 2};
    HBRUSH black = CreateSolidBrush(0);
    FillRect(drawing, &all, black);
    DeleteObject(black);
    EXPECT_EQ(Save(copy), original);
    EXPECT_NE(Save(*source), original);
}

TEST(TBitmapClass, ClipboardBlocksRoundTrip)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf4bit);
    bitmap.SetSize(3, 2);
    bitmap.ScanLine(0)[0] = 0x5A;
    unsigned format = 0;
    HGLOBAL data = nullptr;
    HPALETTE palette = nullptr;
    bitmap.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(format, CF_DIB);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalSize(data), 40u + 16 * 4 + 2 * 4);
    // A fresh 4-bit picture has the 16 VGA colours, in order.
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                              0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const auto* table = reinterpret_cast<const RGBQUAD*>(static_cast<const uint8_t*>(GlobalLock(data)) + 40);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(uint32_t{table[i].rgbRed} << 16 | table[i].rgbGreen << 8 | table[i].rgbBlue, vga[i]) << i;
    GlobalUnlock(data);
    // A fresh 8-bit one has the 20 stock colours, then a 6 x 6 x 6 cube with blue varying fastest.
    TBitmap eight;
    eight.SetPixelFormat(pf8bit);
    eight.SetSize(1, 1);
    PALETTEENTRY stock[20]{}, entries[256]{};
    GetPaletteEntries(StockPalette(), 0, 20, stock);
    ASSERT_EQ(GetPaletteEntries(eight.Palette(), 0, 256, entries), 20u + 216);
    EXPECT_EQ(std::memcmp(entries, stock, sizeof stock), 0);
    for (int i = 20; i < 20 + 216; ++i) {
        const int cube = i - 20;
        EXPECT_EQ(entries[i].peRed, cube / 36 * 51) << i;
        EXPECT_EQ(entries[i].peGreen, cube / 6 % 6 * 51) << i;
        EXPECT_EQ(entries[i].peBlue, cube % 6 * 51) << i;
    }

    TBitmap back;
    back.LoadFromClipboardFormat(format, data, palette);
    EXPECT_EQ(back.PixelFormat(), pf4bit);
    EXPECT_EQ(back.ScanLine(0)[0], 0x5A);
    EXPECT_THROW(back.LoadFromClipboardFormat(CF_BITMAP, data, nullptr), EInvalidGraphic);

    // A block cut inside its pixels is refused.
    HGLOBAL cut = GlobalAllocCopy(GlobalLock(data), GlobalSize(data) - 1);
    GlobalUnlock(data);
    EXPECT_THROW(back.LoadFromClipboardFormat(CF_DIB, cut, nullptr), EReadError);
    GlobalFree(cut);
    GlobalFree(data);
    DeleteObject(palette);
}

TEST(TBitmapClass, SavesToAFileAndReadsItBack)
{
    const std::string path = ::testing::TempDir() + std::to_string(::getpid()) + "_bitmap_class_test.bmp";
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(5, 3);
    bitmap.Canvas().Brush.Color = clNavy;
    bitmap.Canvas().FillRect(Rect(1, 1, 4, 2));
    bitmap.SaveToFile(path);
    TBitmap back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Canvas().Pixel(2, 1), clNavy);
    EXPECT_EQ(back.Canvas().Pixel(0, 0), clWhite);
    EXPECT_TRUE(back.Equals(&bitmap));

    // Rows go out a block of about a megabyte at a time; a picture of several blocks, each row its own.
    TBitmap large;
    large.SetPixelFormat(pf24bit);
    large.SetSize(601, 1500);
    for (int y = 0; y < large.Height(); ++y)
        for (int x = 0; x < 3 * large.Width(); ++x)
            large.ScanLine(y)[x] = static_cast<uint8_t>(x * 7 + y * 13);
    TBitmap largeBack;
    Load(largeBack, Save(large));
    EXPECT_TRUE(largeBack.Equals(&large));
}

} // namespace
