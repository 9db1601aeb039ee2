// The size command's dispatch from method number to resizer.
#include "effects/Interpolation.h"

TFvDIB& ResizeImage(TFvDIB& Image, int Width, int Height, int Method)
{
    switch (Method) {
    case 0:
        return ResizeStretchBlt(Image, Width, Height);
    case 1:
        return ResizeNearest(Image, Width, Height);
    case 2:
        return ResizeBilinear(Image, Width, Height);
    case 3:
        return ResizeIntegration(Image, Width, Height);
    default:
        if (Method >= 4 && Method < 4 + ResizeFilterCount) {
            const TResizeFilter& Row = ResizeFilterTable[Method - 4];
            return Resample(Image, Width, Height, Row.Support, Row.Filter);
        }
        return Image;
    }
}
