// Reading a BMP file from a stream: 40-byte and 12-byte headers, 1 to 32 bits,
// RLE data kept as read, 16 and 32 bits rebuilt as 24 bits.
#include "bitmap/DIBReading.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int64_t FileHeaderSize = 14;

bool ValidInfoBitCount(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

bool ValidCoreBitCount(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

void CheckOffBits(uint32_t offBits, int64_t headersSize)
{
    if (offBits < headersSize)
        throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromFile: bfOffBits is too small");
}

// A stream too short for the pixels fails as its read would, but before
// memory for a picture that a few header bytes claim has been obtained.
void RequireBytes(TStream& stream, int64_t count)
{
    if (count > stream.Size() - stream.Position())
        throw EReadError("Stream read error");
}

} // namespace

void TFvInternalDIB::LoadFromStream(TStream& Stream)
{
    const int64_t start = Stream.Position();
    BITMAPFILEHEADER fileHead;
    Stream.ReadBuffer(&fileHead, sizeof fileHead);
    if (fileHead.bfType != BFT_BITMAP)
        throw EFvDIBInvalidDIBFile("TFvInternalDIB.LoadFromFile: File type is invalid");

    TFvDIBInfos infos;
    BITMAPINFOHEADER& head = infos.W3Head();
    uint32_t fileMasks[3] = {};
    // A negative difference counts as no data.
    const int64_t dataSize =
        std::max<int64_t>(0, static_cast<int64_t>(fileHead.bfSize) - static_cast<int64_t>(fileHead.bfOffBits));

    uint32_t headerSize = 0;
    Stream.ReadBuffer(&headerSize, 4);
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
        head.biSize = headerSize;
        Stream.ReadBuffer(reinterpret_cast<uint8_t*>(&head) + 4, sizeof(BITMAPINFOHEADER) - 4);
        if (head.biXPelsPerMeter == 0)
            head.biXPelsPerMeter = 3780;
        if (head.biYPelsPerMeter == 0)
            head.biYPelsPerMeter = 3780;
        if (!ValidInfoBitCount(head.biBitCount))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromStream: Invalid BitCout");
        const int64_t entries = head.biClrUsed ? head.biClrUsed : NumColorsOf(head.biBitCount);
        const bool bitFields = head.biCompression == BI_BITFIELDS;
        if (bitFields)
            Stream.ReadBuffer(fileMasks, sizeof fileMasks);
        const int64_t stored = std::min<int64_t>(entries, 256);
        Stream.ReadBuffer(infos.W3HeadInfo.bmiColors, 4 * stored);
        if (entries > 256)
            Stream.Seek(4 * (entries - 256), TSeekOrigin::soCurrent);
        CheckOffBits(fileHead.bfOffBits, FileHeaderSize + 40 + 4 * entries + (bitFields ? 12 : 0));
        Stream.Seek(start + fileHead.bfOffBits, TSeekOrigin::soBeginning);
        head.biClrUsed = static_cast<DWORD>(stored);
    } else if (headerSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        core.bcSize = headerSize;
        Stream.ReadBuffer(reinterpret_cast<uint8_t*>(&core) + 4, sizeof(BITMAPCOREHEADER) - 4);
        if (!ValidCoreBitCount(core.bcBitCount))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromStream: Invalid BitCount");
        const int entries = NumColorsOf(core.bcBitCount);
        RGBTRIPLE triples[256];
        Stream.ReadBuffer(triples, 3 * entries);
        CheckOffBits(fileHead.bfOffBits, FileHeaderSize + 12 + 3 * entries);
        Stream.Seek(start + fileHead.bfOffBits, TSeekOrigin::soBeginning);
        ConvertCoreHeader(core, triples, infos);
    } else {
        throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    }

    const int bitCount = head.biBitCount;
    const bool wide = bitCount == 16 || bitCount == 32;
    if (!PictureFits(head.biWidth, head.biHeight, bitCount) || (wide && !PictureFits(head.biWidth, head.biHeight, 24)))
        throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromStream: Invalid Width or Height");

    if (wide) {
        uint32_t masks[3];
        if (!ChannelMasks(head, fileMasks, masks))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromStream: Invalid Masks");
        const int64_t stride = SourceStride(head.biWidth, bitCount);
        RequireBytes(Stream, stride * std::abs(static_cast<int64_t>(head.biHeight)));
        ConvertTo24Bits(infos, masks, UseFMO, [&](uint8_t* row) { Stream.ReadBuffer(row, stride); });
    } else {
        // Uncompressed data that stops short is padded with black rows.
        const int64_t rows = DIBStride(head.biWidth, bitCount) * std::abs(static_cast<int64_t>(head.biHeight));
        const int64_t size = head.biCompression == BI_RGB ? std::max(dataSize, rows) : dataSize;
        RequireBytes(Stream, dataSize);
        PixelBlock block(size, UseFMO);
        Stream.ReadBuffer(block.Bits(), dataSize);
        block.HandOver(infos, size);
    }
    TakeDIBInfos(infos);
}
