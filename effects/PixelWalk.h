// The walk that every per-pixel effect makes: each row of a 24-bit image is
// handed to a row function, rows split across cores. A pixel's new value
// never depends on another pixel there, so the split cannot change a byte.
#pragma once

#include "bitmap/FvDIB.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <cstdint>
#include <vector>

// Calls Fn(Row, Width) for every row of Image.
template <class RowFn>
void ForEachRow24(TFvDIB& Image, RowFn&& Fn)
{
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    ForEachBand(static_cast<int>(Rows.size()), static_cast<int64_t>(Width) * 3, [&](int First, int Last) {
        for (int y = First; y < Last; ++y)
            Fn(Rows[y], Width);
    });
}
