#include "effects/ScanLineTable.h"

#include "bitmap/FvDIB.h"
#include "platform/core/Exceptions.h"

std::vector<uint8_t*> GetScanLineTable(TFvDIB* Image)
{
    if (Image == nullptr || Image->Empty())
        throw EInvalidGraphicOperation("ビットマップが不正です。");
    const int Height = Image->Height();
    std::vector<uint8_t*> Table(Height > 0 ? static_cast<size_t>(Height) : 0);
    for (int y = 0; y < Height; ++y)
        Table[y] = Image->ScanLine(y);
    return Table;
}

std::vector<uint8_t*> Get24BitScanLineTable(TFvDIB& Image)
{
    if (Image.PixelFormat() != fvPf24Bit)
        throw EInvalidGraphicOperation("ビットマップが不正です。");
    return GetScanLineTable(&Image);
}

std::vector<const uint8_t*> Get24BitRowsToRead(const TFvDIB& Image)
{
    if (Image.PixelFormat() != fvPf24Bit || Image.Empty())
        throw EInvalidGraphicOperation("ビットマップが不正です。");
    const TFvInternalDIB& Storage = Image.InternalDIB();
    const BITMAPINFOHEADER& Head = Storage.DIBInfos.W3Head();
    const int64_t Stride = DIBStride(Storage.Width, 24);
    std::vector<const uint8_t*> Rows(static_cast<size_t>(Storage.Height));
    for (int y = 0; y < Storage.Height; ++y)
        Rows[y] = Storage.DIBInfos.pBits + Stride * (Head.biHeight > 0 ? Storage.Height - 1 - y : y);
    return Rows;
}
