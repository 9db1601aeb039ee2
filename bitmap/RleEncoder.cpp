// Encoding of uncompressed 8-bit and 4-bit rows as BI_RLE8 and BI_RLE4
// streams. The stream must be smaller than the rows it replaces: it is built
// in a buffer of the uncompressed size, and every emission first checks that
// room remains for it and for a later end of line and end of bitmap.
#include "bitmap/Converters.h"

#include "bitmap/ConverterSupport.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

template <typename Codec>
class TRleWriter {
public:
    explicit TRleWriter(int64_t Capacity)
        : FBuffer(std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(Capacity))), FCapacity(Capacity)
    {
    }

    int64_t Length() const { return FLength; }
    const uint8_t* Data() const { return FBuffer.get(); }

    void Room(int64_t Count) const
    {
        if (FCapacity - FLength < Count)
            throw EFvDIBCompressionFailed(Codec::FailMessage);
    }
    void Pair(unsigned First, unsigned Second)
    {
        FBuffer[FLength++] = static_cast<uint8_t>(First);
        FBuffer[FLength++] = static_cast<uint8_t>(Second);
    }
    // Literal bytes padded to an even count.
    void Bytes(const uint8_t* Units, unsigned Count)
    {
        std::memcpy(FBuffer.get() + FLength, Units, Count);
        FLength += Count;
        if ((Count & 1) != 0)
            FBuffer[FLength++] = 0;
    }
    void EndOfLine()
    {
        Room(4);
        Pair(0, 0);
    }
    void EndOfBitmap()
    {
        Room(2);
        Pair(0, 1);
    }

private:
    std::unique_ptr<uint8_t[]> FBuffer;
    int64_t FCapacity;
    int64_t FLength = 0;
};

// A unit is one 8-bit pixel; a run or literal holds at most 255 of them.
struct TRle8 {
    static constexpr int Bits = 8;
    static constexpr uint32_t Compression = BI_RLE8;
    static constexpr unsigned MaxUnits = 255;
    static constexpr const char* Name = "Convert8BitRGBTo8BitRLE";
    static constexpr const char* FormatMessage =
        "Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination";
    static constexpr const char* FailMessage = "Convert8BitRGBTo8BitRLE: Compression Failed";

    static int64_t Units(int64_t Width) { return Width; }

    class TRow {
    public:
        TRow(TRleWriter<TRle8>& Writer, int64_t) : FWriter(Writer) {}
        void Run(uint8_t Unit, unsigned Count)
        {
            FWriter.Room(6);
            FWriter.Pair(Count, Unit);
        }
        void Literal(const uint8_t* Units, unsigned Count)
        {
            FWriter.Room(Count + (Count & 1) + 6);
            // Absolute mode needs three pixels at least.
            if (Count <= 2) {
                for (unsigned i = 0; i < Count; ++i)
                    Run(Units[i], 1);
                return;
            }
            FWriter.Pair(0, Count);
            FWriter.Bytes(Units, Count);
        }

    private:
        TRleWriter<TRle8>& FWriter;
    };
};

// A unit is one byte of a 4-bit row, two pixels; only the last unit of an
// odd-width row stands for a single pixel.
struct TRle4 {
    static constexpr int Bits = 4;
    static constexpr uint32_t Compression = BI_RLE4;
    static constexpr unsigned MaxUnits = 127;
    static constexpr const char* Name = "Convert4BitRGBTo4BitRLE";
    static constexpr const char* FormatMessage =
        "Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination";
    static constexpr const char* FailMessage = "Convert4BitRGBTo4BitRLE: Compression Failed";

    static int64_t Units(int64_t Width) { return (Width + 1) / 2; }

    class TRow {
    public:
        TRow(TRleWriter<TRle4>& Writer, int64_t Width) : FWriter(Writer), FLeft(Width) {}
        void Run(uint8_t Unit, unsigned Count)
        {
            FWriter.Room(6);
            FWriter.Pair(Pixels(Count), Unit);
        }
        void Literal(const uint8_t* Units, unsigned Count)
        {
            FWriter.Room(Count + (Count & 1) + 6);
            if (Count == 1) {
                Run(Units[0], 1);
                return;
            }
            FWriter.Pair(0, Pixels(Count));
            FWriter.Bytes(Units, Count);
        }

    private:
        // The pixels that Count units cover, and moves past them.
        unsigned Pixels(unsigned Count)
        {
            const int64_t pixels = std::min<int64_t>(2 * int64_t{Count}, FLeft);
            FLeft -= pixels;
            return static_cast<unsigned>(pixels);
        }

        TRleWriter<TRle4>& FWriter;
        int64_t FLeft;
    };
};

// Cuts one row of units into runs and literals.
template <typename Codec>
void EncodeRow(typename Codec::TRow& Out, const uint8_t* Units, int64_t Count)
{
    enum { Empty, Single, Run, Literal } state = Empty;
    int64_t start = 0; // first unit of the open run or literal
    unsigned length = 0;
    for (int64_t i = 0; i < Count; ++i) {
        const uint8_t u = Units[i];
        switch (state) {
        case Empty:
            state = Single;
            start = i;
            length = 1;
            break;
        case Single:
            state = u == Units[start] ? Run : Literal;
            length = 2;
            break;
        case Run:
            if (u == Units[start] && length < Codec::MaxUnits) {
                ++length;
            } else {
                Out.Run(Units[start], length);
                state = Single;
                start = i;
                length = 1;
            }
            break;
        case Literal:
            if (length < Codec::MaxUnits && u != Units[i - 1]) {
                ++length;
            } else if (u == Units[i - 1]) {
                // The repeated unit leaves the literal and starts a run.
                Out.Literal(Units + start, length - 1);
                state = Run;
                start = i - 1;
                length = 2;
            } else {
                Out.Literal(Units + start, length);
                state = Single;
                start = i;
                length = 1;
            }
            break;
        }
    }
    if (state == Single || state == Run)
        Out.Run(Units[start], length);
    else if (state == Literal)
        Out.Literal(Units + start, length);
}

template <typename Codec>
void Encode(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, Codec::Bits, BI_RGB, Codec::FormatMessage);
    const TFvSourceRows rows = UncompressedRows(Source, Codec::Name);
    const bool topDown = Source.W3Head().biHeight < 0;
    TRleWriter<Codec> writer(rows.Stride * rows.Height);
    // The stream always runs from the bottom row up.
    for (int64_t k = 0; k < rows.Height; ++k) {
        typename Codec::TRow row(writer, rows.Width);
        EncodeRow<Codec>(row, rows.Row(topDown ? rows.Height - 1 - k : k), Codec::Units(rows.Width));
        writer.EndOfLine();
    }
    writer.EndOfBitmap();

    TFvOwnedBits bits(writer.Length(), UseFMO);
    std::memcpy(bits.Bits(), writer.Data(), static_cast<size_t>(writer.Length()));
    TFvDIBInfos result = Source;
    result.W3Head().biHeight = static_cast<LONG>(rows.Height);
    result.W3Head().biCompression = Codec::Compression;
    result.W3Head().biSizeImage = static_cast<DWORD>(writer.Length());
    bits.HandOver(result);
    Result = result;
}

} // namespace

void Convert8BitRGBTo8BitRLE(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    Encode<TRle8>(Source, Result, UseFMO);
}

void Convert4BitRGBTo4BitRLE(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    Encode<TRle4>(Source, Result, UseFMO);
}
