// Steps shared by the BMP stream reader and the CF_DIB block reader.
#pragma once

#include "bitmap/InternalDIB.h"

#include <cstdint>
#include <functional>
#include <string>

// Pixel memory that is released again unless a finished reader keeps it.
class PixelBlock {
public:
    PixelBlock(int64_t size, bool useFMO);
    ~PixelBlock();
    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;

    uint8_t* Bits() const { return FBits; }
    // Moves the memory into infos; the block no longer releases it.
    void HandOver(TFvDIBInfos& infos, int64_t size);

private:
    HFILEMAPPING FFile = nullptr;
    uint8_t* FBits = nullptr;
    bool FUseFMO;
};

// The 40-byte header and colour table of a 12-byte header and its triples.
void ConvertCoreHeader(const BITMAPCOREHEADER& core, const RGBTRIPLE* triples, TFvDIBInfos& infos);

// Width > 0, height neither 0 nor -2^31, and stride x |height| within 2^31 - 1.
bool PictureFits(int64_t width, int64_t height, int bitCount);

// The red, green and blue masks of 16- or 32-bit data: the defaults without
// compression, the given ones with bit fields. False for other compressions
// and for a zero mask.
bool ChannelMasks(const BITMAPINFOHEADER& head, const uint32_t* fileMasks, uint32_t masks[3]);

// Bytes per source row of 16- or 32-bit data.
int64_t SourceStride(int64_t width, int bitCount);

// Rebuilds 16- or 32-bit data as 24-bit rows, in the data's row order.
// readRow fills one source row of SourceStride bytes at a time.
void ConvertTo24Bits(TFvDIBInfos& infos, const uint32_t masks[3], bool useFMO,
                     const std::function<void(uint8_t* row)>& readRow);
