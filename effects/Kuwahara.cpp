// Kuwahara filter. The square of side n = Block + 1 whose lower-right
// corner is pixel (ax, ay) is quadrant 0 of (ax, ay), 1 of (ax - Block, ay),
// 2 of (ax - Block, ay - Block) and 3 of (ax, ay - Block). So each square
// inside the image is measured once, as an "anchor" (its spread, the sum of
// the channels' max - min, and its channel sums), and every pixel compares
// four anchors. Anchor rows live in a ring of n rows: the pixels of row y
// need rows y and y + Block.
//
// An anchor row takes its column max, min and sums over n rows, then slides
// along the row: max and min by doubling windows (1, 2, 4, ... pixels, then
// two overlapping ones), sums by prefix differences.
#include "effects/Kuwahara.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/BandRows.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <vector>

namespace {

// A quadrant that leaves the image scores this; any inside one scores less.
constexpr int Outside = 1000;

FV_SIMD_CLONES void ColumnStart(uint8_t* __restrict Max, uint8_t* __restrict Min, uint16_t* __restrict Sum,
                                const uint8_t* __restrict Row, int N)
{
    for (int i = 0; i < N; ++i) {
        Max[i] = Min[i] = Row[i];
        Sum[i] = Row[i];
    }
}

FV_SIMD_CLONES void ColumnAdd(uint8_t* __restrict Max, uint8_t* __restrict Min, uint16_t* __restrict Sum,
                              const uint8_t* __restrict Row, int N)
{
    for (int i = 0; i < N; ++i) {
        Max[i] = std::max(Max[i], Row[i]);
        Min[i] = std::min(Min[i], Row[i]);
        Sum[i] = static_cast<uint16_t>(Sum[i] + Row[i]);
    }
}

// Out[i] = max or min of In[i] and In[i - Offset], for i from From.
FV_SIMD_CLONES void MaxBack(uint8_t* __restrict Out, const uint8_t* __restrict In, int From, int N, int Offset)
{
    for (int i = From; i < N; ++i)
        Out[i] = std::max(In[i], In[i - Offset]);
}

FV_SIMD_CLONES void MinBack(uint8_t* __restrict Out, const uint8_t* __restrict In, int From, int N, int Offset)
{
    for (int i = From; i < N; ++i)
        Out[i] = std::min(In[i], In[i - Offset]);
}

// Extreme over the Span pixels ending at each pixel (valid from pixel
// Span - 1 on), by doubling windows; Work holds two scratch rows.
template <class Back>
const uint8_t* SlidingExtreme(const uint8_t* In, uint8_t* Work, int N, int Span, Back Step)
{
    const uint8_t* Current = In;
    uint8_t* Buffers[2] = {Work, Work + N};
    int Which = 0;
    int Have = 1;
    while (2 * Have <= Span) {
        Step(Buffers[Which], Current, 3 * (2 * Have - 1), N, 3 * Have);
        Current = Buffers[Which];
        Which ^= 1;
        Have *= 2;
    }
    if (Have < Span) {
        Step(Buffers[Which], Current, 3 * (Span - 1), N, 3 * (Span - Have));
        Current = Buffers[Which];
    }
    return Current;
}

struct TAnchorRow {
    std::vector<uint16_t> Spread; // per pixel
    std::vector<uint16_t> Sum;    // per byte
};

class TAnchorMaker {
public:
    TAnchorMaker(int Width, int Span)
        : FWidth(Width), FSpan(Span), FMax(Bytes()), FMin(Bytes()), FSum(Bytes()), FWork(2 * Bytes()),
          FPrefix(Bytes() + 3)
    {
    }

    // Anchors of row Ay (at least Span - 1): pixels from Span - 1 on.
    void Make(const TBandRows& Source, int Ay, TAnchorRow& Row)
    {
        const int N = Bytes();
        ColumnStart(FMax.data(), FMin.data(), FSum.data(), Source.Row(Ay - FSpan + 1), N);
        for (int r = Ay - FSpan + 2; r <= Ay; ++r)
            ColumnAdd(FMax.data(), FMin.data(), FSum.data(), Source.Row(r), N);
        const uint8_t* Max = SlidingExtreme(FMax.data(), FWork.data(), N, FSpan, MaxBack);
        // The maxima are read before the minima reuse the scratch rows.
        for (int x = FSpan - 1; x < FWidth; ++x) {
            const int i = x * 3;
            Row.Spread[x] = static_cast<uint16_t>(Max[i] + Max[i + 1] + Max[i + 2]);
        }
        const uint8_t* Min = SlidingExtreme(FMin.data(), FWork.data(), N, FSpan, MinBack);
        for (int x = FSpan - 1; x < FWidth; ++x) {
            const int i = x * 3;
            Row.Spread[x] = static_cast<uint16_t>(Row.Spread[x] - Min[i] - Min[i + 1] - Min[i + 2]);
        }
        // Prefix[i + 3] is the sum of bytes i, i - 3, i - 6, ... of one channel.
        uint32_t* Prefix = FPrefix.data();
        Prefix[0] = Prefix[1] = Prefix[2] = 0;
        for (int i = 0; i < N; ++i)
            Prefix[i + 3] = Prefix[i] + FSum[i];
        for (int i = 3 * (FSpan - 1); i < N; ++i)
            Row.Sum[i] = static_cast<uint16_t>(Prefix[i + 3] - Prefix[i + 3 - 3 * FSpan]);
    }

private:
    int Bytes() const { return FWidth * 3; }

    int FWidth;
    int FSpan;
    std::vector<uint8_t> FMax, FMin;
    std::vector<uint16_t> FSum;
    std::vector<uint8_t> FWork;
    std::vector<uint32_t> FPrefix;
};

// Index mirrored into 0 .. Last: -v for a negative one, 2 Last + 1 - v
// above Last, then clamped for blocks longer than the image.
int Fold(int V, int Last)
{
    if (V < 0)
        V = -V;
    if (V > Last)
        V = 2 * Last + 1 - V;
    return std::clamp(V, 0, Last);
}

// Quadrant 0 of a pixel none of whose quadrants fits the image.
void FoldedMean(const TBandRows& Source, int Width, int Height, int X, int Y, int Block, const TReciprocal& Divide,
                uint8_t* Out)
{
    uint32_t S[3] = {0, 0, 0};
    for (int r = Y - Block; r <= Y; ++r) {
        const uint8_t* Row = Source.Row(Fold(r, Height - 1));
        for (int c = X - Block; c <= X; ++c) {
            const uint8_t* P = Row + Fold(c, Width - 1) * 3;
            S[0] += P[0];
            S[1] += P[1];
            S[2] += P[2];
        }
    }
    for (int k = 0; k < 3; ++k)
        Out[k] = static_cast<uint8_t>(Divide.Divide(S[k]));
}

} // namespace

void KuwaharaFilter(TFvDIB& Image, uint8_t Block, uint8_t /*Mode*/)
{
    const int B = std::clamp<int>(Block, 1, 10);
    const int Span = B + 1;
    const std::vector<uint8_t*> Image24 = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const int Height = Image.Height();
    const TReciprocal Divide(static_cast<uint32_t>(Span * Span));

    // The result goes straight back into the image rows: row y is written
    // once the anchors of rows y and y + Block are made, and anything still
    // reading row y reads its band's copy.
    const std::vector<TBandRange> Plan = PlanBands(Height, static_cast<int64_t>(Width) * 3 * 8);
    std::vector<TBandRows> Sources;
    std::vector<TAnchorMaker> Makers;
    std::vector<std::vector<TAnchorRow>> Rings;
    for (const TBandRange& Band : Plan) {
        Sources.emplace_back(Image24, Band, B, static_cast<size_t>(Width) * 3);
        Makers.emplace_back(Width, Span);
        Rings.emplace_back(static_cast<size_t>(Span));
        for (TAnchorRow& Row : Rings.back()) {
            Row.Spread.resize(static_cast<size_t>(Width));
            Row.Sum.resize(static_cast<size_t>(Width) * 3);
        }
    }
    ForEachPlannedBand(Plan, [&](int b) { Sources[static_cast<size_t>(b)].CopyShared(); });
    ForEachPlannedBand(Plan, [&](int b) {
        const int First = Plan[static_cast<size_t>(b)].First, Last = Plan[static_cast<size_t>(b)].Last;
        TBandRows& Rows = Sources[static_cast<size_t>(b)];
        TAnchorMaker& Maker = Makers[static_cast<size_t>(b)];
        std::vector<TAnchorRow>& Ring = Rings[static_cast<size_t>(b)];
        auto Valid = [&](int Ay) { return Ay >= B && Ay < Height; };
        auto Slot = [&](int Ay) -> TAnchorRow& { return Ring[static_cast<size_t>(Ay % Span)]; };
        Rows.Start();
        for (int Ay = First; Ay < First + B; ++Ay)
            if (Valid(Ay))
                Maker.Make(Rows, Ay, Slot(Ay));
        for (int y = First; y < Last; ++y) {
            Rows.Advance(y);
            if (Valid(y + B))
                Maker.Make(Rows, y + B, Slot(y + B));
            const bool Upper = Valid(y), Lower = Valid(y + B);
            const TAnchorRow* Top = Upper ? &Slot(y) : nullptr;
            const TAnchorRow* Bottom = Lower ? &Slot(y + B) : nullptr;
            uint8_t* Out = Image24[static_cast<size_t>(y)];
            for (int x = 0; x < Width; ++x) {
                const bool Left = x >= B, Right = x + B < Width;
                // Quadrants 0 to 3 as (anchor row, anchor column); the first strictly lowest wins.
                const TAnchorRow* Quadrants[4] = {Left && Upper ? Top : nullptr, Right && Upper ? Top : nullptr,
                                                  Right && Lower ? Bottom : nullptr, Left && Lower ? Bottom : nullptr};
                const int Columns[4] = {x, x + B, x + B, x};
                int Best = Outside;
                const TAnchorRow* Chosen = nullptr;
                int ChosenColumn = 0;
                for (int q = 0; q < 4; ++q) {
                    if (!Quadrants[q])
                        continue;
                    const int Score = Quadrants[q]->Spread[static_cast<size_t>(Columns[q])];
                    if (Score < Best) {
                        Best = Score;
                        Chosen = Quadrants[q];
                        ChosenColumn = Columns[q];
                    }
                }
                if (!Chosen) {
                    FoldedMean(Rows, Width, Height, x, y, B, Divide, Out + x * 3);
                    continue;
                }
                const uint16_t* Sum = Chosen->Sum.data() + ChosenColumn * 3;
                for (int k = 0; k < 3; ++k)
                    Out[x * 3 + k] = static_cast<uint8_t>(Divide.Divide(Sum[k]));
            }
        }
    });
}
