// The 3x3 neighbourhood filters: a runner that calls a per-pixel callback
// over a sliding window of zero-padded rows, the fixed kernel table and the
// engine's callbacks. Pixels outside the image read as black.
#pragma once

#include <cstdint>

class TFvDIB;

// X and Y of the pixel; Rows[r] addresses pixel X - 5 of image row Y - 5 + r,
// so pixel (X + dx, Y + dy) starts at byte (5 + dx) * 3 of Rows[5 + dy];
// Data as given to the runner; Pixel receives B, G, R.
using TNeighbourhoodProc = void (*)(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data,
                                    uint8_t* Pixel);

// Replaces every pixel of a 24-bit Image by PixelProc's result for it. The
// image is replaced only once every pixel is computed.
void NeighbourhoodFilter(TFvDIB& Image, TNeighbourhoodProc PixelProc, const void* Data);

// Twelve 3x3 kernels of whole numbers, row-major from row Y - 1, one after another.
extern const double FilterKernelTable[12 * 9];

void ConvolveColorEmboss(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveDarkEmboss(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveSunPower(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveHorzDifference(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveVertDifference(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveHorzRoberts(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveVertRoberts(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveVertSobel(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveLaplacian1(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveLaplacian2(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveLaplacian3(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
void ConvolveLaplacian4(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
// Grey emboss: mean of the upper-left neighbour less that of the lower-right, plus 128.
void PixelEmboss(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
// Data is nine int32_t weights, row-major, 256 standing for 1.0 (none: all 0).
void PixelWeighted(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
// Per-channel median of the 3x3 block.
void PixelMedian(int32_t X, int32_t Y, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel);
