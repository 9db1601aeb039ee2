// Decoding and encoding a 12-megapixel photo at quality 90 through
// TJPEGImage, against djpeg and cjpeg of the same libjpeg on the same file.
// The tools run as child processes on files in a temporary folder; their
// time includes starting the process and reading or writing the PPM. Every
// case reports CPU time (user and system, the child's for the tools), so
// that a busy machine does not skew the comparison. Decoding counts loading
// the bytes and making the bitmap; encoding counts Compress alone (handing
// the picture to the image is a bitmap copy, not coding).
#include "BenchImages.h"

#include "jpeg/jpegSIMD.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct TPhotoFiles {
    ~TPhotoFiles() { std::filesystem::remove_all(Folder); }
    std::filesystem::path Folder;
    std::string Ppm;
    std::string Jpeg;
    std::unique_ptr<TBitmap> Bitmap;
    std::vector<uint8_t> JpegBytes;
};

double Seconds(const timeval& Time)
{
    return static_cast<double>(Time.tv_sec) + static_cast<double>(Time.tv_usec) / 1e6;
}

double ProcessCpuSeconds()
{
    timespec Now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &Now);
    return static_cast<double>(Now.tv_sec) + static_cast<double>(Now.tv_nsec) / 1e9;
}

// Runs a tool and answers the CPU seconds it used, or -1 when it failed.
double RunTool(std::vector<std::string> Arguments)
{
    std::vector<char*> Argv;
    for (std::string& Argument : Arguments)
        Argv.push_back(Argument.data());
    Argv.push_back(nullptr);
    pid_t Child = 0;
    if (posix_spawnp(&Child, Argv[0], nullptr, nullptr, Argv.data(), environ) != 0)
        return -1;
    int Status = 0;
    rusage Usage{};
    wait4(Child, &Status, 0, &Usage);
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0)
        return -1;
    return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

// The photo as a TBitmap, a PPM file for cjpeg, and the JPEG file that our
// encoder makes of it with the default options at quality 90.
TPhotoFiles& Photo()
{
    static TPhotoFiles Made;
    if (Made.Folder.empty()) {
        char Template[] = "/tmp/fv-jpeg-bench-XXXXXX";
        Made.Folder = mkdtemp(Template);
        Made.Ppm = (Made.Folder / "photo.ppm").string();
        Made.Jpeg = (Made.Folder / "photo.jpg").string();
        const TBenchSize Size = BenchSizes[0];
        const std::unique_ptr<TFvDIB> Photo = MakePhotoImage(Size.Width, Size.Height);
        TFvDIB& Image = *Photo;
        WritePpm(Image, Made.Ppm);
        Made.Bitmap = std::make_unique<TBitmap>();
        Made.Bitmap->SetPixelFormat(pf24bit);
        Made.Bitmap->SetSize(Image.Width(), Image.Height());
        for (int y = 0; y < Image.Height(); ++y)
            std::memcpy(Made.Bitmap->ScanLine(y), Image.ScanLine(y), static_cast<size_t>(Image.Width()) * 3);
        TJPEGImage Encoder;
        Encoder.SetCompressionQuality(90);
        Encoder.Assign(Made.Bitmap.get());
        Encoder.SaveToFile(Made.Jpeg);
        std::ifstream In(Made.Jpeg, std::ios::binary);
        Made.JpegBytes.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    }
    return Made;
}

void Finish(benchmark::State& State)
{
    State.counters["MP/s"] = benchmark::Counter(4608.0 * 2608.0 / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TJPEGImageDecode(benchmark::State& State)
{
    TPhotoFiles& Files = Photo();
    for (auto _ : State) {
        const double Start = ProcessCpuSeconds();
        TMemoryStream Stream;
        Stream.WriteBuffer(Files.JpegBytes.data(), static_cast<int64_t>(Files.JpegBytes.size()));
        Stream.SetPosition(0);
        TJPEGImage Jpeg;
        Jpeg.LoadFromStream(Stream);
        Jpeg.DIBNeeded();
        benchmark::DoNotOptimize(Jpeg.Width());
        State.SetIterationTime(ProcessCpuSeconds() - Start);
    }
    Finish(State);
}

void BM_djpegDecode(benchmark::State& State)
{
    TPhotoFiles& Files = Photo();
    for (auto _ : State) {
        const double Used = RunTool({"djpeg", "-outfile", "/dev/null", Files.Jpeg});
        if (Used < 0) {
            State.SkipWithError("djpeg failed");
            break;
        }
        State.SetIterationTime(Used);
    }
    Finish(State);
}

void BM_TJPEGImageEncode(benchmark::State& State)
{
    TPhotoFiles& Files = Photo();
    for (auto _ : State) {
        TJPEGImage Jpeg;
        Jpeg.SetCompressionQuality(90);
        Jpeg.Assign(Files.Bitmap.get());
        const double Start = ProcessCpuSeconds();
        Jpeg.Compress();
        benchmark::DoNotOptimize(Jpeg.Empty());
        State.SetIterationTime(ProcessCpuSeconds() - Start);
    }
    Finish(State);
}

// The same settings as TJPEGImage's defaults: 2 x 1 sampling, optimal Huffman tables.
void BM_cjpegEncode(benchmark::State& State)
{
    TPhotoFiles& Files = Photo();
    for (auto _ : State) {
        const double Used =
            RunTool({"cjpeg", "-quality", "90", "-sample", "2x1", "-optimize", "-outfile", "/dev/null", Files.Ppm});
        if (Used < 0) {
            State.SkipWithError("cjpeg failed");
            break;
        }
        State.SetIterationTime(Used);
    }
    Finish(State);
}

// What decoding spends on making its 12-megapixel bitmap, which the tools
// writing rows to a file do not need.
void BM_TBitmapCreate(benchmark::State& State)
{
    for (auto _ : State) {
        const double Start = ProcessCpuSeconds();
        TBitmap Bitmap;
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(4608, 2608);
        State.SetIterationTime(ProcessCpuSeconds() - Start);
    }
    Finish(State);
}

BENCHMARK(BM_TJPEGImageDecode)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_djpegDecode)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_TBitmapCreate)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_TJPEGImageEncode)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_cjpegEncode)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
