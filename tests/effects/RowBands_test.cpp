#include "effects/AutoLevel.h"
#include "effects/Flip.h"
#include "effects/HlsCorrection.h"
#include "effects/RowBands.h"
#include "effects/Rotation.h"

#include "PixelGrid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {

// Restores the default thread count however a test ends.
struct ThreadCount {
    explicit ThreadCount(int Count) { SetEngineThreadCount(Count); }
    ~ThreadCount() { SetEngineThreadCount(0); }
};

TEST(RowBands, BandsCoverEveryItemOnce)
{
    {
        const ThreadCount One(1);
        EXPECT_EQ(EngineThreadCount(), 1);
    }
    const ThreadCount Four(4);
    EXPECT_EQ(EngineThreadCount(), 4);
    std::vector<std::atomic<int>> Seen(1000);
    ForEachBand(1000, 1 << 20, [&](int First, int Last) {
        for (int i = First; i < Last; ++i)
            ++Seen[i];
    });
    for (const auto& s : Seen)
        ASSERT_EQ(s.load(), 1);
    ForEachBand(0, 1 << 20, [](int, int) { FAIL(); });
}

TEST(RowBands, AnExceptionFromABandReachesTheCaller)
{
    const ThreadCount Four(4);
    EXPECT_THROW(ForEachBand(100, 1 << 20,
                             [](int First, int) {
                                 if (First > 0)
                                     throw std::runtime_error("band");
                             }),
                 std::runtime_error);
}

TEST(RowBands, SplitRowsGiveTheSameBytes)
{
    // Large enough for several bands of rows.
    auto Run = [](int Threads, auto&& Operation) {
        const ThreadCount Count(Threads);
        auto Image = MakeNoise(700, 260, 7);
        Operation(*Image);
        return Pixels(*Image);
    };
    auto Hls = [](TFvDIB& I) { HlsCorrection(I, 90, 30, -40); };
    EXPECT_EQ(Run(1, Hls), Run(4, Hls));
    EXPECT_EQ(Run(1, AutoLevel), Run(3, AutoLevel));
    auto Turn = [](TFvDIB& I) { Rotate90(I, false); };
    EXPECT_EQ(Run(1, Turn), Run(4, Turn));
    EXPECT_EQ(Run(1, FlipVertical), Run(4, FlipVertical));
}

} // namespace
