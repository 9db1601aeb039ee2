// "Low" colour reduction: pixels are folded into 65536 bins of 5-6-5 bits
// whose mean colours are cut, and then mapped through a table from bin to
// palette index. The cost is fixed whatever the picture's size: the bins,
// the table, one counting pass and one mapping pass.
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace {

// One bin of one band while counting. A band holds at most 2^28 pixels, so
// its sums of low bits (at most 7 a pixel) stay within 32 bits.
struct TBandBin {
    uint32_t Red = 0;
    uint32_t Green = 0;
    uint32_t Blue = 0;
    uint32_t Weight = 0;
};

// The bands' bins added up: 64-bit sums cannot wrap, however many pixels share a bin.
struct TWideBin {
    uint64_t Red = 0;
    uint64_t Green = 0;
    uint64_t Blue = 0;
    uint64_t Weight = 0;
};

// Photo-sized pictures are counted in bands on several threads, each into
// bins of its own that are added up afterwards: sums do not depend on the
// order of adding, so neither does the palette.
constexpr int64_t PixelsPerBand = int64_t{1} << 20;
constexpr int64_t MostPixelsPerBand = int64_t{1} << 28;

// Pixels First to Last - 1 of the picture, counted row by row from the top.
void CountBand(const TFvSourceRows& Rows, int64_t First, int64_t Last, TBandBin* Bins)
{
    int64_t y = First / Rows.Width;
    int64_t x = First % Rows.Width;
    for (int64_t left = Last - First; left > 0; ++y, x = 0) {
        const uint8_t* row = Rows.Row(y);
        const int64_t end = std::min(Rows.Width, x + left);
        left -= end - x;
        for (; x < end; ++x) {
            const uint8_t* p = row + 3 * x;
            TBandBin& bin = Bins[HistogramKey(p[2], p[1], p[0])];
            bin.Red += p[2] & 7u;
            bin.Green += p[1] & 3u;
            bin.Blue += p[0] & 7u;
            ++bin.Weight;
        }
    }
}

std::vector<TWideBin> CountPixels(const TFvSourceRows& Rows)
{
    std::vector<TWideBin> totals(65536);
    if (Rows.Width <= 0 || Rows.Height <= 0)
        return totals;
    const int64_t pixels = Rows.Width * Rows.Height;
    const int64_t cores = std::max(1u, std::thread::hardware_concurrency());
    const int64_t fewest = (pixels + MostPixelsPerBand - 1) / MostPixelsPerBand;
    const int64_t bands = std::max({fewest, std::min(cores, pixels / PixelsPerBand), int64_t{1}});
    std::vector<std::vector<TBandBin>> bins(static_cast<size_t>(bands), std::vector<TBandBin>(65536));
    const auto count = [&](int64_t band) {
        CountBand(Rows, pixels * band / bands, pixels * (band + 1) / bands, bins[band].data());
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(bands));
    int64_t started = 1;
    try {
        for (; started < bands; ++started)
            threads.emplace_back(count, started);
    } catch (const std::system_error&) {
        // Bands that got no thread of their own are counted here.
    }
    for (int64_t band = started; band < bands; ++band)
        count(band);
    count(0);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::vector<TBandBin>& band : bins)
        for (size_t key = 0; key < 65536; ++key) {
            TWideBin& total = totals[key];
            total.Red += band[key].Red;
            total.Green += band[key].Green;
            total.Blue += band[key].Blue;
            total.Weight += band[key].Weight;
        }
    return totals;
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
    const std::vector<TWideBin> counted = CountPixels(Rows);
    Bins.assign(65536, TFvColorBin{0, 0, 0, 0, 0});
    int64_t used = 0;
    for (uint32_t key = 0; key < 65536; ++key) {
        const TWideBin& bin = counted[key];
        // A count cannot reach 2^32: 24-bit pixel memory holds fewer than 2^30 pixels.
        const uint64_t n = bin.Weight;
        if (n == 0)
            continue;
        Bins[used++] = TFvColorBin{static_cast<uint32_t>(bin.Red / n + (key >> 11) * 8),
                                   static_cast<uint32_t>(bin.Green / n + ((key >> 5) & 63) * 4),
                                   static_cast<uint32_t>(bin.Blue / n + (key & 31) * 8), static_cast<uint32_t>(n), key};
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
