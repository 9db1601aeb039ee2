#include "platform/gdi/GdiObjects.h"

#include "platform/core/PixelBlock.h"


namespace {

GdiBitmap* MakeStockBitmap()
{
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 1, -1, 1, 1, BI_RGB, 0, 0, 0, 2, 0};
    info.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    auto* bitmap = new GdiBitmap;
    bitmap->info = info;
    ReadDibLayout(info, bitmap->layout, false);
    bitmap->bits = static_cast<uint8_t*>(AllocatePixelBlock(bitmap->layout.imageSize));
    bitmap->ownsBits = true;
    bitmap->stock = true;
    return bitmap;
}

GdiPalette* MakeStockPalette()
{
    static const PALETTEENTRY colours[20] = {
        {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
        {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
        {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
        {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}};
    auto* palette = new GdiPalette;
    palette->entries.assign(colours, colours + 20);
    palette->stock = true;
    return palette;
}

GdiBrush* MakeStockBrush()
{
    auto* brush = new GdiBrush;
    brush->colour = 0xFFFFFF;
    brush->stock = true;
    return brush;
}

} // namespace

HBITMAP StockBitmap()
{
    static GdiBitmap* const bitmap = MakeStockBitmap();
    return bitmap;
}

HPALETTE StockPalette()
{
    static GdiPalette* const palette = MakeStockPalette();
    return palette;
}

HBRUSH StockBrush()
{
    static GdiBrush* const brush = MakeStockBrush();
    return brush;
}

bool DeleteObject(HGDIOBJ object)
{
    if (!object || object->stock || object->selections > 0)
        return false;
    delete object;
    return true;
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    auto* brush = new GdiBrush;
    brush->colour = colour & 0xFFFFFF;
    return brush;
}

bool DeleteObject(HPALETTE palette)
{
    return DeleteObject(static_cast<HGDIOBJ>(palette));
}

bool DeleteObject(HBITMAP bitmap)
{
    return DeleteObject(static_cast<HGDIOBJ>(bitmap));
}

bool DeleteObject(HBRUSH brush)
{
    return DeleteObject(static_cast<HGDIOBJ>(brush));
}
