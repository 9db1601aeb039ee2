// Resizing an image by one of fifteen methods: the platform's stretching
// blit, three direct resamplers (nearest neighbour, bilinear, area
// integration) and eleven kernels run by one separable two-pass resampler.
// Every routine accepts any pixel format, works on a 24-bit copy and leaves
// its result, always 24-bit, in the image it was given.
#pragma once

#include "bitmap/FvDIB.h"

// A resampling kernel: even in Value, zero at and beyond its support.
using TFilterProc = float (*)(float Value);

struct TResizeFilter {
    const char* Name;
    TFilterProc Filter;
    // Half-width of the kernel in source pixels.
    float Support;
};

// The kernels of methods 4 .. 14; method m uses row m - 4.
constexpr int ResizeFilterCount = 11;
extern const TResizeFilter ResizeFilterTable[ResizeFilterCount];

float Sinc(float Value);
float HannKernel(float Value);
float HermiteKernel(float Value);
float BellKernel(float Value);
float BSplineKernel(float Value);
float BicubicKernel(float Value);
float MitchellKernel(float Value);
float LagrangeKernel(float Value);
float Lanczos2Kernel(float Value);
float Lanczos3Kernel(float Value);
float Lanczos4Kernel(float Value);

// Method 0: the platform's StretchBlt in COLORONCOLOR mode. Its two failures
// are shown to the user (ShowMessage) instead of raised; on a device that
// cannot stretch the image is left as it was.
TFvDIB& ResizeStretchBlt(TFvDIB& Image, int Width, int Height);
// Method 1: pixel index to pixel index, Trunc(x * W / w + 0.5).
TFvDIB& ResizeNearest(TFvDIB& Image, int Width, int Height);
// Method 2: the four nearest pixels around the mapped pixel centre.
TFvDIB& ResizeBilinear(TFvDIB& Image, int Width, int Height);
// Method 3: the area average of the source pixels under each target pixel.
TFvDIB& ResizeIntegration(TFvDIB& Image, int Width, int Height);
// Methods 4 .. 14: horizontal then vertical pass with unnormalised weights;
// the first and last pixel centres of both images coincide. The current size
// returns the image untouched. Raises Exception "Source bitmap too small".
TFvDIB& Resample(TFvDIB& Image, int Width, int Height, float Support, TFilterProc Filter);

// Methods 0 .. 14 as above; any other method leaves the image unchanged. A
// width or height below 1 is refused by the bitmap class and the image keeps
// its content. Always answers Image.
TFvDIB& ResizeImage(TFvDIB& Image, int Width, int Height, int Method);
