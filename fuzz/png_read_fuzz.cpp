// Loads arbitrary bytes as a PNG file and copies the picture into a bitmap.
// Decoding errors are expected; crashes, leaks and out-of-bounds access are not.
#include "platform/core/Exceptions.h"
#include "platform/graphics/PngImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    // Pictures beyond a megapixel (IHDR's width and height) only cost time and memory here.
    if (size >= 24) {
        auto word = [&](size_t at) {
            return uint64_t{data[at]} << 24 | uint64_t{data[at + 1]} << 16 | uint64_t{data[at + 2]} << 8 | data[at + 3];
        };
        if (word(16) * word(20) > 1'000'000)
            return 0;
    }
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
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
