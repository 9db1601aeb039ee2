// The custom filter's weights: the dialog's 3 x 3 doubles as the nine
// integers of the weighted-sum kernel, 256 standing for 1.0.
#pragma once

#include <array>
#include <cstdint>

// Trunc(w x 256), towards zero; beyond the 32-bit range it saturates, and
// NaN gives 0, so no typed weight wraps round to the opposite sign.
int32_t CustomWeight(double w);
// Row by row, in the kernel's own order.
std::array<int32_t, 9> CustomWeights(const double (&Kernel)[3][3]);
