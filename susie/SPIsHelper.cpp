#include "susie/SPIsHelper.h"

#include "platform/gdi/GdiTypes.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <limits>

std::optional<TDIBLayout> CheckPictureBlocks(const void* info, size_t infoSize, size_t bitsSize)
{
    BITMAPINFOHEADER h;
    if (info == nullptr || infoSize < sizeof h)
        return std::nullopt;
    std::memcpy(&h, info, sizeof h);
    const int bits = h.biBitCount;
    const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool bitFields = h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (h.biSize != sizeof h || !knownDepth || (h.biCompression != BI_RGB && !bitFields) || h.biClrUsed > 256 ||
        h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == std::numeric_limits<int32_t>::min())
        return std::nullopt;
    TDIBLayout layout;
    layout.Width = h.biWidth;
    layout.Height = h.biHeight;
    layout.BitCount = bits;
    layout.ColorCount = h.biClrUsed != 0 ? static_cast<int>(h.biClrUsed) : bits <= 8 ? 1 << bits : 0;
    layout.InfoSize = 40 + (bitFields ? 12 : 0) + 4 * int64_t{layout.ColorCount};
    const int64_t stride = (int64_t{h.biWidth} * bits + 31) / 32 * 4;
    if (stride > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    layout.BitsSize = stride * std::abs(int64_t{h.biHeight});
    if (layout.InfoSize > static_cast<int64_t>(infoSize) || layout.BitsSize > static_cast<int64_t>(bitsSize) ||
        14 + layout.InfoSize + layout.BitsSize > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return layout;
}

size_t PluginBlockSize(const void* block)
{
    return block != nullptr ? ::malloc_usable_size(const_cast<void*>(block)) : 0;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t{a} * b;
    int64_t q = product / c;
    const int64_t r = product % c;
    // Halves round away from zero.
    if (2 * std::abs(r) >= std::abs(int64_t{c}))
        q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(q);
}
