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
