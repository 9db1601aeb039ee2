// CF_DIB clipboard blocks: a header, masks for bit fields, the colour table
// and the pixels up to the end of the block. Blocks come from other programs,
// so every size is checked against the block's real size.
#include "bitmap/DIBReading.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Keeps the block locked for the time of reading.
class BlockLock {
public:
    explicit BlockLock(HGLOBAL block) : FBlock(block), FBytes(static_cast<const uint8_t*>(GlobalLock(block))) {}
    ~BlockLock()
    {
        if (FBytes)
            GlobalUnlock(FBlock);
    }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    const uint8_t* Bytes() const { return FBytes; }

private:
    HGLOBAL FBlock;
    const uint8_t* FBytes;
};

[[noreturn]] void InvalidData()
{
    throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
}

} // namespace

void TFvInternalDIB::LoadFromClipboardFormat(HGLOBAL Block)
{
    const BlockLock lock(Block);
    const uint8_t* bytes = lock.Bytes();
    const int64_t blockSize = static_cast<int64_t>(GlobalSize(Block));
    if (!bytes || blockSize < 4)
        InvalidData();

    TFvDIBInfos infos;
    BITMAPINFOHEADER& head = infos.W3Head();
    uint32_t fileMasks[3] = {};
    uint32_t headerSize;
    std::memcpy(&headerSize, bytes, 4);
    int64_t headerPart = 0;
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
        if (blockSize < headerSize)
            InvalidData();
        std::memcpy(&head, bytes, sizeof head);
        const int64_t entries = head.biClrUsed ? head.biClrUsed : NumColorsOf(head.biBitCount);
        const bool bitFields = head.biCompression == BI_BITFIELDS;
        headerPart = 40 + 4 * entries + (bitFields ? 12 : 0);
        if (blockSize < headerPart)
            InvalidData();
        if (bitFields)
            std::memcpy(fileMasks, bytes + 40, sizeof fileMasks);
        const int64_t stored = std::min<int64_t>(entries, 256);
        std::memcpy(infos.W3HeadInfo.bmiColors, bytes + 40 + (bitFields ? 12 : 0), static_cast<size_t>(4 * stored));
        if (head.biXPelsPerMeter == 0)
            head.biXPelsPerMeter = 3780;
        if (head.biYPelsPerMeter == 0)
            head.biYPelsPerMeter = 3780;
        head.biClrUsed = static_cast<DWORD>(stored);
    } else if (headerSize == sizeof(BITMAPCOREHEADER)) {
        if (blockSize < headerSize)
            InvalidData();
        BITMAPCOREHEADER core;
        std::memcpy(&core, bytes, sizeof core);
        const int entries = NumColorsOf(core.bcBitCount);
        headerPart = 12 + 3 * entries;
        if (blockSize < headerPart)
            InvalidData();
        RGBTRIPLE triples[256];
        std::memcpy(triples, bytes + 12, static_cast<size_t>(3 * entries));
        ConvertCoreHeader(core, triples, infos);
    } else {
        throw EFvDIBInvalidDIB("TFvDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    }

    const uint8_t* pixels = bytes + headerPart;
    const int64_t dataSize = blockSize - headerPart;
    const int bitCount = head.biBitCount;
    if (!PictureFits(head.biWidth, head.biHeight, 1))
        throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    if (bitCount == 16 || bitCount == 32) {
        if (!PictureFits(head.biWidth, head.biHeight, bitCount) || !PictureFits(head.biWidth, head.biHeight, 24))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
        uint32_t masks[3];
        if (!ChannelMasks(head, fileMasks, masks))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid Masks");
        const int64_t stride = SourceStride(head.biWidth, bitCount);
        if (dataSize < stride * std::abs(static_cast<int64_t>(head.biHeight)))
            InvalidData();
        const uint8_t* row = pixels;
        ConvertTo24Bits(infos, masks, UseFMO, [&](uint8_t* target) {
            std::memcpy(target, row, static_cast<size_t>(stride));
            row += stride;
        });
    } else if (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24) {
        if (!PictureFits(head.biWidth, head.biHeight, bitCount))
            throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
        // Uncompressed data that stops short is padded with black rows.
        const int64_t rows = DIBStride(head.biWidth, bitCount) * std::abs(static_cast<int64_t>(head.biHeight));
        const int64_t size = head.biCompression == BI_RGB ? std::max(dataSize, rows) : dataSize;
        PixelBlock block(size, UseFMO);
        if (dataSize > 0)
            std::memcpy(block.Bits(), pixels, static_cast<size_t>(dataSize));
        block.HandOver(infos, size);
    } else {
        throw EFvDIBInvalidDIB("TFvInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    }
    TakeDIBInfos(infos);
}

HGLOBAL TFvInternalDIB::SaveToClipboardFormat() const
{
    const size_t tableSize = 4 * std::min<size_t>(DIBInfos.W3Head().biClrUsed, 256);
    const size_t headerPart = sizeof(BITMAPINFOHEADER) + tableSize;
    const size_t bitsSize = static_cast<size_t>(DIBInfos.BitsSize);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, headerPart + bitsSize);
    if (!block)
        throw EOutOfMemory("TFvInternalDIB.SaveToClipboardFormat: Out Of Memory");
    auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
    std::memcpy(bytes, &DIBInfos.W3HeadInfo, headerPart);
    if (bitsSize)
        std::memcpy(bytes + headerPart, DIBInfos.pBits, bitsSize);
    GlobalUnlock(block);
    return block;
}
