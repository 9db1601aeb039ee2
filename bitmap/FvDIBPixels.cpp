// Colour-table entries, single pixels and scan lines. Rows are numbered from
// the top of the picture whichever way the storage holds them.
#include "bitmap/FvDIB.h"

namespace {

uint8_t* RowAddress(const TFvInternalDIB& dib, int Y)
{
    const BITMAPINFOHEADER& head = dib.DIBInfos.W3Head();
    const int64_t stride = DIBStride(dib.Width, head.biBitCount);
    const int64_t row = head.biHeight > 0 ? dib.Height - 1 - Y : Y;
    return dib.DIBInfos.pBits + stride * row;
}

bool Compressed(const TFvInternalDIB& dib)
{
    return dib.DIBInfos.W3Head().biCompression != BI_RGB;
}

bool InPicture(const TFvInternalDIB& dib, int X, int Y)
{
    return X >= 0 && X < dib.Width && Y >= 0 && Y < dib.Height;
}

} // namespace

TColor TFvDIB::GetColors(int Index) const
{
    if (Index < 0 || Index > 255)
        throw EFvDIBPaletteIndexRange("TFvDIB.GetColors: Palette Index is Out of Range");
    const RGBQUAD& entry = FInternalDIB->DIBInfos.W3HeadInfo.bmiColors[Index];
    return static_cast<TColor>(entry.rgbRed | (entry.rgbGreen << 8) | (entry.rgbBlue << 16));
}

void TFvDIB::SetColors(int Index, TColor Value)
{
    if (Index < 0 || Index > 255)
        throw EFvDIBPaletteIndexRange("TFvDIB.SetColors: Palette Index is Out of Range");
    Unshare();
    const uint32_t rgb = ColorToRGB(Value);
    FInternalDIB->DIBInfos.W3HeadInfo.bmiColors[Index] =
        RGBQUAD{static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb), 0};
    FInternalDIB->ReleasePalette();
    SyncPaletteModified();
    SetModified(true);
}

uint8_t* TFvDIB::GetScanLine(int Y)
{
    if (FInternalDIB->RefCount > 1)
        Unshare();
    if (Y < 0 || Y >= FInternalDIB->Height)
        throw EFvDIBPixelPositionRange("TFvDIB.GetScanLine: y is Out of Range");
    if (Compressed(*FInternalDIB))
        throw EFvDIBBadDIBType("TFvDIB.GetScanLine: Bad DIB Type");
    return RowAddress(*FInternalDIB, Y);
}

uint32_t TFvDIB::GetPixels(int X, int Y) const
{
    const TFvInternalDIB& dib = *FInternalDIB;
    if (Compressed(dib))
        throw EFvDIBBadDIBType("TFvDIB.GetPixels: Bad DIB Type");
    if (!InPicture(dib, X, Y))
        throw EFvDIBPixelPositionRange("TFvDIB.GetPixels: Pixel Position is Out of Range");
    const uint8_t* row = RowAddress(dib, Y);
    switch (dib.DIBInfos.W3Head().biBitCount) {
    case 8:
        return row[X];
    case 24: {
        const uint8_t* pixel = row + 3 * static_cast<int64_t>(X);
        return pixel[2] | (pixel[1] << 8) | (static_cast<uint32_t>(pixel[0]) << 16);
    }
    case 4:
        return X % 2 ? row[X / 2] & 0x0F : row[X / 2] >> 4;
    case 1:
        return (row[X / 8] & (0x80 >> (X % 8))) ? 1 : 0;
    default:
        throw EFvDIBInvalidDIB("TFvDIB.GetPixels: GetPixel supports only Uncompressed DIB");
    }
}

void TFvDIB::SetPixels(int X, int Y, uint32_t Value)
{
    if (FInternalDIB->RefCount > 1)
        Unshare();
    const TFvInternalDIB& dib = *FInternalDIB;
    if (Compressed(dib))
        throw EFvDIBBadDIBType("TFvDIB.SetPixels: Bad DIB Type");
    if (!InPicture(dib, X, Y))
        throw EFvDIBPixelPositionRange("TFvDIB.SetPixels: Pixel Position is Out of Range");
    uint8_t* row = RowAddress(dib, Y);
    switch (dib.DIBInfos.W3Head().biBitCount) {
    case 8:
        if (Value > 255)
            throw ERangeError();
        row[X] = static_cast<uint8_t>(Value);
        break;
    case 24: {
        // A TColor is a signed 32-bit value; the top byte of a positive one is ignored.
        if (Value & 0x80000000u)
            throw ERangeError();
        uint8_t* pixel = row + 3 * static_cast<int64_t>(X);
        pixel[0] = static_cast<uint8_t>(Value >> 16);
        pixel[1] = static_cast<uint8_t>(Value >> 8);
        pixel[2] = static_cast<uint8_t>(Value);
        break;
    }
    case 4: {
        uint8_t& byte = row[X / 2];
        const uint8_t nibble = Value & 0x0F;
        byte = X % 2 ? static_cast<uint8_t>((byte & 0xF0) | nibble) : static_cast<uint8_t>((byte & 0x0F) | (nibble << 4));
        break;
    }
    case 1: {
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (X % 8));
        row[X / 8] = Value ? row[X / 8] | mask : row[X / 8] & ~mask;
        break;
    }
    default:
        throw EFvDIBInvalidDIB("TFvDIB.SetPixels: GetPixel supports only Uncompressed 8 or 24 bit DIB");
    }
}
