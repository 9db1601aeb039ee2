// Reading and writing single pixel values of a DIB surface, and converting
// between pixel values and 0x00RRGGBB colours. The bulk copies use their own
// row loops; these serve single pixels, fills and the general copy path.
// Private to the platform layer.
#pragma once

#include "platform/gdi/ColourMatch.h"
#include "platform/gdi/DibLayout.h"

#include <cstdint>

inline uint32_t LoadPixel(int bitCount, const uint8_t* row, int x)
{
    switch (bitCount) {
    case 1:
        return row[x >> 3] >> (7 - (x & 7)) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 8:
        return row[x];
    case 16:
        return uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8;
    case 24:
        return uint32_t{row[3 * x]} | uint32_t{row[3 * x + 1]} << 8 | uint32_t{row[3 * x + 2]} << 16;
    default:
        return uint32_t{row[4 * x]} | uint32_t{row[4 * x + 1]} << 8 | uint32_t{row[4 * x + 2]} << 16
               | uint32_t{row[4 * x + 3]} << 24;
    }
}

inline void StorePixel(int bitCount, uint8_t* row, int x, uint32_t value)
{
    switch (bitCount) {
    case 1: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>((value & 1) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4:
        row[x >> 1] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] & 0xF0) | (value & 0x0F)
                                                   : (row[x >> 1] & 0x0F) | (value & 0x0F) << 4);
        break;
    case 8:
        row[x] = static_cast<uint8_t>(value);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(value);
        row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
        break;
    default:
        row[4 * x] = static_cast<uint8_t>(value);
        row[4 * x + 1] = static_cast<uint8_t>(value >> 8);
        row[4 * x + 2] = static_cast<uint8_t>(value >> 16);
        row[4 * x + 3] = static_cast<uint8_t>(value >> 24);
        break;
    }
}

// A channel of a masked pixel widened or narrowed to 8 bits; narrow channels
// repeat their bits so that full intensity stays 255.
inline uint32_t ChannelTo8(const ChannelMask& c, uint32_t pixel)
{
    uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.width >= 8)
        return v >> (c.width - 8);
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += c.width)
        out |= (v << (8 - c.width)) >> filled;
    return out & 0xFF;
}

inline uint32_t ChannelFrom8(const ChannelMask& c, uint32_t v)
{
    const uint32_t scaled = c.width >= 8 ? v << (c.width - 8) : v >> (8 - c.width);
    return (scaled << c.shift) & c.mask;
}

// The 0x00RRGGBB colour of a pixel value. Indices past the table's valid
// entries read as black.
inline uint32_t PixelToRgb(const DibLayout& l, const RGBQUAD* table, uint32_t value)
{
    if (l.bitCount <= 8)
        return value < l.colours ? QuadToRgb(table[value]) : 0;
    if (l.bitCount == 24 || l.plainRgb32)
        return value & 0xFFFFFF;
    return ChannelTo8(l.red, value) << 16 | ChannelTo8(l.green, value) << 8 | ChannelTo8(l.blue, value);
}

// The pixel value for a colour: the nearest entry for indexed layouts.
inline uint32_t RgbToPixel(const DibLayout& l, const RGBQUAD* table, uint32_t rgb)
{
    if (l.bitCount <= 8)
        return NearestIndex(table, l.colours, rgb);
    if (l.bitCount == 24 || l.plainRgb32)
        return rgb & 0xFFFFFF;
    return ChannelFrom8(l.red, rgb >> 16 & 0xFF) | ChannelFrom8(l.green, rgb >> 8 & 0xFF)
           | ChannelFrom8(l.blue, rgb & 0xFF);
}
