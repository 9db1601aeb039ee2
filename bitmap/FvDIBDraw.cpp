// Drawing a bitmap onto a canvas: a plain stretch of the DIB (of an RLE
// picture, its storage's expansion), or a halftoned copy of the target size
// made through a DIB canvas.
#include "bitmap/DIBCanvas.h"

#include <cstdlib>

namespace {

// Holds a bitmap's halftone mode at a value for one call and restores it.
class ModeOverride {
public:
    ModeOverride(TFvHalftoneMode& mode, TFvHalftoneMode value) : FMode(mode), FSaved(mode) { FMode = value; }
    ~ModeOverride() { FMode = FSaved; }
    ModeOverride(const ModeOverride&) = delete;
    ModeOverride& operator=(const ModeOverride&) = delete;

private:
    TFvHalftoneMode& FMode;
    TFvHalftoneMode FSaved;
};

} // namespace

void TFvDIB::Draw(TCanvas& ACanvas, const TRect& Rect)
{
    if (!FInternalDIB)
        return;
    if (FHalftoneMode != fvHtNoHalftone) {
        DrawHalftoned(ACanvas, Rect);
        return;
    }
    HDC dc = ACanvas.Handle();
    HPALETTE oldPalette = nullptr;
    HPALETTE palette = GetPalette();
    if (palette) {
        oldPalette = SelectPalette(dc, palette, true);
        RealizePalette(dc);
    }
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const TFvDIBInfos& infos = FInternalDIB->DIBInfos;
    if (const uint8_t* expanded = FInternalDIB->RleExpansion()) {
        TFvDIBInfos plain = infos;
        plain.W3Head().biCompression = BI_RGB;
        plain.W3Head().biSizeImage = 0;
        StretchDIBits(dc, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0, Width(),
                      Height(), expanded, static_cast<size_t>(DIBStride(Width(), BitCount()) * Height()),
                      &plain.W3HeadInfo, DIB_RGB_COLORS, ACanvas.CopyMode);
    } else {
        StretchDIBits(dc, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0, Width(),
                      Height(), infos.pBits, static_cast<size_t>(infos.BitsSize), &infos.W3HeadInfo, DIB_RGB_COLORS,
                      ACanvas.CopyMode);
    }
    SetStretchBltMode(dc, oldMode);
    if (palette && oldPalette)
        SelectPalette(dc, oldPalette, true);
}

void TFvDIB::DrawHalftoned(TCanvas& ACanvas, const TRect& Rect)
{
    if (Rect.Right == Rect.Left || Rect.Bottom == Rect.Top)
        return;
    const TFvPixelFormat target = FHalftoneMode == fvHtHalftone ? fvPfHalftone : fvPfHalftoneBW;
    TFvDIB scaled;
    {
        const ModeOverride plain(FHalftoneMode, fvHtNoHalftone);
        scaled.SetWidth(std::abs(Rect.Right - Rect.Left));
        scaled.SetHeight(std::abs(Rect.Bottom - Rect.Top));
        scaled.SetBitCount(BitCount());
        scaled.SetPalette(CopyPalette(GetPalette()));
        TFvDIBCanvas canvas(&scaled);
        canvas.StretchDraw(::Rect(0, 0, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top), *this);
    }
    scaled.SetPixelFormat(target);
    scaled.Draw(ACanvas, Rect);
}
