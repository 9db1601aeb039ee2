#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/PixelAccess.h"

#include <algorithm>
#include <cstring>

namespace {

GdiBitmap* Target(HDC dc)
{
    return dc ? dc->bitmap : nullptr;
}

void FillRow(int bitCount, uint8_t* row, int left, int right, uint32_t value)
{
    switch (bitCount) {
    case 8:
        std::memset(row + left, static_cast<int>(value), static_cast<size_t>(right - left));
        break;
    case 32: {
        auto* p = row + 4 * static_cast<size_t>(left);
        for (int x = left; x < right; ++x, p += 4)
            std::memcpy(p, &value, 4);
        break;
    }
    default:
        for (int x = left; x < right; ++x)
            StorePixel(bitCount, row, x, value);
        break;
    }
}

} // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    GdiBitmap* bitmap = Target(dc);
    if (!bitmap || !rect || !brush)
        return 0;
    const DibSurface surface = bitmap->Surface();
    const int left = std::max<LONG>(rect->left, 0);
    const int top = std::max<LONG>(rect->top, 0);
    const int right = std::min<LONG>(rect->right, surface.layout.width);
    const int bottom = std::min<LONG>(rect->bottom, surface.layout.height);
    const uint32_t value = RgbToPixel(surface.layout, surface.table, ColorRefToRgb(brush->colour));
    for (int y = top; y < bottom && left < right; ++y)
        FillRow(surface.layout.bitCount, surface.Row(y), left, right, value);
    return 1;
}

COLORREF GetPixel(HDC dc, int x, int y)
{
    GdiBitmap* bitmap = Target(dc);
    if (!bitmap || x < 0 || y < 0 || x >= bitmap->layout.width || y >= bitmap->layout.height)
        return CLR_INVALID;
    const DibSurface surface = bitmap->Surface();
    const uint32_t value = LoadPixel(surface.layout.bitCount, surface.Row(y), x);
    return RgbToColorRef(PixelToRgb(surface.layout, surface.table, value));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour)
{
    GdiBitmap* bitmap = Target(dc);
    if (!bitmap || x < 0 || y < 0 || x >= bitmap->layout.width || y >= bitmap->layout.height)
        return CLR_INVALID;
    const DibSurface surface = bitmap->Surface();
    const uint32_t value = RgbToPixel(surface.layout, surface.table, ColorRefToRgb(colour));
    StorePixel(surface.layout.bitCount, surface.Row(y), x, value);
    return RgbToColorRef(PixelToRgb(surface.layout, surface.table, value));
}
