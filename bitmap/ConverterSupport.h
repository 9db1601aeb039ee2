// What every converter shares: checked row access to an uncompressed source,
// result pixel memory that is released unless it was handed over, and the
// result record made from the source.
#pragma once

#include "bitmap/InternalDIB.h"

#include <cstdint>
#include <string>

// Raises EFvDIBBadDIBType with Message unless the source has this bit count
// and compression.
void RequireFormat(const TFvDIBInfos& Source, int BitCount, uint32_t Compression, const char* Message);

// The number of rows, whatever the storage order.
int64_t AbsHeight(const TFvDIBInfos& Infos);

// The uncompressed rows of a source, in memory order.
struct TFvSourceRows {
    const uint8_t* Bits;
    int64_t Width;
    int64_t Height;
    int64_t Stride;

    const uint8_t* Row(int64_t Y) const { return Bits + Stride * Y; }
};

// Checks that the header describes a picture and that the pixel memory holds
// all its rows; raises EFvDIBInvalidDIB "<Operation>: Invalid DIB Size" otherwise.
TFvSourceRows UncompressedRows(const TFvDIBInfos& Source, const std::string& Operation);
// Only the header check of UncompressedRows, for compressed sources.
void RequirePictureSize(const TFvDIBInfos& Source, const std::string& Operation);

// Zeroed pixel memory from GetMemory, released when this object goes unless
// it was handed over to a record.
class TFvOwnedBits {
public:
    TFvOwnedBits(int64_t Size, bool UseFMO);
    ~TFvOwnedBits();
    TFvOwnedBits(const TFvOwnedBits&) = delete;
    TFvOwnedBits& operator=(const TFvOwnedBits&) = delete;

    uint8_t* Bits() const { return FBits; }
    int64_t Size() const { return FSize; }
    // Stores BitsSize, hFile and pBits in Record and lets go of the memory.
    void HandOver(TFvDIBInfos& Record);

private:
    HFILEMAPPING FFile = nullptr;
    uint8_t* FBits = nullptr;
    int64_t FSize;
    bool FUseFMO;
};

// Uncompressed rows of BitCount bits for the source's picture, zeroed.
class TFvResultRows : public TFvOwnedBits {
public:
    TFvResultRows(const TFvDIBInfos& Source, int BitCount, bool UseFMO);

    uint8_t* Row(int64_t Y) const { return Bits() + Stride * Y; }
    // The source record with this memory, the bit count, BI_RGB and biSizeImage 0.
    TFvDIBInfos HandOverAsResult(const TFvDIBInfos& Source);

    const int64_t Stride;
    const int BitCount;
};

// Colour-table entries 0 black and 1 white, biClrUsed 2.
void SetBlackAndWhiteTable(TFvDIBInfos& Infos);
