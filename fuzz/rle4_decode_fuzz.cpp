// Arbitrary BI_RLE4 streams through the decoder and back through the encoder.
#include "RleRoundTrip.h"

namespace {

// A run may fill the spare nibble of an odd-width row; only the pixels must agree.
bool SamePixels(const TFvDIBInfos& a, const TFvDIBInfos& b)
{
    const BITMAPINFOHEADER& head = a.W3Head();
    const int64_t stride = DIBStride(head.biWidth, 4);
    for (int64_t y = 0; y < head.biHeight; ++y)
        for (int64_t x = 0; x < head.biWidth; ++x) {
            const int shift = (x & 1) != 0 ? 0 : 4;
            const uint8_t pa = a.pBits[stride * y + x / 2];
            const uint8_t pb = b.pBits[stride * y + x / 2];
            if (((pa >> shift) & 15) != ((pb >> shift) & 15))
                return false;
        }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return RleRoundTrip(data, size, 4, BI_RLE4, Convert4BitRLETo4BitRGB, Convert4BitRGBTo4BitRLE, SamePixels);
}
