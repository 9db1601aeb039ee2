// The bitmap's palette handle: the storage's own, or a halftone palette while
// halftoned drawing is chosen.
#include "bitmap/FvDIB.h"

#include "bitmap/HalftonePalettes.h"

HPALETTE TFvDIB::GetPalette() const
{
    switch (FHalftoneMode) {
    case fvHtHalftone:
        return HalftonePalette();
    case fvHtHalftoneBW:
        return HalftoneBWPalette();
    default:
        return FInternalDIB->GetPalette();
    }
}

void TFvDIB::SetPalette(HPALETTE Value)
{
    Unshare();
    TFvInternalDIB& dib = *FInternalDIB;
    if (!Value) {
        dib.DIBInfos.W3Head().biClrUsed = 0;
        dib.ReleasePalette();
    } else {
        PALETTEENTRY entries[256];
        const unsigned available = GetPaletteEntries(Value, 0, 0, nullptr);
        const unsigned count = GetPaletteEntries(Value, 0, available < 256 ? available : 256, entries);
        if (count == 0)
            throw EFvDIBInvalidPalette("TFvDIB.SetPalette: Invalid Palette");
        dib.DIBInfos.W3Head().biClrUsed = count;
        for (unsigned i = 0; i < count; ++i)
            dib.DIBInfos.W3HeadInfo.bmiColors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
        if (dib.Palette && dib.Palette != Value)
            DeleteObject(reinterpret_cast<HGDIOBJ>(dib.Palette));
        dib.Palette = Value;
        dib.PaletteModified = true;
    }
    SyncPaletteModified();
    SetModified(true);
}
