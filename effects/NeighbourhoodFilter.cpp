// The neighbourhood runner. The engine's own callbacks run as whole-row
// kernels across the machine's cores; any other callback gets the
// eleven-row window of zero-padded copies and one call per pixel.
#include "effects/NeighbourhoodFilter.h"

#include "bitmap/FvDIB.h"
#include "effects/FilterOutput.h"
#include "effects/NeighbourhoodRows.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

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

void RunRows(TNeighbourhoodRowProc RowProc, const std::vector<uint8_t*>& Source, const std::vector<uint8_t*>& Dest,
             int Width, const void* Data)
{
    const int Height = static_cast<int>(Source.size());
    const int Bytes = Width * 3;
    const size_t Padded = static_cast<size_t>(Bytes) + 2 * Pad;
    ForEachBand(Height, static_cast<int64_t>(Bytes) * 8, [&](int First, int Last) {
        std::vector<uint8_t> Buffers(3 * Padded, 0);
        std::vector<uint8_t> Scratch(static_cast<size_t>(NeighbourhoodRowScratch(Bytes)));
        uint8_t* Window[3] = {Buffers.data(), Buffers.data() + Padded, Buffers.data() + 2 * Padded};
        for (int k = 0; k < 3; ++k)
            LoadRow(Window[k], Source, First - 1 + k, Bytes);
        for (int y = First; y < Last; ++y) {
            RowProc(Window[0] + Pad, Window[1] + Pad, Window[2] + Pad, Dest[y], Bytes, Data, Scratch.data());
            uint8_t* Oldest = Window[0];
            Window[0] = Window[1];
            Window[1] = Window[2];
            Window[2] = Oldest;
            if (y + 1 < Last)
                LoadRow(Window[2], Source, y + 2, Bytes);
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
    const int Height = Image.Height();
    TFvDIB Output;
    Make24BitImage(Output, Width, Height);
    const std::vector<uint8_t*> Dest = GetScanLineTable(&Output);
    if (TNeighbourhoodRowProc RowProc = FindNeighbourhoodRowProc(PixelProc))
        RunRows(RowProc, Source, Dest, Width, Data);
    else
        RunPixels(PixelProc, Source, Dest, Width, Data);
    Image.Assign(&Output);
}
