// Bands of rows fixed before any work starts, for operations that write
// their result back into the rows they read: each band's state (copies of
// the rows it shares with its neighbours, buffers) is made up front, so
// nothing can fail once the first row is written.
#pragma once

#include "effects/RowBands.h"

#include <algorithm>
#include <cstdint>
#include <vector>

struct TBandRange {
    int First, Last;
};

// Contiguous bands covering 0 .. Count - 1, one per core as far as the
// work (BytesPerItem per row) is worth a thread.
inline std::vector<TBandRange> PlanBands(int Count, int64_t BytesPerItem)
{
    const int64_t Work = static_cast<int64_t>(Count) * std::max<int64_t>(BytesPerItem, 1);
    const int Bands = static_cast<int>(std::clamp<int64_t>(Work / (512 * 1024), 1, std::min(EngineThreadCount(), std::max(Count, 1))));
    std::vector<TBandRange> Plan(static_cast<size_t>(Bands));
    for (int b = 0; b < Bands; ++b)
        Plan[static_cast<size_t>(b)] = {static_cast<int>(static_cast<int64_t>(Count) * b / Bands),
                                        static_cast<int>(static_cast<int64_t>(Count) * (b + 1) / Bands)};
    return Plan;
}

// Runs Body(b) for every band b of the plan, each band on its own thread.
template <class Fn>
void ForEachPlannedBand(const std::vector<TBandRange>& Plan, Fn&& Body)
{
    const int Count = static_cast<int>(Plan.size());
    ForEachBand(Count, int64_t{1} << 40, [&](int First, int Last) {
        for (int b = First; b < Last; ++b)
            Body(b);
    });
}
