#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

BITMAPINFO Header(int width, int height, int bits, unsigned colours = 0, DWORD compression = BI_RGB)
{
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits),
                                      compression, 0, 0, 0, colours, 0};
    return info;
}

// Grey level g as an RGBQUAD, so that a pixel's colour names its index.
RGBQUAD Grey(int g)
{
    return RGBQUAD{static_cast<BYTE>(g), static_cast<BYTE>(g), static_cast<BYTE>(g), 0};
}

// A memory context holding a DIB section of the given header.
struct Target {
    explicit Target(const BITMAPINFO& info)
    {
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    ~Target()
    {
        SelectObject(dc, StockBitmap());
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    uint8_t* Bytes() { return static_cast<uint8_t*>(bits); }
    // The blue byte of each pixel of row y of a 32-bit top-down target.
    std::vector<int> Row(int y, int width)
    {
        std::vector<int> out;
        for (int x = 0; x < width; ++x)
            out.push_back(static_cast<int>(GetPixel(dc, x, y) >> 16));
        return out;
    }
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    void* bits = nullptr;
};

// An 8-bit grey source whose table maps index i to grey i.
BITMAPINFO GreyHeader(int width, int height)
{
    BITMAPINFO info = Header(width, height, 8);
    for (int i = 0; i < 256; ++i)
        info.bmiColors[i] = Grey(i);
    return info;
}

TEST(StretchDIBits, PicksTheSourceByTheCentreRule)
{
    const BITMAPINFO source = GreyHeader(7, 1);
    const uint8_t row[8] = {10, 11, 12, 13, 14, 15, 16, 0};
    {
        Target t(Header(7, -1, 32));
        EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 7, 1, 0, 0, 3, 1, row, sizeof row, &source, DIB_RGB_COLORS, SRCCOPY), 1);
        EXPECT_EQ(t.Row(0, 7), (std::vector<int>{10, 10, 11, 11, 11, 12, 12}));
    }
    {
        Target t(Header(3, -1, 32));
        StretchDIBits(t.dc, 0, 0, 3, 1, 0, 0, 7, 1, row, sizeof row, &source, DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(t.Row(0, 3), (std::vector<int>{11, 13, 15}));
    }
    {
        // A negative extent mirrors; the rectangle covers [x + w, x).
        Target t(Header(5, -1, 32));
        StretchDIBits(t.dc, 4, 0, -3, 1, 1, 0, 3, 1, row, sizeof row, &source, DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(t.Row(0, 5), (std::vector<int>{0, 13, 12, 11, 0}));
        StretchDIBits(t.dc, 0, 0, 2, 1, 3, 0, -2, 1, row, sizeof row, &source, DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(t.Row(0, 5), (std::vector<int>{12, 11, 12, 11, 0}));
    }
}

TEST(StretchDIBits, RowsOfBottomUpSourcesCountFromTheBottom)
{
    // Rows stored bottom-up: memory row r holds grey 20 + r.
    const BITMAPINFO up = GreyHeader(1, 4);
    const uint8_t column[16] = {20, 0, 0, 0, 21, 0, 0, 0, 22, 0, 0, 0, 23, 0, 0, 0};
    Target t(Header(1, -3, 32));
    StretchDIBits(t.dc, 0, 0, 1, 3, 0, 1, 1, 3, column, sizeof column, &up, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(t.dc, 0, 0) >> 16, 23u);
    EXPECT_EQ(GetPixel(t.dc, 0, 2) >> 16, 21u);

    // The same bytes read top-down count from the top.
    BITMAPINFO down = GreyHeader(1, -4);
    StretchDIBits(t.dc, 0, 0, 1, 3, 0, 1, 1, 3, column, sizeof column, &down, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(t.dc, 0, 0) >> 16, 21u);
    EXPECT_EQ(GetPixel(t.dc, 0, 2) >> 16, 23u);

    // A negative destination height turns the picture upside down.
    StretchDIBits(t.dc, 0, 3, 1, -3, 0, 0, 1, 3, column, sizeof column, &down, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(t.dc, 0, 0) >> 16, 22u);
    EXPECT_EQ(GetPixel(t.dc, 0, 2) >> 16, 20u);
}

TEST(StretchDIBits, ClipsToTheDestinationAndTheSource)
{
    const BITMAPINFO source = GreyHeader(2, -2);
    const uint8_t bits[8] = {1, 2, 0, 0, 3, 4, 0, 0};
    Target t(Header(3, -3, 32));
    std::memset(t.bits, 0x55, 36);
    StretchDIBits(t.dc, 2, 2, 2, 2, 0, 0, 2, 2, bits, sizeof bits, &source, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t.Row(2, 3), (std::vector<int>{0x55, 0x55, 1}));
    EXPECT_EQ(t.Row(1, 3), (std::vector<int>{0x55, 0x55, 0x55}));
    // Source pixels outside the picture leave the destination alone.
    StretchDIBits(t.dc, 0, 0, 3, 1, -1, 1, 3, 1, bits, sizeof bits, &source, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t.Row(0, 3), (std::vector<int>{0x55, 3, 4}));
    // Huge extents are clipped before any work is done.
    EXPECT_EQ(StretchDIBits(t.dc, -0x40000000, 0, 0x7FFFFFFF, 3, 0, 0, 2, 2, bits, sizeof bits, &source,
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    // Too few bytes for the header's picture, and unknown operations, fail.
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, 7, &source, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 1, 1, bits, 8, &source, DIB_RGB_COLORS, 0x00AA0029), 0);
}

TEST(StretchDIBits, DecodesRleWithinItsBytes)
{
    // 4 x 3, bottom-up: row 0 = run of 3 x 5 then literal 7; row 1 skipped by a delta that
    // also moves two pixels right; row 2 = 9 9 from there.
    const uint8_t rle8[] = {3, 5, 1, 7, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
    BITMAPINFO info = GreyHeader(4, 3);
    info.bmiHeader.biCompression = BI_RLE8;
    Target t(Header(4, -3, 32));
    ASSERT_EQ(StretchDIBits(t.dc, 0, 0, 4, 3, 0, 0, 4, 3, rle8, sizeof rle8, &info, DIB_RGB_COLORS, SRCCOPY), 3);
    EXPECT_EQ(t.Row(2, 4), (std::vector<int>{5, 5, 5, 7}));
    EXPECT_EQ(t.Row(1, 4), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(t.Row(0, 4), (std::vector<int>{0, 0, 9, 9}));

    // Cut short inside a literal run: what was decoded is drawn, nothing more is read.
    const uint8_t cut[] = {0, 4, 1, 2};
    StretchDIBits(t.dc, 0, 0, 4, 3, 0, 0, 4, 3, cut, sizeof cut, &info, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t.Row(2, 4), (std::vector<int>{0, 0, 0, 0}));
    // A 4-bit one whose 8-bit copy would pass 2 GiB is not drawn.
    BITMAPINFO huge = GreyHeader(46341, 46341);
    huge.bmiHeader.biBitCount = 4;
    huge.bmiHeader.biCompression = BI_RLE4;
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 4, 3, 0, 0, 4, 3, rle8, sizeof rle8, &huge, DIB_RGB_COLORS, SRCCOPY), 0);

    // RLE4: a literal run of 4 pixels takes two bytes; a run alternates its two nibbles; a
    // literal run of 3 pixels takes two bytes plus padding.
    const uint8_t rle4[] = {0, 4, 0x67, 0x89, 0, 0, 5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
    BITMAPINFO info4 = GreyHeader(4, 3);
    info4.bmiHeader.biBitCount = 4;
    info4.bmiHeader.biCompression = BI_RLE4;
    Target t4(Header(4, -3, 32));
    StretchDIBits(t4.dc, 0, 0, 4, 3, 0, 0, 4, 3, rle4, sizeof rle4, &info4, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t4.Row(2, 4), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(t4.Row(1, 4), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(t4.Row(0, 4), (std::vector<int>{3, 4, 5, 0}));

    // Expanded as the same picture uncompressed: bottom-up, of its own depth.
    uint8_t expanded[12] = {};
    ASSERT_TRUE(ExpandRleDIB(&info, rle8, sizeof rle8, expanded, sizeof expanded));
    EXPECT_EQ(std::vector<uint8_t>(expanded, expanded + 12), (std::vector<uint8_t>{5, 5, 5, 7, 0, 0, 0, 0, 0, 0, 9, 9}));
    uint8_t packed[12] = {};
    ASSERT_TRUE(ExpandRleDIB(&info4, rle4, sizeof rle4, packed, sizeof packed));
    EXPECT_EQ(std::vector<uint8_t>(packed, packed + 12),
              (std::vector<uint8_t>{0x67, 0x89, 0, 0, 0x12, 0x12, 0, 0, 0x34, 0x50, 0, 0}));
    EXPECT_FALSE(ExpandRleDIB(&info, rle8, sizeof rle8, expanded, 11));
    EXPECT_FALSE(ExpandRleDIB(&info, rle8, sizeof rle8, expanded, 16));
    const BITMAPINFO plain = GreyHeader(4, 3);
    EXPECT_FALSE(ExpandRleDIB(&plain, rle8, sizeof rle8, expanded, sizeof expanded));
    info.bmiHeader.biHeight = -3;
    EXPECT_FALSE(ExpandRleDIB(&info, rle8, sizeof rle8, expanded, sizeof expanded));
    EXPECT_EQ(expanded[0], 5);

    // RLE must be bottom-up and of its own depth.
    info4.bmiHeader.biBitCount = 8;
    EXPECT_EQ(StretchDIBits(t4.dc, 0, 0, 4, 2, 0, 0, 4, 2, rle4, sizeof rle4, &info4, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(StretchDIBits, IndexedTargetsKeepIndicesOnlyForTheSameTable)
{
    BITMAPINFO table = Header(4, -1, 8, 3);
    table.bmiColors[0] = {0, 0, 0, 0};
    table.bmiColors[1] = {0, 0, 200, 0};
    table.bmiColors[2] = {0, 0, 200, 0}; // the same colour twice
    Target t(table);
    const uint8_t indices[4] = {2, 1, 0, 2};
    StretchDIBits(t.dc, 0, 0, 4, 1, 0, 0, 4, 1, indices, 4, &table, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t.Bytes(), t.Bytes() + 4), (std::vector<uint8_t>{2, 1, 0, 2}));

    // Another table with the same colours is matched by colour: the lowest equal entry wins.
    BITMAPINFO other = table;
    other.bmiHeader.biClrUsed = 4;
    other.bmiColors[3] = {255, 255, 255, 0};
    const uint8_t more[4] = {2, 3, 1, 0};
    StretchDIBits(t.dc, 0, 0, 4, 1, 0, 0, 4, 1, more, 4, &other, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t.Bytes(), t.Bytes() + 4), (std::vector<uint8_t>{1, 1, 1, 0}));
    // So is a table of the same size that differs in its first entry only.
    other.bmiHeader.biClrUsed = 3;
    other.bmiColors[0] = {0, 0, 200, 0};
    const uint8_t first[4] = {0, 2, 0, 1};
    StretchDIBits(t.dc, 0, 0, 4, 1, 0, 0, 4, 1, first, 4, &other, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t.Bytes(), t.Bytes() + 4), (std::vector<uint8_t>{1, 1, 1, 1}));

    // True colour into an indexed target: nearest entry.
    const BITMAPINFO rgb = Header(2, 1, 24);
    const uint8_t pixels[8] = {0, 0, 150, 20, 20, 20, 0, 0};
    StretchDIBits(t.dc, 0, 0, 2, 1, 0, 0, 2, 1, pixels, 8, &rgb, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t.Bytes()[0], 1);
    EXPECT_EQ(t.Bytes()[1], 0);
}

TEST(StretchDIBits, SubByteAndMaskedFormats)
{
    // 1-bit source into a 4-bit target, with an odd start column.
    BITMAPINFO mono = Header(10, 1, 1);
    mono.bmiColors[1] = {255, 255, 255, 0};
    const uint8_t monoBits[4] = {0xA5, 0xC0, 0, 0}; // 1010 0101 11
    BITMAPINFO nibbles = Header(5, -1, 4, 2);
    nibbles.bmiColors[0] = {255, 255, 255, 0};
    nibbles.bmiColors[1] = {0, 0, 0, 0};
    Target t(nibbles);
    StretchDIBits(t.dc, 1, 0, 4, 1, 6, 0, 4, 1, monoBits, 4, &mono, DIB_RGB_COLORS, SRCCOPY);
    // Source bits 6..9 are 0 1 1 1 (black white white white) -> indices 1 0 0 0 from column 1.
    EXPECT_EQ(t.Bytes()[0], 0x01);
    EXPECT_EQ(t.Bytes()[1], 0x00);
    EXPECT_EQ(t.Bytes()[2], 0x00);

    // 16-bit 5-5-5 source into 24 bits: full channels stay full.
    const BITMAPINFO hi = Header(2, 1, 16);
    const uint8_t hiBits[4] = {0xFF, 0x7F, 0x10, 0x00}; // white, then blue 16 of 31
    Target t24(Header(2, -1, 24));
    StretchDIBits(t24.dc, 0, 0, 2, 1, 0, 0, 2, 1, hiBits, 4, &hi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t24.Bytes(), t24.Bytes() + 6), (std::vector<uint8_t>{255, 255, 255, 132, 0, 0}));

    // 32-bit bit fields with the channels swapped.
    BITMAPINFO fields = Header(1, 1, 32, 0, BI_BITFIELDS);
    const DWORD masks[3] = {0x000000FF, 0x0000FF00, 0x00FF0000};
    std::memcpy(fields.bmiColors, masks, sizeof masks);
    const uint8_t fieldBits[4] = {0x11, 0x22, 0x33, 0};
    StretchDIBits(t24.dc, 0, 0, 1, 1, 0, 0, 1, 1, fieldBits, 4, &fields, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(t24.dc, 0, 0), 0x332211u);
}

TEST(StretchDIBits, TrueColourPairsCopyTheirBytes)
{
    // Bottom-up 24-bit source, 3 x 1: (1,2,3) (4,5,6) (7,8,9) as blue, green, red.
    const BITMAPINFO rgb = Header(3, 1, 24);
    const uint8_t pixels[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
    Target t32(Header(4, -1, 32));
    std::memset(t32.bits, 0xEE, 16);
    StretchDIBits(t32.dc, 0, 0, 4, 1, 3, 0, -3, 1, pixels, sizeof pixels, &rgb, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t32.Bytes(), t32.Bytes() + 16),
              (std::vector<uint8_t>{7, 8, 9, 0, 4, 5, 6, 0, 4, 5, 6, 0, 1, 2, 3, 0}));
    // Unscaled: each pixel in its place, the fourth byte cleared.
    Target u32(Header(3, -1, 32));
    std::memset(u32.bits, 0xEE, 12);
    StretchDIBits(u32.dc, 0, 0, 3, 1, 0, 0, 3, 1, pixels, sizeof pixels, &rgb, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(u32.Bytes(), u32.Bytes() + 12),
              (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));

    // Into the first two of three columns: the third stays as it was.
    Target t24(Header(3, -1, 24));
    std::memset(t24.bits, 0xEE, 12);
    const BITMAPINFO quad = Header(4, -1, 32);
    StretchDIBits(t24.dc, 0, 0, 2, 1, 1, 0, 2, 1, t32.bits, 16, &quad, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t24.Bytes(), t24.Bytes() + 9),
              (std::vector<uint8_t>{4, 5, 6, 4, 5, 6, 0xEE, 0xEE, 0xEE}));
    StretchDIBits(t24.dc, 0, 0, 2, 1, 2, 0, -2, 1, pixels, sizeof pixels, &rgb, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(std::vector<uint8_t>(t24.Bytes(), t24.Bytes() + 9),
              (std::vector<uint8_t>{4, 5, 6, 1, 2, 3, 0xEE, 0xEE, 0xEE}));

    // The fourth byte survives between plain 32-bit pictures.
    const uint8_t withAlpha[8] = {1, 2, 3, 200, 4, 5, 6, 100};
    const BITMAPINFO two = Header(2, 1, 32);
    StretchDIBits(t32.dc, 0, 0, 4, 1, 0, 0, 2, 1, withAlpha, 8, &two, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(t32.Bytes()[3], 200);
    EXPECT_EQ(t32.Bytes()[15], 100);
}

TEST(StretchDIBits, RasterOperationsWorkOnPixelValues)
{
    const uint8_t pixel[4] = {0xF0, 0x0F, 0x33, 0x77};
    Target t(Header(1, -1, 32));
    // The target's fourth byte is set: it takes no part in the operation,
    // nor does a 32-bit source's, which only a plain copy keeps.
    const uint32_t s = 0x330FF0, d = 0x015555AA;
    for (const int bits : {24, 32}) {
        const BITMAPINFO source = Header(1, 1, bits);
        auto run = [&](uint32_t before, DWORD rop) {
            std::memcpy(t.bits, &before, 4);
            StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 1, 1, pixel, 4, &source, DIB_RGB_COLORS, rop);
            uint32_t after;
            std::memcpy(&after, t.bits, 4);
            return after;
        };
        EXPECT_EQ(run(d, SRCCOPY), bits == 32 ? 0x77000000 | s : s);
        EXPECT_EQ(run(d, SRCPAINT), (s | d) & 0xFFFFFF);
        EXPECT_EQ(run(d, SRCAND), s & d);
        EXPECT_EQ(run(d, SRCINVERT), (s ^ d) & 0xFFFFFF);
        EXPECT_EQ(run(d, SRCERASE), s & ~d & 0xFFFFFF);
        EXPECT_EQ(run(d, NOTSRCCOPY), ~s & 0xFFFFFF);
        EXPECT_EQ(run(d, NOTSRCERASE), ~(s | d) & 0xFFFFFF);
        EXPECT_EQ(run(d, MERGEPAINT), (~s | d) & 0xFFFFFF);
        EXPECT_EQ(run(d, DSTINVERT), ~d & 0xFFFFFF);
        EXPECT_EQ(run(d, BLACKNESS), 0u);
        EXPECT_EQ(run(d, WHITENESS), 0xFFFFFFu);
    }
    const BITMAPINFO source = Header(1, 1, 24);
    // Pixels that index a palette (usage 1) are not taken, nor an empty source.
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 1, 1, pixel, 4, &source, 1, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 0, 1, pixel, 4, &source, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(t.dc, 0, 0, 1, 1, 0, 0, 1, 0, pixel, 4, &source, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(Blt, CopiesBetweenContextsAndIndexedTargetsGetBlackAndWhiteByColour)
{
    Target a(Header(2, -2, 32));
    Target b(Header(4, -4, 32));
    SetPixel(a.dc, 1, 0, 0x123456);
    EXPECT_TRUE(StretchBlt(b.dc, 0, 0, 4, 4, a.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(b.dc, 3, 1), 0x123456u);
    EXPECT_EQ(GetPixel(b.dc, 1, 1), 0u);
    EXPECT_TRUE(BitBlt(a.dc, 0, 0, 2, 2, b.dc, 2, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(a.dc, 1, 0), 0x123456u);
    EXPECT_EQ(GetPixel(a.dc, 0, 0), 0x123456u);
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 2, 2, b.dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 2, 2, b.dc, 0, 0, 0x00AA0029));
    // Nothing to draw into is a failure, with a source or without.
    for (const DWORD rop : {DWORD{SRCCOPY}, DWORD{WHITENESS}}) {
        EXPECT_FALSE(StretchBlt(b.dc, 0, 0, 0, 4, a.dc, 0, 0, 2, 2, rop));
        EXPECT_FALSE(StretchBlt(b.dc, 0, 0, 4, 0, a.dc, 0, 0, 2, 2, rop));
    }

    // Within one bitmap, overlapping rows move as a whole.
    for (int y = 0; y < 4; ++y)
        SetPixel(b.dc, 0, y, static_cast<COLORREF>(y + 1));
    EXPECT_EQ(GetPixel(b.dc, 0, 0), 1u);
    EXPECT_TRUE(BitBlt(b.dc, 0, 1, 1, 3, b.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(b.dc, 0, 1), 1u);
    EXPECT_EQ(GetPixel(b.dc, 0, 2), 2u);
    EXPECT_EQ(GetPixel(b.dc, 0, 3), 3u);

    BITMAPINFO table = Header(2, -1, 8, 3);
    table.bmiColors[0] = {9, 9, 9, 0};
    table.bmiColors[1] = {250, 250, 250, 0};
    table.bmiColors[2] = {1, 1, 1, 0};
    Target c(table);
    EXPECT_TRUE(BitBlt(c.dc, 0, 0, 1, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_TRUE(BitBlt(c.dc, 1, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
    EXPECT_EQ(c.Bytes()[0], 1);
    EXPECT_EQ(c.Bytes()[1], 2);
    // One pixel set is the nearest entry's index, its neighbour left alone.
    EXPECT_EQ(SetPixel(c.dc, 0, 0, 0x0A0A0A), 0x090909u);
    EXPECT_EQ(std::vector<uint8_t>(c.Bytes(), c.Bytes() + 2), (std::vector<uint8_t>{0, 2}));

    // A fill or an inversion of part of a 24-bit bitmap touches only the bytes of its pixels.
    Target d(Header(5, -3, 24));
    std::memset(d.bits, 0x11, 16 * 3);
    EXPECT_TRUE(BitBlt(d.dc, 1, 1, 3, 2, nullptr, 0, 0, WHITENESS));
    EXPECT_TRUE(BitBlt(d.dc, 2, 2, 1, 1, nullptr, 0, 0, BLACKNESS));
    EXPECT_TRUE(BitBlt(d.dc, 4, 0, 1, 1, nullptr, 0, 0, DSTINVERT));
    std::vector<int> bytes(d.Bytes(), d.Bytes() + 16 * 3);
    std::vector<int> expected(16 * 3, 0x11);
    std::fill_n(expected.begin() + 12, 3, 0xEE);
    for (int y = 1; y < 3; ++y)
        std::fill_n(expected.begin() + 16 * y + 3, 9, 0xFF);
    std::fill_n(expected.begin() + 16 * 2 + 6, 3, 0);
    EXPECT_EQ(bytes, expected);
}

TEST(GetDIBits, CopiesRowsInTheAskedFormat)
{
    BITMAPINFO table = Header(3, -2, 8, 2);
    table.bmiColors[0] = {0, 0, 0, 0};
    table.bmiColors[1] = {10, 20, 30, 0};
    Target t(table);
    t.Bytes()[0] = 1;
    t.Bytes()[4 + 2] = 1;

    // Indexed bitmap -> same depth: its own table, indices kept, bottom-up rows.
    BITMAPINFO info = Header(3, 2, 8);
    info.bmiColors[7] = {1, 2, 3, 4};
    uint8_t bits[8]{};
    ASSERT_EQ(GetDIBits(t.dc, t.bitmap, 0, 2, bits, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info.bmiHeader.biClrUsed, 2u);
    EXPECT_EQ(info.bmiHeader.biSizeImage, 8u);
    EXPECT_EQ(info.bmiColors[1].rgbRed, 30);
    EXPECT_EQ(info.bmiColors[7].rgbRed, 0);
    EXPECT_EQ(bits[4], 1); // top row of the bitmap is the last in memory
    EXPECT_EQ(bits[2], 1);

    // One row from the bottom, as 24 bits.
    BITMAPINFO rgb = Header(3, 2, 24);
    uint8_t row[12]{};
    ASSERT_EQ(GetDIBits(t.dc, t.bitmap, 1, 5, row, &rgb, DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::vector<uint8_t>(row, row + 3), (std::vector<uint8_t>{10, 20, 30}));

    // Header only, and the bitmap's own format on request.
    BITMAPINFO own{};
    own.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(t.dc, t.bitmap, 0, 2, nullptr, &own, DIB_RGB_COLORS), 2);
    EXPECT_EQ(own.bmiHeader.biBitCount, 8);
    EXPECT_EQ(own.bmiHeader.biHeight, -2);
    BITMAPINFO wrong = Header(4, 2, 24);
    EXPECT_EQ(GetDIBits(t.dc, t.bitmap, 0, 2, row, &wrong, DIB_RGB_COLORS), 0);

    // True colour -> indexed: the caller's table chooses the colours.
    Target rgbBitmap(Header(2, -1, 32));
    SetPixel(rgbBitmap.dc, 0, 0, 0xFFFFFF);
    BITMAPINFO mono = Header(2, 1, 1);
    mono.bmiColors[1] = {255, 255, 255, 0};
    uint8_t monoBits[4]{};
    ASSERT_EQ(GetDIBits(rgbBitmap.dc, rgbBitmap.bitmap, 0, 1, monoBits, &mono, DIB_RGB_COLORS), 1);
    EXPECT_EQ(monoBits[0], 0x80);

    // 16 bits: 5-5-5 by default.
    SetPixel(rgbBitmap.dc, 1, 0, 0x0000FF);
    BITMAPINFO hi = Header(2, -1, 16);
    uint8_t hiBits[4]{};
    ASSERT_EQ(GetDIBits(rgbBitmap.dc, rgbBitmap.bitmap, 0, 1, hiBits, &hi, DIB_RGB_COLORS), 1);
    EXPECT_EQ(std::vector<uint8_t>(hiBits, hiBits + 4), (std::vector<uint8_t>{0xFF, 0x7F, 0x00, 0x7C}));
}

} // namespace
