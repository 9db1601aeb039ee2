// The halftone palettes: a 6 x 7 x 5 colour cube with five extra greys and
// tints, and plain black and white.
#include "bitmap/HalftonePalettes.h"

#include "bitmap/FvGraph.h"

namespace {

HPALETTE halftone = nullptr;
HPALETTE halftoneBW = nullptr;

HPALETTE MakePalette(const LOGPALETTE& logPalette)
{
    HPALETTE palette = CreatePalette(&logPalette);
    if (!palette)
        throw EOutOfResources("TFvDIB.GetPalette: Cannot Make Palette(1)");
    return palette;
}

} // namespace

HPALETTE HalftonePalette()
{
    if (!halftone) {
        static constexpr BYTE reds[6] = {0, 51, 102, 153, 204, 255};
        static constexpr BYTE greens[7] = {0, 43, 85, 128, 171, 214, 255};
        static constexpr BYTE blues[5] = {0, 64, 128, 192, 255};
        static constexpr PALETTEENTRY extras[5] = {
            {128, 0, 0, 0}, {128, 128, 0, 0}, {128, 0, 128, 0}, {192, 192, 192, 0}, {128, 128, 128, 0}};
        LOGPALETTE logPalette{};
        logPalette.palVersion = 0x300;
        logPalette.palNumEntries = 215;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 7; ++g)
                for (int b = 0; b < 5; ++b)
                    logPalette.palPalEntry[35 * r + 5 * g + b] = PALETTEENTRY{reds[r], greens[g], blues[b], 0};
        for (int i = 0; i < 5; ++i)
            logPalette.palPalEntry[210 + i] = extras[i];
        halftone = MakePalette(logPalette);
    }
    return halftone;
}

HPALETTE HalftoneBWPalette()
{
    if (!halftoneBW) {
        LOGPALETTE logPalette{};
        logPalette.palVersion = 0x300;
        logPalette.palNumEntries = 2;
        logPalette.palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};
        logPalette.palPalEntry[1] = PALETTEENTRY{255, 255, 255, 0};
        halftoneBW = MakePalette(logPalette);
    }
    return halftoneBW;
}

void DeleteHalftonePalettes()
{
    if (halftone)
        DeleteObject(reinterpret_cast<HGDIOBJ>(halftone));
    if (halftoneBW)
        DeleteObject(reinterpret_cast<HGDIOBJ>(halftoneBW));
    halftone = nullptr;
    halftoneBW = nullptr;
}
