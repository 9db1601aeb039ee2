// Writing a storage as a BMP file: the stored header, colour table and pixel
// bytes unchanged, never converted.
#include "bitmap/InternalDIB.h"

#include <algorithm>

void TFvInternalDIB::SaveToStream(TStream& Stream) const
{
    const int64_t entries = std::min<DWORD>(DIBInfos.W3Head().biClrUsed, 256);
    const int64_t offBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + 4 * entries;
    BITMAPFILEHEADER fileHead{};
    fileHead.bfType = BFT_BITMAP;
    fileHead.bfSize = static_cast<DWORD>(offBits + DIBInfos.BitsSize);
    fileHead.bfOffBits = static_cast<DWORD>(offBits);
    Stream.WriteBuffer(&fileHead, sizeof fileHead);
    Stream.WriteBuffer(&DIBInfos.W3HeadInfo, sizeof(BITMAPINFOHEADER) + 4 * entries);
    Stream.WriteBuffer(DIBInfos.pBits, DIBInfos.BitsSize);
}
