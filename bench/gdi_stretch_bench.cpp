// The copies the editor makes of whole pictures: a 24-bit picture of about
// 12 megapixels drawn 1:1 and scaled into a 32-bit bitmap, and read back.
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

BITMAPINFO Header(int width, int height, int bits)
{
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits),
                                      BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

struct Scene {
    Scene()
    {
        const size_t stride = (Width * 3 + 3) / 4 * 4;
        pixels.resize(stride * Height);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 7);
        const BITMAPINFO target = Header(Width, -Height, 32);
        bitmap = CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, nullptr, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
    }
    ~Scene()
    {
        SelectObject(dc, StockBitmap());
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<uint8_t> pixels;
    BITMAPINFO source = Header(Width, Height, 24);
    HBITMAP bitmap;
    HDC dc;
};

void StretchDIBits24To32OneToOne(benchmark::State& state)
{
    Scene s;
    for (auto _ : state)
        benchmark::DoNotOptimize(StretchDIBits(s.dc, 0, 0, Width, Height, 0, 0, Width, Height, s.pixels.data(),
                                               s.pixels.size(), &s.source, DIB_RGB_COLORS, SRCCOPY));
}
BENCHMARK(StretchDIBits24To32OneToOne)->Unit(benchmark::kMillisecond);

void StretchDIBits24To32Scaled(benchmark::State& state)
{
    Scene s;
    for (auto _ : state)
        benchmark::DoNotOptimize(StretchDIBits(s.dc, 0, 0, Width, Height, 0, 0, Width * 2 / 3, Height * 2 / 3,
                                               s.pixels.data(), s.pixels.size(), &s.source, DIB_RGB_COLORS,
                                               SRCCOPY));
}
BENCHMARK(StretchDIBits24To32Scaled)->Unit(benchmark::kMillisecond);

void GetDIBits32To24(benchmark::State& state)
{
    Scene s;
    BITMAPINFO info = Header(Width, Height, 24);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            GetDIBits(s.dc, s.bitmap, 0, Height, s.pixels.data(), &info, DIB_RGB_COLORS));
}
BENCHMARK(GetDIBits32To24)->Unit(benchmark::kMillisecond);

} // namespace
