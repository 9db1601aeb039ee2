// Arbitrary RLE4 and RLE8 data of a small picture expanded for drawing must
// give, pixel for pixel, what StretchDIBits' own decoding gives, and leave
// the rows' padding zero.
#include "platform/gdi/DibLayout.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/RleDecode.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > 4096)
        return 0;
    const int width = 1 + data[0] % 64;
    const int height = 1 + data[1] % 64;
    const bool rle4 = (data[2] & 1) != 0;
    const int bits = rle4 ? 4 : 8;
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits),
                                      rle4 ? BI_RLE4 : BI_RLE8, 0, 0, 0, 0, 0};
    const uint8_t* stream = data + 3;
    const size_t streamSize = size - 3;

    const size_t stride = DibStride(width, bits);
    std::vector<uint8_t> packed(stride * static_cast<size_t>(height));
    if (!ExpandRleDIB(&info, stream, streamSize, packed.data(), packed.size()))
        std::abort();
    const size_t plainStride = DibStride(width, 8);
    std::vector<uint8_t> plain(plainStride * static_cast<size_t>(height));
    DecodeRle(stream, streamSize, rle4, width, height, plain.data(), plainStride);

    for (int y = 0; y < height; ++y) {
        const uint8_t* row = packed.data() + stride * static_cast<size_t>(y);
        const uint8_t* expected = plain.data() + plainStride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const unsigned index = rle4 ? (x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4) : row[x];
            if (index != expected[x])
                std::abort();
        }
        const size_t used = static_cast<size_t>(width) * static_cast<size_t>(bits) / 8;
        if (rle4 && (width & 1) && (row[width / 2] & 0x0F) != 0)
            std::abort();
        for (size_t i = used + ((rle4 && (width & 1)) ? 1 : 0); i < stride; ++i)
            if (row[i] != 0)
                std::abort();
    }
    return 0;
}
