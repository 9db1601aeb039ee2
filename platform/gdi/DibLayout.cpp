#include "platform/gdi/DibLayout.h"

#include <bit>
#include <climits>
#include <cstring>

namespace {

bool MakeChannel(uint32_t mask, int bitCount, ChannelMask& channel)
{
    if (mask == 0 || (bitCount == 16 && mask > 0xFFFF))
        return false;
    const int shift = std::countr_zero(mask);
    const uint32_t run = mask >> shift;
    if ((run & (run + 1)) != 0) // not one contiguous run of bits
        return false;
    channel = ChannelMask{mask, shift, std::popcount(run)};
    return true;
}

} // namespace

bool ReadDibLayout(const BITMAPINFO& info, DibLayout& layout, bool allowRle)
{
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN
        || h.biPlanes != 1)
        return false;
    const int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;

    DibLayout l;
    l.width = h.biWidth;
    l.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    l.topDown = h.biHeight < 0;
    l.bitCount = bits;
    l.compression = h.biCompression;

    switch (h.biCompression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (!allowRle || l.topDown || bits != (h.biCompression == BI_RLE8 ? 8 : 4))
            return false;
        break;
    case BI_BITFIELDS:
        if (bits != 16 && bits != 32)
            return false;
        break;
    default:
        return false;
    }

    const uint64_t stride = DibStride(l.width, bits);
    const uint64_t image = stride * static_cast<uint64_t>(l.height);
    if (image > MaxImageBytes)
        return false;
    l.stride = static_cast<uint32_t>(stride);
    l.imageSize = l.Compressed() ? 0 : static_cast<uint32_t>(image);

    if (bits <= 8) {
        const unsigned full = 1u << bits;
        l.colours = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
    } else if (bits == 16 || bits == 32) {
        uint32_t masks[3];
        if (h.biCompression == BI_BITFIELDS) {
            std::memcpy(masks, info.bmiColors, sizeof masks);
        } else if (bits == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
        if (!MakeChannel(masks[0], bits, l.red) || !MakeChannel(masks[1], bits, l.green)
            || !MakeChannel(masks[2], bits, l.blue))
            return false;
        l.plainRgb32 = bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF;
    }
    layout = l;
    return true;
}
