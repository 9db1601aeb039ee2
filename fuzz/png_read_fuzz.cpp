// Loads arbitrary bytes as a PNG file and copies the picture into a bitmap.
// Decoding errors are expected; crashes, leaks and out-of-bounds access are not.
#include "platform/core/Exceptions.h"
#include "platform/graphics/PngImage.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

uint32_t BigEndian(const uint8_t* at)
{
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

// Almost every mutation would die at a chunk's CRC check; every whole chunk
// after the signature gets the CRC of its type and data, so mutations reach
// the decoder.
void RepairChunkCrcs(std::vector<uint8_t>& file)
{
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = BigEndian(&file[at]);
        if (length > file.size() - at - 12)
            return;
        const uLong crc = crc32(0, &file[at + 4], static_cast<uInt>(length + 4));
        const size_t end = at + 8 + length;
        for (int i = 0; i < 4; ++i)
            file[end + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        at = end + 4;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    // Pictures past a megapixel (IHDR's width and height) that a bitmap could
    // hold only cost time and memory here. Larger ones must be refused before
    // anything is decoded, which is quick, so they go on.
    if (size >= 24) {
        const uint32_t width = BigEndian(data + 16);
        const uint32_t height = BigEndian(data + 20);
        if (uint64_t{width} * height > 1'000'000 && BitmapSizeFits(width, height, 1))
            return 0;
    }
    std::vector<uint8_t> file(data, data + size);
    RepairChunkCrcs(file);
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(0);
    TPngImage png;
    try {
        png.LoadFromStream(stream);
        TBitmap bitmap;
        bitmap.Assign(&png);
    } catch (const Exception&) {
    }
    return 0;
}
