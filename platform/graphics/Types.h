#pragma once

#include "platform/gdi/GdiTypes.h"

struct TPoint {
    int X = 0;
    int Y = 0;
};

// A rectangle of the class library: right and bottom are outside it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    RECT ToRECT() const { return RECT{Left, Top, Right, Bottom}; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect{left, top, right, bottom};
}
