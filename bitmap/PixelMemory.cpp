// Pixel memory of the storages: page-file-backed sections (so that a DIB
// section can map the very same bytes) or plain heap blocks.
#include "bitmap/InternalDIB.h"

#include "platform/core/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

void GetMemory(int64_t Size, HFILEMAPPING& hFile, uint8_t*& pBits, bool UseFMO)
{
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    if (UseFMO) {
        // Sizes the pixel counter cannot hold fail as the mapping call fails for 0 bytes.
        HFILEMAPPING mapping =
            Size > 0 && Size <= limit ? CreateFileMapping(static_cast<uint64_t>(Size)) : nullptr;
        if (!mapping)
            throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
        void* view = MapViewOfFile(mapping);
        if (!view) {
            CloseHandle(mapping);
            throw EOutOfResources("GetMemory: Cannot Make View of File Map");
        }
        hFile = mapping;
        pBits = static_cast<uint8_t*>(view);
        return;
    }
    if (Size < 0 || Size > limit)
        throw EOutOfMemory();
    // A heap block of 0 bytes still has an address, so that pBits says "held".
    void* block = std::calloc(Size > 0 ? static_cast<size_t>(Size) : 1, 1);
    if (!block)
        throw EOutOfMemory();
    hFile = nullptr;
    pBits = static_cast<uint8_t*>(block);
}

void ReleaseMemory(HFILEMAPPING hFile, uint8_t* pBits, bool UseFMO)
{
    if (UseFMO) {
        UnmapViewOfFile(pBits);
        CloseHandle(hFile);
    } else {
        std::free(pBits);
    }
}

int NumColorsOf(int BitCount)
{
    switch (BitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int64_t DIBStride(int64_t Width, int BitCount)
{
    return (Width * BitCount + 31) / 32 * 4;
}

HPALETTE GetPaletteFromDIBInfos(const TFvDIBInfos& DIBInfos)
{
    const uint32_t count = DIBInfos.W3Head().biClrUsed;
    if (count == 0)
        return nullptr;
    LOGPALETTE logPalette{};
    logPalette.palVersion = 0x300;
    logPalette.palNumEntries = static_cast<WORD>(count < 256 ? count : 256);
    for (unsigned i = 0; i < logPalette.palNumEntries; ++i) {
        const RGBQUAD& entry = DIBInfos.W3HeadInfo.bmiColors[i];
        logPalette.palPalEntry[i] = PALETTEENTRY{entry.rgbRed, entry.rgbGreen, entry.rgbBlue, 0};
    }
    HPALETTE palette = CreatePalette(&logPalette);
    if (!palette)
        throw EOutOfResources("GetPaletteFromDIBInfos: Cannot Make Palette");
    return palette;
}
