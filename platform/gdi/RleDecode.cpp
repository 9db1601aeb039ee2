#include "platform/gdi/RleDecode.h"

void DecodeRle(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out, size_t stride)
{
    size_t pos = 0;
    int64_t x = 0;
    int64_t y = 0; // from the bottom
    auto put = [&](uint8_t index) {
        if (x < width && y < height)
            out[static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x)] = index;
        ++x;
    };
    while (pos + 2 <= size && y < height) {
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(rle4 ? static_cast<uint8_t>((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return;
        case 2: // move right and up
            if (pos + 2 > size)
                return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
            break;
        default: { // a run of literal pixels, padded to an even number of bytes
            const size_t bytes = rle4 ? (value + 1u) / 2 : value;
            if (pos + bytes > size)
                return;
            for (int i = 0; i < value; ++i) {
                const uint8_t b = data[pos + (rle4 ? static_cast<size_t>(i) / 2 : static_cast<size_t>(i))];
                put(rle4 ? static_cast<uint8_t>((i & 1) ? b & 0x0F : b >> 4) : b);
            }
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
}
