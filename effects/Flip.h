// Mirrors of a 24-bit image, in place.
#pragma once

class TFvDIB;

// Swaps the rows top to bottom.
void FlipVertical(TFvDIB& Image);
// Mirrors every row left to right.
void FlipHorizontal(TFvDIB& Image);
