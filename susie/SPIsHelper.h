// Checks on the picture blocks a plug-in hands over: the host reads them as a
// BMP image, so their header must describe no more than the blocks hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

struct TDIBLayout {
    int32_t Width = 0;
    int32_t Height = 0;   // negative for rows stored top first
    int BitCount = 0;
    int ColorCount = 0;   // colour-table entries
    int64_t InfoSize = 0; // header, bit masks and colour table
    int64_t BitsSize = 0;
};

// The layout of a plug-in's header block, or nothing unless: the header is
// the 40-byte kind; 1, 4, 8, 16, 24 or 32 bits; at most 256 colours; no
// compression, or bit fields for 16 and 32 bits; and the header, masks,
// colours and rows fit the blocks' real sizes and a BMP file's 32-bit size.
std::optional<TDIBLayout> CheckPictureBlocks(const void* info, size_t infoSize, size_t bitsSize);

// Size of a block a plug-in allocated with malloc.
size_t PluginBlockSize(const void* block);

// Round(a * b / c) as the platform's MulDiv: halves away from zero, -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
