// Row kernels of the 3x3 callbacks. A row is a flat run of bytes: the same
// channel of the left and right neighbours lies 3 bytes away, so each output
// byte is one expression over nine input bytes and every channel is treated
// alike.
#include "effects/NeighbourhoodRows.h"

#include "effects/ByteConversion.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

template <int K0, int K1, int K2, int K3, int K4, int K5, int K6, int K7, int K8, class Rule>
[[gnu::always_inline]] inline void ConvolveRow(const uint8_t* __restrict U, const uint8_t* __restrict M,
                                               const uint8_t* __restrict D, uint8_t* __restrict Out, int N, Rule Apply)
{
    for (int i = 0; i < N; ++i) {
        const int S = K0 * U[i - 3] + K1 * U[i] + K2 * U[i + 3] + K3 * M[i - 3] + K4 * M[i] + K5 * M[i + 3] +
                      K6 * D[i - 3] + K7 * D[i] + K8 * D[i + 3];
        Out[i] = ClampToByte(Apply(S));
    }
}

#define FV_ROW_ARGS                                                                                              \
    const uint8_t *U, const uint8_t *M, const uint8_t *D, uint8_t *Out, int N, const void *, uint8_t *

constexpr auto Abs = [](int S) { return S < 0 ? -S : S; };
constexpr auto AbsTimes5 = [](int S) { return (S < 0 ? -S : S) * 5; };

FV_SIMD_CLONES void RowColorEmboss(FV_ROW_ARGS) { ConvolveRow<-1, -1, -1, 0, 1, 0, 1, 1, 1>(U, M, D, Out, N, Abs); }
FV_SIMD_CLONES void RowDarkEmboss(FV_ROW_ARGS)
{
    ConvolveRow<-1, -2, -1, 0, 0, 0, 1, 2, 1>(U, M, D, Out, N, [](int S) { return (S < 0 ? -S : S) + 128; });
}
FV_SIMD_CLONES void RowSunPower(FV_ROW_ARGS)
{
    ConvolveRow<1, 3, 1, 3, 5, 3, 1, 3, 1>(U, M, D, Out, N, [](int S) { return S >> 4; });
}
FV_SIMD_CLONES void RowHorzDifference(FV_ROW_ARGS) { ConvolveRow<0, 0, 0, 0, 1, -1, 0, 0, 0>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowVertDifference(FV_ROW_ARGS) { ConvolveRow<0, 0, 0, 0, 1, 0, 0, -1, 0>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowHorzRoberts(FV_ROW_ARGS) { ConvolveRow<0, 0, 0, 0, 1, 0, 0, 0, -1>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowVertRoberts(FV_ROW_ARGS) { ConvolveRow<0, 0, 0, 0, 0, 1, 0, -1, 0>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowVertSobel(FV_ROW_ARGS) { ConvolveRow<-1, -2, -1, 0, 0, 0, 1, 2, 1>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowLaplacian1(FV_ROW_ARGS) { ConvolveRow<0, -1, 0, -1, 4, -1, 0, -1, 0>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowLaplacian2(FV_ROW_ARGS)
{
    ConvolveRow<-1, -1, -1, -1, 8, -1, -1, -1, -1>(U, M, D, Out, N, [](int S) { return (S < 0 ? -S : S) * 3; });
}
FV_SIMD_CLONES void RowLaplacian3(FV_ROW_ARGS) { ConvolveRow<1, -2, 1, -2, 4, -2, 1, -2, 1>(U, M, D, Out, N, AbsTimes5); }
FV_SIMD_CLONES void RowLaplacian4(FV_ROW_ARGS) { ConvolveRow<0, 1, 0, 1, -4, 1, 0, 1, 0>(U, M, D, Out, N, AbsTimes5); }

// Grey of each pixel, (B + G + R) div 3, for pixels -1 to Width of a row;
// the multiply and shift give the exact quotient for sums up to 765.
[[gnu::always_inline]] inline void GreyRow(const uint8_t* __restrict P, uint8_t* __restrict Grey, int Pixels)
{
    for (int x = 0; x < Pixels; ++x) {
        const int Sum = P[3 * x - 3] + P[3 * x - 2] + P[3 * x - 1];
        Grey[x] = static_cast<uint8_t>((Sum * 43691) >> 17);
    }
}

FV_SIMD_CLONES void RowEmboss(const uint8_t* __restrict U, const uint8_t*, const uint8_t* __restrict D,
                              uint8_t* __restrict Out, int N, const void*, uint8_t* __restrict Scratch)
{
    const int Width = N / 3;
    // Grey[x] is the grey of pixel x - 1, for x from 0 to Width + 1.
    uint8_t* __restrict Above = Scratch;
    uint8_t* __restrict Below = Scratch + Width + 2;
    GreyRow(U, Above, Width + 2);
    GreyRow(D, Below, Width + 2);
    for (int x = 0; x < Width; ++x) {
        // A whole number: rounding it changes nothing, only the clamp acts.
        const uint8_t V = ClampToByte(Above[x] - Below[x + 2] + 128);
        Out[3 * x] = V;
        Out[3 * x + 1] = V;
        Out[3 * x + 2] = V;
    }
}

// Weights whose sums could leave 32 bits: one 64-bit sum per byte.
void WeightedRow64(const uint8_t* __restrict U, const uint8_t* __restrict M, const uint8_t* __restrict D,
                   uint8_t* __restrict Out, int N, const int32_t* W)
{
    using Sum = int64_t;
    const Sum W0 = W[0], W1 = W[1], W2 = W[2], W3 = W[3], W4 = W[4], W5 = W[5], W6 = W[6], W7 = W[7], W8 = W[8];
    for (int i = 0; i < N; ++i) {
        const Sum S = W0 * U[i - 3] + W1 * U[i] + W2 * U[i + 3] + W3 * M[i - 3] + W4 * M[i] + W5 * M[i + 3] +
                      W6 * D[i - 3] + W7 * D[i] + W8 * D[i + 3];
        const Sum Shifted = S >> 8;
        Out[i] = static_cast<uint8_t>(Shifted < 0 ? 0 : Shifted > 255 ? 255 : Shifted);
    }
}

// The nine taps grouped by weight (zero weights dropped): the bytes of a
// group are added first, then multiplied once. Sharpen kernels have two or
// three groups, so this takes two or three multiplies instead of nine.
struct TWeightGroups {
    int Count = 0;
    int32_t Weight[9];
    int Size[9];
    int Tap[9][9]; // tap numbers, row-major from the upper left
};

TWeightGroups GroupWeights(const int32_t* W)
{
    TWeightGroups G;
    for (int t = 0; t < 9; ++t) {
        if (W[t] == 0)
            continue;
        int g = 0;
        while (g < G.Count && G.Weight[g] != W[t])
            ++g;
        if (g == G.Count) {
            G.Weight[g] = W[t];
            G.Size[g] = 0;
            ++G.Count;
        }
        G.Tap[g][G.Size[g]++] = t;
    }
    return G;
}

FV_SIMD_CLONES void StartPart(uint16_t* __restrict Part, const uint8_t* __restrict Bytes, int N)
{
    for (int i = 0; i < N; ++i)
        Part[i] = Bytes[i];
}

FV_SIMD_CLONES void AddPart(uint16_t* __restrict Part, const uint8_t* __restrict Bytes, int N)
{
    for (int i = 0; i < N; ++i)
        Part[i] = static_cast<uint16_t>(Part[i] + Bytes[i]);
}

FV_SIMD_CLONES void AddScaledPart(int32_t* __restrict Acc, const uint16_t* __restrict Part, int N, int32_t Weight)
{
    for (int i = 0; i < N; ++i)
        Acc[i] += Weight * Part[i];
}

FV_SIMD_CLONES void ShiftAndClamp(uint8_t* __restrict Out, const int32_t* __restrict Acc, int N)
{
    for (int i = 0; i < N; ++i) {
        const int32_t Shifted = Acc[i] >> 8;
        Out[i] = static_cast<uint8_t>(Shifted < 0 ? 0 : Shifted > 255 ? 255 : Shifted);
    }
}

void RowWeightedGroups(const uint8_t* U, const uint8_t* M, const uint8_t* D, uint8_t* __restrict Out,
                                      int N, const TWeightGroups& G)
{
    const uint8_t* Taps[9] = {U - 3, U, U + 3, M - 3, M, M + 3, D - 3, D, D + 3};
    constexpr int Chunk = 512;
    int32_t Acc[Chunk];
    uint16_t Part[Chunk];
    for (int Start = 0; Start < N; Start += Chunk) {
        const int Len = std::min(Chunk, N - Start);
        std::fill(Acc, Acc + Len, 0);
        for (int g = 0; g < G.Count; ++g) {
            StartPart(Part, Taps[G.Tap[g][0]] + Start, Len);
            for (int k = 1; k < G.Size[g]; ++k)
                AddPart(Part, Taps[G.Tap[g][k]] + Start, Len);
            AddScaledPart(Acc, Part, Len, G.Weight[g]);
        }
        ShiftAndClamp(Out + Start, Acc, Len);
    }
}

void RowWeighted(const uint8_t* U, const uint8_t* M, const uint8_t* D, uint8_t* Out, int N, const void* Data,
                 uint8_t*)
{
    static const int32_t NoWeights[9] = {};
    const int32_t* W = Data ? static_cast<const int32_t*>(Data) : NoWeights;
    int64_t Reach = 0;
    for (int k = 0; k < 9; ++k)
        Reach += std::abs(static_cast<int64_t>(W[k]));
    // Sums that stay within 32 bits are done in 32 (the vector units have no
    // 64-bit multiply); they equal the 64-bit ones.
    if (Reach * 255 <= INT32_MAX)
        RowWeightedGroups(U, M, D, Out, N, GroupWeights(W));
    else
        WeightedRow64(U, M, D, Out, N, W);
}

// Median of nine by sorted columns: with each column of three sorted, the
// median is the middle of (largest low, middle of the middles, smallest
// high). Each column is sorted once and shared by three outputs.
[[gnu::always_inline]] inline uint8_t Mid3(uint8_t A, uint8_t B, uint8_t C)
{
    return std::max(std::min(A, B), std::min(std::max(A, B), C));
}

[[gnu::always_inline]] inline void MedianRow(const uint8_t* __restrict U, const uint8_t* __restrict M,
                                             const uint8_t* __restrict D, uint8_t* __restrict Out, int N,
                                             uint8_t* __restrict Lo, uint8_t* __restrict Mi, uint8_t* __restrict Hi)
{
    for (int i = -3; i < N + 3; ++i) {
        const uint8_t A = U[i], B = M[i], C = D[i];
        const uint8_t L1 = std::min(A, B), H1 = std::max(A, B);
        Lo[i] = std::min(L1, C);
        const uint8_t H2 = std::max(L1, C);
        Mi[i] = std::min(H1, H2);
        Hi[i] = std::max(H1, H2);
    }
    for (int i = 0; i < N; ++i) {
        const uint8_t L = std::max(std::max(Lo[i - 3], Lo[i]), Lo[i + 3]);
        const uint8_t C = Mid3(Mi[i - 3], Mi[i], Mi[i + 3]);
        const uint8_t H = std::min(std::min(Hi[i - 3], Hi[i]), Hi[i + 3]);
        Out[i] = Mid3(L, C, H);
    }
}

FV_SIMD_CLONES void RowMedian(FV_ROW_ARGS Scratch)
{
    const int Span = N + 6;
    MedianRow(U, M, D, Out, N, Scratch + 3, Scratch + 3 + Span, Scratch + 3 + 2 * Span);
}

#undef FV_ROW_ARGS

struct TRowProcEntry {
    TNeighbourhoodProc Pixel;
    TNeighbourhoodRowProc Row;
};

const TRowProcEntry RowProcs[] = {
    {ConvolveColorEmboss, RowColorEmboss}, {ConvolveDarkEmboss, RowDarkEmboss},
    {ConvolveSunPower, RowSunPower},       {ConvolveHorzDifference, RowHorzDifference},
    {ConvolveVertDifference, RowVertDifference}, {ConvolveHorzRoberts, RowHorzRoberts},
    {ConvolveVertRoberts, RowVertRoberts}, {ConvolveVertSobel, RowVertSobel},
    {ConvolveLaplacian1, RowLaplacian1},   {ConvolveLaplacian2, RowLaplacian2},
    {ConvolveLaplacian3, RowLaplacian3},   {ConvolveLaplacian4, RowLaplacian4},
    {PixelEmboss, RowEmboss},              {PixelWeighted, RowWeighted},
    {PixelMedian, RowMedian},
};

} // namespace

int64_t NeighbourhoodRowScratch(int Bytes)
{
    return 3 * (static_cast<int64_t>(Bytes) + 6);
}

TNeighbourhoodRowProc FindNeighbourhoodRowProc(TNeighbourhoodProc PixelProc)
{
    for (const TRowProcEntry& Entry : RowProcs)
        if (Entry.Pixel == PixelProc)
            return Entry.Row;
    return nullptr;
}
