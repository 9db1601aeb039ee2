// The picture behind a TBitmap: a top-down DIB section, its header and its
// palette, owned together. Private to the platform layer.
#pragma once

#include "platform/core/Streams.h"
#include "platform/graphics/Bitmap.h"

#include <cstdint>
#include <vector>

struct BitmapPicture {
    BitmapPicture() = default;
    ~BitmapPicture();
    BitmapPicture(BitmapPicture&& other) noexcept;
    BitmapPicture& operator=(BitmapPicture&& other) noexcept;

    // Width and height are kept while the picture is empty (one of them 0).
    int width = 0;
    int height = 0;
    HBITMAP handle = nullptr;
    uint8_t* bits = nullptr;
    BITMAPINFO info{}; // header (top-down) and colour table or masks of handle
    HPALETTE palette = nullptr;

    uint32_t Stride() const;
    uint32_t ImageSize() const { return Stride() * static_cast<uint32_t>(height); }
    uint8_t* Row(int y) const { return bits + static_cast<size_t>(Stride()) * static_cast<size_t>(y); }
    // Deletes the DIB section, keeping size and palette.
    void FreeHandle();
};

// The bit depth and masks a pixel format stands for; pfCustom keeps current's.
BITMAPINFO FormatHeader(TPixelFormat format, int width, int height, const BITMAPINFO& current);
// The format a header describes.
TPixelFormat FormatOfHeader(const BITMAPINFO& info);
// Puts the colour table for an indexed header: the palette's entries, or the
// default table of the depth when there is no palette.
void FillColourTable(BITMAPINFO& info, HPALETTE palette);
// A palette of the header's colour table.
HPALETTE PaletteOfTable(const BITMAPINFO& info);
// A zeroed DIB section for a top-down header; raises EOutOfResources when it cannot be made.
void MakeHandle(BitmapPicture& picture, const BITMAPINFO& info);

// BMP files and CF_DIB blocks (the same without the file header). Reading
// raises EInvalidGraphic "Bitmap image is not valid" for what it cannot read
// and EReadError when the stream ends before the pixels do.
BitmapPicture ReadBmp(TStream& stream, bool fileHeader);
// The header (bottom-up, biSizeImage set), masks and colour table of a picture.
std::vector<uint8_t> DibHeader(const BitmapPicture& picture);
// The header, masks, colour table and bottom-up rows of a picture.
std::vector<uint8_t> DibBytes(const BitmapPicture& picture);
