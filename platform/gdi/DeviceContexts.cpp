#include "platform/gdi/GdiObjects.h"

namespace {

HDC NewContext(bool screen)
{
    auto* dc = new DeviceContext;
    dc->screen = screen;
    dc->palette = StockPalette();
    dc->brush = StockBrush();
    if (!screen) {
        dc->bitmap = StockBitmap();
        ++dc->bitmap->selections;
    }
    ++dc->palette->selections;
    ++dc->brush->selections;
    return dc;
}

void DestroyContext(HDC dc)
{
    if (dc->bitmap) {
        --dc->bitmap->selections;
        if (dc->bitmap->selectedIn == dc)
            dc->bitmap->selectedIn = nullptr;
    }
    --dc->palette->selections;
    --dc->brush->selections;
    delete dc;
}

} // namespace

HDC GetDC(void*)
{
    return NewContext(true);
}

int ReleaseDC(void*, HDC dc)
{
    if (!dc || !dc->screen)
        return 0;
    DestroyContext(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC)
{
    return NewContext(false);
}

bool DeleteDC(HDC dc)
{
    if (!dc)
        return false;
    DestroyContext(dc);
    return true;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc || !object)
        return nullptr;
    switch (object->kind) {
    case GdiObject::Kind::Bitmap: {
        auto* bitmap = static_cast<GdiBitmap*>(object);
        // Only memory contexts hold bitmaps, and a bitmap sits in one context at a time.
        if (dc->screen || (bitmap->selectedIn && bitmap->selectedIn != dc))
            return nullptr;
        HBITMAP previous = dc->bitmap;
        if (previous == bitmap)
            return previous;
        --previous->selections;
        if (previous->selectedIn == dc)
            previous->selectedIn = nullptr;
        dc->bitmap = bitmap;
        ++bitmap->selections;
        if (!bitmap->stock)
            bitmap->selectedIn = dc;
        return previous;
    }
    case GdiObject::Kind::Brush: {
        HBRUSH previous = dc->brush;
        --previous->selections;
        dc->brush = static_cast<GdiBrush*>(object);
        ++dc->brush->selections;
        return previous;
    }
    case GdiObject::Kind::Palette:
        break;
    }
    return nullptr;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, bool)
{
    if (!dc || !palette)
        return nullptr;
    HPALETTE previous = dc->palette;
    --previous->selections;
    dc->palette = palette;
    ++palette->selections;
    return previous;
}

unsigned RealizePalette(HDC dc)
{
    // The screen is a true-colour device: there is no system palette to map entries into.
    return dc ? 0 : static_cast<unsigned>(GDI_ERROR);
}

int SetStretchBltMode(HDC dc, int mode)
{
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC dc)
{
    return dc ? dc->stretchMode : 0;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!dc)
        return 0;
    switch (index) {
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_STRETCHBLT | RC_STRETCHDIB | RC_DI_BITMAP | RC_DIBTODEV;
    default:
        return 0;
    }
}

HBITMAP GetCurrentBitmap(HDC dc)
{
    return dc ? dc->bitmap : nullptr;
}

HBITMAP SelectObject(HDC dc, HBITMAP bitmap)
{
    return static_cast<HBITMAP>(SelectObject(dc, static_cast<HGDIOBJ>(bitmap)));
}

HBRUSH SelectObject(HDC dc, HBRUSH brush)
{
    return static_cast<HBRUSH>(SelectObject(dc, static_cast<HGDIOBJ>(brush)));
}
