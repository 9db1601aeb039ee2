// Motion blur. Sample k of pixel (x, y) lies at ((fx + k dx) >> 16,
// (fy + k dy) >> 16) in 16.16 fixed point, with fx = Trunc((x - Size cos)
// 65536) and fy likewise; the sum of 2 Size Quality samples is divided by
// their number. Positions are 64-bit, so no image size wraps them.
//
// Writing fx = 65536 x + rx, sample k sits at a fixed offset from the pixel
// for every pixel that shares rx and ry, which is all of them but for a few
// where the truncation falls the other way. So the samples collapse into a
// short list of (offset, count) taps per row, and pixels whose taps all lie
// inside the row add whole rows of bytes per tap, taps of equal count
// together; only pixels near the ends fold their samples one by one.
#include "effects/MotionBlur.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/BandRows.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"
#include "effects/Truncation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int64_t One = 65536;

// Mirror about the last index first, then about 0, then clamp: a reach
// longer than the image cannot leave the row.
int Fold(int64_t V, int Last)
{
    if (V > Last)
        V = 2 * static_cast<int64_t>(Last) - V;
    if (V < 0)
        V = -V;
    return static_cast<int>(std::clamp<int64_t>(V, 0, Last));
}

struct TTap {
    int Dx;
    int Dy;
    int32_t Count;
    const uint8_t* Row; // the folded source row of this tap
};

struct TColumnRun {
    int First;
    int Last; // exclusive
    int64_t Rx;
};

FV_SIMD_CLONES void CopyBytes16(uint16_t* __restrict T, const uint8_t* __restrict P, int N)
{
    for (int i = 0; i < N; ++i)
        T[i] = P[i];
}

FV_SIMD_CLONES void AddBytes16(uint16_t* __restrict T, const uint8_t* __restrict P, int N)
{
    for (int i = 0; i < N; ++i)
        T[i] = static_cast<uint16_t>(T[i] + P[i]);
}

FV_SIMD_CLONES void AddScaled16(int32_t* __restrict A, const uint16_t* __restrict T, int N, int32_t W)
{
    for (int i = 0; i < N; ++i)
        A[i] += W * T[i];
}

// Acc[i] += W x (the bytes from Lo to Hi - 3 bytes past Base + i, in steps of 3).
FV_SIMD_CLONES void AddRunScaled(int32_t* __restrict Acc, const uint32_t* __restrict Prefix, int Base, int N, int Lo,
                                 int Hi, int32_t W)
{
    const uint32_t* __restrict Top = Prefix + Base + Hi;
    const uint32_t* __restrict Bottom = Prefix + Base + Lo;
    for (int i = 0; i < N; ++i)
        Acc[i] += W * static_cast<int32_t>(Top[i] - Bottom[i]);
}

FV_SIMD_CLONES void DivideRow(uint8_t* __restrict Out, const int32_t* __restrict A, int N, float Reciprocal)
{
    for (int i = 0; i < N; ++i)
        Out[i] = DivideByteSum(A[i], Reciprocal);
}

class TRowWorker {
public:
    TRowWorker(int Width, int Samples)
        : FAcc(static_cast<size_t>(Width) * 3), FPartial(static_cast<size_t>(Width) * 3),
          FPrefix(static_cast<size_t>(Width) * 3 + 3)
    {
        FTaps.reserve(static_cast<size_t>(Samples));
    }

    // Taps of the samples for remainders Rx, Ry, rows folded for output row Y.
    void BuildTaps(int64_t Rx, int64_t Ry, int64_t Dx, int64_t Dy, int Samples, int Y, int Height,
                   const TBandRows& Source)
    {
        FTaps.clear();
        const int LastRow = Height - 1;
        int64_t Fx = Rx, Fy = Ry;
        for (int k = 0; k < Samples; ++k) {
            const int Ox = static_cast<int>(Fx >> 16);
            const int Oy = static_cast<int>(Fy >> 16);
            if (!FTaps.empty() && FTaps.back().Dx == Ox && FTaps.back().Dy == Oy)
                ++FTaps.back().Count;
            else
                FTaps.push_back({Ox, Oy, 1, Source.Row(Fold(int64_t{Y} + Oy, LastRow))});
            Fx += Dx;
            Fy += Dy;
        }
        FMinDx = FMaxDx = FTaps.front().Dx;
        for (const TTap& T : FTaps) {
            FMinDx = std::min(FMinDx, T.Dx);
            FMaxDx = std::max(FMaxDx, T.Dx);
        }
        std::sort(FTaps.begin(), FTaps.end(), [](const TTap& A, const TTap& B) {
            return A.Count != B.Count ? A.Count < B.Count : A.Dy != B.Dy ? A.Dy < B.Dy : A.Dx < B.Dx;
        });
        FPrefixRow = nullptr;
    }

    int MinDx() const { return FMinDx; }
    int MaxDx() const { return FMaxDx; }

    // Pixels Begin .. End - 1, all of whose taps lie inside the row.
    void Interior(int Begin, int End, uint8_t* Out, float Reciprocal)
    {
        const int N = (End - Begin) * 3;
        int32_t* Acc = FAcc.data();
        std::fill(Acc, Acc + N, 0);
        for (size_t g = 0; g < FTaps.size();) {
            const int32_t Count = FTaps[g].Count;
            size_t e = g + 1;
            while (e < FTaps.size() && FTaps[e].Count == Count)
                ++e;
            // 257 bytes of 255 still fit the 16-bit partial sums.
            int InPartial = 0;
            auto Flush = [&] {
                if (InPartial > 0)
                    AddScaled16(Acc, FPartial.data(), N, Count);
                InPartial = 0;
            };
            for (size_t t = g; t < e;) {
                size_t r = t + 1;
                while (r < e && FTaps[r].Dy == FTaps[t].Dy && FTaps[r].Dx == FTaps[r - 1].Dx + 1)
                    ++r;
                if (r - t >= LongRun) {
                    AddRunScaled(Acc, Prefix(FTaps[t].Row), Begin * 3, N, 3 * FTaps[t].Dx, 3 * (FTaps[r - 1].Dx + 1),
                                 Count);
                } else {
                    for (size_t k = t; k < r; ++k) {
                        if (InPartial == 0)
                            CopyBytes16(FPartial.data(), Pixels(FTaps[k], Begin), N);
                        else
                            AddBytes16(FPartial.data(), Pixels(FTaps[k], Begin), N);
                        if (++InPartial == 257)
                            Flush();
                    }
                }
                t = r;
            }
            Flush();
            g = e;
        }
        DivideRow(Out + Begin * 3, Acc, N, Reciprocal);
    }

    // One pixel near the ends, its sample columns folded one by one.
    void Edge(int X, int Width, uint8_t* Out, float Reciprocal) const
    {
        int32_t S0 = 0, S1 = 0, S2 = 0;
        for (const TTap& T : FTaps) {
            const uint8_t* P = T.Row + Fold(int64_t{X} + T.Dx, Width - 1) * 3;
            S0 += T.Count * P[0];
            S1 += T.Count * P[1];
            S2 += T.Count * P[2];
        }
        Out[X * 3] = DivideByteSum(S0, Reciprocal);
        Out[X * 3 + 1] = DivideByteSum(S1, Reciprocal);
        Out[X * 3 + 2] = DivideByteSum(S2, Reciprocal);
    }

private:
    // Runs of this many neighbouring taps of one count in one row (a line
    // near the horizontal) are summed from the row's prefix sums instead.
    static constexpr size_t LongRun = 8;

    static const uint8_t* Pixels(const TTap& T, int X) { return T.Row + (X + T.Dx) * 3; }

    // Prefix[k]: the sum of bytes k - 3, k - 6, ... of Row, one channel each.
    const uint32_t* Prefix(const uint8_t* Row)
    {
        if (Row != FPrefixRow) {
            uint32_t* P = FPrefix.data();
            const int N = static_cast<int>(FPrefix.size()) - 3;
            P[0] = P[1] = P[2] = 0;
            for (int i = 0; i < N; ++i)
                P[i + 3] = P[i] + Row[i];
            FPrefixRow = Row;
        }
        return FPrefix.data();
    }

    std::vector<TTap> FTaps;
    std::vector<int32_t> FAcc;
    std::vector<uint16_t> FPartial;
    std::vector<uint32_t> FPrefix;
    const uint8_t* FPrefixRow = nullptr; // rows are reused by the ring: valid for one output row
    int FMinDx = 0;
    int FMaxDx = 0;
};

} // namespace

void MotionBlurFilter(TFvDIB& Image, int Size, int Quality, double Angle)
{
    Size = std::clamp(Size, 1, 20);
    Quality = std::clamp(Quality, 1, 10);
    if (!std::isfinite(Angle))
        Angle = 0;
    const std::vector<uint8_t*> Image24 = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const int Height = Image.Height();

    const long double C = std::cos(static_cast<long double>(Angle));
    const long double S = std::sin(static_cast<long double>(Angle));
    const int64_t Dx = TruncSaturated<int64_t>(C / Quality * 65536.0L);
    const int64_t Dy = TruncSaturated<int64_t>(S / Quality * 65536.0L);
    const int Samples = 2 * Size * Quality;
    const float Reciprocal = FloatReciprocal(Samples);

    std::vector<TColumnRun> Runs;
    for (int x = 0; x < Width; ++x) {
        const int64_t Fx = TruncSaturated<int64_t>((x - Size * C) * 65536.0L);
        const int64_t Rx = Fx - One * x;
        if (Runs.empty() || Runs.back().Rx != Rx)
            Runs.push_back({x, x + 1, Rx});
        else
            Runs.back().Last = x + 1;
    }
    std::vector<int64_t> RowRemainder(static_cast<size_t>(Height));
    int64_t Farthest = 0;
    for (int y = 0; y < Height; ++y) {
        const int64_t Fy = TruncSaturated<int64_t>((y - Size * S) * 65536.0L);
        RowRemainder[static_cast<size_t>(y)] = Fy - One * y;
        Farthest = std::max(Farthest, std::abs(RowRemainder[static_cast<size_t>(y)]));
    }
    // No sample row lies further from its pixel than this.
    const int Reach = static_cast<int>(std::min<int64_t>((Farthest + Samples * std::abs(Dy)) / One + 2, Height));

    // The result goes straight back into the image rows; each band reads
    // the original rows through its copies.
    const std::vector<TBandRange> Plan = PlanBands(Height, static_cast<int64_t>(Width) * 3 * 64);
    std::vector<TBandRows> Sources;
    std::vector<TRowWorker> Workers;
    for (const TBandRange& Band : Plan) {
        Sources.emplace_back(Image24, Band, Reach, static_cast<size_t>(Width) * 3);
        Workers.emplace_back(Width, Samples);
    }
    ForEachPlannedBand(Plan, [&](int b) { Sources[static_cast<size_t>(b)].CopyShared(); });
    ForEachPlannedBand(Plan, [&](int b) {
        TBandRows& Rows = Sources[static_cast<size_t>(b)];
        TRowWorker& Worker = Workers[static_cast<size_t>(b)];
        Rows.Start();
        for (int y = Plan[static_cast<size_t>(b)].First; y < Plan[static_cast<size_t>(b)].Last; ++y) {
            Rows.Advance(y);
            uint8_t* Out = Image24[static_cast<size_t>(y)];
            for (const TColumnRun& Run : Runs) {
                Worker.BuildTaps(Run.Rx, RowRemainder[static_cast<size_t>(y)], Dx, Dy, Samples, y, Height, Rows);
                const int Begin = std::clamp(-Worker.MinDx(), Run.First, Run.Last);
                const int End = std::clamp(Width - Worker.MaxDx(), Begin, Run.Last);
                for (int x = Run.First; x < Begin; ++x)
                    Worker.Edge(x, Width, Out, Reciprocal);
                if (Begin < End)
                    Worker.Interior(Begin, End, Out, Reciprocal);
                for (int x = End; x < Run.Last; ++x)
                    Worker.Edge(x, Width, Out, Reciprocal);
            }
        }
    });
}
