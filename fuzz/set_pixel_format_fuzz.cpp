// Converts small bitmaps of arbitrary content between arbitrary pixel
// formats. A conversion that fails must leave the storage as it was; one
// that widens must keep every pixel's colour; reduced indexes must lie
// within the new palette.
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Every pixel's colour, top row first, as B, G, R.
std::vector<uint8_t> Colors(const TFvInternalDIB& Dib)
{
    const auto copy = Dib.Clone(false);
    copy->SetPixelFormat(fvPf24Bit, fvCmNormal, nullptr, 0xFFFFFF);
    const BITMAPINFOHEADER& head = copy->DIBInfos.W3Head();
    const int64_t stride = DIBStride(head.biWidth, 24);
    std::vector<uint8_t> colors;
    for (int64_t y = 0; y < copy->Height; ++y) {
        const int64_t row = head.biHeight > 0 ? copy->Height - 1 - y : y;
        const uint8_t* p = copy->DIBInfos.pBits + stride * row;
        colors.insert(colors.end(), p, p + 3 * int64_t{head.biWidth});
    }
    return colors;
}

struct TSnapshot {
    std::vector<uint8_t> Header;
    std::vector<uint8_t> Bits;
    explicit TSnapshot(const TFvInternalDIB& Dib)
        : Header(Dib.DIBInfos.Dummy, Dib.DIBInfos.Dummy + sizeof(Dib.DIBInfos.Dummy)),
          Bits(Dib.DIBInfos.pBits, Dib.DIBInfos.pBits + Dib.DIBInfos.BitsSize)
    {
    }
    bool operator==(const TSnapshot&) const = default;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8 || size > 8192)
        return 0;
    const auto source = static_cast<TFvPixelFormat>(data[0] % 6);
    const auto target = static_cast<TFvPixelFormat>(data[1] % 8);
    const TFvConvertMode mode = (data[2] & 1) != 0 ? fvCmFine : fvCmNormal;
    const int width = 1 + data[3] % 40;
    const int height = (1 + data[4] % 20) * ((data[4] & 0x80) != 0 ? -1 : 1);
    const uint32_t background = data[5] | data[6] << 8 | data[7] << 16;
    const uint8_t* payload = data + 8;
    const size_t payloadSize = size - 8;
    size_t next = 0;
    const auto take = [&] { return payloadSize == 0 ? uint8_t{0} : payload[next++ % payloadSize]; };

    TFvInternalDIB dib(false);
    dib.FreeDIB();
    const int bits = BitsOfFormat(source);
    dib.CreateDIB(width, height, bits == 24 ? 0 : NumColorsOf(bits), bits);
    for (RGBQUAD& c : dib.DIBInfos.W3HeadInfo.bmiColors)
        c = RGBQUAD{take(), take(), take(), 0};
    for (int32_t i = 0; i < dib.DIBInfos.BitsSize; ++i)
        dib.DIBInfos.pBits[i] = take();
    try {
        if (source == fvPf4BitRLE || source == fvPf8BitRLE)
            dib.SetPixelFormat(source, mode, nullptr, background);
    } catch (const EFvDIBCompressionFailed&) {
        return 0;
    }

    const TSnapshot before(dib);
    const bool widening = target <= fvPf24Bit && BitsOfFormat(target) >= bits;
    const std::vector<uint8_t> colors = widening ? Colors(dib) : std::vector<uint8_t>();
    int steps = 0;
    try {
        dib.SetPixelFormat(target, mode, [&] { ++steps; }, background);
    } catch (const EFvDIBError&) {
        if (!(TSnapshot(dib) == before))
            std::abort();
        return 0;
    }

    const TFvPixelFormat expected = target == fvPfHalftone ? fvPf8Bit : target == fvPfHalftoneBW ? fvPf1Bit : target;
    const BITMAPINFOHEADER& head = dib.DIBInfos.W3Head();
    if (dib.GetPixelFormat() != expected || head.biWidth != width || dib.Width != width ||
        dib.Height != (height < 0 ? -height : height))
        std::abort();
    if (widening && Colors(dib) != colors)
        std::abort();
    const bool reduced =
        (bits == 24 || bits == 8) && (target == fvPf4Bit || target == fvPf8Bit) && bits > BitsOfFormat(target);
    if (reduced) {
        if (steps != (target == fvPf4Bit ? 16 : 256))
            std::abort();
        const int64_t stride = DIBStride(width, BitsOfFormat(target));
        for (int64_t y = 0; y < dib.Height; ++y)
            for (int64_t x = 0; x < width; ++x) {
                const uint8_t byte = dib.DIBInfos.pBits[stride * y + (target == fvPf4Bit ? x / 2 : x)];
                const unsigned index = target == fvPf8Bit ? byte : (x & 1) != 0 ? byte & 15u : byte >> 4u;
                if (index >= head.biClrUsed)
                    std::abort();
            }
    }
    return 0;
}
