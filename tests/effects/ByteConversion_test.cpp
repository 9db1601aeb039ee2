#include "effects/ByteConversion.h"
#include "effects/Truncation.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ByteConversion, ClampToByteCutsBothEnds)
{
    EXPECT_EQ(ClampToByte(-1), 0);
    EXPECT_EQ(ClampToByte(std::numeric_limits<int>::min()), 0);
    EXPECT_EQ(ClampToByte(0), 0);
    EXPECT_EQ(ClampToByte(200), 200);
    EXPECT_EQ(ClampToByte(255), 255);
    EXPECT_EQ(ClampToByte(256), 255);
    EXPECT_EQ(ClampToByte(std::numeric_limits<int>::max()), 255);
}

TEST(ByteConversion, RoundToByteRoundsHalvesToEven)
{
    EXPECT_EQ(RoundToByte(0.5f), 0);
    EXPECT_EQ(RoundToByte(1.5f), 2);
    EXPECT_EQ(RoundToByte(127.5f), 128);
    EXPECT_EQ(RoundToByte(128.5f), 128);
    EXPECT_EQ(RoundToByte(254.5f), 254);
    EXPECT_EQ(RoundToByte(3.49f), 3);
    EXPECT_EQ(RoundToByte(3.51f), 4);
}

TEST(ByteConversion, RoundToByteClampsAndTakesNanAsZero)
{
    EXPECT_EQ(RoundToByte(-0.4f), 0);
    EXPECT_EQ(RoundToByte(-1000.0f), 0);
    EXPECT_EQ(RoundToByte(255.4f), 255);
    EXPECT_EQ(RoundToByte(1e30f), 255);
    EXPECT_EQ(RoundToByte(std::numeric_limits<float>::infinity()), 255);
    EXPECT_EQ(RoundToByte(-std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(RoundToByte(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(ByteConversion, WideArgumentsAreNarrowedToSingleFirst)
{
    // Just above a half in long double, but exactly the half once narrowed.
    const long double Wide = 2.5L + 1e-12L;
    EXPECT_EQ(RoundToByte(static_cast<float>(Wide)), 2);
}

TEST(ByteConversion, ExtendedRoundAndTruncMatchTheLibrary)
{
    for (long double x : {0.0L, 0.5L, 1.5L, 2.5L, -0.5L, -1.5L, -2.5L, 127.49999999L, 99.999999999999999L, -7.2L,
                          1e15L + 0.5L, -1e15L - 0.25L, 4611686018427387000.0L}) {
        EXPECT_EQ(RoundExtended(x), std::llrint(x)) << static_cast<double>(x);
        EXPECT_EQ(TruncExtended(x), static_cast<int64_t>(x)) << static_cast<double>(x);
    }
    // Just below a whole number: Trunc takes the one below.
    EXPECT_EQ(TruncExtended(3.0L - 0x1p-62L), 2);
    EXPECT_EQ(TruncExtended(-3.0L + 0x1p-62L), -2);
    // The saturating Trunc of the filters' steps: NaN gives 0, not the lowest integer.
    // (Read through volatile, so the compiler cannot fold the conversion away.)
    volatile long double NaN = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_EQ(TruncSaturated<int32_t>(NaN), 0);
    EXPECT_EQ(TruncSaturated<int32_t>(-2.9L), -2);
    EXPECT_EQ(TruncSaturated<int32_t>(1e30L), std::numeric_limits<int32_t>::max());
}

TEST(ByteConversion, LumaWeighsRedGreenBlue)
{
    EXPECT_EQ(Luma(0, 0, 0), 0);
    EXPECT_EQ(Luma(255, 255, 255), 255);
    EXPECT_EQ(Luma(255, 0, 0), 77);
    EXPECT_EQ(Luma(0, 255, 0), 149);
    EXPECT_EQ(Luma(0, 0, 255), 29);
    const uint8_t Pixel[3] = {10, 20, 30}; // B, G, R
    EXPECT_EQ(LumaOfPixel(Pixel), Luma(30, 20, 10));
}

} // namespace
