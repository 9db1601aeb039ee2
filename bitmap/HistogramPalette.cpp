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

// Photo-sized pictures are counted in bands on several threads, each into
// bins of its own that the threads then add up key range by key range: sums
// do not depend on the order of adding, so neither does the palette.
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

// Job(0) to Job(Jobs - 1), on threads of their own where they can be had;
// the rest, and job 0, on this one.
template <class Fn>
void RunJobs(int64_t Jobs, const Fn& Job)
{
    std::vector<std::thread> threads;
    threads.reserve(static_cast<size_t>(Jobs));
    int64_t started = 1;
    try {
        for (; started < Jobs; ++started)
            threads.emplace_back(Job, started);
    } catch (const std::system_error&) {
        // Jobs that got no thread of their own are run here.
    }
    for (int64_t job = started; job < Jobs; ++job)
        Job(job);
    Job(0);
    for (std::thread& thread : threads)
        thread.join();
}

// The bin of Key with its pixels' mean colour, or a bin of weight 0 when no pixel fell into it.
TFvColorBin MeanBin(uint32_t Key, uint64_t Red, uint64_t Green, uint64_t Blue, uint64_t Weight)
{
    // A count cannot reach 2^32: 24-bit pixel memory holds fewer than 2^30 pixels.
    if (Weight == 0)
        return TFvColorBin{0, 0, 0, 0, Key};
    return TFvColorBin{static_cast<uint32_t>(Red / Weight + (Key >> 11) * 8),
                       static_cast<uint32_t>(Green / Weight + ((Key >> 5) & 63) * 4),
                       static_cast<uint32_t>(Blue / Weight + (Key & 31) * 8), static_cast<uint32_t>(Weight), Key};
}

// Every one of the 65536 bins, in key order, with its weight and mean colour.
void CountPixels(const TFvSourceRows& Rows, std::vector<TFvColorBin>& Bins)
{
    Bins.resize(65536);
    const int64_t pixels = Rows.Width > 0 && Rows.Height > 0 ? Rows.Width * Rows.Height : 0;
    const int64_t cores = std::max(1u, std::thread::hardware_concurrency());
    const int64_t fewest = (pixels + MostPixelsPerBand - 1) / MostPixelsPerBand;
    const int64_t bands = std::max({fewest, std::min(cores, pixels / PixelsPerBand), int64_t{1}});
    // Each band's bins are made on its own thread, so their zeroing is shared out too.
    std::vector<std::vector<TBandBin>> bins(static_cast<size_t>(bands));
    RunJobs(bands, [&](int64_t band) {
        bins[band].resize(65536);
        if (pixels > 0)
            CountBand(Rows, pixels * band / bands, pixels * (band + 1) / bands, bins[band].data());
    });
    RunJobs(bands, [&](int64_t slice) {
        for (int64_t key = 65536 * slice / bands; key < 65536 * (slice + 1) / bands; ++key) {
            // The bands' sums in 64 bits cannot wrap, however many pixels share a bin.
            uint64_t red = 0, green = 0, blue = 0, weight = 0;
            for (const std::vector<TBandBin>& band : bins) {
                red += band[key].Red;
                green += band[key].Green;
                blue += band[key].Blue;
                weight += band[key].Weight;
            }
            Bins[key] = MeanBin(static_cast<uint32_t>(key), red, green, blue, weight);
        }
    });
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
    CountPixels(Rows, Bins);
    int64_t used = 0;
    for (const TFvColorBin& bin : Bins)
        if (bin.Weight != 0)
            Bins[used++] = bin;
    std::fill(Bins.begin() + used, Bins.end(), TFvColorBin{0, 0, 0, 0, 0});
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
