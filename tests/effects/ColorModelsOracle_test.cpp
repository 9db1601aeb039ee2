// The per-pixel conversions take integer shortcuts; here they are checked
// against the formulas evaluated plainly in long double.
#include "effects/ColorModels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

void PlainRgbToHls(int R, int G, int B, int& Hue, int& Saturation, int& Lightness)
{
    const long double r = R / 255.0L, g = G / 255.0L, b = B / 255.0L;
    const long double mx = std::max({r, g, b});
    const long double mn = std::min({r, g, b});
    const long double d = mx - mn;
    const long double l = (mx + mn) / 2;
    long double h = 0, s = 0;
    if (!(d < 1e-6L)) {
        s = l <= 0.5L ? d / (mx + mn) : d / (2 - mx - mn);
        const long double cr = (mx - r) / d, cg = (mx - g) / d, cb = (mx - b) / d;
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

long double PlainChannel(long double m1, long double m2, int a)
{
    if (a < 60)
        return m1 + (m2 - m1) * a / 60;
    if (a < 180)
        return m2;
    if (a < 240)
        return m1 + (m2 - m1) * (240 - a) / 60;
    return m1;
}

void PlainHlsToRgb(uint8_t* Pixel, int Hue, int Saturation, int Lightness)
{
    const long double s = Saturation / 100.0L, l = Lightness / 100.0L;
    long double r = l, g = l, b = l;
    if (Saturation != 0) {
        const long double m2 = l <= 0.5L ? l * (1 + s) : l + s - l * s;
        const long double m1 = 2 * l - m2;
        r = PlainChannel(m1, m2, Hue + 120 >= 360 ? Hue + 120 - 360 : Hue + 120);
        g = PlainChannel(m1, m2, Hue);
        b = PlainChannel(m1, m2, Hue - 120 < 0 ? Hue - 120 + 360 : Hue - 120);
    }
    Pixel[2] = RoundToByte(static_cast<float>(r * 255));
    Pixel[1] = RoundToByte(static_cast<float>(g * 255));
    Pixel[0] = RoundToByte(static_cast<float>(b * 255));
}

void PlainRgbToYCbCr(int R, int G, int B, int& Y, int& Cr, int& Cb)
{
    Y = static_cast<int>(0.299L * R + 0.587L * G + 0.114L * B);
    Cr = static_cast<int>(0.5L * R - 0.419L * G - 0.081L * B + 128);
    Cb = static_cast<int>(-0.169L * R - 0.332L * G + 0.5L * B + 128);
}

void PlainYCbCrToRgb(uint8_t* Pixel, int Y, int Cr, int Cb)
{
    Pixel[2] = RoundToByte(static_cast<float>(Y + 1.402L * (Cr - 128)));
    Pixel[1] = RoundToByte(static_cast<float>(Y - 0.714L * (Cr - 128) - 0.344L * (Cb - 128)));
    Pixel[0] = RoundToByte(static_cast<float>(Y + 1.772L * (Cb - 128)));
}

uint32_t Pack(int R, int G, int B)
{
    return (static_cast<uint32_t>(R) << 16) | (static_cast<uint32_t>(G) << 8) | static_cast<uint32_t>(B);
}

void ExpectHlsLikePlain(int R, int G, int B)
{
    int h, s, l, ph, ps, pl;
    RgbToHls(Pack(R, G, B), h, s, l);
    PlainRgbToHls(R, G, B, ph, ps, pl);
    ASSERT_TRUE(h == ph && s == ps && l == pl) << R << ", " << G << ", " << B << ": " << h << " " << s << " " << l
                                               << " instead of " << ph << " " << ps << " " << pl;
}

TEST(ColorModelsOracle, RgbToHlsOnEveryMaxMinPairAndNearGreys)
{
    // Every (max, min) pair with a spread of middles, which covers the
    // tabulated lightness and saturation.
    for (int Mx = 0; Mx < 256; ++Mx)
        for (int Mn = 0; Mn <= Mx; ++Mn) {
            const int Mid = Mn + (Mx - Mn) * ((Mx * 7 + Mn) % 11) / 10;
            ExpectHlsLikePlain(Mx, Mid, Mn);
            ExpectHlsLikePlain(Mn, Mx, Mid);
            ExpectHlsLikePlain(Mid, Mn, Mx);
        }
    // Small spreads make whole-degree hues, where the extended value decides.
    for (int Mn = 0; Mn < 256; ++Mn)
        for (int D = 1; D <= 15 && Mn + D < 256; ++D)
            for (int Mid = Mn; Mid <= Mn + D; ++Mid) {
                const int Mx = Mn + D;
                ExpectHlsLikePlain(Mx, Mid, Mn);
                ExpectHlsLikePlain(Mx, Mn, Mid);
                ExpectHlsLikePlain(Mid, Mx, Mn);
                ExpectHlsLikePlain(Mn, Mx, Mid);
                ExpectHlsLikePlain(Mid, Mn, Mx);
                ExpectHlsLikePlain(Mn, Mid, Mx);
            }
}

TEST(ColorModelsOracle, RgbToHlsOnAStrideOfAllColours)
{
    for (int R = 0; R < 256; ++R)
        for (int G = 0; G < 256; G += 3)
            for (int B = (R + G) % 5; B < 256; B += 5)
                ExpectHlsLikePlain(R, G, B);
}

TEST(ColorModelsOracle, HlsToRgbOnEveryInputTheCorrectionMakes)
{
    for (int S = 0; S <= 100; ++S)
        for (int L = 0; L <= 100; ++L)
            for (int H = 0; H < 360; ++H) {
                uint8_t Fast[3], Plain[3];
                HlsToRgb(Fast, H, S, L);
                PlainHlsToRgb(Plain, H, S, L);
                ASSERT_TRUE(Fast[0] == Plain[0] && Fast[1] == Plain[1] && Fast[2] == Plain[2])
                    << H << ", " << S << ", " << L;
            }
}

TEST(ColorModelsOracle, HlsToRgbBeyondPerCentRangesFollowsTheFormula)
{
    for (int S : {-50, 101, 150})
        for (int L : {-20, 0, 50, 120})
            for (int H : {0, 59, 60, 200, 359}) {
                uint8_t Fast[3], Plain[3];
                HlsToRgb(Fast, H, S, L);
                PlainHlsToRgb(Plain, H, S, L);
                EXPECT_TRUE(Fast[0] == Plain[0] && Fast[1] == Plain[1] && Fast[2] == Plain[2]) << H << ", " << S << ", " << L;
            }
}

TEST(ColorModelsOracle, RgbToYCbCrOnAStrideOfAllColours)
{
    for (int R = 0; R < 256; ++R)
        for (int G = 0; G < 256; ++G)
            for (int B = (R * 3 + G) % 4; B < 256; B += 4) {
                int y, cr, cb, py, pcr, pcb;
                RgbToYCbCr(Pack(R, G, B), y, cr, cb);
                PlainRgbToYCbCr(R, G, B, py, pcr, pcb);
                ASSERT_TRUE(y == py && cr == pcr && cb == pcb) << R << ", " << G << ", " << B;
            }
}

TEST(ColorModelsOracle, RgbToYCbCrOnEveryGrey)
{
    for (int g = 0; g < 256; ++g) {
        int y, cr, cb, py, pcr, pcb;
        RgbToYCbCr(Pack(g, g, g), y, cr, cb);
        PlainRgbToYCbCr(g, g, g, py, pcr, pcb);
        ASSERT_TRUE(y == py && cr == pcr && cb == pcb) << g;
    }
}

TEST(ColorModelsOracle, YCbCrToRgbOnEveryTriple)
{
    for (int Y = 0; Y < 256; ++Y)
        for (int Cr = 0; Cr < 256; ++Cr)
            for (int Cb = 0; Cb < 256; ++Cb) {
                uint8_t Fast[3], Plain[3];
                YCbCrToRgb(Fast, Y, Cr, Cb);
                PlainYCbCrToRgb(Plain, Y, Cr, Cb);
                ASSERT_TRUE(Fast[0] == Plain[0] && Fast[1] == Plain[1] && Fast[2] == Plain[2])
                    << Y << ", " << Cr << ", " << Cb;
            }
}

TEST(ColorModelsOracle, YCbCrToRgbFarOutsideTheModel)
{
    for (int v : {-2000000000, -300000, 300000, 2000000000}) {
        uint8_t p[3];
        YCbCrToRgb(p, v, 128, 128);
        EXPECT_EQ(p[2], v < 0 ? 0 : 255);
        YCbCrToRgb(p, 128, v, v);
        EXPECT_EQ(p[1], v < 0 ? 255 : 0);
    }
}

} // namespace
