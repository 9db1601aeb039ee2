// The RLE fuzz targets' shared body: decode arbitrary data as the stream of a
// small picture; whatever decodes is encoded again and must decode to the
// same pixels.
#pragma once

#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <cstdlib>
#include <cstring>

struct TOwnedInfos {
    TFvDIBInfos Infos;
    ~TOwnedInfos()
    {
        if (Infos.pBits != nullptr)
            ReleaseMemory(Infos.hFile, Infos.pBits, false);
    }
};

using TRleConverter = void (*)(const TFvDIBInfos&, TFvDIBInfos&, bool);
using TSamePixels = bool (*)(const TFvDIBInfos& a, const TFvDIBInfos& b);

inline int RleRoundTrip(const uint8_t* data, size_t size, int bitCount, DWORD compression, TRleConverter decode,
                        TRleConverter encode, TSamePixels samePixels)
{
    if (size < 3 || size > 4096)
        return 0;
    TOwnedInfos in;
    BITMAPINFOHEADER& head = in.Infos.W3Head();
    head.biSize = 40;
    head.biWidth = 1 + data[0] % 64;
    head.biHeight = 1 + data[1] % 64;
    head.biPlanes = 1;
    head.biBitCount = static_cast<WORD>(bitCount);
    head.biCompression = (data[2] & 1) != 0 ? compression : BI_RGB;
    const size_t streamSize = size - 3;
    GetMemory(streamSize > 0 ? static_cast<int64_t>(streamSize) : 1, in.Infos.hFile, in.Infos.pBits, false);
    if (streamSize > 0)
        std::memcpy(in.Infos.pBits, data + 3, streamSize);
    in.Infos.BitsSize = static_cast<int32_t>(streamSize);

    TOwnedInfos rows;
    try {
        decode(in.Infos, rows.Infos, false);
    } catch (const EFvDIBError&) {
        return 0;
    }
    if (rows.Infos.BitsSize != DIBStride(head.biWidth, bitCount) * head.biHeight)
        std::abort();
    TOwnedInfos stream, again;
    try {
        encode(rows.Infos, stream.Infos, false);
    } catch (const EFvDIBCompressionFailed&) {
        return 0;
    }
    decode(stream.Infos, again.Infos, false);
    if (!samePixels(rows.Infos, again.Infos))
        std::abort();
    return 0;
}
