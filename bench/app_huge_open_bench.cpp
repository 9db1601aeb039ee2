// Opening huge pictures in the real main window (offscreen), up to the
// repainted window. A 20000 x 20000 RLE8 BMP against the same picture stored
// uncompressed (processor time of the whole process); and the peak memory of
// opening a 40000 x 40000 palette PNG and a GIF with a 40000 x 40000 screen,
// each opened once in a process of its own (this program started again),
// whose peak resident size is reported against the picture's size.
#include "BenchMainWindow.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr const char* Program = "app_huge_open_bench";
constexpr int RleSide = 20000;
constexpr int PeakSide = 40000;

std::string InFolder(const std::string& name)
{
    return (BenchFolder(Program) / name).string();
}

template <typename T>
void Put(std::ofstream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

// The index of pixel x of row y (counted from the bottom) of the BMP pair:
// runs of 255 pixels whose value changes every 100 rows.
uint8_t RleIndex(int x, int y)
{
    return static_cast<uint8_t>(x / 255 + y / 100);
}

// An 8-bit BMP of RleSide x RleSide, RLE8 or uncompressed, with a grey table.
std::string PairFile(bool rle)
{
    const std::string path = InFolder(rle ? "pair-rle8.bmp" : "pair-plain8.bmp");
    if (std::filesystem::exists(path))
        return path;
    std::vector<uint8_t> data;
    if (rle) {
        for (int y = 0; y < RleSide; ++y) {
            for (int x = 0; x < RleSide; x += 255) {
                data.push_back(static_cast<uint8_t>(std::min(255, RleSide - x)));
                data.push_back(RleIndex(x, y));
            }
            data.insert(data.end(), {0, 0});
        }
        data.insert(data.end(), {0, 1});
    }
    const uint32_t imageSize = rle ? static_cast<uint32_t>(data.size()) : uint32_t{RleSide} * RleSide;
    const uint32_t offBits = 14 + 40 + 1024;
    std::ofstream out(path + ".part", std::ios::binary);
    out.write("BM", 2);
    Put<uint32_t>(out, offBits + imageSize);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, offBits);
    for (const int32_t field : {40, RleSide, RleSide})
        Put(out, field);
    Put<uint16_t>(out, 1);
    Put<uint16_t>(out, 8);
    for (const uint32_t field : {rle ? 1u : 0u, imageSize, 3780u, 3780u, 256u, 0u})
        Put(out, field);
    for (int i = 0; i < 256; ++i)
        Put<uint32_t>(out, static_cast<uint32_t>(i * 0x010101));
    if (rle) {
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    } else {
        std::vector<char> row(RleSide);
        for (int y = 0; y < RleSide; ++y) {
            for (int x = 0; x < RleSide; ++x)
                row[static_cast<size_t>(x)] = static_cast<char>(RleIndex(x, y));
            out.write(row.data(), RleSide);
        }
    }
    out.close();
    std::filesystem::rename(path + ".part", path);
    return path;
}

// A PeakSide x PeakSide palette PNG of broad bands, written a row at a time.
std::string PeakPng()
{
    const std::string path = InFolder("peak.png");
    if (std::filesystem::exists(path))
        return path;
    FILE* file = std::fopen((path + ".part").c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, PeakSide, PeakSide, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<size_t>(i)] = png_color{static_cast<png_byte>(i), static_cast<png_byte>(255 - i), 128};
    png_set_PLTE(png, info, palette.data(), 256);
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    std::vector<png_byte> row(PeakSide);
    for (int y = 0; y < PeakSide; ++y) {
        for (int x = 0; x < PeakSide; ++x)
            row[static_cast<size_t>(x)] = static_cast<png_byte>(x / 1000 + y / 1000);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::filesystem::rename(path + ".part", path);
    return path;
}

// A GIF whose screen is PeakSide x PeakSide with a single-pixel image.
std::string PeakGif()
{
    const std::string path = InFolder("peak.gif");
    const uint8_t bytes[] = {'G', 'I', 'F', '8', '9', 'a', PeakSide & 0xFF, PeakSide >> 8, PeakSide & 0xFF,
                             PeakSide >> 8, 0x80, 0, 0, 0, 0, 0, 255, 255, 255, ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2,
                             2, 0x44, 0x01, 0, ';'};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
    return path;
}

void BM_OpenRle8(benchmark::State& state)
{
    OpenInWindow(state, Program, PairFile(true));
}

void BM_OpenPlain8(benchmark::State& state)
{
    OpenInWindow(state, Program, PairFile(false));
}

// Opens the file named by FV_OPEN_ONCE once: the work of the child process.
void BM_OpenOnce(benchmark::State& state)
{
    OpenInWindow(state, Program, std::getenv("FV_OPEN_ONCE"));
}

// This program started again to open one file; its peak resident size in MiB.
double PeakOfOpening(const std::string& file)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--benchmark_filter=^BM_OpenOnce";
    std::vector<char*> argv{const_cast<char*>(self.c_str()), filter.data(), nullptr};
    std::vector<std::string> env{"FV_OPEN_ONCE=" + file};
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string report = InFolder("child-report.txt");
    posix_spawn_file_actions_addopen(&actions, 1, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    const int failed = posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (failed != 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    // The child reports the benchmark it ran; without it nothing was opened.
    std::ifstream in(report);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.find("BM_OpenOnce") == std::string::npos)
        return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

void PeakCounters(benchmark::State& state, const std::string& file)
{
    double peak = 0;
    for (auto _ : state)
        peak = PeakOfOpening(file);
    if (peak < 0)
        state.SkipWithError("the opening process failed");
    const double picture = double{PeakSide} * PeakSide / (1 << 20);
    state.counters["peak_MiB"] = peak;
    state.counters["picture_MiB"] = picture;
    state.counters["limit_MiB"] = 1.25 * picture + 100;
}

void BM_PeakPng(benchmark::State& state)
{
    PeakCounters(state, PeakPng());
}

void BM_PeakGif(benchmark::State& state)
{
    PeakCounters(state, PeakGif());
}

} // namespace

BENCHMARK(BM_OpenRle8)->MinWarmUpTime(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPlain8)->MinWarmUpTime(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakPng)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeakGif)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Only the child that PeakOfOpening starts opens a file once.
const bool openOnceRegistered =
    std::getenv("FV_OPEN_ONCE") != nullptr &&
    benchmark::RegisterBenchmark("BM_OpenOnce", BM_OpenOnce)->Iterations(1) != nullptr;
