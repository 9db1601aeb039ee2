// "Low" colour reduction: pixels are folded into 65536 bins of 5-6-5 bits
// whose mean colours are cut, and then mapped through a table from bin to
// palette index. The cost is fixed whatever the picture's size: the bins,
// the table, one counting pass and one mapping pass.
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <algorithm>

namespace {

// Low-bit sums grow by at most 7 per pixel, so a sum below 2^31 stays within
// 32 bits for 2^28 more pixels. After that many, whole parts of 2^31 move to
// carry counts kept in the bin's Key byte per channel: the sums never wrap,
// however many pixels share one bin.
constexpr int64_t PixelsPerFold = int64_t{1} << 28;
constexpr uint32_t CarryUnit = uint32_t{1} << 31;

void FoldSums(std::vector<TFvColorBin>& Bins)
{
    for (TFvColorBin& bin : Bins) {
        uint32_t* sums[3] = {&bin.Red, &bin.Green, &bin.Blue};
        for (int c = 0; c < 3; ++c)
            if (*sums[c] >= CarryUnit) {
                *sums[c] -= CarryUnit;
                bin.Key += uint32_t{1} << (8 * c);
            }
    }
}

inline uint64_t WideSum(uint32_t Sum, uint32_t Carries, int Channel)
{
    return (uint64_t{(Carries >> (8 * Channel)) & 0xFF} << 31) + Sum;
}

template <int Bits>
void ReduceLow(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, const TFvProgressStep& Progress,
               const char* Name, const char* Message)
{
    if (Source.W3Head().biBitCount != 24)
        throw EFvDIBBadDIBType(Message);
    const TFvSourceRows rows = UncompressedRows(Source, Name);
    TFvResultRows out(Source, Bits, UseFMO);
    TFvPaletteBuffer palette;
    std::vector<uint8_t> keys;
    // The cut depth equals the result's bit count: 16 or 256 colours.
    CreateHistogramPalette(rows, Bits, Progress, palette, keys);
    for (int64_t y = 0; y < rows.Height; ++y) {
        const uint8_t* in = rows.Row(y);
        uint8_t* row = out.Row(y);
        for (int64_t x = 0; x < rows.Width; ++x) {
            const uint8_t* p = in + 3 * x;
            const uint8_t index = keys[HistogramKey(p[2], p[1], p[0])];
            if constexpr (Bits == 8)
                row[x] = index;
            else if ((x & 1) == 0)
                row[x >> 1] = static_cast<uint8_t>(index << 4);
            else
                row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | index);
        }
    }
    Result = out.HandOverAsResult(Source);
    StorePalette(palette, Result);
}

} // namespace

int64_t FillHistogram(const TFvSourceRows& Rows, std::vector<TFvColorBin>& Bins)
{
    Bins.assign(65536, TFvColorBin{0, 0, 0, 0, 0});
    TFvColorBin* bins = Bins.data();
    int64_t budget = PixelsPerFold;
    for (int64_t y = 0; y < Rows.Height; ++y) {
        const uint8_t* row = Rows.Row(y);
        for (int64_t x = 0; x < Rows.Width;) {
            const int64_t end = x + std::min(Rows.Width - x, budget);
            budget -= end - x;
            for (; x < end; ++x) {
                const uint8_t* p = row + 3 * x;
                TFvColorBin& bin = bins[HistogramKey(p[2], p[1], p[0])];
                bin.Red += p[2] & 7u;
                bin.Green += p[1] & 3u;
                bin.Blue += p[0] & 7u;
                // A count cannot reach 2^32: 24-bit pixel memory holds fewer than 2^30 pixels.
                ++bin.Weight;
            }
            if (budget == 0) {
                FoldSums(Bins);
                budget = PixelsPerFold;
            }
        }
    }

    int64_t used = 0;
    for (uint32_t key = 0; key < 65536; ++key) {
        const TFvColorBin& bin = bins[key];
        const uint32_t n = bin.Weight;
        if (n == 0)
            continue;
        bins[used++] = TFvColorBin{
            static_cast<uint32_t>(WideSum(bin.Red, bin.Key, 0) / n + (key >> 11) * 8),
            static_cast<uint32_t>(WideSum(bin.Green, bin.Key, 1) / n + ((key >> 5) & 63) * 4),
            static_cast<uint32_t>(WideSum(bin.Blue, bin.Key, 2) / n + (key & 31) * 8), n, key};
    }
    return used;
}

void CreateHistogramPalette(const TFvSourceRows& Rows, int MaxDepth, const TFvProgressStep& Progress,
                            TFvPaletteBuffer& Palette, std::vector<uint8_t>& KeyTable)
{
    std::vector<TFvColorBin> bins;
    const int64_t used = FillHistogram(Rows, bins);
    Palette.Count = 0;
    MedianCutSplit(bins.data(), 0, used, 0, MaxDepth, Progress, Palette);
    KeyTable.assign(65536, 0);
    for (int64_t i = 0; i < used; ++i)
        KeyTable[bins[i].Key] = static_cast<uint8_t>(bins[i].Weight);
}

void ConvertTrueColorTo8BitRGBLow(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                  const TFvProgressStep& Progress)
{
    ReduceLow<8>(Source, Result, UseFMO, Progress, "ConvertTrueColorTo8BitRGBLow",
                 "ConvertTrueColorTo8BitRGBLow: Invalid Bitcount");
}

void ConvertTrueColorTo4BitRGBLow(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                  const TFvProgressStep& Progress)
{
    ReduceLow<4>(Source, Result, UseFMO, Progress, "ConvertTrueColorTo4BitRGBLow",
                 "ConvertTrueColorTo4BitRGBLow: Invalid Bitcount");
}
