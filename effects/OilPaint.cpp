// Oil paint by running histograms. A channel value v falls in level
// v >> Shift; for each pixel every channel takes the lowest of its most
// frequent levels in the window and the mean of the window's values in it.
//
// Columns are split across cores. Within a strip every column keeps the
// histogram of its window rows (one pixel in and one out per output row),
// and the window histogram slides along the row by adding the entering
// column's histogram and taking away the leaving one's. Besides the counts,
// each level keeps the sum of its values' low bits (v & Mask), from which
// the level's value sum follows; both fit 16 bits for a 21 x 21 window. The
// counts and sums are those of a full window walk, so the bytes are too, at
// a cost that does not depend on the window's size.
#include "effects/OilPaint.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/FilterOutput.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

FV_SIMD_CLONES void AddHistogram(uint16_t* __restrict Window, const uint16_t* __restrict Column, int N)
{
    for (int i = 0; i < N; ++i)
        Window[i] = static_cast<uint16_t>(Window[i] + Column[i]);
}

FV_SIMD_CLONES void SlideHistogram(uint16_t* __restrict Window, const uint16_t* __restrict Enter,
                                   const uint16_t* __restrict Leave, int N)
{
    for (int i = 0; i < N; ++i)
        Window[i] = static_cast<uint16_t>(Window[i] + Enter[i] - Leave[i]);
}

FV_SIMD_CLONES void SubtractHistogram(uint16_t* __restrict Window, const uint16_t* __restrict Column, int N)
{
    for (int i = 0; i < N; ++i)
        Window[i] = static_cast<uint16_t>(Window[i] - Column[i]);
}

// The lowest level with the highest count: the maximum by a vector
// reduction, then its first place eight levels at a time.
FV_SIMD_CLONES uint16_t HighestCount(const uint16_t* __restrict Counts, int Levels)
{
    uint16_t Most = 0;
    for (int b = 0; b < Levels; ++b)
        Most = std::max(Most, Counts[b]);
    return Most;
}

int FirstMaximum(const uint16_t* Counts, int Levels)
{
    const uint16_t Most = HighestCount(Counts, Levels);
    int b = 0;
#if defined(__SSE2__)
    const __m128i Wanted = _mm_set1_epi16(static_cast<short>(Most));
    for (; b + 8 <= Levels; b += 8) {
        const __m128i Eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Counts + b));
        const int Hits = _mm_movemask_epi8(_mm_cmpeq_epi16(Eight, Wanted));
        if (Hits)
            return b + (__builtin_ctz(static_cast<unsigned>(Hits)) >> 1);
    }
#endif
    while (Counts[b] != Most)
        ++b;
    return b;
}

struct TLevels {
    int Levels;
    int Shift;
    int Mask;
    // One histogram record: counts of the three channels, then their low-bit sums.
    int Record() const { return 6 * Levels; }
};

void AddPixel(uint16_t* Record, const uint8_t* Pixel, const TLevels& L)
{
    for (int c = 0; c < 3; ++c) {
        const int Level = Pixel[c] >> L.Shift;
        ++Record[c * L.Levels + Level];
        Record[(3 + c) * L.Levels + Level] = static_cast<uint16_t>(Record[(3 + c) * L.Levels + Level] + (Pixel[c] & L.Mask));
    }
}

void RemovePixel(uint16_t* Record, const uint8_t* Pixel, const TLevels& L)
{
    for (int c = 0; c < 3; ++c) {
        const int Level = Pixel[c] >> L.Shift;
        --Record[c * L.Levels + Level];
        Record[(3 + c) * L.Levels + Level] = static_cast<uint16_t>(Record[(3 + c) * L.Levels + Level] - (Pixel[c] & L.Mask));
    }
}

// Columns First .. Last - 1 of every row. Columns holds the histograms of
// at least Last - First + 2 Block columns, Window one record.
void Strip(const std::vector<const uint8_t*>& Source, const std::vector<uint8_t*>& Dest, int Width, int Block,
           const TLevels& L, const std::vector<TReciprocal>& Divide, int First, int Last,
           std::vector<uint16_t>& Columns, std::vector<uint16_t>& Window)
{
    const int Height = static_cast<int>(Source.size());
    const int ColumnFirst = std::max(0, First - Block);
    const int ColumnLast = std::min(Width, Last + Block);
    const int Record = L.Record();
    std::fill(Columns.begin(), Columns.begin() + static_cast<ptrdiff_t>(ColumnLast - ColumnFirst) * Record, 0);
    auto Column = [&](int x) { return Columns.data() + static_cast<size_t>(x - ColumnFirst) * Record; };
    auto ForColumns = [&](int Row, auto Change) {
        const uint8_t* P = Source[Row];
        for (int x = ColumnFirst; x < ColumnLast; ++x)
            Change(Column(x), P + x * 3, L);
    };

    for (int r = 0; r < std::min(Block, Height); ++r)
        ForColumns(r, AddPixel);
    for (int y = 0; y < Height; ++y) {
        if (y + Block < Height)
            ForColumns(y + Block, AddPixel);
        if (y - Block - 1 >= 0)
            ForColumns(y - Block - 1, RemovePixel);

        std::fill(Window.begin(), Window.end(), 0);
        for (int x = std::max(0, First - Block); x <= std::min(Width - 1, First + Block); ++x)
            AddHistogram(Window.data(), Column(x), Record);
        uint8_t* Out = Dest[y];
        for (int x = First; x < Last; ++x) {
            for (int c = 0; c < 3; ++c) {
                const uint16_t* Counts = Window.data() + c * L.Levels;
                const int Level = FirstMaximum(Counts, L.Levels);
                const uint32_t Count = Counts[Level];
                const uint32_t Sum = (static_cast<uint32_t>(Level) << L.Shift) * Count +
                                     Window[static_cast<size_t>((3 + c) * L.Levels + Level)];
                Out[x * 3 + c] = static_cast<uint8_t>(Divide[Count].Divide(Sum));
            }
            if (x + 1 == Last)
                break;
            const int Enter = x + Block + 1;
            const int Leave = x - Block;
            if (Enter < Width && Leave >= 0)
                SlideHistogram(Window.data(), Column(Enter), Column(Leave), Record);
            else if (Enter < Width)
                AddHistogram(Window.data(), Column(Enter), Record);
            else if (Leave >= 0)
                SubtractHistogram(Window.data(), Column(Leave), Record);
        }
    }
}

} // namespace

void OilPaintFilter(TFvDIB& Image, uint8_t Block, uint8_t ColourIndex)
{
    const int Reach = std::clamp<int>(Block, 1, 10);
    const int Index = std::min<int>(ColourIndex, 5);
    // Level Levels is never reached (v >> Shift < Levels), so scanning it
    // could not change the winner.
    const TLevels L{4 << Index, 6 - Index, (1 << (6 - Index)) - 1};
    const std::vector<const uint8_t*> Source = Get24BitRowsToRead(Image);
    const int Width = Image.Width();
    const int Height = Image.Height();
    TFvDIB Output;
    Make24BitImage(Output, Width, Height);
    const std::vector<uint8_t*> Dest = GetScanLineTable(&Output);

    const int Span = 2 * Reach + 1;
    std::vector<TReciprocal> Divide;
    Divide.reserve(static_cast<size_t>(Span * Span) + 1);
    for (int n = 0; n <= Span * Span; ++n)
        Divide.emplace_back(std::max(n, 1));

    // Strips of at most 512 columns: the histograms of a strip then take a
    // fixed amount of memory whatever the image's width, and stay in cache.
    constexpr int StripWidth = 512;
    ForEachBand(Width, static_cast<int64_t>(Height) * L.Record() * 2, [&](int First, int Last) {
        std::vector<uint16_t> Columns(static_cast<size_t>(std::min(StripWidth, Last - First) + 2 * Reach) * L.Record());
        std::vector<uint16_t> Window(static_cast<size_t>(L.Record()));
        for (int Sub = First; Sub < Last; Sub += StripWidth)
            Strip(Source, Dest, Width, Reach, L, Divide, Sub, std::min(Last, Sub + StripWidth), Columns, Window);
    });
    Image.Assign(&Output);
}
