#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Stretch.h"

bool StretchBlt(HDC dest, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop)
{
    if (!dest || !dest->bitmap || !SupportedRop(rop))
        return false;
    const bool usesSource = RopUsesSource(rop);
    if (usesSource && (!src || !src->bitmap || wSrc == 0 || hSrc == 0))
        return false;
    if (wDest == 0 || hDest == 0)
        return false;
    DibSurface source{};
    if (usesSource)
        source = src->bitmap->Surface();
    StretchSurface(dest->bitmap->Surface(), xDest, yDest, wDest, hDest, usesSource ? &source : nullptr, xSrc,
                   ySrc, usesSource ? wSrc : wDest, usesSource ? hSrc : hDest, rop);
    return true;
}

bool BitBlt(HDC dest, int xDest, int yDest, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    return StretchBlt(dest, xDest, yDest, width, height, src, xSrc, ySrc, width, height, rop);
}
