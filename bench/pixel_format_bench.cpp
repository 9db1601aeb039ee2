// Pixel-format conversions on a 12-megapixel photo-like picture: colour
// reduction in both modes, the true-colour palette the shell computes after
// every edit (beside a plain lookup-table pass as the cost of a cheap edit),
// halftoning and RLE8 coding.
#include "bitmap/Converters.h"
#include "bitmap/InternalDIB.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

// Smooth shading with a little noise, as in a photograph.
std::unique_ptr<TFvInternalDIB> MakePhoto()
{
    auto dib = std::make_unique<TFvInternalDIB>(true);
    dib->FreeDIB();
    dib->CreateDIB(Width, Height, 0, 24);
    const int64_t stride = DIBStride(Width, 24);
    uint32_t seed = 12345;
    for (int y = 0; y < Height; ++y) {
        uint8_t* row = dib->DIBInfos.pBits + stride * y;
        for (int x = 0; x < Width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            const double u = x / 613.0, v = y / 421.0;
            const int r = static_cast<int>(128 + 90 * std::sin(u) * std::cos(v)) + noise;
            const int g = static_cast<int>(120 + 80 * std::sin(u * 0.7 + v)) + noise / 2;
            const int b = static_cast<int>(100 + 70 * std::cos(u * 1.3 - v * 0.5)) - noise;
            row[3 * x] = static_cast<uint8_t>(std::clamp(b, 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r, 0, 255));
        }
    }
    return dib;
}

const TFvInternalDIB& Photo()
{
    static const auto photo = MakePhoto();
    return *photo;
}

// An 8-bit picture of flat areas, as a reduced drawing would be.
const TFvInternalDIB& Drawing()
{
    static const auto drawing = [] {
        auto dib = std::make_unique<TFvInternalDIB>(true);
        dib->FreeDIB();
        dib->CreateDIB(Width, Height, 256, 8);
        const int64_t stride = DIBStride(Width, 8);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                dib->DIBInfos.pBits[stride * y + x] =
                    static_cast<uint8_t>((x % 97 == 0 || y % 89 == 0) ? x : x / 37 + (y / 23) * 5);
        return dib;
    }();
    return *drawing;
}

// Argument 1 puts the result in a memory section, as bitmaps do by default;
// 0 on the heap, which leaves the converter's own cost.
template <typename Convert>
void RunConverter(benchmark::State& State, const TFvInternalDIB& Source, Convert Conversion)
{
    const bool useFMO = State.range(0) != 0;
    for (auto _ : State) {
        TFvDIBInfos result;
        Conversion(Source.DIBInfos, result, useFMO);
        benchmark::DoNotOptimize(result.pBits);
        ReleaseMemory(result.hFile, result.pBits, useFMO);
    }
    State.SetItemsProcessed(State.iterations() * int64_t{Width} * Height);
}

void TrueColorTo8BitLow(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) {
        ConvertTrueColorTo8BitRGBLow(S, R, F, nullptr);
    });
}

void TrueColorTo8BitHigh(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) {
        ConvertTrueColorTo8BitRGBHigh(S, R, F, nullptr);
    });
}

void TrueColorTo4BitLow(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) {
        ConvertTrueColorTo4BitRGBLow(S, R, F, nullptr);
    });
}

void TrueColorTo4BitHigh(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) {
        ConvertTrueColorTo4BitRGBHigh(S, R, F, nullptr);
    });
}

void Halftone(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) { ConvertToHalftone(S, R, F); });
}

void HalftoneBW(benchmark::State& State)
{
    RunConverter(State, Photo(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) { ConvertToHalftoneBW(S, R, F); });
}

void Rle8Encode(benchmark::State& State)
{
    RunConverter(State, Drawing(), [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) { Convert8BitRGBTo8BitRLE(S, R, F); });
}

void Rle8Decode(benchmark::State& State)
{
    static const auto encoded = [] {
        auto dib = Drawing().Clone(true);
        dib->SetPixelFormat(fvPf8BitRLE, fvCmNormal, nullptr, 0);
        return dib;
    }();
    RunConverter(State, *encoded, [](const TFvDIBInfos& S, TFvDIBInfos& R, bool F) { Convert8BitRLETo8BitRGB(S, R, F); });
}

void TrueColorPalette(benchmark::State& State)
{
    const auto dib = Photo().Clone(true);
    const auto mode = static_cast<TFvConvertMode>(State.range(0));
    for (auto _ : State)
        dib->CreateTrueColorPalette(mode, nullptr);
    State.SetItemsProcessed(State.iterations() * int64_t{Width} * Height);
}

// The cost of about the cheapest edit there is: one table lookup per byte.
void LookupTablePass(benchmark::State& State)
{
    const auto dib = Photo().Clone(true);
    uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(255 - i);
    for (auto _ : State) {
        uint8_t* bits = dib->DIBInfos.pBits;
        for (int32_t i = 0; i < dib->DIBInfos.BitsSize; ++i)
            bits[i] = table[bits[i]];
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(State.iterations() * int64_t{Width} * Height);
}

} // namespace

BENCHMARK(TrueColorTo8BitLow)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueColorTo8BitHigh)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueColorTo4BitLow)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueColorTo4BitHigh)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(TrueColorPalette)->ArgName("mode")->Arg(fvCmNormal)->Arg(fvCmFine)->Unit(benchmark::kMillisecond);
BENCHMARK(LookupTablePass)->Unit(benchmark::kMillisecond);
BENCHMARK(Halftone)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(HalftoneBW)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Rle8Encode)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Rle8Decode)->ArgName("fmo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
