// Horizontal Gaussian pass. Weights are Trunc(16 exp(-i^2 / 2 rho^2)); a
// column beyond either end is mirrored about the end pixel, and clamped
// into the row when the image is narrower than the reach. The weight total
// is the same for every pixel, so the division is by one constant.
#include "effects/GaussianBlur.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/FilterOutput.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <cmath>
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

void HorizontalPass(const std::vector<uint8_t*>& Source, const std::vector<uint8_t*>& Dest, int Width,
                    const TGaussWeights& G)
{
    const int Height = static_cast<int>(Source.size());
    const float Reciprocal = FloatReciprocal(G.Total);
    // Pixels Inner .. Outer - 1 reach no further than the row's ends.
    const int Inner = std::min(G.Reach, Width);
    const int Outer = std::max(Inner, Width - G.Reach);
    ForEachBand(Height, static_cast<int64_t>(Width) * 3 * (G.Reach + 1), [&](int First, int Last) {
        std::vector<uint16_t> Acc(static_cast<size_t>(Width) * 3);
        for (int y = First; y < Last; ++y) {
            const uint8_t* Row = Source[y];
            uint8_t* Out = Dest[y];
            for (int x = 0; x < Inner; ++x)
                EdgePixel(Row, Width, x, G, Reciprocal, Out);
            InteriorRun(Row, Acc.data(), Out, Inner, Outer, G, Reciprocal);
            for (int x = Outer; x < Width; ++x)
                EdgePixel(Row, Width, x, G, Reciprocal, Out);
        }
    });
}

// Bytes Begin .. End - 1 of one output row from its rows above (Up[k - 1]
// is k rows up, folded) and below.
FV_SIMD_CLONES void VerticalRun(const uint8_t* const* Up, const uint8_t* Middle, const uint8_t* const* Down,
                                uint8_t* __restrict Out, int Begin, int End, const TGaussWeights& G,
                                float Reciprocal)
{
    constexpr int Chunk = 512;
    uint16_t Acc[Chunk];
    for (int Start = Begin; Start < End; Start += Chunk) {
        const int N = std::min(Chunk, End - Start);
        const uint8_t* __restrict M = Middle + Start;
        const uint16_t W0 = static_cast<uint16_t>(G.W[0]);
        for (int i = 0; i < N; ++i)
            Acc[i] = static_cast<uint16_t>(W0 * M[i]);
        for (int k = 1; k <= G.Reach; ++k) {
            const uint8_t* __restrict A = Up[k - 1] + Start;
            const uint8_t* __restrict B = Down[k - 1] + Start;
            const uint16_t Wk = static_cast<uint16_t>(G.W[k]);
            for (int i = 0; i < N; ++i)
                Acc[i] = static_cast<uint16_t>(Acc[i] + Wk * (A[i] + B[i]));
        }
        for (int i = 0; i < N; ++i)
            Out[Start + i] = DivideByteSum(Acc[i], Reciprocal);
    }
}

// The same pass down the columns: what a left turn, a pass and a right
// turn give, without turning.
void VerticalPass(const std::vector<uint8_t*>& Source, const std::vector<uint8_t*>& Dest, int Width,
                  const TGaussWeights& G)
{
    const int Height = static_cast<int>(Source.size());
    const float Reciprocal = FloatReciprocal(G.Total);
    ForEachBand(Height, static_cast<int64_t>(Width) * 3 * (G.Reach + 1), [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            const uint8_t* Up[16];
            const uint8_t* Down[16];
            for (int k = 1; k <= G.Reach; ++k) {
                Up[k - 1] = Source[static_cast<size_t>(Mirror(y - k, Height - 1))];
                Down[k - 1] = Source[static_cast<size_t>(Mirror(y + k, Height - 1))];
            }
            VerticalRun(Up, Source[y], Down, Dest[y], 0, Width * 3, G, Reciprocal);
        }
    });
}

} // namespace

void GaussianBlurPass(TFvDIB& Image, int Value)
{
    const TGaussWeights G = MakeWeights(std::clamp(Value, 1, 50));
    const std::vector<uint8_t*> Source = Get24BitScanLineTable(Image);
    TFvDIB Output;
    Make24BitImage(Output, Image.Width(), Image.Height());
    HorizontalPass(Source, GetScanLineTable(&Output), Image.Width(), G);
    Image.Assign(&Output);
}

void GaussianBlur(TFvDIB& Image, int Value)
{
    const TGaussWeights G = MakeWeights(std::clamp(Value, 1, 50));
    const std::vector<uint8_t*> Source = Get24BitScanLineTable(Image);
    TFvDIB Across;
    Make24BitImage(Across, Image.Width(), Image.Height());
    const std::vector<uint8_t*> AcrossRows = GetScanLineTable(&Across);
    HorizontalPass(Source, AcrossRows, Image.Width(), G);
    // Nothing below can fail: the image's own rows take the result.
    VerticalPass(AcrossRows, Source, Image.Width(), G);
}
