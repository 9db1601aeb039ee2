#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Stretch.h"

#include <algorithm>

namespace {

// The colour table a target of bitCount bits receives: the bitmap's own when
// it is indexed and fits, else the one the caller put into info.
void ChooseTable(const GdiBitmap& bitmap, BITMAPINFO& info)
{
    const unsigned full = 1u << info.bmiHeader.biBitCount;
    if (bitmap.layout.Indexed() && bitmap.layout.colours <= full) {
        std::fill(info.bmiColors, info.bmiColors + full, RGBQUAD{});
        std::copy_n(bitmap.info.bmiColors, bitmap.layout.colours, info.bmiColors);
        info.bmiHeader.biClrUsed = bitmap.layout.colours;
    }
}

} // namespace

int GetDIBits(HDC dc, HBITMAP bitmap, unsigned start, unsigned lines, void* bits, BITMAPINFO* info, unsigned usage)
{
    if (!dc || !bitmap || !info || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER& h = info->bmiHeader;
    const int height = bitmap->layout.height;
    if (h.biSize == sizeof(BITMAPINFOHEADER) && h.biBitCount == 0) {
        // The caller asks for the bitmap's own format.
        const DWORD size = h.biSize;
        h = bitmap->info.bmiHeader;
        h.biSize = size;
        std::copy_n(bitmap->info.bmiColors, 256, info->bmiColors);
        return height;
    }
    if (h.biWidth != bitmap->layout.width || (h.biHeight != height && h.biHeight != -height))
        return 0;
    DibLayout layout;
    if (!ReadDibLayout(*info, layout, false))
        return 0;
    if (layout.Indexed()) {
        ChooseTable(*bitmap, *info);
        ReadDibLayout(*info, layout, false);
    }
    h.biSizeImage = layout.imageSize;
    if (!bits)
        return height;
    if (start >= static_cast<unsigned>(height))
        return 0;
    const int count = static_cast<int>(std::min<unsigned>(lines, static_cast<unsigned>(height) - start));
    if (count == 0)
        return 0;

    // The caller's buffer holds only the rows asked for, in the target's memory order.
    DibLayout part = layout;
    part.height = count;
    part.imageSize = static_cast<uint32_t>(static_cast<uint64_t>(layout.stride) * static_cast<uint64_t>(count));
    const DibSurface target{part, static_cast<uint8_t*>(bits), info->bmiColors};
    const int firstRow = layout.topDown ? static_cast<int>(start) : height - static_cast<int>(start) - count;
    const DibSurface source = bitmap->Surface();
    StretchSurface(target, 0, 0, layout.width, count, &source, 0, firstRow, layout.width, count, SRCCOPY);
    return count;
}
