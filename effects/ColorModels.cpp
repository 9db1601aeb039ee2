// The formulas are defined in long double with Trunc and Round at fixed
// points. The per-pixel versions here give the same bytes without x87 work
// on almost every pixel: the exact value of each formula is a fraction with
// a small integer denominator, so Trunc and Round of it follow from integer
// arithmetic, except where the exact value sits on the rounding boundary
// itself (an integer for Trunc, a half for Round). Only there does the
// extended evaluation decide, and only there is it done. What depends on
// two small integers alone is tabulated once, from the formula itself.
#include "effects/ColorModels.h"

#include "effects/HlsModel.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

// Floor of a / b for b > 0.
constexpr int FloorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The formula itself, for saturations and lightnesses beyond 0 .. 100.
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

// ---- YCbCr ----

// Trunc of Num / 1000 as the extended Value gives it; Num > 0.
int TruncThousandths(int Num, long double Value)
{
    const int q = Num / 1000;
    if (Num % 1000 != 0)
        return q;
    return static_cast<long double>(q) > Value ? q - 1 : q;
}

// RoundToByte of Num / 1000 as the narrowed extended Value gives it.
uint8_t RoundThousandths(int Num, long double (*Value)(int, int, int), int a, int b, int c)
{
    const int Rest = Num - 1000 * FloorDiv(Num, 1000);
    if (Rest == 500)
        return RoundToByte(static_cast<float>(Value(a, b, c)));
    return ClampToByte(FloorDiv(Num + 500, 1000));
}

// The differences are formed wide so that no argument can overflow them.
long double ExtendedR(int Y, int Cr, int)
{
    return Y + 1.402L * (Cr - 128.0L);
}

long double ExtendedG(int Y, int Cr, int Cb)
{
    return Y - 0.714L * (Cr - 128.0L) - 0.344L * (Cb - 128.0L);
}

long double ExtendedB(int Y, int, int Cb)
{
    return Y + 1.772L * (Cb - 128.0L);
}

} // namespace

void RgbToHls(uint32_t Color, int& Hue, int& Saturation, int& Lightness)
{
    HlsModel::ToHls(HlsModel::HlsFromRgbTables(), (Color >> 16) & 0xFF, (Color >> 8) & 0xFF, Color & 0xFF, Hue,
                    Saturation, Lightness);
}

void HlsToRgb(uint8_t* Pixel, int Hue, int Saturation, int Lightness)
{
    // Angles outside one turn are brought into it so every channel is defined.
    const int h = Hue >= 0 && Hue < 360 ? Hue : ((Hue % 360) + 360) % 360;
    if (Saturation >= 0 && Saturation <= 100 && Lightness >= 0 && Lightness <= 100) {
        HlsModel::ToRgb(HlsModel::HlsToRgbTables(), Pixel, h, Saturation, Lightness);
        return;
    }
    const int aR = h + 120 >= 360 ? h + 120 - 360 : h + 120;
    const int aB = h - 120 < 0 ? h - 120 + 360 : h - 120;
    const long double s = Saturation / 100.0L;
    const long double l = Lightness / 100.0L;
    long double r = l, g = l, b = l;
    if (Saturation != 0) {
        const long double m2 = l <= 0.5L ? l * (1 + s) : l + s - l * s;
        const long double m1 = 2 * l - m2;
        r = HueChannel(m1, m2, aR);
        g = HueChannel(m1, m2, h);
        b = HueChannel(m1, m2, aB);
    }
    Pixel[2] = HlsModel::ChannelByte(r);
    Pixel[1] = HlsModel::ChannelByte(g);
    Pixel[0] = HlsModel::ChannelByte(b);
}

void RgbToYCbCr(uint32_t Color, int& Y, int& Cr, int& Cb)
{
    const int R = (Color >> 16) & 0xFF, G = (Color >> 8) & 0xFF, B = Color & 0xFF;
    // Thousandths of the exact values; all three are positive.
    const int NY = 299 * R + 587 * G + 114 * B;
    const int NCr = 500 * R - 419 * G - 81 * B + 128000;
    const int NCb = -169 * R - 332 * G + 500 * B + 128000;
    Y = NY % 1000 != 0 ? NY / 1000 : TruncThousandths(NY, 0.299L * R + 0.587L * G + 0.114L * B);
    Cr = NCr % 1000 != 0 ? NCr / 1000 : TruncThousandths(NCr, 0.5L * R - 0.419L * G - 0.081L * B + 128);
    Cb = NCb % 1000 != 0 ? NCb / 1000 : TruncThousandths(NCb, -0.169L * R - 0.332L * G + 0.5L * B + 128);
}

void YCbCrToRgb(uint8_t* Pixel, int Y, int Cr, int Cb)
{
    if (Y < -100000 || Y > 100000 || Cr < -100000 || Cr > 100000 || Cb < -100000 || Cb > 100000) {
        // Far outside the model: the thousandths would not fit an int.
        Pixel[2] = RoundToByte(static_cast<float>(ExtendedR(Y, Cr, Cb)));
        Pixel[1] = RoundToByte(static_cast<float>(ExtendedG(Y, Cr, Cb)));
        Pixel[0] = RoundToByte(static_cast<float>(ExtendedB(Y, Cr, Cb)));
        return;
    }
    Pixel[2] = RoundThousandths(1000 * Y + 1402 * (Cr - 128), ExtendedR, Y, Cr, Cb);
    Pixel[1] = RoundThousandths(1000 * Y - 714 * (Cr - 128) - 344 * (Cb - 128), ExtendedG, Y, Cr, Cb);
    Pixel[0] = RoundThousandths(1000 * Y + 1772 * (Cb - 128), ExtendedB, Y, Cr, Cb);
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
