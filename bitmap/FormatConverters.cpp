// The widening converters, which keep every pixel's index or colour, and the
// converters to black and white, which keep only the background colour.
#include "bitmap/Converters.h"

#include "bitmap/ConverterSupport.h"
#include "bitmap/FvGraph.h"

namespace {

// Index x of a 1-bit or 4-bit row.
inline unsigned Bit(const uint8_t* Row, int64_t X)
{
    return (Row[X >> 3] >> (7 - (X & 7))) & 1u;
}

inline unsigned Nibble(const uint8_t* Row, int64_t X)
{
    return (X & 1) != 0 ? Row[X >> 1] & 0x0Fu : Row[X >> 1] >> 4;
}

// Stores index x of a zeroed 1-bit or 4-bit row.
inline void SetBit(uint8_t* Row, int64_t X, unsigned Value)
{
    Row[X >> 3] = static_cast<uint8_t>(Row[X >> 3] | (Value << (7 - (X & 7))));
}

inline void SetNibble(uint8_t* Row, int64_t X, unsigned Value)
{
    if ((X & 1) == 0)
        Row[X >> 1] = static_cast<uint8_t>(Value << 4);
    else
        Row[X >> 1] = static_cast<uint8_t>(Row[X >> 1] | Value);
}

// Widens through Index(row, x) into a result of ResultBits.
template <typename IndexOf, typename Store>
void Widen(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, int ResultBits, const char* Name,
           IndexOf Index, Store Put)
{
    const TFvSourceRows src = UncompressedRows(Source, Name);
    TFvResultRows out(Source, ResultBits, UseFMO);
    for (int64_t y = 0; y < src.Height; ++y) {
        const uint8_t* in = src.Row(y);
        uint8_t* row = out.Row(y);
        for (int64_t x = 0; x < src.Width; ++x)
            Put(row, x, Index(in, x));
    }
    Result = out.HandOverAsResult(Source);
}

template <typename IndexOf>
void WidenToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, const char* Name,
                      IndexOf Index)
{
    const RGBQUAD* table = Source.W3HeadInfo.bmiColors;
    Widen(Source, Result, UseFMO, 24, Name, Index, [table](uint8_t* Row, int64_t X, unsigned I) {
        uint8_t* p = Row + 3 * X;
        p[0] = table[I].rgbBlue;
        p[1] = table[I].rgbGreen;
        p[2] = table[I].rgbRed;
    });
}

// Maps every pixel to white (1) when its colour is the background, else black (0).
template <typename IsBackground>
void ToBlackAndWhite(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, const char* Name,
                     IsBackground Test)
{
    const TFvSourceRows src = UncompressedRows(Source, Name);
    TFvResultRows out(Source, 1, UseFMO);
    for (int64_t y = 0; y < src.Height; ++y) {
        const uint8_t* in = src.Row(y);
        uint8_t* row = out.Row(y);
        for (int64_t x = 0; x < src.Width; ++x)
            if (Test(in, x))
                SetBit(row, x, 1);
    }
    Result = out.HandOverAsResult(Source);
    SetBlackAndWhiteTable(Result);
}

// Which of the 2^bits colour-table entries are the background colour.
struct TBackgroundIndexes {
    bool Is[256];

    TBackgroundIndexes(const TFvDIBInfos& Source, uint32_t BGColor)
    {
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& c = Source.W3HeadInfo.bmiColors[i];
            Is[i] = c.rgbRed == (BGColor & 0xFF) && c.rgbGreen == ((BGColor >> 8) & 0xFF) &&
                    c.rgbBlue == ((BGColor >> 16) & 0xFF);
        }
    }
};

const auto StoreByte = [](uint8_t* Row, int64_t X, unsigned I) { Row[X] = static_cast<uint8_t>(I); };

} // namespace

void Convert1BitRGBTo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 1, BI_RGB, "Convert1BitRGBTo4BitRGB: Invalid Bitcount & Compression Combination");
    Widen(Source, Result, UseFMO, 4, "Convert1BitRGBTo4BitRGB", Bit, SetNibble);
}

void Convert1BitRGBTo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 1, BI_RGB, "Convert1BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination");
    Widen(Source, Result, UseFMO, 8, "Convert1BitRGBTo8BitRGB", Bit, StoreByte);
}

void Convert4BitRGBTo8BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 4, BI_RGB, "Convert4BitRGBTo8BitRGB: Invalid Bitcount & Compression Combination");
    Widen(Source, Result, UseFMO, 8, "Convert4BitRGBTo8BitRGB", Nibble, StoreByte);
}

void Convert1BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 1, BI_RGB, "Convert1BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    WidenToTrueColor(Source, Result, UseFMO, "Convert1BitRGBToTrueColor", Bit);
}

void Convert4BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 4, BI_RGB, "Convert4BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    WidenToTrueColor(Source, Result, UseFMO, "Convert4BitRGBToTrueColor", Nibble);
}

void Convert8BitRGBToTrueColor(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireFormat(Source, 8, BI_RGB, "Convert8BitRGBToTrueColor: Invalid Bitcount & Compression Combination");
    WidenToTrueColor(Source, Result, UseFMO, "Convert8BitRGBToTrueColor",
                     [](const uint8_t* Row, int64_t X) { return unsigned{Row[X]}; });
}

void ConvertTrueColorTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, uint32_t BGColor)
{
    if (Source.W3Head().biBitCount != 24)
        throw EFvDIBBadDIBType("ConvertTrueColorTo1BitRGB: Invalid Bitcount");
    const uint8_t r = BGColor & 0xFF, g = (BGColor >> 8) & 0xFF, b = (BGColor >> 16) & 0xFF;
    ToBlackAndWhite(Source, Result, UseFMO, "ConvertTrueColorTo1BitRGB", [=](const uint8_t* Row, int64_t X) {
        const uint8_t* p = Row + 3 * X;
        return p[0] == b && p[1] == g && p[2] == r;
    });
}

void Convert8BitTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, uint32_t BGColor)
{
    RequireFormat(Source, 8, BI_RGB, "Convert8BitTo1BitRGB: Invalid Bitcount or Compression");
    const TBackgroundIndexes background(Source, BGColor);
    ToBlackAndWhite(Source, Result, UseFMO, "Convert8BitTo1BitRGB",
                    [&](const uint8_t* Row, int64_t X) { return background.Is[Row[X]]; });
}

void Convert4BitRGBTo1BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, uint32_t BGColor)
{
    RequireFormat(Source, 4, BI_RGB, "Convert4BitRGBTo1BitRGB: Invalid Bitcount");
    const TBackgroundIndexes background(Source, BGColor);
    ToBlackAndWhite(Source, Result, UseFMO, "Convert4BitRGBTo1BitRGB",
                    [&](const uint8_t* Row, int64_t X) { return background.Is[Nibble(Row, X)]; });
}
