// The neighbourhood runner. The engine's own callbacks run as whole-row
// kernels across the machine's cores, in place; any other callback gets the
// eleven-row window of zero-padded copies and one call per pixel.
#include "effects/NeighbourhoodFilter.h"

#include "bitmap/FvDIB.h"
#include "effects/FilterOutput.h"
#include "effects/NeighbourhoodRows.h"
#include "effects/BandPlan.h"
#include "effects/ScanLineTable.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Five black pixels on each side of a padded row.
constexpr int Pad = 15;

void LoadRow(uint8_t* Padded, const std::vector<uint8_t*>& Source, int Row, size_t RowBytes)
{
    if (Row >= 0 && Row < static_cast<int>(Source.size()))
        std::memcpy(Padded + Pad, Source[Row], RowBytes);
    else
        std::memset(Padded + Pad, 0, RowBytes);
}

// The engine's callbacks write their rows straight back into the image:
// each output row is computed from copies, and every row a band reads
// beyond its own (the one above, the one below) is copied before any band
// starts writing. Everything is allocated before the first write, so the
// image changes only once nothing can fail any more.
struct TBand {
    std::vector<uint8_t> Window; // three padded rows, preloaded
    std::vector<uint8_t> Below;  // row Last, taken before anyone writes it
    std::vector<uint8_t> Scratch;
};

void RunRowsInPlace(TNeighbourhoodRowProc RowProc, const std::vector<uint8_t*>& Rows, int Width, const void* Data)
{
    const int Height = static_cast<int>(Rows.size());
    const int Bytes = Width * 3;
    const size_t Padded = static_cast<size_t>(Bytes) + 2 * Pad;
    const std::vector<TBandRange> Plan = PlanBands(Height, static_cast<int64_t>(Bytes) * 8);

    std::vector<TBand> Bands(Plan.size());
    for (size_t b = 0; b < Plan.size(); ++b) {
        TBand& Band = Bands[b];
        Band.Window.assign(3 * Padded, 0);
        for (int k = 0; k < 3; ++k)
            LoadRow(Band.Window.data() + k * Padded, Rows, Plan[b].First - 1 + k, Bytes);
        Band.Below.assign(Padded, 0);
        LoadRow(Band.Below.data(), Rows, Plan[b].Last, Bytes);
        Band.Scratch.resize(static_cast<size_t>(NeighbourhoodRowScratch(Bytes)));
    }

    ForEachPlannedBand(Plan, [&](int b) {
        TBand& Band = Bands[static_cast<size_t>(b)];
        const int Last = Plan[static_cast<size_t>(b)].Last;
        uint8_t* Window[3] = {Band.Window.data(), Band.Window.data() + Padded, Band.Window.data() + 2 * Padded};
        for (int y = Plan[static_cast<size_t>(b)].First; y < Last; ++y) {
            RowProc(Window[0] + Pad, Window[1] + Pad, Window[2] + Pad, Rows[y], Bytes, Data, Band.Scratch.data());
            uint8_t* Oldest = Window[0];
            Window[0] = Window[1];
            Window[1] = Window[2];
            Window[2] = Oldest;
            if (y + 2 < Last)
                LoadRow(Window[2], Rows, y + 2, Bytes);
            else if (y + 2 == Last)
                std::memcpy(Window[2], Band.Below.data(), Padded);
        }
    });
}

void RunPixels(TNeighbourhoodProc PixelProc, const std::vector<uint8_t*>& Source, const std::vector<uint8_t*>& Dest,
               int Width, const void* Data)
{
    const int Height = static_cast<int>(Source.size());
    const size_t Bytes = static_cast<size_t>(Width) * 3;
    const size_t Padded = Bytes + 2 * Pad;
    // Row j lives in slot (j + 5) mod 11; each step reloads one slot.
    std::vector<uint8_t> Buffers(11 * Padded, 0);
    auto Slot = [&](int Row) { return Buffers.data() + static_cast<size_t>((Row + 5) % 11) * Padded; };
    for (int Row = -5; Row <= 5; ++Row)
        LoadRow(Slot(Row), Source, Row, Bytes);
    const uint8_t* Rows[11];
    for (int y = 0; y < Height; ++y) {
        for (int r = 0; r < 11; ++r)
            Rows[r] = Slot(y - 5 + r);
        uint8_t* Out = Dest[y];
        for (int x = 0; x < Width; ++x) {
            PixelProc(x, y, Rows, Data, Out + static_cast<size_t>(x) * 3);
            for (const uint8_t*& Row : Rows)
                Row += 3;
        }
        LoadRow(Slot(y - 5), Source, y + 6, Bytes);
    }
}

} // namespace

void NeighbourhoodFilter(TFvDIB& Image, TNeighbourhoodProc PixelProc, const void* Data)
{
    if (!PixelProc)
        throw EInvalidOperation("NeighbourhoodFilter: no pixel procedure");
    const std::vector<uint8_t*> Source = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    if (TNeighbourhoodRowProc RowProc = FindNeighbourhoodRowProc(PixelProc)) {
        RunRowsInPlace(RowProc, Source, Width, Data);
        return;
    }
    // A caller's callback may fail anywhere: its results go to a new image
    // that replaces the old pixels only at the end.
    TFvDIB Output;
    Make24BitImage(Output, Width, Image.Height());
    RunPixels(PixelProc, Source, GetScanLineTable(&Output), Width, Data);
    Image.Assign(&Output);
}
