// The shape of a device-independent bitmap worked out once from its header:
// the rules every drawing function checks before it touches a byte. Private
// to the platform layer.
#pragma once

#include "platform/gdi/GdiTypes.h"

#include <cstdint>

struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;
};

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0; // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    uint32_t stride = 0;
    uint32_t imageSize = 0; // stride * height (uncompressed)
    unsigned colours = 0;   // valid colour-table entries of an indexed layout
    // Channels of 16- and 32-bit pixels (BI_RGB gets the platform's defaults).
    ChannelMask red, green, blue;
    // 32-bit pixels laid out as blue, green, red, unused.
    bool plainRgb32 = false;

    bool Indexed() const { return bitCount <= 8; }
    bool Compressed() const { return compression == BI_RLE4 || compression == BI_RLE8; }
};

// The largest pixel block a bitmap may have: the range of a signed 32-bit size.
constexpr uint64_t MaxImageBytes = 0x7FFFFFFF;

// Bytes in one row, padded to four bytes, in 64 bits so no width overflows.
inline uint64_t DibStride(int64_t width, int bitCount)
{
    return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32 * 4;
}

// Fills layout from a 40-byte header. False for anything the layer cannot
// draw: another header size, a bad size or depth, an image over MaxImageBytes,
// masks that are zero or not contiguous, RLE unless allowRle (and RLE that is
// top-down or of the wrong depth).
bool ReadDibLayout(const BITMAPINFO& info, DibLayout& layout, bool allowRle);

// A DIB's pixels as the copying functions see them.
struct DibSurface {
    DibLayout layout;
    uint8_t* bits;
    const RGBQUAD* table;

    // Row y counted from the top of the picture.
    uint8_t* Row(int y) const
    {
        const int memoryRow = layout.topDown ? y : layout.height - 1 - y;
        return bits + static_cast<uint64_t>(layout.stride) * static_cast<uint64_t>(memoryRow);
    }
};
