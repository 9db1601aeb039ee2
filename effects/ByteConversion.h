// The two conversions to a byte and the integer luma rule that every effect
// shares. Every engine file includes this header, so the check on the
// extended type below guards the whole engine.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The engine's formulas are evaluated in the 80-bit x87 extended type; a
// platform whose long double is anything else gives different bytes.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must be the 80-bit x87 extended type");

// Value < 0 gives 0, Value > 255 gives 255, else Value.
constexpr uint8_t ClampToByte(int Value)
{
    return static_cast<uint8_t>(Value < 0 ? 0 : Value > 255 ? 255 : Value);
}

// The argument is single precision on purpose: wider values are narrowed
// first, which decides some halves. Round is half to even; NaN gives 0.
inline uint8_t RoundToByte(float Value)
{
    if (!(Value >= 0.0f))
        return 0;
    if (Value > 255.0f)
        return 255;
    // Adding 2^23 leaves no fraction bits, so the sum is rounded to an
    // integer half to even by the default rounding mode; no library call.
    return static_cast<uint8_t>(static_cast<int>((Value + 8388608.0f) - 8388608.0f));
}

// Round (half to even) and Trunc of a long double with |x| < 2^62, without
// the x87 control-word switches that a cast costs. Adding 1.5 * 2^63 leaves
// exactly the integer bits in the 64-bit significand, rounded half to even
// by the default rounding mode; the significand is then read back.
inline int64_t RoundExtended(long double x)
{
    const long double Shifted = x + 0x1.8p63L;
    uint64_t Significand;
    std::memcpy(&Significand, &Shifted, sizeof Significand);
    return static_cast<int64_t>(Significand - 0xC000000000000000u);
}

inline int64_t TruncExtended(long double x)
{
    const int64_t r = RoundExtended(x);
    if (x >= 0)
        return static_cast<long double>(r) > x ? r - 1 : r;
    return static_cast<long double>(r) < x ? r + 1 : r;
}

// Integer luma, always 0 .. 255.
constexpr int Luma(int R, int G, int B)
{
    return (77 * R + 150 * G + 29 * B + 128) >> 8;
}

// The same for a 24-bit pixel stored B, G, R.
constexpr int LumaOfPixel(const uint8_t* Pixel)
{
    return Luma(Pixel[2], Pixel[1], Pixel[0]);
}
