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

} // namespace

void GaussianBlurPass(TFvDIB& Image, int Value)
{
    const TGaussWeights G = MakeWeights(std::clamp(Value, 1, 50));
    const std::vector<uint8_t*> Source = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const int Height = Image.Height();
    TFvDIB Output;
    Make24BitImage(Output, Width, Height);
    const std::vector<uint8_t*> Dest = GetScanLineTable(&Output);
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
    Image.Assign(&Output);
}
