#include "platform/graphics/BitmapCanvas.h"

#include "platform/core/Exceptions.h"

void TBitmap::BitmapCanvas::FreeContext()
{
    if (!FDC)
        return;
    if (FOldBitmap)
        SelectObject(FDC, FOldBitmap);
    if (FOldPalette)
        SelectPalette(FDC, FOldPalette, true);
    SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    FOldBitmap = nullptr;
    FOldPalette = nullptr;
}

void TBitmap::BitmapCanvas::CreateHandle()
{
    // Drawing goes into this bitmap's picture alone.
    FOwner.Unshare();
    Image& image = *FOwner.FImage;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        throw EOutOfResources("Out of system resources");
    FDC = dc;
    if (image.handle)
        FOldBitmap = SelectObject(dc, image.handle);
    if (image.palette) {
        FOldPalette = SelectPalette(dc, image.palette, true);
        RealizePalette(dc);
    }
    SetHandle(dc);
}
