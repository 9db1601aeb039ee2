#include "platform/gdi/GdiObjects.h"

#include <algorithm>

HPALETTE CreatePalette(const LOGPALETTE* logPalette)
{
    if (!logPalette || logPalette->palNumEntries == 0 || logPalette->palNumEntries > 256)
        return nullptr;
    auto* palette = new GdiPalette;
    palette->entries.assign(logPalette->palPalEntry, logPalette->palPalEntry + logPalette->palNumEntries);
    return palette;
}

unsigned GetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, PALETTEENTRY* entries)
{
    if (!palette)
        return 0;
    const unsigned size = static_cast<unsigned>(palette->entries.size());
    if (!entries)
        return size;
    if (start >= size)
        return 0;
    const unsigned n = std::min(count, size - start);
    std::copy_n(palette->entries.begin() + start, n, entries);
    return n;
}

unsigned SetPaletteEntries(HPALETTE palette, unsigned start, unsigned count, const PALETTEENTRY* entries)
{
    if (!palette || !entries || palette->stock)
        return 0;
    const unsigned size = static_cast<unsigned>(palette->entries.size());
    if (start >= size)
        return 0;
    const unsigned n = std::min(count, size - start);
    std::copy_n(entries, n, palette->entries.begin() + start);
    return n;
}

HPALETTE CopyPalette(HPALETTE palette)
{
    if (!palette)
        return nullptr;
    auto* copy = new GdiPalette;
    copy->entries = palette->entries;
    return copy;
}

unsigned GetNearestPaletteIndex(HPALETTE palette, COLORREF colour)
{
    if (!palette)
        return 0;
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>(colour >> 8 & 0xFF);
    const int b = static_cast<int>(colour >> 16 & 0xFF);
    unsigned best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (unsigned i = 0; i < palette->entries.size(); ++i) {
        const PALETTEENTRY& e = palette->entries[i];
        const int distance = (e.peRed - r) * (e.peRed - r) + (e.peGreen - g) * (e.peGreen - g)
                             + (e.peBlue - b) * (e.peBlue - b);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}
