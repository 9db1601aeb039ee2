// Trunc of an extended-precision value into an integer type, saturating at
// the type's limits; NaN gives 0. The filters turn user-controlled reals
// into integer steps and weights with it, so no value can overflow.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

template <class Int>
Int TruncSaturated(long double Value)
{
    if (std::isnan(Value))
        return 0;
    const long double T = std::trunc(Value);
    if (T <= static_cast<long double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    if (T >= static_cast<long double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(T);
}
