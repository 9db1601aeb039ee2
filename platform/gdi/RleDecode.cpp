#include "platform/gdi/RleDecode.h"

#include <algorithm>
#include <cstring>

namespace {

// Walks the stream, handing each run and each literal to sink with its place
// (x from the left, y from the bottom, always below height), until the data
// or the picture ends. Nothing is read past size.
template <class Sink>
void WalkRle(const uint8_t* data, size_t size, bool rle4, int height, const Sink& sink)
{
    size_t pos = 0;
    int64_t x = 0;
    int64_t y = 0;
    while (pos + 2 <= size && y < height) {
        const uint8_t count = data[pos];
        const uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            sink.Run(x, y, count, value);
            x += count;
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
            sink.Literal(x, y, value, data + pos);
            x += value;
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
}

// Pixel i of a run of value: RLE4 alternates its high and low nibble.
uint8_t RunPixel(bool rle4, unsigned i, uint8_t value)
{
    return rle4 ? static_cast<uint8_t>((i & 1) ? value & 0x0F : value >> 4) : value;
}

// One index a byte, the top row first; pixels past the right edge are dropped.
class IndexRows {
public:
    IndexRows(uint8_t* out, size_t stride, int width, int height, bool rle4)
        : FOut(out), FStride(stride), FWidth(width), FHeight(height), FRle4(rle4)
    {
    }

    void Run(int64_t x, int64_t y, unsigned count, uint8_t value) const
    {
        uint8_t* row = Row(y);
        for (unsigned i = 0; i < count && x + i < FWidth; ++i)
            row[x + i] = RunPixel(FRle4, i, value);
    }

    void Literal(int64_t x, int64_t y, unsigned count, const uint8_t* bytes) const
    {
        uint8_t* row = Row(y);
        for (unsigned i = 0; i < count && x + i < FWidth; ++i)
            row[x + i] = FRle4 ? RunPixel(true, i, bytes[i / 2]) : bytes[i];
    }

private:
    uint8_t* Row(int64_t y) const { return FOut + static_cast<size_t>(FHeight - 1 - y) * FStride; }

    uint8_t* FOut;
    size_t FStride;
    int FWidth;
    int FHeight;
    bool FRle4;
};

// Rows of the stream's own depth, bottom-up; writes the pixels of a run or a
// literal that fall inside [0, width) of row y.
class PackedRows {
public:
    PackedRows(uint8_t* out, size_t stride, int width, bool rle4)
        : FOut(out), FStride(stride), FWidth(width), FRle4(rle4)
    {
    }

    void Run(int64_t x, int64_t y, unsigned count, uint8_t value) const
    {
        uint8_t* row = Row(y);
        int64_t from = x;
        const int64_t to = std::min<int64_t>(x + count, FWidth);
        if (from >= to)
            return;
        if (!FRle4) {
            std::memset(row + from, value, static_cast<size_t>(to - from));
            return;
        }
        const auto pixel = [&](int64_t p) { return RunPixel(true, static_cast<unsigned>(p - x), value); };
        if (from & 1) {
            Nibble(row, from, pixel(from));
            ++from;
        }
        const int64_t pairs = (to - from) / 2;
        const uint8_t pair = static_cast<uint8_t>(pixel(from) << 4 | pixel(from + 1));
        std::memset(row + from / 2, pair, static_cast<size_t>(pairs));
        if (from + 2 * pairs < to)
            Nibble(row, to - 1, pixel(to - 1));
    }

    void Literal(int64_t x, int64_t y, unsigned count, const uint8_t* bytes) const
    {
        uint8_t* row = Row(y);
        if (!FRle4) {
            const int64_t to = std::min<int64_t>(x + count, FWidth);
            if (x < to)
                std::memcpy(row + x, bytes, static_cast<size_t>(to - x));
            return;
        }
        for (unsigned i = 0; i < count && x + i < FWidth; ++i)
            Nibble(row, x + i, RunPixel(true, i, bytes[i / 2]));
    }

private:
    uint8_t* Row(int64_t y) const { return FOut + static_cast<size_t>(y) * FStride; }

    static void Nibble(uint8_t* row, int64_t p, unsigned index)
    {
        uint8_t& byte = row[p / 2];
        byte = (p & 1) ? static_cast<uint8_t>((byte & 0xF0) | index) : static_cast<uint8_t>((byte & 0x0F) | index << 4);
    }

    uint8_t* FOut;
    size_t FStride;
    int FWidth;
    bool FRle4;
};

} // namespace

void DecodeRle(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out, size_t stride)
{
    WalkRle(data, size, rle4, height, IndexRows(out, stride, width, height, rle4));
}

void DecodeRlePacked(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out,
                     size_t stride)
{
    WalkRle(data, size, rle4, height, PackedRows(out, stride, width, rle4));
}
