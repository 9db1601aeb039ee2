#include "platform/core/FileMapping.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

BITMAPINFO Header(int width, int height, int bits, unsigned colours = 0)
{
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits),
                                      BI_RGB, 0, 0, 0, colours, 0};
    return info;
}

TEST(GdiPalette, EntriesCopyAndNearestIndex)
{
    LOGPALETTE log{};
    log.palVersion = 0x300;
    log.palNumEntries = 3;
    log.palPalEntry[0] = {0, 0, 0, 0};
    log.palPalEntry[1] = {200, 10, 10, 0};
    log.palPalEntry[2] = {200, 10, 10, 0};
    HPALETTE palette = CreatePalette(&log);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetPaletteEntries(palette, 0, 0, nullptr), 3u);

    PALETTEENTRY entries[4]{};
    EXPECT_EQ(GetPaletteEntries(palette, 1, 4, entries), 2u);
    EXPECT_EQ(entries[0].peRed, 200);
    EXPECT_EQ(GetPaletteEntries(palette, 3, 1, entries), 0u);
    // Equal distance: the lowest index wins.
    EXPECT_EQ(GetNearestPaletteIndex(palette, 0x0000F0), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, 0x101010), 0u);

    HPALETTE copy = CopyPalette(palette);
    const PALETTEENTRY white{255, 255, 255, 0};
    EXPECT_EQ(SetPaletteEntries(copy, 2, 1, &white), 1u);
    EXPECT_EQ(SetPaletteEntries(copy, 0, 1, nullptr), 0u);
    EXPECT_EQ(SetPaletteEntries(StockPalette(), 0, 1, &white), 0u);
    EXPECT_EQ(GetPaletteEntries(palette, 2, 1, entries), 1u);
    EXPECT_EQ(entries[0].peRed, 200);
    EXPECT_TRUE(DeleteObject(copy));
    EXPECT_TRUE(DeleteObject(palette));

    log.palNumEntries = 0;
    EXPECT_EQ(CreatePalette(&log), nullptr);
}

TEST(GdiObjects, StockAndSelectedObjectsAreNotDeleted)
{
    EXPECT_FALSE(DeleteObject(StockBitmap()));
    EXPECT_FALSE(DeleteObject(StockPalette()));
    EXPECT_FALSE(DeleteObject(static_cast<HGDIOBJ>(nullptr)));
    EXPECT_EQ(GetPaletteEntries(StockPalette(), 0, 0, nullptr), 20u);
    const uint32_t colours[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                  0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                                  0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    PALETTEENTRY stock[20]{};
    ASSERT_EQ(GetPaletteEntries(StockPalette(), 0, 20, stock), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(uint32_t{stock[i].peRed} << 16 | stock[i].peGreen << 8 | stock[i].peBlue, colours[i]) << i;

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetCurrentBitmap(dc), StockBitmap());
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 2);
    BITMAP description{};
    ASSERT_TRUE(GetObject(bitmap, &description));
    EXPECT_EQ(description.bmBitsPixel, 1); // the context still holds its monochrome stock bitmap
    EXPECT_EQ(SelectObject(dc, bitmap), StockBitmap());
    EXPECT_FALSE(DeleteObject(bitmap));

    // A bitmap sits in one context at a time.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    HBITMAP colour = CreateCompatibleBitmap(dc, 4, 2);
    ASSERT_TRUE(GetObject(colour, &description));
    EXPECT_EQ(description.bmBitsPixel, 32);
    EXPECT_EQ(description.bmBits, nullptr);

    // A selected brush is held until another takes its place.
    HBRUSH brush = CreateSolidBrush(0x123456);
    HBRUSH stockBrush = SelectObject(dc, brush);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(SelectObject(dc, stockBrush), brush);
    EXPECT_TRUE(DeleteObject(brush));

    HPALETTE palette = CopyPalette(StockPalette());
    EXPECT_EQ(SelectPalette(dc, palette, true), StockPalette());
    EXPECT_FALSE(DeleteObject(palette));
    EXPECT_EQ(SelectObject(dc, StockBitmap()), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    // Deleting the context ends the palette's selection.
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_TRUE(DeleteObject(colour));
    EXPECT_TRUE(DeleteDC(other));
}

TEST(GdiDeviceContext, ScreenIsTrueColourWithStretching)
{
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(screen, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(GetDeviceCaps(screen, NUMCOLORS), -1);
    EXPECT_EQ(GetDeviceCaps(screen, SIZEPALETTE), 0);
    EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHDIB, 0);
    EXPECT_EQ(GetStretchBltMode(screen), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(screen, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(GetStretchBltMode(screen), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(screen, 99), 0);
    // No context, or nothing to select: nothing happens.
    EXPECT_EQ(GetStretchBltMode(nullptr), 0);
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
    EXPECT_EQ(SelectObject(screen, static_cast<HGDIOBJ>(nullptr)), nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
    EXPECT_EQ(SelectObject(static_cast<HDC>(nullptr), bitmap), nullptr);
    BITMAP description{};
    ASSERT_TRUE(GetObject(bitmap, &description));
    EXPECT_EQ(description.bmBitsPixel, 32);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(GdiDibSection, ViewOfAMappingSharesItsPages)
{
    const uint32_t offset = 100; // not page-aligned on purpose
    HFILEMAPPING section = CreateFileMapping(offset + 2 * 8);
    ASSERT_NE(section, nullptr);
    auto* whole = static_cast<uint8_t*>(MapViewOfFile(section));
    BITMAPINFO info = Header(2, 2, 24);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, section, offset);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(bits)[0], 0);

    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib);
    // Bottom-up: (0, 0) is the last row in memory.
    SetPixel(dc, 0, 0, 0x0000FF);
    EXPECT_EQ(whole[offset + 8 + 2], 0xFF);
    whole[offset + 0] = 0x40; // blue of (0, 1)
    EXPECT_EQ(GetPixel(dc, 0, 1), 0x400000u);
    // Each edge of the picture ends it, for reads and writes alike.
    for (const auto& [x, y] : {std::pair{2, 0}, {0, 2}, {-1, 0}, {0, -1}}) {
        EXPECT_EQ(GetPixel(dc, x, y), CLR_INVALID) << x << "," << y;
        EXPECT_EQ(SetPixel(dc, x, y, 0xFFFFFF), CLR_INVALID) << x << "," << y;
    }

    BITMAP description{};
    ASSERT_TRUE(GetObject(dib, &description));
    EXPECT_EQ(description.bmWidthBytes, 8);
    EXPECT_EQ(description.bmBits, bits);
    BITMAPINFO back{};
    ASSERT_TRUE(GetBitmapInfo(dib, &back));
    EXPECT_EQ(back.bmiHeader.biSizeImage, 16u);

    SelectObject(dc, StockBitmap());
    EXPECT_TRUE(DeleteObject(dib));
    EXPECT_TRUE(DeleteDC(dc));
    // The section outlives the DIB section's view.
    EXPECT_EQ(whole[offset + 8 + 2], 0xFF);
    UnmapViewOfFile(whole);
    CloseHandle(section);

    HFILEMAPPING small = CreateFileMapping(8);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, small, 0), nullptr);
    CloseHandle(small);
}

TEST(GdiDibSection, OwnMemoryIsHandedOverAsASection)
{
    const size_t live = LiveFileMappings();
    BITMAPINFO info = Header(3, -2, 24);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    for (int i = 0; i < 24; ++i)
        static_cast<uint8_t*>(bits)[i] = static_cast<uint8_t>(i + 1);

    // Not while a context holds it.
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib);
    EXPECT_EQ(DetachDIBSectionMemory(dib), nullptr);
    EXPECT_EQ(GetPixel(dc, 0, 0), 0x010203u);
    SelectObject(dc, StockBitmap());
    DeleteDC(dc);

    HFILEMAPPING section = DetachDIBSectionMemory(dib);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(FileMappingSize(section), 24u);
    auto* view = static_cast<uint8_t*>(MapViewOfFile(section));
    ASSERT_EQ(view, bits);
    EXPECT_EQ(view[0], 1);
    EXPECT_EQ(view[23], 24);
    UnmapViewOfFile(view);
    CloseHandle(section);
    EXPECT_EQ(LiveFileMappings(), live);

    // Memory that is not the bitmap's own, and a bitmap that is no DIB section, stay where they are.
    HFILEMAPPING other = CreateFileMapping(24);
    HBITMAP over = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, other, 0);
    EXPECT_EQ(DetachDIBSectionMemory(over), nullptr);
    EXPECT_TRUE(DeleteObject(over));
    CloseHandle(other);
    HBITMAP compatible = CreateCompatibleBitmap(nullptr, 2, 2);
    EXPECT_EQ(DetachDIBSectionMemory(compatible), nullptr);
    EXPECT_TRUE(DeleteObject(compatible));
    EXPECT_EQ(DetachDIBSectionMemory(nullptr), nullptr);
}

TEST(GdiDibSection, RejectsHeadersItCannotHold)
{
    void* bits = nullptr;
    BITMAPINFO info = Header(4, 4, 8);
    info.bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info = Header(4, 4, 12);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = Header(0x7FFFFFFF, 0x7FFFFFFF, 32);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    for (const auto& [width, height] : {std::pair{4, INT32_MIN}, {0, 4}, {-4, 4}, {4, 0}}) {
        info = Header(width, height, 8);
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << width << "x" << height;
    }
    info = Header(4, 4, 8);
    info.bmiHeader.biPlanes = 2;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    info = Header(4, 4, 16);
    info.bmiHeader.biCompression = BI_BITFIELDS;
    const DWORD gappy[3] = {0xF000, 0x0A00, 0x00FF};
    std::memcpy(info.bmiColors, gappy, sizeof gappy);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    // A 16-bit pixel has no bits past its 16th for a channel to read.
    const DWORD wide[3] = {0x1F0000, 0x07E0, 0x001F};
    std::memcpy(info.bmiColors, wide, sizeof wide);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);

    // Channels of one and of seven bits still read at full intensity.
    const DWORD narrow[3] = {0x8000, 0x7F00, 0x00FF};
    std::memcpy(info.bmiColors, narrow, sizeof narrow);
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    static_cast<uint16_t*>(bits)[0] = 0xD53C;
    static_cast<uint16_t*>(bits)[1] = 0x7FFF;
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib);
    EXPECT_EQ(GetPixel(dc, 0, 3), 0x3CABFFu);
    EXPECT_EQ(GetPixel(dc, 1, 3), 0xFFFF00u);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(dib));
}

TEST(GdiDrawing, FillAndPixelsMatchTheColourTable)
{
    BITMAPINFO info = Header(5, -3, 4, 3);
    info.bmiColors[0] = {0, 0, 0, 0};
    info.bmiColors[1] = {0, 0, 255, 0};
    info.bmiColors[2] = {255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib);
    HBRUSH brush = CreateSolidBrush(0x2020E0); // reddish: nearest is entry 1
    const RECT rect{1, 1, 9, 2};
    EXPECT_NE(FillRect(dc, &rect, brush), 0);
    const auto* row = static_cast<uint8_t*>(bits) + 4;
    EXPECT_EQ(row[0], 0x01);
    EXPECT_EQ(row[1], 0x11);
    EXPECT_EQ(row[2], 0x10);
    EXPECT_EQ(static_cast<uint8_t*>(bits)[0], 0);
    EXPECT_EQ(GetPixel(dc, 4, 1), 0x0000FFu);
    EXPECT_EQ(SetPixel(dc, 0, 2, 0xF0F0F0), 0xFFFFFFu);
    EXPECT_EQ(static_cast<uint8_t*>(bits)[8], 0x20);
    // A rectangle reaching past the top left corner fills from the corner.
    const RECT corner{-3, -2, 2, 1};
    EXPECT_NE(FillRect(dc, &corner, brush), 0);
    EXPECT_EQ(static_cast<uint8_t*>(bits)[0], 0x11);
    EXPECT_EQ(static_cast<uint8_t*>(bits)[1], 0);
    // Eight-bit rows are filled between the rectangle's columns only.
    BITMAPINFO eight = Header(5, -2, 8, 2);
    eight.bmiColors[1] = {0, 0, 255, 0};
    void* eightBits = nullptr;
    HBITMAP eightDib = CreateDIBSection(nullptr, &eight, DIB_RGB_COLORS, &eightBits, nullptr, 0);
    HDC eightDc = CreateCompatibleDC(nullptr);
    SelectObject(eightDc, eightDib);
    const RECT middle{1, 1, 4, 2};
    EXPECT_NE(FillRect(eightDc, &middle, brush), 0);
    const auto* eightRows = static_cast<uint8_t*>(eightBits);
    EXPECT_EQ(std::vector<uint8_t>(eightRows, eightRows + 13), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0}));
    EXPECT_TRUE(DeleteDC(eightDc));
    EXPECT_TRUE(DeleteObject(eightDib));

    const RGBQUAD greens[5] = {{0, 255, 0, 0}, {0, 255, 0, 0}, {0, 255, 0, 0}, {0, 255, 0, 0}, {0, 255, 0, 0}};
    EXPECT_EQ(SetDIBColorTable(dc, 1, 5, greens), 2u);
    EXPECT_EQ(GetPixel(dc, 4, 1), 0x00FF00u);

    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(dib));
}

} // namespace
