// The source rows one band of an in-place filter reads while its output
// overwrites the image: rows within Reach of the band that belong to its
// neighbours are copied before any band writes (CopyShared), and the band's
// own rows pass through a ring of 2 Reach + 1 copies, each taken before the
// band overwrites that row. Row(j) then gives the original row j for any j
// within Reach of the row being written.
#pragma once

#include "effects/BandPlan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class TBandRows {
public:
    TBandRows(const std::vector<uint8_t*>& Image, TBandRange Band, int Reach, size_t Bytes)
        : FImage(&Image), FBand(Band), FReach(Reach), FBytes(Bytes),
          FShared(2 * static_cast<size_t>(Reach) * Bytes), FRing(static_cast<size_t>(2 * Reach + 1) * Bytes)
    {
    }

    // Before any band writes.
    void CopyShared()
    {
        const int Height = static_cast<int>(FImage->size());
        for (int j = std::max(0, FBand.First - FReach); j < FBand.First; ++j)
            std::memcpy(FShared.data() + SharedOffset(j), (*FImage)[static_cast<size_t>(j)], FBytes);
        for (int j = FBand.Last; j < std::min(Height, FBand.Last + FReach); ++j)
            std::memcpy(FShared.data() + SharedOffset(j), (*FImage)[static_cast<size_t>(j)], FBytes);
    }

    // Before the band's first row: its own rows First .. First + Reach - 1.
    void Start()
    {
        for (int j = FBand.First; j < std::min(FBand.Last, FBand.First + FReach); ++j)
            Take(j);
    }

    // Before row Y is written: its own row Y + Reach, in the ring place of
    // row Y - Reach - 1.
    void Advance(int Y)
    {
        if (Y + FReach < FBand.Last)
            Take(Y + FReach);
    }

    const uint8_t* Row(int J) const
    {
        if (J < FBand.First || J >= FBand.Last)
            return FShared.data() + SharedOffset(J);
        return FRing.data() + static_cast<size_t>(J % (2 * FReach + 1)) * FBytes;
    }

private:
    size_t SharedOffset(int J) const
    {
        const int Index = J < FBand.First ? J - (FBand.First - FReach) : FReach + J - FBand.Last;
        return static_cast<size_t>(Index) * FBytes;
    }

    void Take(int J)
    {
        std::memcpy(FRing.data() + static_cast<size_t>(J % (2 * FReach + 1)) * FBytes, (*FImage)[static_cast<size_t>(J)],
                    FBytes);
    }

    const std::vector<uint8_t*>* FImage;
    TBandRange FBand;
    int FReach;
    size_t FBytes;
    std::vector<uint8_t> FShared;
    std::vector<uint8_t> FRing;
};
