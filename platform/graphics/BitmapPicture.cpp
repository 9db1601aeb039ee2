#include "platform/graphics/BitmapPicture.h"

#include "platform/core/Exceptions.h"
#include "platform/gdi/DibLayout.h"

#include <algorithm>
#include <cstring>
#include <utility>

BitmapPicture::~BitmapPicture()
{
    FreeHandle();
    if (palette)
        DeleteObject(palette);
}

BitmapPicture::BitmapPicture(BitmapPicture&& other) noexcept
    : width(other.width), height(other.height), handle(std::exchange(other.handle, nullptr)),
      bits(std::exchange(other.bits, nullptr)), info(other.info), palette(std::exchange(other.palette, nullptr))
{
}

BitmapPicture& BitmapPicture::operator=(BitmapPicture&& other) noexcept
{
    if (this != &other) {
        FreeHandle();
        if (palette)
            DeleteObject(palette);
        width = other.width;
        height = other.height;
        handle = std::exchange(other.handle, nullptr);
        bits = std::exchange(other.bits, nullptr);
        info = other.info;
        palette = std::exchange(other.palette, nullptr);
    }
    return *this;
}

uint32_t BitmapPicture::Stride() const
{
    return static_cast<uint32_t>(DibStride(width, info.bmiHeader.biBitCount));
}

void BitmapPicture::FreeHandle()
{
    if (handle)
        DeleteObject(handle);
    handle = nullptr;
    bits = nullptr;
}

BITMAPINFO FormatHeader(TPixelFormat format, int width, int height, const BITMAPINFO& current)
{
    BITMAPINFO info{};
    if (format == pfCustom)
        info = current;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biSizeImage = 0;
    switch (format) {
    case pf1bit:
        info.bmiHeader.biBitCount = 1;
        break;
    case pf4bit:
        info.bmiHeader.biBitCount = 4;
        break;
    case pf8bit:
        info.bmiHeader.biBitCount = 8;
        break;
    case pf15bit:
        info.bmiHeader.biBitCount = 16;
        break;
    case pf16bit: {
        info.bmiHeader.biBitCount = 16;
        info.bmiHeader.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(info.bmiColors, masks, sizeof masks);
        break;
    }
    case pf24bit:
        info.bmiHeader.biBitCount = 24;
        break;
    case pfCustom:
        break;
    default: // pfDevice and pf32bit
        info.bmiHeader.biBitCount = 32;
        break;
    }
    return info;
}

TPixelFormat FormatOfHeader(const BITMAPINFO& info)
{
    DibLayout l;
    if (!ReadDibLayout(info, l, false))
        return pfCustom;
    switch (l.bitCount) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        if (l.red.mask == 0x7C00 && l.green.mask == 0x03E0 && l.blue.mask == 0x001F)
            return pf15bit;
        if (l.red.mask == 0xF800 && l.green.mask == 0x07E0 && l.blue.mask == 0x001F)
            return pf16bit;
        return pfCustom;
    case 24:
        return pf24bit;
    default:
        return l.plainRgb32 ? pf32bit : pfCustom;
    }
}

namespace {

void DefaultTable(int bitCount, RGBQUAD* table, unsigned& count)
{
    auto put = [&](int r, int g, int b) {
        table[count++] = RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0};
    };
    count = 0;
    if (bitCount == 1) {
        put(0, 0, 0);
        put(255, 255, 255);
    } else if (bitCount == 4) {
        static const int vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                       {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& c : vga)
            put(c[0], c[1], c[2]);
    } else {
        // The 20 colours of the default palette, then a 6 x 6 x 6 colour cube.
        PALETTEENTRY stock[20];
        GetPaletteEntries(StockPalette(), 0, 20, stock);
        for (const PALETTEENTRY& e : stock)
            put(e.peRed, e.peGreen, e.peBlue);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    put(r * 51, g * 51, b * 51);
    }
}

} // namespace

void FillColourTable(BITMAPINFO& info, HPALETTE palette)
{
    const unsigned full = 1u << info.bmiHeader.biBitCount;
    std::fill(info.bmiColors, info.bmiColors + 256, RGBQUAD{});
    unsigned count = 0;
    if (palette) {
        PALETTEENTRY entries[256];
        count = std::min(GetPaletteEntries(palette, 0, full, entries), full);
        for (unsigned i = 0; i < count; ++i)
            info.bmiColors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
    if (count == 0)
        DefaultTable(info.bmiHeader.biBitCount, info.bmiColors, count);
    info.bmiHeader.biClrUsed = count;
}

HPALETTE PaletteOfTable(const BITMAPINFO& info)
{
    const unsigned count = info.bmiHeader.biClrUsed ? info.bmiHeader.biClrUsed : 1u << info.bmiHeader.biBitCount;
    LOGPALETTE log{};
    log.palVersion = 0x300;
    log.palNumEntries = static_cast<WORD>(std::min(count, 256u));
    for (unsigned i = 0; i < log.palNumEntries; ++i)
        log.palPalEntry[i] = PALETTEENTRY{info.bmiColors[i].rgbRed, info.bmiColors[i].rgbGreen,
                                          info.bmiColors[i].rgbBlue, 0};
    return CreatePalette(&log);
}

void MakeHandle(BitmapPicture& picture, const BITMAPINFO& info)
{
    void* bits = nullptr;
    HBITMAP handle = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!handle)
        throw EOutOfResources("Out of system resources");
    picture.FreeHandle();
    picture.handle = handle;
    picture.bits = static_cast<uint8_t*>(bits);
    GetBitmapInfo(handle, &picture.info);
    picture.width = info.bmiHeader.biWidth;
    picture.height = -info.bmiHeader.biHeight;
}
