// The storage's life: blank content, release, palette handle and cloning.
#include "bitmap/InternalDIB.h"

#include "bitmap/FvGraph.h"
#include "platform/core/PixelBlock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

TFvInternalDIB::TFvInternalDIB(bool UseFMO) : UseFMO(UseFMO)
{
    CreateDIB(1, 1, 256, 8);
}

TFvInternalDIB::~TFvInternalDIB()
{
    FreeDIB();
}

namespace {

// The pixel bytes of a blank storage, checked as CreateDIB checks them.
int64_t BlankDIBSize(int Width, int Height, int ColorCount, int BitCount)
{
    const bool validBitCount = BitCount == 1 || BitCount == 4 || BitCount == 8 || BitCount == 24;
    if (Width <= 0 || Height == 0 || Height == std::numeric_limits<int>::min() || ColorCount < 0 ||
        ColorCount > 256 || !validBitCount)
        throw EFvDIBInvalidDIBPara("TFvInternalDIB.CreateDIB: Invalid Parameters");
    const int64_t stride = DIBStride(Width, BitCount);
    const int64_t rows = std::abs(static_cast<int64_t>(Height));
    if (stride > std::numeric_limits<int32_t>::max() / rows)
        throw EFvDIBInvalidDIBPara("TFvInternalDIB.CreateDIB: Invalid Parameters");
    return stride * rows;
}

} // namespace

void TFvInternalDIB::CreateDIB(int Width, int Height, int ColorCount, int BitCount)
{
    const int64_t size = BlankDIBSize(Width, Height, ColorCount, BitCount);
    HFILEMAPPING hFile = nullptr;
    uint8_t* pBits = nullptr;
    GetMemory(size, hFile, pBits, UseFMO);
    UseDIBMemory(Width, Height, ColorCount, BitCount, hFile, pBits, size);
}

void TFvInternalDIB::CreateDIBOver(HFILEMAPPING Section, int Width, int Height, int BitCount)
{
    const int64_t size = BlankDIBSize(Width, Height, 0, BitCount);
    if (!UseFMO || FileMappingSize(Section) != static_cast<uint64_t>(size))
        throw EFvDIBInvalidDIBPara("TFvInternalDIB.CreateDIB: Invalid Parameters");
    void* view = MapViewOfFile(Section);
    if (!view)
        throw EOutOfResources("GetMemory: Cannot Make View of File Map");
    UseDIBMemory(Width, Height, 0, BitCount, Section, static_cast<uint8_t*>(view), size);
}

void TFvInternalDIB::UseDIBMemory(int Width, int Height, int ColorCount, int BitCount, HFILEMAPPING hFile,
                                  uint8_t* pBits, int64_t Size)
{
    DIBInfos.BitsSize = static_cast<int32_t>(Size);
    DIBInfos.hFile = hFile;
    DIBInfos.pBits = pBits;
    Palette = nullptr;
    this->Width = Width;
    this->Height = std::abs(Height);

    std::memset(DIBInfos.Dummy, 0, sizeof(DIBInfos.Dummy));
    BITMAPINFOHEADER& head = DIBInfos.W3Head();
    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biWidth = Width;
    head.biHeight = Height;
    head.biPlanes = 1;
    head.biBitCount = static_cast<WORD>(BitCount);
    head.biCompression = BI_RGB;
    head.biXPelsPerMeter = 3780;
    head.biYPelsPerMeter = 3780;
    head.biClrUsed = static_cast<DWORD>(ColorCount);
    head.biClrImportant = 0;
    PaletteModified = true;
}

void TFvInternalDIB::FreeDIB()
{
    DropRleExpansion();
    if (DIBInfos.pBits) {
        ReleaseMemory(DIBInfos.hFile, DIBInfos.pBits, UseFMO);
        DIBInfos.BitsSize = 0;
        DIBInfos.hFile = nullptr;
        DIBInfos.pBits = nullptr;
    }
    if (Palette) {
        DeleteObject(reinterpret_cast<HGDIOBJ>(Palette));
        Palette = nullptr;
    }
}

void TFvInternalDIB::ReleasePalette()
{
    DropRleExpansion();
    if (Palette)
        DeleteObject(reinterpret_cast<HGDIOBJ>(Palette));
    Palette = nullptr;
    PaletteModified = true;
}

HPALETTE TFvInternalDIB::GetPalette()
{
    if (!Palette && DIBInfos.W3Head().biClrUsed != 0)
        Palette = GetPaletteFromDIBInfos(DIBInfos);
    return Palette;
}

std::unique_ptr<TFvInternalDIB> TFvInternalDIB::Clone(bool CloneUseFMO, bool CopyPixels) const
{
    auto clone = std::make_unique<TFvInternalDIB>(CloneUseFMO);
    clone->FreeDIB();
    clone->Width = Width;
    clone->Height = Height;
    clone->DIBInfos = DIBInfos;
    // Until its own memory is obtained the clone must not point at the source's.
    clone->DIBInfos.hFile = nullptr;
    clone->DIBInfos.pBits = nullptr;
    HFILEMAPPING hFile = nullptr;
    uint8_t* pBits = nullptr;
    GetMemory(DIBInfos.BitsSize, hFile, pBits, CloneUseFMO);
    clone->DIBInfos.hFile = hFile;
    clone->DIBInfos.pBits = pBits;
    if (CopyPixels && DIBInfos.BitsSize > 0)
        std::memcpy(pBits, DIBInfos.pBits, static_cast<size_t>(DIBInfos.BitsSize));
    return clone;
}

void TFvInternalDIB::TakeDIBInfos(const TFvDIBInfos& Infos)
{
    FreeDIB();
    DIBInfos = Infos;
    Width = Infos.W3Head().biWidth;
    // Readers and converters never hand over a height of -2^31; clamp rather than overflow.
    const int64_t height = std::abs(static_cast<int64_t>(Infos.W3Head().biHeight));
    Height = static_cast<int>(std::min<int64_t>(height, std::numeric_limits<int>::max()));
    ReleasePalette();
}

const uint8_t* TFvInternalDIB::RleExpansion()
{
    const BITMAPINFOHEADER& head = DIBInfos.W3Head();
    if (FExpansion || FExpansionRefused || head.biCompression == BI_RGB)
        return FExpansion;
    FExpansionRefused = true;
    const int64_t size = DIBStride(Width, head.biBitCount) * Height;
    if (size > std::numeric_limits<int32_t>::max())
        return nullptr;
    auto* block = static_cast<uint8_t*>(AllocatePixelBlock(static_cast<size_t>(size)));
    if (!block)
        return nullptr;
    if (!ExpandRleDIB(&DIBInfos.W3HeadInfo, DIBInfos.pBits, static_cast<size_t>(std::max(DIBInfos.BitsSize, 0)), block,
                      static_cast<size_t>(size))) {
        FreePixelBlock(block, static_cast<size_t>(size));
        return nullptr;
    }
    FExpansion = block;
    FExpansionSize = static_cast<size_t>(size);
    FExpansionRefused = false;
    return FExpansion;
}

void TFvInternalDIB::DropRleExpansion()
{
    if (FExpansion)
        FreePixelBlock(FExpansion, FExpansionSize);
    FExpansion = nullptr;
    FExpansionSize = 0;
    FExpansionRefused = false;
}
