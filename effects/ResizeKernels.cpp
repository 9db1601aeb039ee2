// The resampling kernels. Each is evaluated in extended precision from its
// single-precision argument and narrowed once, when it answers.
#include "effects/ByteConversion.h"
#include "effects/Interpolation.h"

#include <cmath>

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;
constexpr long double TwoPi = 2 * Pi;
constexpr long double OneSixth = 1.0L / 6;
constexpr long double TwoThirds = 2.0L / 3;
constexpr long double SixteenThirds = 16.0L / 3;
constexpr long double MinusSevenThirds = -7.0L / 3;
constexpr long double ThirtyTwoThirds = 32.0L / 3;

float Narrow(long double Value)
{
    return static_cast<float>(Value);
}

} // namespace

float Sinc(float Value)
{
    if (Value == 0)
        return 1;
    const float a = Narrow(Value * Pi);
    return Narrow(std::sin(static_cast<long double>(a)) / a);
}

float HannKernel(float Value)
{
    const long double b = (Value + 3.0L) / 6;
    if (b < 0 || b > 1)
        return 0;
    return Narrow((0.5L - 0.5L * std::cos(TwoPi * b)) / 3);
}

float HermiteKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 1)
        return Narrow((2 * x - 3) * x * x + 1);
    return 0;
}

float BellKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 0.5L)
        return Narrow(0.75L - x * x);
    if (x < 1.5L)
        return Narrow(0.5L * (x - 1.5L) * (x - 1.5L));
    return 0;
}

float BSplineKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 1)
        return Narrow(0.5L * x * x * x - x * x + TwoThirds);
    if (x < 2)
        return Narrow((2 - x) * (2 - x) * (2 - x) * OneSixth);
    return 0;
}

float BicubicKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 1)
        return Narrow(x * x * x - 2 * x * x + 1);
    if (x < 2)
        return Narrow(-(x - 1) * (x - 2) * (x - 2));
    return 0;
}

float MitchellKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 1)
        return Narrow((7 * x * x * x - 12 * x * x + SixteenThirds) / 6);
    if (x < 2)
        return Narrow((MinusSevenThirds * x * x * x + 12 * x * x - 20 * x + ThirtyTwoThirds) / 6);
    return 0;
}

float LagrangeKernel(float Value)
{
    const long double x = std::fabs(static_cast<long double>(Value));
    if (x < 1)
        return Narrow(0.5L * (x - 2) * (x + 1) * (x - 1));
    if (x < 2)
        return Narrow(-(x - 1) * (x - 2) * (x - 3) / 6);
    return 0;
}

float Lanczos2Kernel(float Value)
{
    const float x = std::fabs(Value);
    if (x < 2)
        return Narrow(static_cast<long double>(Sinc(x)) * Sinc(Narrow(x / 2.0L)));
    return 0;
}

float Lanczos3Kernel(float Value)
{
    const float x = std::fabs(Value);
    if (x < 3)
        return Narrow(static_cast<long double>(Sinc(x)) * Sinc(Narrow(x / 3.0L)));
    return 0;
}

float Lanczos4Kernel(float Value)
{
    const float x = std::fabs(Value);
    if (x < 4)
        return Narrow(static_cast<long double>(Sinc(x)) * Sinc(Narrow(x / 4.0L)));
    return 0;
}

const TResizeFilter ResizeFilterTable[ResizeFilterCount] = {
    {"Hann", HannKernel, 3.0f},         {"hamming", HannKernel, 3.0f},    {"Hermite", HermiteKernel, 1.0f},
    {"Bell", BellKernel, 1.5f},         {"B-Spline", BSplineKernel, 2.0f}, {"Bicubic", BicubicKernel, 3.0f},
    {"Mitchell", MitchellKernel, 2.0f}, {"Lagrange", LagrangeKernel, 3.0f}, {"Lanczos2", Lanczos2Kernel, 2.0f},
    {"Lanczos3", Lanczos3Kernel, 3.0f}, {"Lanczos4", Lanczos4Kernel, 4.0f},
};
