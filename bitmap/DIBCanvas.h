// A canvas whose drawing lands directly in a TFvDIB's pixels: a DIB section is
// opened over the section that holds them, so nothing is copied either way.
#pragma once

#include "bitmap/FvDIB.h"
#include "platform/graphics/Canvas.h"

class TFvDIBCanvas : public TCanvas {
public:
    // DIB must keep its storage (no load, resize, depth or memory-kind change)
    // while the canvas exists; it must hold its pixels in a section (UseFMO).
    explicit TFvDIBCanvas(TFvDIB* DIB);
    ~TFvDIBCanvas() override;

private:
    void ReleaseContext();

    HDC MemDC = nullptr;
    HBITMAP hDIBSection = nullptr;
    TFvDIB* DIB = nullptr;
    HBITMAP OldBitmap = nullptr;
    HPALETTE OldPalette = nullptr;
    void* pBits = nullptr;
};
