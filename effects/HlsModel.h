// The per-pixel HLS conversions, inline so that the correction's row loop
// compiles into one piece. The exact values behind the defined formulas are
// fractions with small denominators: lightness and saturation depend on the
// largest and smallest channel only and are tabulated once from the formula;
// the hue follows from an integer quotient except where it is a whole degree,
// where the extended evaluation decides; the way back is tabulated per
// (saturation, lightness, angle) for the per-cent ranges.
#pragma once

#include "effects/ByteConversion.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace HlsModel {

// ---- RGB to HLS ----

struct THlsFromRgbTables {
    // Indexed [max][min] of the three channels.
    uint8_t Lightness[256][256];
    uint8_t Saturation[256][256];
};

inline std::unique_ptr<THlsFromRgbTables> BuildHlsFromRgbTables()
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

inline const THlsFromRgbTables& HlsFromRgbTables()
{
    static const std::unique_ptr<THlsFromRgbTables> Tables = BuildHlsFromRgbTables();
    return *Tables;
}

// The hue as the formula computes it in long double; needed only where the
// exact hue is a whole degree.
inline int ExtendedHue(int R, int G, int B)
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
inline int RememberedExtendedHue(int R, int G, int B)
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
inline constexpr TReciprocals Reciprocals;

inline int HueOf(int R, int G, int B, int Mx, int Mn)
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
inline constexpr int RampSlots = 63;
inline constexpr int SlotM2 = 61;
inline constexpr int SlotM1 = 62;

struct THlsToRgbTables {
    uint8_t Channel[101][101][RampSlots];
    // The slot of each hue angle 0 .. 359.
    uint8_t SlotOfAngle[360];
};

inline uint8_t ChannelByte(long double v)
{
    return RoundToByte(static_cast<float>(v * 255));
}

inline std::unique_ptr<THlsToRgbTables> BuildHlsToRgbTables()
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

inline const THlsToRgbTables& HlsToRgbTables()
{
    static const std::unique_ptr<THlsToRgbTables> Tables = BuildHlsToRgbTables();
    return *Tables;
}

// Hue, saturation and lightness of one pixel's channels.
inline void ToHls(const THlsFromRgbTables& T, int R, int G, int B, int& Hue, int& Saturation, int& Lightness)
{
    const int Mx = std::max({R, G, B}), Mn = std::min({R, G, B});
    Hue = HueOf(R, G, B, Mx, Mn);
    Saturation = T.Saturation[Mx][Mn];
    Lightness = T.Lightness[Mx][Mn];
}

// Back to B, G, R, for Hue 0 .. 359 and Saturation and Lightness 0 .. 100.
inline void ToRgb(const THlsToRgbTables& T, uint8_t* Pixel, int Hue, int Saturation, int Lightness)
{
    const int aR = Hue + 120 >= 360 ? Hue + 120 - 360 : Hue + 120;
    const int aB = Hue - 120 < 0 ? Hue - 120 + 360 : Hue - 120;
    const uint8_t* Slots = T.Channel[Saturation][Lightness];
    Pixel[2] = Slots[T.SlotOfAngle[aR]];
    Pixel[1] = Slots[T.SlotOfAngle[Hue]];
    Pixel[0] = Slots[T.SlotOfAngle[aB]];
}

} // namespace HlsModel
