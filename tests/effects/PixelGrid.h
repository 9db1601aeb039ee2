// Small 24-bit test images written and read as (R, G, B) triples.
#pragma once

#include "bitmap/FvDIB.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

struct Rgb {
    int R, G, B;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& Out, const Rgb& c)
{
    return Out << "(" << c.R << ", " << c.G << ", " << c.B << ")";
}

inline std::unique_ptr<TFvDIB> MakeImage(int W, int H, const std::function<Rgb(int x, int y)>& Fill)
{
    auto Image = std::make_unique<TFvDIB>();
    Image->SetBitCount(24);
    Image->SetWidth(W);
    Image->SetHeight(H);
    for (int y = 0; y < H; ++y) {
        uint8_t* Row = Image->ScanLine(y);
        for (int x = 0; x < W; ++x) {
            const Rgb c = Fill(x, y);
            Row[3 * x] = static_cast<uint8_t>(c.B);
            Row[3 * x + 1] = static_cast<uint8_t>(c.G);
            Row[3 * x + 2] = static_cast<uint8_t>(c.R);
        }
    }
    return Image;
}

inline std::unique_ptr<TFvDIB> MakeUniform(int W, int H, Rgb c)
{
    return MakeImage(W, H, [c](int, int) { return c; });
}

// A deterministic mix of colours, different at every pixel.
inline std::unique_ptr<TFvDIB> MakeNoise(int W, int H, uint32_t Seed = 1)
{
    return MakeImage(W, H, [Seed](int x, int y) {
        uint32_t v = Seed * 2654435761u ^ static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
        v ^= v >> 13;
        v *= 0x5bd1e995u;
        v ^= v >> 15;
        return Rgb{static_cast<int>(v & 255), static_cast<int>((v >> 8) & 255), static_cast<int>((v >> 16) & 255)};
    });
}

inline Rgb PixelAt(TFvDIB& Image, int x, int y)
{
    const uint8_t* p = Image.ScanLine(y) + 3 * x;
    return Rgb{p[2], p[1], p[0]};
}

// Every pixel, row by row, for whole-image comparisons.
inline std::vector<Rgb> Pixels(TFvDIB& Image)
{
    std::vector<Rgb> All;
    for (int y = 0; y < Image.Height(); ++y)
        for (int x = 0; x < Image.Width(); ++x)
            All.push_back(PixelAt(Image, x, y));
    return All;
}

// Runs Op on a one-pixel image of colour c and returns the result.
template <class Op>
Rgb Apply1(Rgb c, Op&& Operation)
{
    auto Image = MakeUniform(1, 1, c);
    Operation(*Image);
    return PixelAt(*Image, 0, 0);
}
