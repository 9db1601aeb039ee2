#include "app/CustomWeights.h"

#include <cmath>
#include <limits>

int32_t CustomWeight(double w)
{
    // Scaling by 256 is exact in double, so only the truncation rounds.
    const double scaled = std::trunc(w * 256.0);
    if (std::isnan(scaled))
        return 0;
    if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(scaled);
}

std::array<int32_t, 9> CustomWeights(const double (&Kernel)[3][3])
{
    std::array<int32_t, 9> weights{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            weights[r * 3 + c] = CustomWeight(Kernel[r][c]);
    return weights;
}
