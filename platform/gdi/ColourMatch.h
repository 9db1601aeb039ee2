// Nearest-colour matching against a colour table. Colours here are 0x00RRGGBB
// (the bytes blue, green, red of a 24-bit pixel read as one little-endian
// value). Private to the platform layer.
#pragma once

#include "platform/gdi/GdiTypes.h"

#include <array>
#include <cstdint>

inline uint32_t QuadToRgb(const RGBQUAD& q)
{
    return uint32_t{q.rgbBlue} | uint32_t{q.rgbGreen} << 8 | uint32_t{q.rgbRed} << 16;
}

inline uint32_t ColorRefToRgb(COLORREF c)
{
    return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

inline COLORREF RgbToColorRef(uint32_t rgb)
{
    return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

// Index of the entry nearest to rgb by squared distance; the lowest index wins a tie.
unsigned NearestIndex(const RGBQUAD* table, unsigned count, uint32_t rgb);

// NearestIndex with a small direct-mapped cache, for whole pictures of true colour.
class NearestCache {
public:
    NearestCache(const RGBQUAD* table, unsigned count) : FTable(table), FCount(count) { FKeys.fill(Empty); }
    unsigned Find(uint32_t rgb)
    {
        const uint32_t slot = (rgb ^ (rgb >> 11) ^ (rgb >> 19)) & (Slots - 1);
        if (FKeys[slot] != rgb) {
            FKeys[slot] = rgb;
            FIndices[slot] = static_cast<uint8_t>(NearestIndex(FTable, FCount, rgb));
        }
        return FIndices[slot];
    }

private:
    static constexpr uint32_t Slots = 4096;
    static constexpr uint32_t Empty = 0xFFFFFFFF; // never a 0x00RRGGBB colour
    const RGBQUAD* FTable;
    unsigned FCount;
    std::array<uint32_t, Slots> FKeys;
    std::array<uint8_t, Slots> FIndices{};
};
