// Serpentine error diffusion onto the fixed 215-colour cube (6 reds, 7
// greens, 5 blues) or onto black and white. Rows are taken in memory order,
// even rows left to right and odd rows right to left; each pixel's value is
// corrected by 12/32 of the error of the pixel just handled, 12/32 of the
// error above it and 5/32 of the error diagonally behind it in the row above.
#include "bitmap/Converters.h"

#include "bitmap/ConverterSupport.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int RedLevels[6] = {0, 51, 102, 153, 204, 255};
constexpr int GreenLevels[7] = {0, 43, 85, 128, 171, 214, 255};
constexpr int BlueLevels[5] = {0, 64, 128, 192, 255};
// The colours of the cube's last five entries, red, green, blue; no pixel gets them.
constexpr uint8_t ExtraColors[5][3] = {{128, 0, 0}, {128, 128, 0}, {128, 0, 128}, {192, 192, 192}, {128, 128, 128}};

// Corrected values lie within -256..512 (the errors stay small); tables over
// that range give each channel's level.
constexpr int TableLow = -256;
constexpr int TableSize = 769;

struct TLevelTables {
    uint8_t Red[TableSize];
    uint8_t Green[TableSize];
    uint8_t Blue[TableSize];

    TLevelTables()
    {
        for (int i = 0; i < TableSize; ++i) {
            const int v = i + TableLow;
            // Red level 4 spans 179..230, one value more than the others.
            Red[i] = v <= 25 ? 0 : v <= 76 ? 1 : v <= 127 ? 2 : v <= 178 ? 3 : v <= 230 ? 4 : 5;
            Green[i] = v <= 21 ? 0 : v <= 63 ? 1 : v <= 106 ? 2 : v <= 149 ? 3 : v <= 192 ? 4 : v <= 233 ? 5 : 6;
            Blue[i] = v <= 31 ? 0 : v <= 95 ? 1 : v <= 159 ? 2 : v <= 223 ? 3 : 4;
        }
    }
};

inline int TableIndex(int Value)
{
    return std::clamp(Value, TableLow, TableLow + TableSize - 1) - TableLow;
}

// The B, G, R colour of every pixel of a source row, whatever its bit count.
class TRowColors {
public:
    TRowColors(const TFvDIBInfos& Source, int64_t Width) : FSource(Source), FColors(static_cast<size_t>(3 * Width)) {}

    const uint8_t* Read(const uint8_t* Row, int64_t Width)
    {
        const int bits = FSource.W3Head().biBitCount;
        if (bits == 24)
            return Row;
        const RGBQUAD* table = FSource.W3HeadInfo.bmiColors;
        for (int64_t x = 0; x < Width; ++x) {
            const unsigned index = bits == 8 ? Row[x]
                                   : bits == 4 ? (Row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0F
                                               : (Row[x >> 3] >> (7 - (x & 7))) & 1;
            FColors[3 * x] = table[index].rgbBlue;
            FColors[3 * x + 1] = table[index].rgbGreen;
            FColors[3 * x + 2] = table[index].rgbRed;
        }
        return FColors.data();
    }

private:
    const TFvDIBInfos& FSource;
    std::vector<uint8_t> FColors;
};

// Errors per pixel and channel (R, G, B) of the previous and the current
// row; entry x + 1 belongs to pixel x, entries 0 and width + 1 stay 0.
struct TError {
    int16_t C[3];
};

void RequireHalftoneSource(const TFvDIBInfos& Source, const char* Name)
{
    const BITMAPINFOHEADER& head = Source.W3Head();
    const bool bits = head.biBitCount == 1 || head.biBitCount == 4 || head.biBitCount == 8 || head.biBitCount == 24;
    if (!bits || head.biCompression != BI_RGB)
        throw EFvDIBBadDIBType(std::string(Name) + ": Invalid Bitcount & Compression Combination");
}

// Runs the diffusion; Choose(x, corrected R, G, B, errors out) decides a pixel.
template <typename Decide>
void Diffuse(const TFvDIBInfos& Source, const TFvSourceRows& Rows, Decide Choose)
{
    const int64_t width = Rows.Width;
    std::vector<TError> previous(static_cast<size_t>(width + 2)), current(static_cast<size_t>(width + 2));
    TRowColors colors(Source, width);
    for (int64_t y = 0; y < Rows.Height; ++y) {
        // Every entry of the current row is rewritten, so the two can swap.
        previous.swap(current);
        const uint8_t* pixels = colors.Read(Rows.Row(y), width);
        const bool forward = (y & 1) == 0;
        int last[3] = {0, 0, 0};
        for (int64_t i = 0; i < width; ++i) {
            const int64_t x = forward ? i : width - 1 - i;
            const TError& above = previous[static_cast<size_t>(x + 1)];
            const TError& behind = previous[static_cast<size_t>(forward ? x : x + 2)];
            const uint8_t* p = pixels + 3 * x;
            const int value[3] = {p[2], p[1], p[0]};
            int corrected[3];
            for (int c = 0; c < 3; ++c) {
                const int sum = 12 * last[c] + 12 * above.C[c] + 5 * behind.C[c];
                corrected[c] = value[c] - sum / 32; // division truncates toward zero
            }
            int error[3];
            Choose(y, x, corrected, error);
            TError& stored = current[static_cast<size_t>(x + 1)];
            for (int c = 0; c < 3; ++c) {
                stored.C[c] = static_cast<int16_t>(error[c]);
                last[c] = stored.C[c];
            }
        }
    }
}

} // namespace

void ConvertToHalftone(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireHalftoneSource(Source, "ConvertToHalftone");
    const TFvSourceRows rows = UncompressedRows(Source, "ConvertToHalftone");
    TFvResultRows out(Source, 8, UseFMO);
    static const TLevelTables tables;
    Diffuse(Source, rows, [&](int64_t Y, int64_t X, const int (&V)[3], int (&Error)[3]) {
        const int r = tables.Red[TableIndex(V[0])];
        const int g = tables.Green[TableIndex(V[1])];
        const int b = tables.Blue[TableIndex(V[2])];
        Error[0] = RedLevels[r] - V[0];
        Error[1] = GreenLevels[g] - V[1];
        Error[2] = BlueLevels[b] - V[2];
        out.Row(Y)[X] = static_cast<uint8_t>(35 * r + 5 * g + b);
    });
    Result = out.HandOverAsResult(Source);
    RGBQUAD* table = Result.W3HeadInfo.bmiColors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 5; ++b)
                table[35 * r + 5 * g + b] = RGBQUAD{static_cast<BYTE>(BlueLevels[b]), static_cast<BYTE>(GreenLevels[g]),
                                                    static_cast<BYTE>(RedLevels[r]), 0};
    for (int i = 0; i < 5; ++i)
        table[210 + i] = RGBQUAD{ExtraColors[i][2], ExtraColors[i][1], ExtraColors[i][0], 0};
    Result.W3Head().biClrUsed = 215;
}

void ConvertToHalftoneBW(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO)
{
    RequireHalftoneSource(Source, "ConvertToHalftoneBW");
    const TFvSourceRows rows = UncompressedRows(Source, "ConvertToHalftoneBW");
    TFvResultRows out(Source, 1, UseFMO);
    Diffuse(Source, rows, [&](int64_t Y, int64_t X, const int (&V)[3], int (&Error)[3]) {
        const bool white = V[0] + V[1] + V[2] >= 384;
        for (int c = 0; c < 3; ++c)
            Error[c] = (white ? 255 : 0) - V[c];
        if (white) {
            uint8_t& byte = out.Row(Y)[X >> 3];
            byte = static_cast<uint8_t>(byte | (0x80u >> (X & 7)));
        }
    });
    Result = out.HandOverAsResult(Source);
    SetBlackAndWhiteTable(Result);
}
