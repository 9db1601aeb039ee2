// Opening and saving a 12-megapixel photo in the real main window
// (offscreen), against the libraries' own work on the same pixels: opening a
// JPEG file up to the shown window against TJPEGImage's decode of the same
// bytes, saving as PNG at level 6 against libpng writing the same rows with
// the same settings, and saving as BMP (36 MB) to a file.
#include "BenchImages.h"
#include "BenchMainWindow.h"

#include "jpeg/jpegSIMD.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Files.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr const char* Program = "app_file_bench";

const std::filesystem::path& Folder()
{
    static const std::filesystem::path dir = BenchFolder(Program);
    return dir;
}

// The photo as a quality-90 JPEG file.
const std::string& PhotoJpeg()
{
    static const std::string path = [] {
        TBitmap bitmap;
        bitmap.Assign(&PhotoImage(0));
        TJPEGImage jpeg;
        jpeg.Assign(&bitmap);
        const std::string file = (Folder() / "photo.jpg").string();
        jpeg.SaveToFile(file);
        return file;
    }();
    return path;
}

void BM_JpegDecode(benchmark::State& state)
{
    TMemoryStream bytes;
    bytes.LoadFromFile(PhotoJpeg());
    for (auto _ : state) {
        bytes.SetPosition(0);
        TJPEGImage jpeg;
        jpeg.LoadFromStream(bytes);
        jpeg.DIBNeeded();
    }
}

void BM_OpenJpegToWindow(benchmark::State& state)
{
    OpenInWindow(state, Program, PhotoJpeg());
}

// The open's steps one by one, each on the result of the one before.
void BM_OpenSteps(benchmark::State& state)
{
    TMainForm& form = BenchMainWindow(Program);
    TMemoryStream bytes;
    bytes.LoadFromFile(PhotoJpeg());
    const int step = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        bytes.SetPosition(0);
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromStream(bytes);
        jpeg->DIBNeeded();
        TBitmap bitmap;
        TFvDIB image;
        // As on the file road, the JPEG image is gone before the bitmap is read.
        if (step > 0) {
            bitmap.Assign(jpeg.get());
            jpeg.reset();
        }
        if (step > 1)
            image.TakeBitmap(bitmap);
        if (step == 0) {
            state.ResumeTiming();
            bitmap.Assign(jpeg.get());
        } else if (step == 1) {
            state.ResumeTiming();
            image.TakeBitmap(bitmap);
        } else if (step == 2) {
            state.ResumeTiming();
            form.Document().Loaded(image);
            image.Assign(nullptr);
            form.Work();
        } else {
            // As on the file road, the file's image is gone before the view.
            form.Document().Loaded(image);
            image.Assign(nullptr);
            form.Work();
            state.ResumeTiming();
            form.ImageView(*CurrentImage);
            form.FormSizeChange();
            if (step == 4)
                form.repaint();
        }
        state.PauseTiming();
        form.Document().ClearHistory();
        state.ResumeTiming();
    }
}

// The document's save: a bitmap of the document, then the PNG class.
void BM_SavePngLevel6(benchmark::State& state)
{
    TFvDIB& photo = PhotoImage(0);
    const std::string file = (Folder() / "photo.png").string();
    for (auto _ : state) {
        TBitmap bitmap;
        bitmap.Assign(&photo);
        TPngImage png;
        png.Assign(&bitmap);
        png.SetCompressionLevel(6);
        SaveFileReplacing(file, [&](TStream& stream) { png.SaveToStream(stream); });
    }
}

// libpng alone: the same rows, RGB from B, G, R, level 6, default filters, to a file.
void BM_LibpngLevel6(benchmark::State& state)
{
    TFvDIB& photo = PhotoImage(0);
    const int width = photo.Width();
    const int height = photo.Height();
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = photo.ScanLine(y);
    const std::string file = (Folder() / "libpng.png").string();
    for (auto _ : state) {
        FILE* out = std::fopen(file.c_str(), "wb");
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, out);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 6);
        png_write_info(png, info);
        png_set_bgr(png);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
    }
}

// The document's BMP save: a bitmap of the document written through a temporary file.
void BM_SaveBmp(benchmark::State& state)
{
    TFvDIB& photo = PhotoImage(0);
    const std::string file = (Folder() / "photo.bmp").string();
    for (auto _ : state) {
        TBitmap bitmap;
        bitmap.Assign(&photo);
        SaveFileReplacing(file, [&](TStream& stream) { bitmap.SaveToStream(stream); });
    }
}

// The same to a name that does not exist yet: ext4 flushes a file renamed
// over an existing one (auto_da_alloc), which the replacing save above pays.
void BM_SaveBmpNewFile(benchmark::State& state)
{
    TFvDIB& photo = PhotoImage(0);
    const std::string file = (Folder() / "new.bmp").string();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        TBitmap bitmap;
        bitmap.Assign(&photo);
        SaveFileReplacing(file, [&](TStream& stream) { bitmap.SaveToStream(stream); });
    }
}

BENCHMARK(BM_JpegDecode)->MinWarmUpTime(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenJpegToWindow)->MinWarmUpTime(1)->Unit(benchmark::kMillisecond)->UseRealTime();
// 0 bitmap of the decoded picture, 1 document storage from it, 2 history,
// 3 view and window fit, 4 the same and a paint.
BENCHMARK(BM_OpenSteps)->DenseRange(0, 4)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibpngLevel6)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavePngLevel6)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveBmpNewFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
