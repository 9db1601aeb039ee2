#include "platform/gdi/GdiObjects.h"

#include "platform/core/PixelBlock.h"

#include <algorithm>
#include <cstring>

GdiBitmap::~GdiBitmap()
{
    if (ownsBits)
        FreePixelBlock(bits, layout.imageSize);
    if (view)
        UnmapViewOfFile(view);
}

namespace {

// A bitmap over the header of info (already checked into layout) with its
// colour table or masks copied.
GdiBitmap* NewBitmap(const BITMAPINFO& info, const DibLayout& layout)
{
    auto* bitmap = new GdiBitmap;
    bitmap->info.bmiHeader = info.bmiHeader;
    bitmap->info.bmiHeader.biSizeImage = layout.imageSize;
    if (layout.Indexed())
        std::copy_n(info.bmiColors, layout.colours, bitmap->info.bmiColors);
    else if (layout.compression == BI_BITFIELDS)
        std::copy_n(info.bmiColors, 3, bitmap->info.bmiColors);
    bitmap->layout = layout;
    return bitmap;
}

} // namespace

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    const bool monochrome = dc && !dc->screen && dc->bitmap == StockBitmap();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, -height, 1,
                                      static_cast<WORD>(monochrome ? 1 : 32), BI_RGB, 0, 0, 0, 0, 0};
    if (monochrome)
        info.bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    DibLayout layout;
    if (!ReadDibLayout(info, layout, false))
        return nullptr;
    auto* memory = static_cast<uint8_t*>(AllocatePixelBlock(layout.imageSize));
    if (!memory)
        return nullptr;
    GdiBitmap* bitmap = NewBitmap(info, layout);
    bitmap->bits = memory;
    bitmap->ownsBits = true;
    return bitmap;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, unsigned usage, void** bits, HFILEMAPPING section,
                         uint32_t offset)
{
    if (bits)
        *bits = nullptr;
    DibLayout layout;
    if (!info || usage != DIB_RGB_COLORS || !ReadDibLayout(*info, layout, false))
        return nullptr;
    uint8_t* memory = nullptr;
    void* view = nullptr;
    if (section) {
        view = MapViewOfFileRange(section, offset, layout.imageSize);
        memory = static_cast<uint8_t*>(view);
    } else {
        memory = static_cast<uint8_t*>(AllocatePixelBlock(layout.imageSize));
    }
    if (!memory)
        return nullptr;
    GdiBitmap* bitmap = NewBitmap(*info, layout);
    bitmap->bits = memory;
    bitmap->dibSection = true;
    bitmap->ownsBits = !section;
    bitmap->view = view;
    if (bits)
        *bits = memory;
    return bitmap;
}

HFILEMAPPING DetachDIBSectionMemory(HBITMAP bitmap)
{
    if (!bitmap || !bitmap->dibSection || !bitmap->ownsBits || bitmap->stock || bitmap->selections > 0)
        return nullptr;
    HFILEMAPPING section = CreateFileMappingOver(bitmap->bits, bitmap->layout.imageSize);
    if (!section)
        return nullptr;
    bitmap->ownsBits = false;
    bitmap->bits = nullptr;
    DeleteObject(bitmap);
    return section;
}

bool GetObject(HBITMAP bitmap, BITMAP* description)
{
    if (!bitmap || !description)
        return false;
    *description = BITMAP{0,
                          bitmap->layout.width,
                          bitmap->layout.height,
                          static_cast<LONG>(bitmap->layout.stride),
                          1,
                          static_cast<WORD>(bitmap->layout.bitCount),
                          bitmap->dibSection ? bitmap->bits : nullptr};
    return true;
}

bool GetBitmapInfo(HBITMAP bitmap, BITMAPINFO* info)
{
    if (!bitmap || !info)
        return false;
    *info = bitmap->info;
    return true;
}

unsigned SetDIBColorTable(HDC dc, unsigned start, unsigned count, const RGBQUAD* colours)
{
    if (!dc || !dc->bitmap || !colours || dc->bitmap->stock || !dc->bitmap->layout.Indexed())
        return 0;
    GdiBitmap& bitmap = *dc->bitmap;
    if (start >= bitmap.layout.colours)
        return 0;
    const unsigned n = std::min(count, bitmap.layout.colours - start);
    std::copy_n(colours, n, bitmap.info.bmiColors + start);
    return n;
}
