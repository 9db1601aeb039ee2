// A quarter turn needs a second image: the source is read through its row
// table in tiles so that each output row is written in cache-sized strips.
// The half turn is the two mirrors and needs none.
#include "effects/Rotation.h"

#include "effects/Flip.h"
#include "effects/PixelWalk.h"

#include <algorithm>

#include <sys/mman.h>

namespace {

// Output rows handled together: their strips stay in cache while every
// source row passes once.
constexpr int TileRows = 16;

// A new image's pages are mapped on first touch, one fault per page, which
// costs more than the turn itself; asking for all of them at once is far
// cheaper. Only a hint: where the kernel cannot, the faults happen as usual.
void PrefaultRows(const std::vector<uint8_t*>& Rows, size_t RowBytes)
{
#ifdef MADV_POPULATE_WRITE
    if (Rows.empty())
        return;
    const auto [Low, High] = std::minmax_element(Rows.begin(), Rows.end());
    const uintptr_t Page = 4096;
    const uintptr_t First = reinterpret_cast<uintptr_t>(*Low) & ~(Page - 1);
    const uintptr_t End = reinterpret_cast<uintptr_t>(*High) + RowBytes;
    madvise(reinterpret_cast<void*>(First), End - First, MADV_POPULATE_WRITE);
#else
    (void)Rows;
    (void)RowBytes;
#endif
}

} // namespace

void Rotate90(TFvDIB& Image, bool Right)
{
    const std::vector<uint8_t*> Source = Get24BitScanLineTable(Image);
    const int W = Image.Width();
    const int H = static_cast<int>(Source.size());

    TFvDIB Output;
    Output.SetBitCount(24);
    Output.SetWidth(H);
    Output.SetHeight(W);
    const std::vector<uint8_t*> Target = GetScanLineTable(&Output);
    PrefaultRows(Target, static_cast<size_t>(H) * 3);

    const int Tiles = (W + TileRows - 1) / TileRows;
    ForEachBand(Tiles, static_cast<int64_t>(TileRows) * H * 3, [&](int FirstTile, int LastTile) {
        for (int Tile = FirstTile; Tile < LastTile; ++Tile) {
            const int First = Tile * TileRows;
            const int Last = std::min(W, First + TileRows);
            for (int k = 0; k < H; ++k) {
                if (Right) {
                    // Output (H-1-k, i) = source (i, k).
                    const uint8_t* s = Source[k] + 3 * First;
                    const int Column = 3 * (H - 1 - k);
                    for (int i = First; i < Last; ++i, s += 3) {
                        uint8_t* d = Target[i] + Column;
                        d[0] = s[0];
                        d[1] = s[1];
                        d[2] = s[2];
                    }
                } else {
                    // Output (k, i) = source (W-1-i, k).
                    const uint8_t* Row = Source[k];
                    const int Column = 3 * k;
                    for (int i = First; i < Last; ++i) {
                        const uint8_t* s = Row + 3 * (W - 1 - i);
                        uint8_t* d = Target[i] + Column;
                        d[0] = s[0];
                        d[1] = s[1];
                        d[2] = s[2];
                    }
                }
            }
        }
    });
    Image.Assign(&Output);
}

void Rotate180(TFvDIB& Image)
{
    FlipVertical(Image);
    FlipHorizontal(Image);
}
