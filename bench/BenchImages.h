// Deterministic photo-like 24-bit images for the engine's benchmarks: soft
// shading, a few hard-edged shapes, fine texture and grain, at the two sizes
// every effects benchmark uses (a 12-megapixel photo and an awkward
// non-power-of-two size). With FV_BENCH_IMAGE_DIR set, each image is also
// written there as a binary PPM (photo-WxH.ppm) so that other programs can
// be timed on the same pixels.
#pragma once

#include "bitmap/FvDIB.h"
#include "effects/RowBands.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct TBenchSize {
    int Width, Height;
};

// Index 0 is the photo size, 1 the awkward one.
inline constexpr TBenchSize BenchSizes[] = {{4608, 2608}, {1237, 811}};

inline std::unique_ptr<TFvDIB> MakePhotoImage(int W, int H)
{
    auto Image = std::make_unique<TFvDIB>();
    Image->SetBitCount(24);
    Image->SetWidth(W);
    Image->SetHeight(H);
    // Separable shading: a sky-like vertical ramp and slow horizontal waves.
    std::vector<float> Across(static_cast<size_t>(W) * 3), Down(static_cast<size_t>(H) * 3);
    for (int x = 0; x < W; ++x) {
        const double u = static_cast<double>(x) / W;
        Across[3 * x] = static_cast<float>(40 * std::sin(u * 9.0));
        Across[3 * x + 1] = static_cast<float>(30 * std::sin(u * 5.0 + 1.0));
        Across[3 * x + 2] = static_cast<float>(35 * std::cos(u * 7.0));
    }
    for (int y = 0; y < H; ++y) {
        const double v = static_cast<double>(y) / H;
        Down[3 * y] = static_cast<float>(170 - 90 * v);
        Down[3 * y + 1] = static_cast<float>(120 + 40 * std::sin(v * 4.0));
        Down[3 * y + 2] = static_cast<float>(80 + 120 * v);
    }
    struct Disc {
        double cx, cy, r;
        int b, g, r8;
    };
    const Disc Discs[] = {{0.3, 0.6, 0.18, 30, 90, 200}, {0.7, 0.35, 0.12, 220, 200, 40},
                          {0.55, 0.8, 0.09, 20, 160, 60}, {0.15, 0.2, 0.07, 250, 250, 250}};
    for (int y = 0; y < H; ++y) {
        uint8_t* Row = Image->ScanLine(y);
        for (int x = 0; x < W; ++x) {
            uint32_t n = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
            n ^= n >> 13;
            n *= 0x5bd1e995u;
            n ^= n >> 15;
            const float Grain = static_cast<float>(static_cast<int>(n & 15) - 8);
            const float Texture = static_cast<float>(((x / 3) ^ (y / 3)) & 7);
            float c[3];
            for (int k = 0; k < 3; ++k)
                c[k] = Down[3 * y + k] + Across[3 * x + k] + Grain + Texture;
            for (const Disc& d : Discs) {
                const double dx = static_cast<double>(x) / W - d.cx, dy = static_cast<double>(y) / H - d.cy;
                if (dx * dx + dy * dy < d.r * d.r) {
                    c[0] = 0.3f * c[0] + 0.7f * static_cast<float>(d.b);
                    c[1] = 0.3f * c[1] + 0.7f * static_cast<float>(d.g);
                    c[2] = 0.3f * c[2] + 0.7f * static_cast<float>(d.r8);
                }
            }
            for (int k = 0; k < 3; ++k)
                Row[3 * x + k] = static_cast<uint8_t>(std::lround(std::fmin(255.0f, std::fmax(0.0f, c[k]))));
        }
    }
    return Image;
}

inline void WritePpm(TFvDIB& Image, const std::string& Path)
{
    FILE* File = std::fopen(Path.c_str(), "wb");
    if (!File)
        return;
    std::fprintf(File, "P6\n%d %d\n255\n", Image.Width(), Image.Height());
    std::vector<uint8_t> Line(static_cast<size_t>(Image.Width()) * 3);
    for (int y = 0; y < Image.Height(); ++y) {
        const uint8_t* Row = Image.ScanLine(y);
        for (int x = 0; x < Image.Width(); ++x) {
            Line[3 * x] = Row[3 * x + 2];
            Line[3 * x + 1] = Row[3 * x + 1];
            Line[3 * x + 2] = Row[3 * x];
        }
        std::fwrite(Line.data(), 1, Line.size(), File);
    }
    std::fclose(File);
}

// The master image of a size, made once per program. The images live until
// the process ends and are never destroyed: the pixel memory layer may be
// gone by the time static objects are.
inline TFvDIB& PhotoImage(int SizeIndex)
{
    static auto& Made = *new std::map<int, std::unique_ptr<TFvDIB>>;
    auto& Slot = Made[SizeIndex];
    if (!Slot) {
        const TBenchSize Size = BenchSizes[SizeIndex];
        Slot = MakePhotoImage(Size.Width, Size.Height);
        if (const char* Dir = std::getenv("FV_BENCH_IMAGE_DIR"))
            WritePpm(*Slot, std::string(Dir) + "/photo-" + std::to_string(Size.Width) + "x" +
                                std::to_string(Size.Height) + ".ppm");
    }
    return *Slot;
}

// Puts Master's pixels into Work, reusing Work's own storage when the sizes
// agree so that no page of it is new to the process.
inline void RestorePixels(TFvDIB& Work, TFvDIB& Master)
{
    if (Work.Width() != Master.Width() || Work.Height() != Master.Height() || Work.BitCount() != 24) {
        Work.Assign(&Master);
        Work.Unshare();
        return;
    }
    const size_t Bytes = static_cast<size_t>(Master.Width()) * 3;
    for (int y = 0; y < Master.Height(); ++y)
        std::memcpy(Work.ScanLine(y), Master.ScanLine(y), Bytes);
}

// Times Operation on a private copy of the photo image, restored before
// every iteration unless the operation only reads it. state.range(0) is the
// size index, state.range(1) the thread count (0 for every core). Reports
// milliseconds and megapixels per second.
template <class Op>
void BenchInPlace(benchmark::State& State, Op&& Operation, bool ReadOnly = false)
{
    TFvDIB& Master = PhotoImage(static_cast<int>(State.range(0)));
    SetEngineThreadCount(static_cast<int>(State.range(1)));
    TFvDIB Work;
    RestorePixels(Work, Master);
    for (auto _ : State) {
        if (!ReadOnly) {
            State.PauseTiming();
            RestorePixels(Work, Master);
            State.ResumeTiming();
        }
        Operation(Work);
        benchmark::ClobberMemory();
    }
    SetEngineThreadCount(0);
    const double Megapixels = static_cast<double>(Master.Width()) * Master.Height() / 1e6;
    State.counters["MP/s"] = benchmark::Counter(Megapixels, benchmark::Counter::kIsIterationInvariantRate);
}

// Times Operation on a bitmap that shares the photo image's pixels, as every
// effect after an undo snapshot meets it: the first write copies them, and
// that copy is timed with the operation.
template <class Op>
void BenchShared(benchmark::State& State, Op&& Operation)
{
    TFvDIB& Master = PhotoImage(static_cast<int>(State.range(0)));
    SetEngineThreadCount(static_cast<int>(State.range(1)));
    for (auto _ : State) {
        TFvDIB Work;
        Work.Assign(&Master);
        Operation(Work);
        benchmark::ClobberMemory();
    }
    SetEngineThreadCount(0);
    const double Megapixels = static_cast<double>(Master.Width()) * Master.Height() / 1e6;
    State.counters["MP/s"] = benchmark::Counter(Megapixels, benchmark::Counter::kIsIterationInvariantRate);
}

// Sizes by threads: both images, single-threaded and on every core.
inline void BenchArgs(benchmark::internal::Benchmark* B)
{
    B->ArgNames({"size", "threads"});
    for (int Size : {0, 1})
        for (int Threads : {1, 0})
            B->Args({Size, Threads});
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}
