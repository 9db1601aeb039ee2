// Every formula here is evaluated in long double as written, with Trunc and
// Round at exactly the points named; the LMS path is integer only.
#include "effects/ColorModels.h"

#include <algorithm>
#include <cmath>

void RgbToHls(uint32_t Color, int& Hue, int& Saturation, int& Lightness)
{
    const long double r = ((Color >> 16) & 0xFF) / 255.0L;
    const long double g = ((Color >> 8) & 0xFF) / 255.0L;
    const long double b = (Color & 0xFF) / 255.0L;
    const long double mx = std::max({r, g, b});
    const long double mn = std::min({r, g, b});
    const long double d = mx - mn;
    const long double l = (mx + mn) / 2;
    long double h = 0;
    long double s = 0;
    if (!(d < 1e-6L)) {
        s = l <= 0.5L ? d / (mx + mn) : d / (2 - mx - mn);
        const long double cr = (mx - r) / d;
        const long double cg = (mx - g) / d;
        const long double cb = (mx - b) / d;
        if (r == mx)
            h = cb - cg;
        else if (g == mx)
            h = 2 + cr - cb;
        else
            h = 4 + cg - cr;
        h = h * 60;
        if (h < 0)
            h = h + 360;
    }
    Hue = static_cast<int>(h);
    Saturation = static_cast<int>(s * 100);
    Lightness = static_cast<int>(l * 100);
}

namespace {

// One channel of the double cone at hue angle a, 0 .. 359.
long double HueChannel(long double m1, long double m2, int a)
{
    if (a < 60)
        return m1 + (m2 - m1) * a / 60;
    if (a < 180)
        return m2;
    if (a < 240)
        return m1 + (m2 - m1) * (240 - a) / 60;
    return m1;
}

} // namespace

void HlsToRgb(uint8_t* Pixel, int Hue, int Saturation, int Lightness)
{
    const long double s = Saturation / 100.0L;
    const long double l = Lightness / 100.0L;
    long double r, g, b;
    if (Saturation == 0) {
        r = g = b = l;
    } else {
        const long double m2 = l <= 0.5L ? l * (1 + s) : l + s - l * s;
        const long double m1 = 2 * l - m2;
        // Angles outside a turn are brought into it so every channel is defined.
        const int h = ((Hue % 360) + 360) % 360;
        const int aR = h + 120 >= 360 ? h + 120 - 360 : h + 120;
        const int aB = h - 120 < 0 ? h - 120 + 360 : h - 120;
        r = HueChannel(m1, m2, aR);
        g = HueChannel(m1, m2, h);
        b = HueChannel(m1, m2, aB);
    }
    Pixel[2] = RoundToByte(static_cast<float>(r * 255));
    Pixel[1] = RoundToByte(static_cast<float>(g * 255));
    Pixel[0] = RoundToByte(static_cast<float>(b * 255));
}

void RgbToYCbCr(uint32_t Color, int& Y, int& Cr, int& Cb)
{
    const int R = (Color >> 16) & 0xFF;
    const int G = (Color >> 8) & 0xFF;
    const int B = Color & 0xFF;
    Y = static_cast<int>(0.299L * R + 0.587L * G + 0.114L * B);
    Cr = static_cast<int>(0.5L * R - 0.419L * G - 0.081L * B + 128);
    Cb = static_cast<int>(-0.169L * R - 0.332L * G + 0.5L * B + 128);
}

void YCbCrToRgb(uint8_t* Pixel, int Y, int Cr, int Cb)
{
    Pixel[2] = RoundToByte(static_cast<float>(Y + 1.402L * (Cr - 128)));
    Pixel[1] = RoundToByte(static_cast<float>(Y - 0.714L * (Cr - 128) - 0.344L * (Cb - 128)));
    Pixel[0] = RoundToByte(static_cast<float>(Y + 1.772L * (Cb - 128)));
}

void RgbToLms(uint32_t Color, uint32_t& L, uint32_t& M, uint32_t& S)
{
    const uint32_t R = (Color >> 16) & 0xFF;
    const uint32_t G = (Color >> 8) & 0xFF;
    const uint32_t B = Color & 0xFF;
    L = (180497 * R + 512748 * G + 58962 * B) >> 10;
    M = (21764 * R + 415748 * G + 62529 * B) >> 10;
    S = (10486 * G + 1038090 * B) >> 10;
}

namespace {

// A negative sum is 0; otherwise sum shr 20, clamped to 255. Sums are formed
// in 64 bits so that no argument can overflow them.
uint8_t LmsChannel(int64_t Sum)
{
    if (Sum < 0)
        return 0;
    return static_cast<uint8_t>(std::min<int64_t>(Sum >> 20, 255));
}

} // namespace

void LmsToRgb(uint8_t* Pixel, int L, int M, int S)
{
    const int64_t l = L, m = M, s = S;
    Pixel[2] = LmsChannel(6988 * l - 8622 * m + 122 * s);
    Pixel[1] = LmsChannel(-366 * l + 3039 * m - 162 * s);
    Pixel[0] = LmsChannel(4 * l - 31 * m + 1036 * s);
}
