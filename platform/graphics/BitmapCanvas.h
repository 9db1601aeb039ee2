// The private parts of TBitmap: its picture and its canvas, which draws
// through a memory context holding the picture and its palette.
#pragma once

#include "platform/graphics/BitmapPicture.h"
#include "platform/graphics/SharedImage.h"

// Counted by the bitmaps that hold it; the last one's Release deletes it.
class TBitmap::Image : public BitmapPicture, public TSharedImage {
public:
    void FreeHandle() override { BitmapPicture::FreeHandle(); }
};

class TBitmap::BitmapCanvas : public TCanvas {
public:
    explicit BitmapCanvas(TBitmap& owner) : FOwner(owner) {}
    ~BitmapCanvas() override { FreeContext(); }
    // Gives the picture back to the bitmap; the next drawing makes a new context.
    void FreeContext();
    bool HasContext() const { return FDC != nullptr; }

protected:
    void CreateHandle() override;

private:
    TBitmap& FOwner;
    HDC FDC = nullptr;
    HBITMAP FOldBitmap = nullptr;
    HPALETTE FOldPalette = nullptr;
};
