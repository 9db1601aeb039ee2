// Decodes arbitrary BI_RLE4 streams for small pictures; whatever decodes is
// encoded again and must decode to the same rows.
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <cstdlib>
#include <cstring>

namespace {

struct TOwned {
    TFvDIBInfos Infos;
    ~TOwned()
    {
        if (Infos.pBits != nullptr)
            ReleaseMemory(Infos.hFile, Infos.pBits, false);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > 4096)
        return 0;
    TOwned in;
    BITMAPINFOHEADER& head = in.Infos.W3Head();
    head.biSize = 40;
    head.biWidth = 1 + data[0] % 64;
    head.biHeight = 1 + data[1] % 64;
    head.biPlanes = 1;
    head.biBitCount = 4;
    head.biCompression = (data[2] & 1) != 0 ? BI_RLE4 : BI_RGB;
    const size_t streamSize = size - 3;
    GetMemory(streamSize > 0 ? static_cast<int64_t>(streamSize) : 1, in.Infos.hFile, in.Infos.pBits, false);
    if (streamSize > 0)
        std::memcpy(in.Infos.pBits, data + 3, streamSize);
    in.Infos.BitsSize = static_cast<int32_t>(streamSize);

    TOwned rows;
    try {
        Convert4BitRLETo4BitRGB(in.Infos, rows.Infos, false);
    } catch (const EFvDIBError&) {
        return 0;
    }
    if (rows.Infos.BitsSize != DIBStride(head.biWidth, 4) * head.biHeight)
        std::abort();
    TOwned stream, again;
    try {
        Convert4BitRGBTo4BitRLE(rows.Infos, stream.Infos, false);
    } catch (const EFvDIBCompressionFailed&) {
        return 0;
    }
    Convert4BitRLETo4BitRGB(stream.Infos, again.Infos, false);
    // A run may fill the spare nibble of an odd-width row; only the pixels must agree.
    const int64_t stride = DIBStride(head.biWidth, 4);
    for (int64_t y = 0; y < head.biHeight; ++y)
        for (int64_t x = 0; x < head.biWidth; ++x) {
            const int shift = (x & 1) != 0 ? 0 : 4;
            const uint8_t a = rows.Infos.pBits[stride * y + x / 2], b = again.Infos.pBits[stride * y + x / 2];
            if (((a >> shift) & 15) != ((b >> shift) & 15))
                std::abort();
        }
    return 0;
}
