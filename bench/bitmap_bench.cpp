// Reading and writing a 24-bit BMP of about 12 megapixels (4243 x 2829, an
// awkward width whose rows need padding), the cost of a fresh picture, and
// the cost of Assign and undo snapshots, which share the pixel storage
// instead of copying it.
#include "bitmap/FvDIB.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int PhotoWidth = 4243;
constexpr int PhotoHeight = 2829;

// A photo-sized picture with varied bytes, made once.
TFvDIB& Photo()
{
    static TFvDIB* photo = [] {
        auto* dib = new TFvDIB;
        dib->SetBitCount(24);
        dib->SetWidth(PhotoWidth);
        dib->SetHeight(PhotoHeight);
        for (int y = 0; y < PhotoHeight; ++y) {
            uint8_t* row = dib->ScanLine(y);
            for (int i = 0; i < PhotoWidth * 3; ++i)
                row[i] = static_cast<uint8_t>(i * 7 + y * 13);
        }
        return dib;
    }();
    return *photo;
}

const TMemoryStream& PhotoFile()
{
    static TMemoryStream* file = [] {
        auto* stream = new TMemoryStream;
        Photo().SaveToStream(*stream);
        return stream;
    }();
    return *file;
}

int64_t PixelBytes()
{
    return Photo().InternalDIB().DIBInfos.BitsSize;
}

void BM_ReadBmp24(benchmark::State& state)
{
    DefaultUseFMO = state.range(0) != 0;
    TMemoryStream file;
    file.Write(PhotoFile().Memory(), const_cast<TMemoryStream&>(PhotoFile()).Size());
    for (auto _ : state) {
        file.SetPosition(0);
        TFvDIB dib;
        dib.LoadFromStream(file);
        benchmark::DoNotOptimize(dib.InternalDIB().DIBInfos.pBits);
    }
    DefaultUseFMO = true;
    state.SetBytesProcessed(state.iterations() * PixelBytes());
    state.SetLabel(state.range(0) ? "section" : "heap");
}
BENCHMARK(BM_ReadBmp24)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_WriteBmp24(benchmark::State& state)
{
    TFvDIB& photo = Photo();
    TMemoryStream file;
    for (auto _ : state) {
        file.SetPosition(0);
        photo.SaveToStream(file);
        benchmark::DoNotOptimize(file.Memory());
    }
    state.SetBytesProcessed(state.iterations() * PixelBytes());
}
BENCHMARK(BM_WriteBmp24)->Unit(benchmark::kMillisecond);

// A fresh 4608 x 2608 24-bit bitmap in a section, every byte written once.
void BM_FreshBitmapWritten(benchmark::State& state)
{
    for (auto _ : state) {
        TFvDIB dib;
        dib.SetBitCount(24);
        dib.SetWidth(4608);
        dib.SetHeight(2608);
        TFvInternalDIB& storage = dib.InternalDIB();
        std::memset(storage.DIBInfos.pBits, 0x5A, static_cast<size_t>(storage.DIBInfos.BitsSize));
        benchmark::DoNotOptimize(storage.DIBInfos.pBits);
    }
}
BENCHMARK(BM_FreshBitmapWritten)->Unit(benchmark::kMillisecond)->UseRealTime();

// Assign only takes a reference: the copy shows the same pixel address.
void BM_AssignShares(benchmark::State& state)
{
    TFvDIB& photo = Photo();
    int64_t copies = 0;
    for (auto _ : state) {
        TFvDIB copy;
        copy.Assign(&photo);
        copies += copy.InternalDIB().DIBInfos.pBits != photo.InternalDIB().DIBInfos.pBits;
    }
    state.counters["pixel_copies"] = static_cast<double>(copies);
}
BENCHMARK(BM_AssignShares);

// An undo history of snapshots taken between effects that change nothing yet.
void BM_SnapshotHistory(benchmark::State& state)
{
    const int depth = static_cast<int>(state.range(0));
    TFvDIB current;
    current.Assign(&Photo());
    int64_t copies = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<TFvDIB>> history;
        for (int i = 0; i < depth; ++i) {
            auto snapshot = std::make_unique<TFvDIB>();
            snapshot->Assign(&current);
            copies += snapshot->InternalDIB().DIBInfos.pBits != current.InternalDIB().DIBInfos.pBits;
            history.push_back(std::move(snapshot));
        }
    }
    state.counters["pixel_copies"] = static_cast<double>(copies);
}
BENCHMARK(BM_SnapshotHistory)->Arg(20);

// For comparison: the first write through a shared bitmap copies every pixel once.
void BM_FirstWriteCopies(benchmark::State& state)
{
    TFvDIB& photo = Photo();
    for (auto _ : state) {
        TFvDIB copy;
        copy.Assign(&photo);
        copy.ScanLine(0)[0] = 1;
        benchmark::DoNotOptimize(copy.InternalDIB().DIBInfos.pBits);
    }
    state.SetBytesProcessed(state.iterations() * PixelBytes());
}
BENCHMARK(BM_FirstWriteCopies)->Unit(benchmark::kMillisecond);

} // namespace
