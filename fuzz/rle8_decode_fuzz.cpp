// Arbitrary BI_RLE8 streams through the decoder and back through the encoder.
#include "RleRoundTrip.h"

namespace {

bool SameBytes(const TFvDIBInfos& a, const TFvDIBInfos& b)
{
    return std::memcmp(a.pBits, b.pBits, static_cast<size_t>(a.BitsSize)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return RleRoundTrip(data, size, 8, BI_RLE8, Convert8BitRLETo8BitRGB, Convert8BitRGBTo8BitRLE, SameBytes);
}
