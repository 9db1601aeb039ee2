// The contributor lists of one axis of the two-pass resampler: for every
// target index, the source indexes and single-precision weights that make
// it, in the order they are summed.
#pragma once

#include "effects/Interpolation.h"

#include <cstdint>
#include <vector>

struct TContributorLists {
    // List i holds entries First[i] .. First[i + 1] - 1.
    std::vector<int32_t> First;
    std::vector<int32_t> Pixel;
    std::vector<float> Weight;
    // Per list: its weights lie close enough together in magnitude that a
    // fused single-precision multiply-add gives the same sums as the
    // extended evaluation (see ResamplePass.cpp).
    std::vector<uint8_t> Fusable;

    int Count() const { return static_cast<int>(First.size()) - 1; }
};

// Target index i sits at source position i / Scale, Scale being new/old for
// an axis of size 1 at either end and (new - 1)/(old - 1) otherwise. A
// shrink widens the kernel by the inverse of the scale and divides its
// weights by it. Zero weights are left out; indexes beyond the ends are
// mirrored once and then clamped into the image.
TContributorLists BuildContributors(int SourceSize, int TargetSize, float Support, TFilterProc Filter);
