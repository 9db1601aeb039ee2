// Pixel memory guard, core headers, picture limits and the 16/32-bit to
// 24-bit conversion of the BMP and CF_DIB readers.
#include "bitmap/DIBReading.h"

#include <cstdlib>
#include <limits>
#include <vector>

PixelBlock::PixelBlock(int64_t size, bool useFMO) : FUseFMO(useFMO)
{
    GetMemory(size, FFile, FBits, useFMO);
}

PixelBlock::~PixelBlock()
{
    if (FBits)
        ReleaseMemory(FFile, FBits, FUseFMO);
}

void PixelBlock::HandOver(TFvDIBInfos& infos, int64_t size)
{
    infos.BitsSize = static_cast<int32_t>(size);
    infos.hFile = FFile;
    infos.pBits = FBits;
    FFile = nullptr;
    FBits = nullptr;
}

void ConvertCoreHeader(const BITMAPCOREHEADER& core, const RGBTRIPLE* triples, TFvDIBInfos& infos)
{
    BITMAPINFOHEADER& head = infos.W3Head();
    head = BITMAPINFOHEADER{};
    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biWidth = core.bcWidth;
    head.biHeight = core.bcHeight;
    head.biPlanes = core.bcPlanes;
    head.biBitCount = core.bcBitCount;
    head.biCompression = BI_RGB;
    head.biXPelsPerMeter = 3780;
    head.biYPelsPerMeter = 3780;
    head.biClrUsed = static_cast<DWORD>(NumColorsOf(core.bcBitCount));
    for (DWORD i = 0; i < head.biClrUsed; ++i)
        infos.W3HeadInfo.bmiColors[i] = RGBQUAD{triples[i].rgbtBlue, triples[i].rgbtGreen, triples[i].rgbtRed, 0};
}

bool PictureFits(int64_t width, int64_t height, int bitCount)
{
    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min())
        return false;
    // Divided rather than multiplied: the product of two 32-bit extents overflows 64 bits.
    return DIBStride(width, bitCount) <= std::numeric_limits<int32_t>::max() / std::abs(height);
}

bool ChannelMasks(const BITMAPINFOHEADER& head, const uint32_t* fileMasks, uint32_t masks[3])
{
    if (head.biCompression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i)
            masks[i] = fileMasks[i];
    } else if (head.biCompression == BI_RGB && head.biBitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else if (head.biCompression == BI_RGB) {
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    } else {
        return false;
    }
    return masks[0] != 0 && masks[1] != 0 && masks[2] != 0;
}

int64_t SourceStride(int64_t width, int bitCount)
{
    return (bitCount / 8 * width + 3) / 4 * 4;
}

namespace {

// How far a mask moves so that its highest bit lands on bit 7 (positive:
// to the right), and the moved mask (128..255) that divides the channel.
struct Channel {
    uint32_t Mask;
    int Shift;
    uint32_t Divisor;

    explicit Channel(uint32_t mask) : Mask(mask), Shift(0), Divisor(mask)
    {
        while (Divisor >= 256) {
            Divisor >>= 1;
            ++Shift;
        }
        while (Divisor < 128) {
            Divisor <<= 1;
            --Shift;
        }
    }

    uint8_t operator()(uint32_t value) const
    {
        const uint32_t bits = value & Mask;
        const uint32_t moved = Shift >= 0 ? bits >> Shift : bits << -Shift;
        return static_cast<uint8_t>(moved * 255 / Divisor);
    }
};

} // namespace

void ConvertTo24Bits(TFvDIBInfos& infos, const uint32_t masks[3], bool useFMO,
                     const std::function<void(uint8_t* row)>& readRow)
{
    BITMAPINFOHEADER& head = infos.W3Head();
    const int bitCount = head.biBitCount;
    const int64_t width = head.biWidth;
    const int64_t height = std::abs(static_cast<int64_t>(head.biHeight));
    const int64_t targetStride = DIBStride(width, 24);
    const int64_t size = targetStride * height;
    PixelBlock block(size, useFMO);

    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    std::vector<uint8_t> source(static_cast<size_t>(SourceStride(width, bitCount)));
    for (int64_t y = 0; y < height; ++y) {
        readRow(source.data());
        uint8_t* target = block.Bits() + y * targetStride;
        const uint8_t* pixel = source.data();
        if (bitCount == 16) {
            for (int64_t x = 0; x < width; ++x, pixel += 2, target += 3) {
                const uint32_t value = pixel[0] | (pixel[1] << 8);
                target[0] = blue(value);
                target[1] = green(value);
                target[2] = red(value);
            }
        } else {
            for (int64_t x = 0; x < width; ++x, pixel += 4, target += 3) {
                const uint32_t value = pixel[0] | (pixel[1] << 8) | (pixel[2] << 16) |
                                       (static_cast<uint32_t>(pixel[3]) << 24);
                target[0] = blue(value);
                target[1] = green(value);
                target[2] = red(value);
            }
        }
    }
    block.HandOver(infos, size);
    head.biCompression = BI_RGB;
    head.biBitCount = 24;
    head.biSizeImage = 0;
}
