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
    // Screens beyond a megapixel only cost time and memory here.
    if (size >= 10 && static_cast<uint64_t>(data[6] | data[7] << 8) * static_cast<uint64_t>(data[8] | data[9] << 8) > 1'000'000)
        return 0;
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
