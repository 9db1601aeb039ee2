#include "bitmap/DIBCanvas.h"

TFvDIBCanvas::TFvDIBCanvas(TFvDIB* DIB)
{
    if (!DIB || !DIB->UseFMO())
        throw EFvDIBCanvasFailed("TFvDIBCanvas.Create: Cannot Create Canvas");
    // Drawing must never reach a storage that another bitmap shares.
    DIB->Unshare();
    try {
        MemDC = CreateCompatibleDC(nullptr);
        if (!MemDC)
            throw EOutOfResources("TFvDIBCanvas.Create: Cannot Create Memory DC");
        // The storage's own palette: the one the bitmap answers without halftoning.
        TFvInternalDIB& storage = DIB->InternalDIB();
        if (HPALETTE palette = storage.GetPalette()) {
            OldPalette = SelectPalette(MemDC, palette, true);
            RealizePalette(MemDC);
        }
        hDIBSection = CreateDIBSection(MemDC, &storage.DIBInfos.W3HeadInfo, DIB_RGB_COLORS, &pBits,
                                       storage.DIBInfos.hFile, 0);
        if (!hDIBSection)
            throw EOutOfResources("TFvDIBCanvas.Create: Cannot Create Memory DC");
        OldBitmap = reinterpret_cast<HBITMAP>(SelectObject(MemDC, reinterpret_cast<HGDIOBJ>(hDIBSection)));
        SetHandle(MemDC);
    } catch (...) {
        // A canvas that was never made has drawn nothing: the bitmap is not marked changed.
        ReleaseContext();
        throw;
    }
    this->DIB = DIB;
}

TFvDIBCanvas::~TFvDIBCanvas()
{
    ReleaseContext();
    DIB->SyncPaletteModified();
    DIB->Changed(DIB);
}

void TFvDIBCanvas::ReleaseContext()
{
    if (OldBitmap)
        SelectObject(MemDC, reinterpret_cast<HGDIOBJ>(OldBitmap));
    if (hDIBSection)
        DeleteObject(reinterpret_cast<HGDIOBJ>(hDIBSection));
    SetHandle(nullptr);
    // Deleting the context also ends the palette selection.
    if (MemDC)
        DeleteDC(MemDC);
}
