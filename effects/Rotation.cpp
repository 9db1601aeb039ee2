// A quarter turn needs a second image: the source is read through its row
// table (never un-sharing it) in tiles so that each output row is written in
// cache-sized strips.
// The half turn is the two mirrors and needs none.
#include "effects/Rotation.h"

#include "effects/Flip.h"
#include "effects/PixelMove.h"
#include "effects/PixelWalk.h"

#include <algorithm>

namespace {

// Output rows handled together: their strips stay in cache while every
// source row passes once.
constexpr int TileRows = 16;

} // namespace

void Rotate90(TFvDIB& Image, bool Right)
{
    const std::vector<const uint8_t*> Source = Get24BitRowsToRead(Image);
    const int W = Image.Width();
    const int H = static_cast<int>(Source.size());

    TFvDIB Output;
    Output.SetBitCount(24);
    Output.SetWidth(H);
    Output.SetHeight(W);
    const std::vector<uint8_t*> Target = GetScanLineTable(&Output);

    const int Tiles = (W + TileRows - 1) / TileRows;
    ForEachBand(Tiles, static_cast<int64_t>(TileRows) * H * 3, [&](int FirstTile, int LastTile) {
        for (int Tile = FirstTile; Tile < LastTile; ++Tile) {
            const int First = Tile * TileRows;
            const int Last = std::min(W, First + TileRows);
            if (Right) {
                // Output (H-1-k, i) = source (i, k). Columns are written left
                // to right, so each four-byte store's spare byte is rewritten
                // by the next; source column W-1 is read with three bytes.
                const int Wide = std::min(Last, W - 1);
                for (int k = H - 1; k >= 0; --k) {
                    const uint8_t* Row = Source[k];
                    const int Column = 3 * (H - 1 - k);
                    if (k > 0) {
                        int i = First;
                        for (; i < Wide; ++i)
                            MovePixel4(Target[i] + Column, Row + 3 * i);
                        for (; i < Last; ++i)
                            MovePixel3(Target[i] + Column, Row + 3 * i);
                    } else {
                        for (int i = First; i < Last; ++i)
                            MovePixel3(Target[i] + Column, Row + 3 * i);
                    }
                }
            } else {
                // Output (k, i) = source (W-1-i, k); source column W-1 - 0 is
                // the last of its row and read with three bytes.
                const int Wide = std::max(First, 1);
                for (int k = 0; k < H; ++k) {
                    const uint8_t* Row = Source[k] + 3 * (W - 1);
                    const int Column = 3 * k;
                    if (k < H - 1) {
                        for (int i = First; i < Wide; ++i)
                            MovePixel3(Target[i] + Column, Row - 3 * i);
                        for (int i = Wide; i < Last; ++i)
                            MovePixel4(Target[i] + Column, Row - 3 * i);
                    } else {
                        for (int i = First; i < Last; ++i)
                            MovePixel3(Target[i] + Column, Row - 3 * i);
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
