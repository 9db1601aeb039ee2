// Decoding of BI_RLE8 and BI_RLE4 streams into uncompressed rows. Streams come
// from files no one here wrote, so every pair, delta operand and absolute
// run is checked against the stream's length and the rows before it is used.
#include "bitmap/Converters.h"

#include "bitmap/ConverterSupport.h"
#include "bitmap/FvGraph.h"

#include <cstring>
#include <string>

namespace {

struct TRle8 {
    static constexpr int Bits = 8;
    static constexpr uint32_t Compression = BI_RLE8;
    static constexpr const char* Name = "Convert8BitRLETo8BitRGB";
    static constexpr const char* FormatMessage =
        "Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination";
    static constexpr int FirstMessage = 1;

    static int64_t Bound(int64_t Width) { return Width; }
    static int64_t AbsoluteBytes(unsigned Count) { return Count + (Count & 1); }

    static void Run(uint8_t* Row, int64_t X, unsigned Count, uint8_t Value) { std::memset(Row + X, Value, Count); }
    static void Absolute(uint8_t* Row, int64_t X, unsigned Count, const uint8_t* Data)
    {
        std::memcpy(Row + X, Data, Count);
    }
};

struct TRle4 {
    static constexpr int Bits = 4;
    static constexpr uint32_t Compression = BI_RLE4;
    static constexpr const char* Name = "Convert4BitRLETo4BitRGB";
    static constexpr const char* FormatMessage =
        "Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination";
    static constexpr int FirstMessage = 5;

    // A run may fill the spare nibble of an odd-width row.
    static int64_t Bound(int64_t Width) { return Width + (Width & 1); }
    static int64_t AbsoluteBytes(unsigned Count) { return ((Count + 3) / 4) * 2; }

    // A high nibble is stored by writing the byte, a low one is OR-ed in.
    static void Put(uint8_t* Row, int64_t X, unsigned Value)
    {
        if ((X & 1) == 0)
            Row[X >> 1] = static_cast<uint8_t>(Value << 4);
        else
            Row[X >> 1] = static_cast<uint8_t>(Row[X >> 1] | Value);
    }
    static void Run(uint8_t* Row, int64_t X, unsigned Count, uint8_t Value)
    {
        for (unsigned i = 0; i < Count; ++i)
            Put(Row, X + i, (i & 1) != 0 ? Value & 0x0Fu : unsigned{Value} >> 4);
    }
    static void Absolute(uint8_t* Row, int64_t X, unsigned Count, const uint8_t* Data)
    {
        for (unsigned i = 0; i < Count; ++i)
            Put(Row, X + i, (i & 1) != 0 ? Data[i >> 1] & 0x0Fu : unsigned{Data[i >> 1]} >> 4);
    }
};

template <typename Codec>
[[noreturn]] void BadData(int Offset)
{
    throw EFvDIBInvalidDIB(std::string(Codec::Name) + ": Bad RLE Data " + std::to_string(Codec::FirstMessage + Offset));
}

template <typename Codec>
void Decode(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, Codec::Bits, Codec::Compression, Codec::FormatMessage);
    RequirePictureSize(Source, Codec::Name);
    const int64_t height = AbsHeight(Source);
    const int64_t bound = Codec::Bound(Source.W3Head().biWidth);
    TFvResultRows out(Source, Codec::Bits, UseFMO);

    const uint8_t* stream = Source.pBits;
    const int64_t size = stream == nullptr || Source.BitsSize < 0 ? 0 : Source.BitsSize;
    int64_t pos = 0;
    const auto need = [&](int64_t Count) {
        if (size - pos < Count)
            throw EFvDIBInvalidDIB(std::string(Codec::Name) + ": Bad RLE Data (End of Data)");
    };

    int64_t x = 0, y = 0;
    // A stream that stops between two pairs ends as if its end of bitmap had been read.
    while (pos < size) {
        need(2);
        const unsigned first = stream[pos], second = stream[pos + 1];
        pos += 2;
        if (first != 0) {
            if (x + first > bound || y >= height)
                BadData<Codec>(3);
            Codec::Run(out.Row(y), x, first, static_cast<uint8_t>(second));
            x += first;
        } else if (second == 0) {
            if (y + 1 > height)
                BadData<Codec>(0);
            ++y;
            x = 0;
        } else if (second == 1) {
            break;
        } else if (second == 2) {
            need(2);
            x += stream[pos];
            y += stream[pos + 1];
            pos += 2;
            if (x > bound || y > height)
                BadData<Codec>(1);
        } else {
            if (x + second > bound || y >= height)
                BadData<Codec>(2);
            need(Codec::AbsoluteBytes(second));
            Codec::Absolute(out.Row(y), x, second, stream + pos);
            pos += Codec::AbsoluteBytes(second);
            x += second;
        }
    }
    Result = out.HandOverAsResult(Source);
}

} // namespace

void Convert8BitRLETo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    Decode<TRle8>(Source, Result, UseFMO);
}

void Convert4BitRLETo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    Decode<TRle4>(Source, Result, UseFMO);
}
