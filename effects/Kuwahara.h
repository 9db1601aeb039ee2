// Kuwahara: each pixel becomes the mean of whichever of its four corner
// squares varies least.
#pragma once

#include <cstdint>

class TFvDIB;

// Block 1 to 10 (other values are clamped to that range): the squares are
// Block + 1 pixels on a side. Mode has no effect.
void KuwaharaFilter(TFvDIB& Image, uint8_t Block, uint8_t Mode);
