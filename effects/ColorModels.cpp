// The formulas are defined in long double with Trunc and Round at fixed
// points. The per-pixel versions here give the same bytes without x87 work
// on almost every pixel: the exact value of each formula is a fraction with
// a small integer denominator, so Trunc and Round of it follow from integer
// arithmetic, except where the exact value sits on the rounding boundary
// itself (an integer for Trunc, a half for Round). Only there does the
// extended evaluation decide, and only there is it done. What depends on
// two small integers alone is tabulated once, from the formula itself.
#include "effects/ColorModels.h"

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

// ---- RGB to HLS ----

struct THlsFromRgbTables {
    // Indexed [max][min] of the three channels.
    uint8_t Lightness[256][256];
    uint8_t Saturation[256][256];
};

std::unique_ptr<THlsFromRgbTables> BuildHlsFromRgbTables()
{
    auto T = std::make_unique<THlsFromRgbTables>();
    for (int Mx = 0; Mx < 256; ++Mx)
        for (int Mn = 0; Mn <= Mx; ++Mn) {
            const long double mx = Mx / 255.0L;
            const long double mn = Mn / 255.0L;
            const long double d = mx - mn;
            const long double l = (mx + mn) / 2;
            long double s = 0;
            if (!(d < 1e-6L))
                s = l <= 0.5L ? d / (mx + mn) : d / (2 - mx - mn);
            T->Lightness[Mx][Mn] = static_cast<uint8_t>(TruncExtended(l * 100));
            T->Saturation[Mx][Mn] = static_cast<uint8_t>(TruncExtended(s * 100));
        }
    return T;
}

const THlsFromRgbTables& HlsFromRgbTables()
{
    static const std::unique_ptr<THlsFromRgbTables> Tables = BuildHlsFromRgbTables();
    return *Tables;
}

// The hue as the formula computes it in long double; needed only where the
// exact hue is a whole degree.
int ExtendedHue(int R, int G, int B)
{
    const long double r = R / 255.0L, g = G / 255.0L, b = B / 255.0L;
    const long double mx = std::max({r, g, b});
    const long double mn = std::min({r, g, b});
    const long double d = mx - mn;
    const long double cr = (mx - r) / d;
    const long double cg = (mx - g) / d;
    const long double cb = (mx - b) / d;
    long double h;
    if (r == mx)
        h = cb - cg;
    else if (g == mx)
        h = 2 + cr - cb;
    else
        h = 4 + cg - cr;
    h = h * 60;
    if (h < 0)
        h = h + 360;
    return static_cast<int>(TruncExtended(h));
}

// Whole-degree hues are common in photographs (near-greys have small
// spreads), and a picture repeats its colours, so the extended evaluation
// is remembered per thread: 4096 slots of colour + 1 and hue.
int RememberedExtendedHue(int R, int G, int B)
{
    thread_local uint64_t Memo[4096];
    const uint32_t Colour = (static_cast<uint32_t>(R) << 16) | (static_cast<uint32_t>(G) << 8) | static_cast<uint32_t>(B);
    uint64_t& Slot = Memo[(Colour * 2654435761u) >> 20];
    const uint64_t Key = static_cast<uint64_t>(Colour) + 1;
    if ((Slot >> 16) == Key)
        return static_cast<int>(Slot & 0xFFFF);
    const int Hue = ExtendedHue(R, G, B);
    Slot = (Key << 16) | static_cast<uint64_t>(Hue);
    return Hue;
}

// 2^32 / D rounded up, for D = 1 .. 255: the quotient of any numerator
// below 2^17 by D is then (n * Reciprocal[D]) >> 32 exactly.
struct TReciprocals {
    uint64_t Of[256];
    constexpr TReciprocals() : Of()
    {
        for (int D = 1; D < 256; ++D)
            Of[D] = ((uint64_t(1) << 32) + D - 1) / D;
    }
};
constexpr TReciprocals Reciprocals;

int HueOf(int R, int G, int B, int Mx, int Mn)
{
    const int D = Mx - Mn;
    if (D == 0)
        return 0;
    // Exact hue = Num / D degrees, with the sector's offset and a whole turn
    // folded in so that Num is positive (below 420 * 255).
    int Num;
    if (R == Mx)
        Num = 60 * (G - B) + 360 * D;
    else if (G == Mx)
        Num = 60 * (B - R) + 120 * D;
    else
        Num = 60 * (R - G) + 240 * D;
    const int q = static_cast<int>((static_cast<uint64_t>(Num) * Reciprocals.Of[D]) >> 32);
    if (q * D == Num)
        return RememberedExtendedHue(R, G, B);
    return q >= 360 ? q - 360 : q;
}

// ---- HLS to RGB ----

// Per saturation 1 .. 100 and lightness 0 .. 100 the 63 possible channel
// bytes: the rising and falling ramps at t = 0 .. 60, then m2 and m1.
constexpr int RampSlots = 63;
constexpr int SlotM2 = 61;
constexpr int SlotM1 = 62;

struct THlsToRgbTables {
    uint8_t Channel[101][101][RampSlots];
    // The slot of each hue angle 0 .. 359.
    uint8_t SlotOfAngle[360];
};

uint8_t ChannelByte(long double v)
{
    return RoundToByte(static_cast<float>(v * 255));
}

std::unique_ptr<THlsToRgbTables> BuildHlsToRgbTables()
{
    auto T = std::make_unique<THlsToRgbTables>();
    for (int S = 0; S <= 100; ++S)
        for (int L = 0; L <= 100; ++L) {
            uint8_t* Slots = T->Channel[S][L];
            const long double s = S / 100.0L;
            const long double l = L / 100.0L;
            if (S == 0) {
                std::fill(Slots, Slots + RampSlots, ChannelByte(l));
                continue;
            }
            const long double m2 = l <= 0.5L ? l * (1 + s) : l + s - l * s;
            const long double m1 = 2 * l - m2;
            for (int t = 0; t <= 60; ++t)
                Slots[t] = ChannelByte(m1 + (m2 - m1) * t / 60);
            Slots[SlotM2] = ChannelByte(m2);
            Slots[SlotM1] = ChannelByte(m1);
        }
    for (int a = 0; a < 360; ++a)
        T->SlotOfAngle[a] = static_cast<uint8_t>(a < 60 ? a : a < 180 ? SlotM2 : a < 240 ? 240 - a : SlotM1);
    return T;
}

const THlsToRgbTables& HlsToRgbTables()
{
    static const std::unique_ptr<THlsToRgbTables> Tables = BuildHlsToRgbTables();
    return *Tables;
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
    const int R = (Color >> 16) & 0xFF, G = (Color >> 8) & 0xFF, B = Color & 0xFF;
    const int Mx = std::max({R, G, B}), Mn = std::min({R, G, B});
    const THlsFromRgbTables& T = HlsFromRgbTables();
    Hue = HueOf(R, G, B, Mx, Mn);
    Saturation = T.Saturation[Mx][Mn];
    Lightness = T.Lightness[Mx][Mn];
}

void HlsToRgb(uint8_t* Pixel, int Hue, int Saturation, int Lightness)
{
    // Angles outside one turn are brought into it so every channel is defined.
    const int h = Hue >= 0 && Hue < 360 ? Hue : ((Hue % 360) + 360) % 360;
    const int aR = h + 120 >= 360 ? h + 120 - 360 : h + 120;
    const int aB = h - 120 < 0 ? h - 120 + 360 : h - 120;
    if (Saturation >= 0 && Saturation <= 100 && Lightness >= 0 && Lightness <= 100) {
        const THlsToRgbTables& T = HlsToRgbTables();
        const uint8_t* Slots = T.Channel[Saturation][Lightness];
        Pixel[2] = Slots[T.SlotOfAngle[aR]];
        Pixel[1] = Slots[T.SlotOfAngle[h]];
        Pixel[0] = Slots[T.SlotOfAngle[aB]];
        return;
    }
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
    Pixel[2] = ChannelByte(r);
    Pixel[1] = ChannelByte(g);
    Pixel[0] = ChannelByte(b);
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
