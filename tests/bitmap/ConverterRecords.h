// Records with their own heap pixel memory for the converter tests.
#pragma once

#include "bitmap/FvGraph.h"
#include "bitmap/InternalDIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// A record of the given shape; uncompressed records get zeroed rows, streams
// the given bytes. Released when it goes.
class TRecord {
public:
    TRecord() = default;
    TRecord(int Width, int Height, int Bits, int Colors = 0)
    {
        SetHeader(Width, Height, Bits, BI_RGB, Colors);
        Allocate(DIBStride(Width, Bits) * (Height < 0 ? -Height : Height));
    }
    TRecord(int Width, int Height, int Bits, uint32_t Compression, const std::vector<uint8_t>& Stream)
    {
        SetHeader(Width, Height, Bits, Compression, 0);
        Allocate(static_cast<int64_t>(Stream.size()));
        if (!Stream.empty())
            std::memcpy(Infos.pBits, Stream.data(), Stream.size());
        Infos.W3Head().biSizeImage = static_cast<DWORD>(Stream.size());
    }
    ~TRecord()
    {
        if (Infos.pBits != nullptr)
            ReleaseMemory(Infos.hFile, Infos.pBits, false);
    }
    TRecord(const TRecord&) = delete;
    TRecord& operator=(const TRecord&) = delete;

    BITMAPINFOHEADER& Head() { return Infos.W3Head(); }
    RGBQUAD& Color(int Index) { return Infos.W3HeadInfo.bmiColors[Index]; }
    // Row Y in memory order.
    uint8_t* Row(int64_t Y) { return Infos.pBits + DIBStride(Head().biWidth, Head().biBitCount) * Y; }
    std::vector<uint8_t> Bytes() const
    {
        return std::vector<uint8_t>(Infos.pBits, Infos.pBits + Infos.BitsSize);
    }
    // The pixel bytes of row Y without the padding.
    std::vector<uint8_t> RowBytes(int64_t Y)
    {
        const int64_t used = (int64_t{Head().biWidth} * Head().biBitCount + 7) / 8;
        return std::vector<uint8_t>(Row(Y), Row(Y) + used);
    }

    TFvDIBInfos Infos;

private:
    void SetHeader(int Width, int Height, int Bits, uint32_t Compression, int Colors)
    {
        BITMAPINFOHEADER& h = Head();
        h.biSize = 40;
        h.biWidth = Width;
        h.biHeight = Height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(Bits);
        h.biCompression = Compression;
        h.biXPelsPerMeter = h.biYPelsPerMeter = 3780;
        h.biClrUsed = static_cast<DWORD>(Colors);
    }
    void Allocate(int64_t Size)
    {
        GetMemory(Size > 0 ? Size : 1, Infos.hFile, Infos.pBits, false);
        Infos.BitsSize = static_cast<int32_t>(Size);
    }
};

// Runs Action and expects exception E with exactly Message.
template <class E, class F>
void ExpectFailure(F&& Action, const std::string& Message)
{
    try {
        Action();
        ADD_FAILURE() << "no exception, expected: " << Message;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), Message);
    }
}
