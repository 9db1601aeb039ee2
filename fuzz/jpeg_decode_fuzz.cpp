// Loads arbitrary bytes as a JPEG file and decodes them with a few option
// sets chosen by the first byte. Library errors are expected; crashes,
// leaks and out-of-bounds access are not.
#include "jpeg/jpegSIMD.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 65536)
        return 0;
    const uint8_t options = data[0];
    TMemoryStream stream;
    stream.WriteBuffer(data + 1, static_cast<int64_t>(size - 1));
    stream.SetPosition(0);
    TJPEGImage jpeg;
    jpeg.SetPixelFormat(options & 1 ? jf8Bit : jf24Bit);
    jpeg.SetPerformance(options & 2 ? jpBestSpeed : jpBestQuality);
    jpeg.SetProgressiveDisplay(options & 4);
    jpeg.SetGrayscale(options & 8);
    jpeg.SetSmoothing(options & 16);
    try {
        jpeg.LoadFromStream(stream);
        // Pictures past a megapixel that a bitmap could hold only cost time
        // and memory here. Larger ones must be refused before anything is
        // decoded, which is quick, so they go on at full size.
        const int64_t pixels = static_cast<int64_t>(jpeg.Width()) * jpeg.Height();
        if (pixels > 1'000'000) {
            if (BitmapSizeFits(jpeg.Width(), jpeg.Height(), 8))
                return 0;
        } else {
            jpeg.SetScale(static_cast<TJPEGScale>((options >> 5) & 3));
        }
        jpeg.DIBNeeded();
    } catch (const Exception&) {
    }
    return 0;
}
