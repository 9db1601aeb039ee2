// Oil paint: each channel becomes the mean of the window's values that fall
// in its most frequent level.
#pragma once

#include <cstdint>

class TFvDIB;

// Block 1 to 10 is the window's reach each way; ColourIndex 0 to 5 picks 4,
// 8, 16, 32, 64 or 128 levels (other values are clamped to those ranges).
void OilPaintFilter(TFvDIB& Image, uint8_t Block, uint8_t ColourIndex);
