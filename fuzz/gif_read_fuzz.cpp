// Loads arbitrary bytes as a GIF file and copies the picture into a bitmap.
// Decoding errors are expected; crashes, leaks and out-of-bounds access are not.
#include "platform/core/Exceptions.h"
#include "platform/graphics/GifImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    // Screens past a megapixel that a bitmap could hold only cost time and
    // memory here. Larger ones must be refused before anything is decoded,
    // which is quick, so they go on.
    if (size >= 10) {
        const int width = data[6] | data[7] << 8;
        const int height = data[8] | data[9] << 8;
        if (static_cast<int64_t>(width) * height > 1'000'000 && BitmapSizeFits(width, height, 8))
            return 0;
    }
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TGIFImage gif;
    try {
        gif.LoadFromStream(stream);
        TBitmap bitmap;
        bitmap.Assign(&gif);
    } catch (const Exception&) {
    }
    return 0;
}
