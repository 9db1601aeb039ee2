// Truncating division of a sum of bytes by a count, by multiplication. The
// filters divide once per channel and pixel; a hardware division there would
// cost more than the whole sum. Both forms give exactly Sum / Count.
#pragma once

#include <cstdint>

// Scalar form: exact whenever Sum * Count < 2^32.
class TReciprocal {
public:
    explicit TReciprocal(uint32_t Count) : FFactor((uint64_t{1} << 32) / Count + 1) {}
    uint32_t Divide(uint32_t Sum) const { return static_cast<uint32_t>((Sum * FFactor) >> 32); }

private:
    uint64_t FFactor;
};

// Vector-friendly form for a sum of at most 255 * Count bytes, Count below
// 16384: (Sum + 1/2) / Count lies at least 1/(2 Count) away from a whole
// number, far more than the two single-precision roundings can move it.
inline float FloatReciprocal(int Count)
{
    return 1.0f / static_cast<float>(Count);
}

[[gnu::always_inline]] inline uint8_t DivideByteSum(int32_t Sum, float Reciprocal)
{
    return static_cast<uint8_t>(static_cast<int32_t>((static_cast<float>(Sum) + 0.5f) * Reciprocal));
}
