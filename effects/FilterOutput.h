// The frame that the filters share: a new 24-bit image of the source's size
// receives the result, and replaces the source's pixels only when complete.
#pragma once

#include "bitmap/FvDIB.h"

inline void Make24BitImage(TFvDIB& Image, int Width, int Height)
{
    Image.SetPixelFormat(fvPf24Bit);
    Image.SetSize(Width, Height);
}
