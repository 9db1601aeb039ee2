// The working images that every resizer builds: a 24-bit copy of the image to
// read from and a blank 24-bit target.
#pragma once

#include "bitmap/FvDIB.h"

#include <cstdint>
#include <vector>

// Makes Target, a new bitmap, a blank 24-bit image of Width x Height: it is
// converted to 24 bits and then sized, so it keeps the colour table of the
// conversion. A width or height below 1 is refused by the bitmap class (a
// negative height would otherwise make a top-down bitmap).
void MakeTrueColorTarget(TFvDIB& Target, int Width, int Height);

// Makes Source, a new bitmap, a 24-bit copy of Image. An image that already
// is 24-bit is only shared, not copied.
void MakeTrueColorSource(TFvDIB& Source, TFvDIB& Image);

// What the direct resizers (nearest, bilinear, area) start from: the blank
// target, the 24-bit source, the source size, the Double ratios of old to new
// size, and the rows of both.
struct TResizeFrame {
    TResizeFrame(TFvDIB& Image, int Width, int Height);

    TFvDIB Target;
    TFvDIB Source;
    int OldWidth = 0;
    int OldHeight = 0;
    double RatioX = 0;
    double RatioY = 0;
    std::vector<const uint8_t*> SourceRows;
    std::vector<uint8_t*> TargetRows;
};
