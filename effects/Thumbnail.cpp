// Nearest-neighbour sampling through one index map per axis, computed once.
#include "effects/Thumbnail.h"

#include "effects/PixelWalk.h"

#include <vector>

namespace {

// Entry i of d is Trunc(i / d * (s - 1) + 0.5), evaluated in that order.
std::vector<int> IndexMap(int d, int s)
{
    std::vector<int> Map(d);
    for (int i = 0; i < d; ++i)
        Map[i] = static_cast<int>(static_cast<long double>(i) / d * (s - 1) + 0.5L);
    return Map;
}

} // namespace

void MakeThumbnail(TFvDIB& Source, TFvDIB& Dest)
{
    if (&Source == &Dest) {
        // Sampling an image into itself would read pixels already written.
        TFvDIB Copy;
        Copy.Assign(&Source);
        MakeThumbnail(Copy, Dest);
        return;
    }
    const std::vector<uint8_t*> Target = Get24BitScanLineTable(Dest);
    // Read in place: the document shares its pixels with the history, and
    // un-sharing them would copy the whole image for a small preview.
    const std::vector<const uint8_t*> From = Get24BitRowsToRead(Source);
    const int dW = Dest.Width();
    const int dH = static_cast<int>(Target.size());
    const int sW = Source.Width();
    const int sH = static_cast<int>(From.size());
    if (dW <= 0 || dH <= 0 || sW <= 0 || sH <= 0)
        return;
    const std::vector<int> Columns = IndexMap(dW, sW);
    const std::vector<int> RowMap = IndexMap(dH, sH);
    ForEachBand(dH, static_cast<int64_t>(dW) * 3, [&](int First, int Last) {
        for (int j = First; j < Last; ++j) {
            const uint8_t* s = From[RowMap[j]];
            uint8_t* d = Target[j];
            for (int i = 0; i < dW; ++i, d += 3) {
                const uint8_t* p = s + 3 * Columns[i];
                d[0] = p[0];
                d[1] = p[1];
                d[2] = p[2];
            }
        }
    });
}
