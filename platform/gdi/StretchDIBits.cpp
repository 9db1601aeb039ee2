#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/RleDecode.h"
#include "platform/gdi/Stretch.h"

#include <memory>

int StretchDIBits(HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, size_t bitsSize, const BITMAPINFO* info, unsigned usage, DWORD rop)
{
    DibLayout layout;
    if (!dc || !dc->bitmap || !bits || !info || usage != DIB_RGB_COLORS || !SupportedRop(rop)
        || !ReadDibLayout(*info, layout, true) || wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return 0;
    if (!layout.Compressed() && bitsSize < layout.imageSize)
        return 0;

    DibSurface source{layout, static_cast<uint8_t*>(const_cast<void*>(bits)), info->bmiColors};
    std::unique_ptr<uint8_t[]> decoded;
    if (layout.Compressed()) {
        // RLE pictures are drawn from an 8-bit top-down copy of their indices.
        DibLayout plain = layout;
        plain.bitCount = 8;
        plain.compression = BI_RGB;
        plain.topDown = true;
        const uint64_t stride = DibStride(layout.width, 8);
        if (stride * static_cast<uint64_t>(layout.height) > MaxImageBytes)
            return 0;
        plain.stride = static_cast<uint32_t>(stride);
        plain.imageSize = static_cast<uint32_t>(stride * static_cast<uint64_t>(layout.height));
        decoded.reset(new (std::nothrow) uint8_t[plain.imageSize]());
        if (!decoded)
            return 0;
        DecodeRle(static_cast<const uint8_t*>(bits), bitsSize, layout.compression == BI_RLE4, layout.width,
                  layout.height, decoded.get(), stride);
        source = DibSurface{plain, decoded.get(), info->bmiColors};
    }

    // Rows of a bottom-up DIB are counted from the bottom; the engine counts from the top.
    const int64_t top = layout.topDown ? ySrc : int64_t{layout.height} - ySrc - hSrc;
    StretchSurface(dc->bitmap->Surface(), xDest, yDest, wDest, hDest, &source, xSrc, top, wSrc, hSrc, rop);
    return hSrc < 0 ? -hSrc : hSrc;
}

bool ExpandRleDIB(const BITMAPINFO* info, const void* bits, size_t bitsSize, void* out, size_t outSize)
{
    DibLayout layout;
    if (!info || !bits || !out || !ReadDibLayout(*info, layout, true) || !layout.Compressed())
        return false;
    const uint64_t stride = DibStride(layout.width, layout.bitCount);
    if (stride * static_cast<uint64_t>(layout.height) != outSize)
        return false;
    DecodeRlePacked(static_cast<const uint8_t*>(bits), bitsSize, layout.compression == BI_RLE4, layout.width,
                    layout.height, static_cast<uint8_t*>(out), stride);
    return true;
}
