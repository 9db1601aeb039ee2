// Method 1: every target pixel copies one source pixel, chosen index to index
// (not centre to centre), Trunc(x * W / w + 0.5), limited to the last one.
#include "effects/Interpolation.h"
#include "effects/PixelMove.h"
#include "effects/ResizeFrame.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <algorithm>
#include <vector>

namespace {

// Source index of every target index along one axis.
std::vector<int> NearestMap(int TargetSize, double Ratio, int SourceSize)
{
    std::vector<int> Map(static_cast<size_t>(TargetSize));
    for (int i = 0; i < TargetSize; ++i) {
        const long double Position = i * static_cast<long double>(Ratio) + 0.5L;
        Map[i] = static_cast<int>(std::min<long double>(Position, SourceSize - 1));
    }
    return Map;
}

} // namespace

TFvDIB& ResizeNearest(TFvDIB& Image, int Width, int Height)
{
    TResizeFrame Frame(Image, Width, Height);
    const std::vector<int> Columns = NearestMap(Width, Frame.RatioX, Frame.OldWidth);
    const std::vector<int> Rows = NearestMap(Height, Frame.RatioY, Frame.OldHeight);
    // The map never decreases: the target pixels before Wide neither end
    // their row nor read the source row's last pixel, so they move as four
    // bytes (the spare one is rewritten by the next pixel).
    int Wide = 0;
    while (Wide < Width - 1 && Columns[Wide] < Frame.OldWidth - 1)
        ++Wide;
    ForEachBand(Height, int64_t{3} * Width, [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            const uint8_t* In = Frame.SourceRows[Rows[y]];
            uint8_t* Out = Frame.TargetRows[y];
            int x = 0;
            for (; x < Wide; ++x)
                MovePixel4(Out + 3 * x, In + 3 * Columns[x]);
            for (; x < Width; ++x)
                MovePixel3(Out + 3 * x, In + 3 * Columns[x]);
        }
    });
    Image.Assign(&Frame.Target);
    return Image;
}
