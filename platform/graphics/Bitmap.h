// The class library's bitmap graphic: a DIB section with a canvas, a palette
// and a pixel format. Rows are kept top-down in memory, so ScanLine[y + 1] -
// ScanLine[y] is the positive stride; BMP files are still written bottom-up.
// Assigned bitmaps without a palette share one picture until either changes it.
#pragma once

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

#include <cstdint>
#include <memory>

struct BitmapPicture;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Whether a bitmap of this size and depth (bits a pixel) can be made: its rows,
// padded to four bytes, must hold at most 2^31 - 1 bytes. Decoders ask before
// they allocate anything for a picture that could never be shown.
bool BitmapSizeFits(int64_t width, int64_t height, int bitCount);

class TBitmap : public TGraphic {
    FV_GRAPHIC_CLASS
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // A copy of a TBitmap, null (empty), or any graphic that can copy itself into a bitmap.
    void Assign(TPersistent* Source) override;

    // The bitmap object, which the caller may draw into, so a shared picture
    // is copied first; a non-empty bitmap always has one.
    HBITMAP Handle();
    // Detaches the bitmap object (the caller deletes it); the TBitmap becomes empty.
    HBITMAP ReleaseHandle();
    // Clears the handle: drops the picture (pixel format and palette are kept).
    void FreeImage();

    TPixelFormat PixelFormat() const;
    // Changes the depth, converting the picture (indexed targets map colours to the palette).
    void SetPixelFormat(TPixelFormat value);
    // Row y counted from the top; raises EInvalidGraphicOperation "Scan line index out of range".
    uint8_t* ScanLine(int y);
    TCanvas& Canvas();

    // TGraphic.
    void Draw(TCanvas& ACanvas, const TRect& Rect) override;
    bool GetEmpty() const override;
    int GetHeight() const override;
    int GetWidth() const override;
    HPALETTE GetPalette() const override;
    // The bitmap takes ownership of Value.
    void SetPalette(HPALETTE Value) override;
    void SetHeight(int Value) override;
    void SetWidth(int Value) override;
    void SetSize(int AWidth, int AHeight) override;
    // BMP files: 1, 4, 8, 16, 24 and 32 bits, RLE and core headers are read;
    // writing gives an uncompressed bottom-up BMP of the current pixel format.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    // CF_DIB blocks.
    void LoadFromClipboardFormat(unsigned AFormat, HGLOBAL AData, HPALETTE APalette) override;
    void SaveToClipboardFormat(unsigned& AFormat, HGLOBAL& AData, HPALETTE& APalette) override;

private:
    class Image;
    class BitmapCanvas;
    void Recreate(int width, int height, TPixelFormat format);
    // Puts next in place of the current picture; next may be another bitmap's.
    void UseImage(Image* next);
    // A picture read from a file or block becomes this bitmap's.
    void TakePicture(BitmapPicture picture);
    // Before the picture changes: a shared one is copied for this bitmap alone.
    void Unshare();
    Image* FImage;
    std::unique_ptr<BitmapCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
};
