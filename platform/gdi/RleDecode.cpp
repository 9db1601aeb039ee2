#include "platform/gdi/RleDecode.h"

#include <algorithm>
#include <cstring>

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

namespace {

// Writes the pixels of a run or a literal that fall inside [0, width) of one packed row.
class PackedRow {
public:
    PackedRow(uint8_t* row, int width, bool rle4) : FRow(row), FWidth(width), FRle4(rle4) {}

    // count pixels from x alternating high and low nibble of value (RLE4), or all value (RLE8).
    void Run(int64_t x, unsigned count, uint8_t value) const
    {
        int64_t from = x;
        const int64_t to = std::min<int64_t>(x + count, FWidth);
        if (from >= to)
            return;
        if (!FRle4) {
            std::memset(FRow + from, value, static_cast<size_t>(to - from));
            return;
        }
        const auto pixel = [&](int64_t p) { return ((p - x) & 1) ? value & 0x0F : value >> 4; };
        if (from & 1) {
            Nibble(from, pixel(from));
            ++from;
        }
        const int64_t pairs = (to - from) / 2;
        const uint8_t pair = static_cast<uint8_t>(pixel(from) << 4 | pixel(from + 1));
        std::memset(FRow + from / 2, pair, static_cast<size_t>(pairs));
        if (from + 2 * pairs < to)
            Nibble(to - 1, pixel(to - 1));
    }

    // count literal pixels from x taken from bytes (two a byte for RLE4).
    void Literal(int64_t x, unsigned count, const uint8_t* bytes) const
    {
        if (!FRle4) {
            const int64_t to = std::min<int64_t>(x + count, FWidth);
            if (x < to)
                std::memcpy(FRow + x, bytes, static_cast<size_t>(to - x));
            return;
        }
        for (unsigned i = 0; i < count && x + i < FWidth; ++i)
            Nibble(x + i, (i & 1) ? bytes[i / 2] & 0x0F : bytes[i / 2] >> 4);
    }

private:
    void Nibble(int64_t p, unsigned index) const
    {
        uint8_t& byte = FRow[p / 2];
        byte = (p & 1) ? static_cast<uint8_t>((byte & 0xF0) | index) : static_cast<uint8_t>((byte & 0x0F) | index << 4);
    }

    uint8_t* FRow;
    int FWidth;
    bool FRle4;
};

} // namespace

void DecodeRlePacked(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out,
                     size_t stride)
{
    size_t pos = 0;
    int64_t x = 0;
    int64_t y = 0;
    while (pos + 2 <= size && y < height) {
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        const PackedRow row(out + static_cast<size_t>(y) * stride, width, rle4);
        if (count > 0) {
            row.Run(x, count, value);
            x += count;
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++y;
            break;
        case 1:
            return;
        case 2:
            if (pos + 2 > size)
                return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
            break;
        default: {
            const size_t bytes = rle4 ? (value + 1u) / 2 : value;
            if (pos + bytes > size)
                return;
            row.Literal(x, value, data + pos);
            x += value;
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
}
