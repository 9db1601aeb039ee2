#include "app/CustomWeights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(CustomWeights, TruncateTowardsZeroAndSaturateOutsideTheIntegerRange)
{
    EXPECT_EQ(CustomWeight(1.5), 384);
    EXPECT_EQ(CustomWeight(-0.3), -76);
    EXPECT_EQ(CustomWeight(0.001), 0);
    EXPECT_EQ(CustomWeight(-0.001), 0);
    EXPECT_EQ(CustomWeight(8388607.99), 2147483645);
    EXPECT_EQ(CustomWeight(1e10), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(CustomWeight(-1e10), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(CustomWeight(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(CustomWeight(std::nan("")), 0);
}

TEST(CustomWeights, KeepTheKernelsRowByRowOrder)
{
    const double kernel[3][3] = {{0, 0.5, 0}, {0, 1, 0}, {-1, 0, 2}};
    const std::array<int32_t, 9> expected{0, 128, 0, 0, 256, 0, -256, 0, 512};
    EXPECT_EQ(CustomWeights(kernel), expected);
}

} // namespace
