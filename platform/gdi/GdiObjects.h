// The objects behind the handles of Gdi.h. Private to the platform layer.
#pragma once

#include "platform/gdi/DibLayout.h"
#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <vector>

struct GdiObject {
    enum class Kind { Palette, Bitmap, Brush };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Kind kind;
    bool stock = false;
    // Number of device contexts this object is selected into.
    int selections = 0;
};

struct GdiPalette : GdiObject {
    GdiPalette() : GdiObject(Kind::Palette) {}
    std::vector<PALETTEENTRY> entries;
};

struct GdiBrush : GdiObject {
    GdiBrush() : GdiObject(Kind::Brush) {}
    COLORREF colour = 0;
};

struct GdiBitmap : GdiObject {
    GdiBitmap() : GdiObject(Kind::Bitmap) {}
    ~GdiBitmap() override;

    // Header (biSize 40), colour table, and for BI_BITFIELDS the three masks
    // in the first three table slots, as a DIB header carries them.
    BITMAPINFO info{};
    DibLayout layout{};
    uint8_t* bits = nullptr;  // first byte in memory order
    bool dibSection = false;
    bool ownsBits = false;     // heap block freed with the bitmap
    void* view = nullptr;      // mapped view unmapped with the bitmap
    DeviceContext* selectedIn = nullptr;

    DibSurface Surface() { return DibSurface{layout, bits, info.bmiColors}; }
};

struct DeviceContext {
    bool screen = false;
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    HBRUSH brush = nullptr;
    int stretchMode = BLACKONWHITE;
};

// The white brush every context starts with.
HBRUSH StockBrush();
