// Assignment between TFvDIB and the class library's TBitmap.
#include "bitmap/FvDIB.h"

#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

TPixelFormat BitmapFormatOf(TFvPixelFormat format)
{
    switch (format) {
    case fvPf1Bit:
        return pf1bit;
    case fvPf4Bit:
    case fvPf4BitRLE:
        return pf4bit;
    case fvPf8Bit:
    case fvPf8BitRLE:
        return pf8bit;
    default:
        return pf24bit;
    }
}

// The screen's context for the time of one read.
class ScreenDC {
public:
    ScreenDC() : FDC(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, FDC); }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Handle() const { return FDC; }

private:
    HDC FDC;
};

// Turns top-down rows into the storage's bottom-up order in place.
void ReverseRows(uint8_t* bits, size_t stride, int height)
{
    std::vector<uint8_t> row(stride);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* upper = bits + stride * static_cast<size_t>(top);
        uint8_t* lower = bits + stride * static_cast<size_t>(bottom);
        std::memcpy(row.data(), upper, stride);
        std::memcpy(upper, lower, stride);
        std::memcpy(lower, row.data(), stride);
    }
}

} // namespace

void TFvDIB::AssignFromBitmap(TBitmap& Source)
{
    BITMAP description{};
    GetObject(Source.Handle(), &description);
    auto fresh = NewEmptyStorage();
    int bitCount = description.bmPlanes * description.bmBitsPixel;
    if (bitCount == 16 || bitCount == 32)
        bitCount = 24;
    fresh->CreateDIB(description.bmWidth, description.bmHeight, 0, bitCount);
    {
        const ScreenDC screen;
        HPALETTE oldPalette = nullptr;
        if (HPALETTE palette = Source.Palette()) {
            oldPalette = SelectPalette(screen.Handle(), palette, true);
            RealizePalette(screen.Handle());
        }
        const int rows = GetDIBits(screen.Handle(), Source.Handle(), 0, static_cast<unsigned>(fresh->Height),
                                   fresh->DIBInfos.pBits, &fresh->DIBInfos.W3HeadInfo, DIB_RGB_COLORS);
        if (oldPalette)
            SelectPalette(screen.Handle(), oldPalette, true);
        // A failed read would leave a black picture that looks like a success.
        if (rows != fresh->Height)
            throw EInvalidGraphic("TFvDIB.Assign: Cannot Read Bitmap");
    }
    BITMAPINFOHEADER& head = fresh->DIBInfos.W3Head();
    if (head.biClrUsed == 0)
        head.biClrUsed = static_cast<DWORD>(NumColorsOf(bitCount));
    if (head.biXPelsPerMeter == 0)
        head.biXPelsPerMeter = 3780;
    if (head.biYPelsPerMeter == 0)
        head.biYPelsPerMeter = 3780;
    ReplaceInternalDIB(std::move(fresh));
    FInternalDIB->ReleasePalette();
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::TakeBitmap(TBitmap& Source)
{
    BITMAPINFO info{};
    const TPixelFormat format = Source.PixelFormat();
    const int bitCount = format == pf24bit ? 24 : 8;
    if (!UseFMO() || Source.Empty() || (format != pf24bit && format != pf8bit) ||
        !GetBitmapInfo(Source.Handle(), &info) || info.bmiHeader.biBitCount != bitCount ||
        info.bmiHeader.biCompression != BI_RGB) {
        Assign(&Source);
        return;
    }
    HBITMAP handle = Source.ReleaseHandle();
    HFILEMAPPING section = DetachDIBSectionMemory(handle);
    if (!section) {
        DeleteObject(handle);
        throw EInvalidGraphic("TFvDIB.Assign: Cannot Read Bitmap");
    }
    const BITMAPINFOHEADER& from = info.bmiHeader;
    const int height = std::abs(from.biHeight);
    auto fresh = NewEmptyStorage();
    try {
        fresh->CreateDIBOver(section, from.biWidth, height, bitCount);
    } catch (...) {
        CloseHandle(section);
        throw;
    }
    TFvDIBInfos& infos = fresh->DIBInfos;
    const size_t stride = static_cast<size_t>(DIBStride(from.biWidth, bitCount));
    if (from.biHeight < 0)
        ReverseRows(infos.pBits, stride, height);
    // As a read of the rows would leave them: the padding zero, the table
    // the bitmap's own, the header counting its entries and bytes.
    const size_t used = static_cast<size_t>(from.biWidth) * static_cast<size_t>(bitCount / 8);
    for (int y = 0; y < height; ++y)
        std::memset(infos.pBits + stride * static_cast<size_t>(y) + used, 0, stride - used);
    if (bitCount == 8) {
        const DWORD colours = from.biClrUsed == 0 || from.biClrUsed > 256 ? 256 : from.biClrUsed;
        std::copy_n(info.bmiColors, colours, infos.W3HeadInfo.bmiColors);
        infos.W3Head().biClrUsed = colours;
    }
    infos.W3Head().biSizeImage = static_cast<DWORD>(infos.BitsSize);
    ReplaceInternalDIB(std::move(fresh));
    FInternalDIB->ReleasePalette();
    SyncPaletteModified();
    SetModified(true);
}

void TFvDIB::AssignToBitmap(TBitmap& Dest)
{
    // The format first, so the picture is made once, in that format.
    Dest.SetPixelFormat(BitmapFormatOf(PixelFormat()));
    Dest.SetSize(Width(), Height());
    // The storage's own palette, whatever halftone mode is chosen for drawing.
    Dest.SetPalette(CopyPalette(FInternalDIB->GetPalette()));
    const TFvDIBInfos& infos = FInternalDIB->DIBInfos;
    StretchDIBits(Dest.Canvas().Handle(), 0, 0, Width(), Height(), 0, 0, Width(), Height(), infos.pBits,
                  static_cast<size_t>(infos.BitsSize), &infos.W3HeadInfo, DIB_RGB_COLORS, SRCCOPY);
}
