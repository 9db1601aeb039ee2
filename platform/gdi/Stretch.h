// The copying engine behind StretchDIBits, StretchBlt, BitBlt and GetDIBits.
// Private to the platform layer.
#pragma once

#include "platform/gdi/DibLayout.h"

#include <cstdint>
#include <vector>

// The destination indices [first, first + source.size()) along one axis and
// the source index each one takes.
struct AxisMap {
    int64_t first = 0;
    std::vector<int32_t> source;
};

// Maps destination extent destExtent at destOrigin onto source extent
// srcExtent at srcOrigin: index i of d takes floor((2i + 1) * s / (2d)); a
// difference in sign between the extents mirrors the axis. Only indices that
// lie inside [0, destLimit) and, when srcLimit >= 0, whose source lies inside
// [0, srcLimit) are kept.
AxisMap MapAxis(int64_t destOrigin, int64_t destExtent, int64_t srcOrigin, int64_t srcExtent, int64_t destLimit,
                int64_t srcLimit);

// Whether the raster operation is one of those the layer draws.
bool SupportedRop(DWORD rop);
// Whether the raster operation reads the source.
bool RopUsesSource(DWORD rop);

// Copies the source rectangle (top-down coordinates) of source onto the
// destination rectangle of dest with the raster operation. source may be null
// when the operation does not read it. Both surfaces are uncompressed.
void StretchSurface(const DibSurface& dest, int64_t xDest, int64_t yDest, int64_t wDest, int64_t hDest,
                    const DibSurface* source, int64_t xSrc, int64_t ySrc, int64_t wSrc, int64_t hSrc, DWORD rop);
