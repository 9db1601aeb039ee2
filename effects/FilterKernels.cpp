// The engine's per-pixel neighbourhood callbacks. Each reads only the 3x3
// block around the pixel; the runner's row kernels compute the same bytes a
// row at a time.
#include "effects/NeighbourhoodFilter.h"

#include "effects/ByteConversion.h"

#include <algorithm>
#include <cstdlib>

const double FilterKernelTable[12 * 9] = {
    -1, -1, -1, 0, 1, 0, 1, 1, 1,      // colour emboss
    -1, -2, -1, 0, 0, 0, 1, 2, 1,      // dark emboss
    1, 3, 1, 3, 5, 3, 1, 3, 1,         // sun power
    0, 0, 0, 0, 1, -1, 0, 0, 0,        // horizontal difference
    0, 0, 0, 0, 1, 0, 0, -1, 0,        // vertical difference
    0, 0, 0, 0, 1, 0, 0, 0, -1,        // horizontal Roberts
    0, 0, 0, 0, 0, 1, 0, -1, 0,        // vertical Roberts
    -1, -2, -1, 0, 0, 0, 1, 2, 1,      // vertical Sobel
    0, -1, 0, -1, 4, -1, 0, -1, 0,     // Laplacian 1
    -1, -1, -1, -1, 8, -1, -1, -1, -1, // Laplacian 2
    1, -2, 1, -2, 4, -2, 1, -2, 1,     // Laplacian 3
    0, 1, 0, 1, -4, 1, 0, 1, 0,        // Laplacian 4
};

namespace {

// Byte of channel C of pixel (X + dx, Y + dy).
inline int At(const uint8_t* const* Rows, int dx, int dy, int C)
{
    return Rows[5 + dy][(5 + dx) * 3 + C];
}

// The kernel's sum for one channel, in double as the table holds it; the
// sums of whole numbers are exact.
int KernelSum(const uint8_t* const* Rows, int Kernel, int C)
{
    const double* K = FilterKernelTable + Kernel * 9;
    double Sum = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            Sum += K[(dy + 1) * 3 + dx + 1] * At(Rows, dx, dy, C);
    return static_cast<int>(Sum);
}

template <class Rule>
void Convolve(const uint8_t* const* Rows, int Kernel, uint8_t* Pixel, Rule Apply)
{
    for (int C = 0; C < 3; ++C)
        Pixel[C] = ClampToByte(Apply(KernelSum(Rows, Kernel, C)));
}

int AbsTimes5(int S) { return std::abs(S) * 5; }

} // namespace

void ConvolveColorEmboss(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 0, Pixel, [](int S) { return std::abs(S); });
}

void ConvolveDarkEmboss(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 1, Pixel, [](int S) { return std::abs(S) + 128; });
}

void ConvolveSunPower(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 2, Pixel, [](int S) { return S >> 4; });
}

void ConvolveHorzDifference(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 3, Pixel, AbsTimes5);
}

void ConvolveVertDifference(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 4, Pixel, AbsTimes5);
}

void ConvolveHorzRoberts(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 5, Pixel, AbsTimes5);
}

void ConvolveVertRoberts(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 6, Pixel, AbsTimes5);
}

void ConvolveVertSobel(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 7, Pixel, AbsTimes5);
}

void ConvolveLaplacian1(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 8, Pixel, AbsTimes5);
}

void ConvolveLaplacian2(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 9, Pixel, [](int S) { return std::abs(S) * 3; });
}

void ConvolveLaplacian3(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 10, Pixel, AbsTimes5);
}

void ConvolveLaplacian4(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    Convolve(Rows, 11, Pixel, AbsTimes5);
}

void PixelEmboss(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    const int A = (At(Rows, -1, -1, 0) + At(Rows, -1, -1, 1) + At(Rows, -1, -1, 2)) / 3;
    const int B = (At(Rows, 1, 1, 0) + At(Rows, 1, 1, 1) + At(Rows, 1, 1, 2)) / 3;
    const uint8_t V = RoundToByte(static_cast<float>(A - B + 128));
    Pixel[0] = Pixel[1] = Pixel[2] = V;
}

void PixelWeighted(int32_t, int32_t, const uint8_t* const* Rows, const void* Data, uint8_t* Pixel)
{
    // No weights weigh everything by zero.
    static const int32_t NoWeights[9] = {};
    const int32_t* W = Data ? static_cast<const int32_t*>(Data) : NoWeights;
    for (int C = 0; C < 3; ++C) {
        // 64 bits: large custom weights give the sum they mean instead of wrapping.
        int64_t Sum = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                Sum += static_cast<int64_t>(W[(dy + 1) * 3 + dx + 1]) * At(Rows, dx, dy, C);
        const int64_t Shifted = Sum >> 8;
        Pixel[C] = static_cast<uint8_t>(std::clamp<int64_t>(Shifted, 0, 255));
    }
}

void PixelMedian(int32_t, int32_t, const uint8_t* const* Rows, const void*, uint8_t* Pixel)
{
    for (int C = 0; C < 3; ++C) {
        uint8_t V[9];
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                V[(dy + 1) * 3 + dx + 1] = static_cast<uint8_t>(At(Rows, dx, dy, C));
        std::sort(V, V + 9);
        Pixel[C] = V[4];
    }
}
