// The storage's pixel format, read from the header's bit count and compression.
#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"

TFvPixelFormat TFvInternalDIB::GetPixelFormat() const
{
    const BITMAPINFOHEADER& head = DIBInfos.W3Head();
    switch (head.biBitCount) {
    case 1:
        if (head.biCompression == BI_RGB)
            return fvPf1Bit;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
    case 4:
        if (head.biCompression == BI_RGB)
            return fvPf4Bit;
        if (head.biCompression == BI_RLE4)
            return fvPf4BitRLE;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
    case 8:
        if (head.biCompression == BI_RGB)
            return fvPf8Bit;
        if (head.biCompression == BI_RLE8)
            return fvPf8BitRLE;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
    case 24:
        if (head.biCompression == BI_RGB)
            return fvPf24Bit;
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    default:
        throw EFvDIBInvalidDIB("TFvInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}
