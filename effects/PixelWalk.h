// The walk that every per-pixel effect makes: each row of a 24-bit image is
// handed to a row function, rows split across cores. A pixel's new value
// never depends on another pixel there, so the split cannot change a byte.
#pragma once

#include "bitmap/FvDIB.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <cstdint>
#include <cstring>
#include <vector>

// Calls Fn(Row, Width) for every row of Image. Pixels shared with another
// bitmap (an undo snapshot) are copied row by row just before Fn, while the
// row is in cache, instead of all at once beforehand.
template <class RowFn>
void ForEachRow24(TFvDIB& Image, RowFn&& Fn)
{
    const std::vector<const uint8_t*> Shared = Get24BitRowsToRead(Image);
    TFvDIB Previous;
    const bool Copy = Image.UnshareBlank(Previous);
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const size_t Stride = static_cast<size_t>(DIBStride(Width, 24));
    ForEachBand(static_cast<int>(Rows.size()), static_cast<int64_t>(Width) * 3, [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            if (Copy)
                std::memcpy(Rows[y], Shared[y], Stride);
            Fn(Rows[y], Width);
        }
    });
}
