// Gaussian blur. Weights are Trunc(16 exp(-i^2 / 2 rho^2)); a column beyond
// either end is mirrored about the end pixel, and clamped into the row when
// the image is narrower than the reach. The weight total is the same for
// every pixel, so the division is by one constant. Both forms write back
// into the image rows; the two-way form runs its second pass down the
// columns instead of turning the image, which gives the same bytes.
#include "effects/GaussianBlur.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/BandPlan.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct TGaussWeights {
    int32_t W[16] = {};
    int Reach = 0; // last index with a weight above zero
    int32_t Total = 0;
};

TGaussWeights MakeWeights(int Value)
{
    TGaussWeights G;
    const long double Rho = Value / 10.0L;
    const int Radius = static_cast<int>(3.0L * Rho);
    for (int i = 0; i <= Radius; ++i) {
        G.W[i] = static_cast<int32_t>(16.0L * std::exp(-static_cast<long double>(i * i) / (2.0L * Rho * Rho)));
        if (G.W[i] > 0)
            G.Reach = i;
        G.Total += i == 0 ? G.W[i] : 2 * G.W[i];
    }
    return G;
}

int Mirror(int C, int Last)
{
    if (C < 0)
        C = -C;
    if (C > Last)
        C = 2 * Last - C;
    return std::clamp(C, 0, Last);
}

// Pixels Begin .. End - 1 whose reach stays inside the row, a row of bytes at a time.
FV_SIMD_CLONES void InteriorRun(const uint8_t* __restrict Row, uint16_t* __restrict Acc, uint8_t* __restrict Out,
                                int Begin, int End, const TGaussWeights& G, float Reciprocal)
{
    const int First = Begin * 3, Stop = End * 3;
    const uint16_t W0 = static_cast<uint16_t>(G.W[0]);
    for (int i = First; i < Stop; ++i)
        Acc[i] = static_cast<uint16_t>(W0 * Row[i]);
    for (int k = 1; k <= G.Reach; ++k) {
        const uint16_t Wk = static_cast<uint16_t>(G.W[k]);
        const int Off = 3 * k;
        for (int i = First; i < Stop; ++i)
            Acc[i] = static_cast<uint16_t>(Acc[i] + Wk * (Row[i - Off] + Row[i + Off]));
    }
    for (int i = First; i < Stop; ++i)
        Out[i] = DivideByteSum(Acc[i], Reciprocal);
}

void EdgePixel(const uint8_t* Row, int Width, int X, const TGaussWeights& G, float Reciprocal, uint8_t* Out)
{
    int32_t S0 = 0, S1 = 0, S2 = 0;
    for (int k = -G.Reach; k <= G.Reach; ++k) {
        const int32_t Wk = G.W[std::abs(k)];
        const uint8_t* P = Row + Mirror(X + k, Width - 1) * 3;
        S0 += Wk * P[0];
        S1 += Wk * P[1];
        S2 += Wk * P[2];
    }
    Out[X * 3] = DivideByteSum(S0, Reciprocal);
    Out[X * 3 + 1] = DivideByteSum(S1, Reciprocal);
    Out[X * 3 + 2] = DivideByteSum(S2, Reciprocal);
}

// One row of the horizontal pass.
void HorizontalRow(const uint8_t* Row, uint8_t* Out, uint16_t* Acc, int Width, const TGaussWeights& G,
                   float Reciprocal)
{
    // Pixels Inner .. Outer - 1 reach no further than the row's ends.
    const int Inner = std::min(G.Reach, Width);
    const int Outer = std::max(Inner, Width - G.Reach);
    for (int x = 0; x < Inner; ++x)
        EdgePixel(Row, Width, x, G, Reciprocal, Out);
    InteriorRun(Row, Acc, Out, Inner, Outer, G, Reciprocal);
    for (int x = Outer; x < Width; ++x)
        EdgePixel(Row, Width, x, G, Reciprocal, Out);
}

FV_SIMD_CLONES void StartColumnSums(uint16_t* __restrict Acc, const uint8_t* __restrict M, int N, uint16_t W0)
{
    for (int i = 0; i < N; ++i)
        Acc[i] = static_cast<uint16_t>(W0 * M[i]);
}

FV_SIMD_CLONES void AddColumnPair(uint16_t* __restrict Acc, const uint8_t* __restrict A, const uint8_t* __restrict B,
                                  int N, uint16_t Wk)
{
    for (int i = 0; i < N; ++i)
        Acc[i] = static_cast<uint16_t>(Acc[i] + Wk * (A[i] + B[i]));
}

FV_SIMD_CLONES void DivideColumnSums(uint8_t* __restrict Out, const uint16_t* __restrict Acc, int N, float Reciprocal)
{
    for (int i = 0; i < N; ++i)
        Out[i] = DivideByteSum(Acc[i], Reciprocal);
}

// One output row from its rows above (Up[k - 1] is k rows up, folded) and
// below, a cache-sized chunk at a time.
void VerticalRow(const uint8_t* const* Up, const uint8_t* Middle, const uint8_t* const* Down, uint8_t* Out, int Bytes,
                 const TGaussWeights& G, float Reciprocal)
{
    constexpr int Chunk = 2048;
    uint16_t Acc[Chunk];
    for (int Start = 0; Start < Bytes; Start += Chunk) {
        const int N = std::min(Chunk, Bytes - Start);
        StartColumnSums(Acc, Middle + Start, N, static_cast<uint16_t>(G.W[0]));
        for (int k = 1; k <= G.Reach; ++k)
            AddColumnPair(Acc, Up[k - 1] + Start, Down[k - 1] + Start, N, static_cast<uint16_t>(G.W[k]));
        DivideColumnSums(Out + Start, Acc, N, Reciprocal);
    }
}

// The state of one band of the two-way blur. The horizontal results of the
// rows a band shares with its neighbours (Reach rows on each side) are made
// before any band writes; its own rows pass through a ring of 2 Reach + 1
// rows, each made just before the image row it comes from is overwritten.
struct TBlurBand {
    std::vector<uint8_t> Shared; // rows First - Reach .. First - 1, then Last .. Last + Reach - 1
    std::vector<uint8_t> Ring;
    std::vector<uint16_t> Acc;
};

} // namespace

void GaussianBlurPass(TFvDIB& Image, int Value)
{
    const TGaussWeights G = MakeWeights(std::clamp(Value, 1, 50));
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const size_t Bytes = static_cast<size_t>(Width) * 3;
    const float Reciprocal = FloatReciprocal(G.Total);
    // Every row depends on itself alone: each is copied aside and rewritten.
    const std::vector<TBandRange> Plan = PlanBands(static_cast<int>(Rows.size()), static_cast<int64_t>(Bytes) * (G.Reach + 1));
    std::vector<std::vector<uint8_t>> Copies(Plan.size(), std::vector<uint8_t>(Bytes));
    std::vector<std::vector<uint16_t>> Accs(Plan.size(), std::vector<uint16_t>(Bytes));
    ForEachPlannedBand(Plan, [&](int b) {
        uint8_t* Copy = Copies[static_cast<size_t>(b)].data();
        for (int y = Plan[static_cast<size_t>(b)].First; y < Plan[static_cast<size_t>(b)].Last; ++y) {
            std::memcpy(Copy, Rows[static_cast<size_t>(y)], Bytes);
            HorizontalRow(Copy, Rows[static_cast<size_t>(y)], Accs[static_cast<size_t>(b)].data(), Width, G, Reciprocal);
        }
    });
}

void GaussianBlur(TFvDIB& Image, int Value)
{
    const TGaussWeights G = MakeWeights(std::clamp(Value, 1, 50));
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const int Height = static_cast<int>(Rows.size());
    const int Reach = G.Reach;
    const size_t Bytes = static_cast<size_t>(Width) * 3;
    const float Reciprocal = FloatReciprocal(G.Total);
    const int RingRows = 2 * Reach + 1;
    const std::vector<TBandRange> Plan = PlanBands(Height, static_cast<int64_t>(Bytes) * 2 * (Reach + 1));

    std::vector<TBlurBand> Bands(Plan.size());
    for (TBlurBand& Band : Bands) {
        Band.Shared.resize(2 * static_cast<size_t>(Reach) * Bytes);
        Band.Ring.resize(static_cast<size_t>(RingRows) * Bytes);
        Band.Acc.resize(Bytes);
    }
    auto SharedSlot = [&](int b, int j) -> uint8_t* {
        const TBandRange& R = Plan[static_cast<size_t>(b)];
        const int Index = j < R.First ? j - (R.First - Reach) : Reach + j - R.Last;
        return Bands[static_cast<size_t>(b)].Shared.data() + static_cast<size_t>(Index) * Bytes;
    };
    auto Horizontal = [&](int b, int j) -> const uint8_t* {
        const TBandRange& R = Plan[static_cast<size_t>(b)];
        if (j < R.First || j >= R.Last)
            return SharedSlot(b, j);
        return Bands[static_cast<size_t>(b)].Ring.data() + static_cast<size_t>(j % RingRows) * Bytes;
    };

    // The shared rows first, while every image row still holds the source.
    ForEachPlannedBand(Plan, [&](int b) {
        const TBandRange& R = Plan[static_cast<size_t>(b)];
        for (int j = std::max(0, R.First - Reach); j < R.First; ++j)
            HorizontalRow(Rows[static_cast<size_t>(j)], SharedSlot(b, j), Bands[static_cast<size_t>(b)].Acc.data(), Width, G, Reciprocal);
        for (int j = R.Last; j < std::min(Height, R.Last + Reach); ++j)
            HorizontalRow(Rows[static_cast<size_t>(j)], SharedSlot(b, j), Bands[static_cast<size_t>(b)].Acc.data(), Width, G, Reciprocal);
    });
    // Then each band streams down its rows: the horizontal row Reach below,
    // then the vertical pass into the image row, whose source is no longer needed.
    ForEachPlannedBand(Plan, [&](int b) {
        const TBandRange& R = Plan[static_cast<size_t>(b)];
        TBlurBand& Band = Bands[static_cast<size_t>(b)];
        auto MakeOwn = [&](int j) {
            HorizontalRow(Rows[static_cast<size_t>(j)], Band.Ring.data() + static_cast<size_t>(j % RingRows) * Bytes,
                          Band.Acc.data(), Width, G, Reciprocal);
        };
        for (int j = R.First; j < std::min(R.Last, R.First + Reach); ++j)
            MakeOwn(j);
        for (int y = R.First; y < R.Last; ++y) {
            if (y + Reach < R.Last)
                MakeOwn(y + Reach);
            const uint8_t* Up[16];
            const uint8_t* Down[16];
            for (int k = 1; k <= Reach; ++k) {
                Up[k - 1] = Horizontal(b, Mirror(y - k, Height - 1));
                Down[k - 1] = Horizontal(b, Mirror(y + k, Height - 1));
            }
            VerticalRow(Up, Horizontal(b, y), Down, Rows[static_cast<size_t>(y)], static_cast<int>(Bytes), G, Reciprocal);
        }
    });
}
