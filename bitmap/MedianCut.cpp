// The recursive median cut shared by every colour reduction. Each range is
// cut at the weighted mean of the axis with the largest weighted variance
// (red 3, green 4, blue 2; ties favour red, then green) until the depth
// limit, where the range's mean colour becomes one palette entry.
#include "bitmap/ColorReduction.h"

#include <cmath>
#include <type_traits>
#include <utility>

namespace {

// Exact integer sums of weight, weighted values and weighted squares; they
// equal the extended-precision sums because every partial sum stays far
// below 2^64.
struct TSums {
    uint64_t N = 0;
    uint64_t Sum[3] = {};
    uint64_t Squares[3] = {};
};

TSums SumRange(const TFvColorBin* Items, int64_t Start, int64_t End)
{
    TSums s;
    for (int64_t i = Start; i < End; ++i) {
        const uint64_t w = Items[i].Weight;
        const uint64_t v[3] = {Items[i].Red, Items[i].Green, Items[i].Blue};
        s.N += w;
        for (int c = 0; c < 3; ++c) {
            s.Sum[c] += w * v[c];
            s.Squares[c] += w * v[c] * v[c];
        }
    }
    return s;
}

TSums SumRange(const TFvSample* Items, int64_t Start, int64_t End)
{
    uint64_t sr = 0, sg = 0, sb = 0, qr = 0, qg = 0, qb = 0;
    for (int64_t i = Start; i < End; ++i) {
        const uint32_t r = Items[i].Red, g = Items[i].Green, b = Items[i].Blue;
        sr += r;
        sg += g;
        sb += b;
        qr += r * r;
        qg += g * g;
        qb += b * b;
    }
    TSums s;
    s.N = static_cast<uint64_t>(End - Start);
    s.Sum[0] = sr, s.Sum[1] = sg, s.Sum[2] = sb;
    s.Squares[0] = qr, s.Squares[1] = qg, s.Squares[2] = qb;
    return s;
}

struct TCut {
    long double Mean[3]; // red, green, blue
    uint8_t Axis;
};

TCut ChooseCut(const TSums& S)
{
    TCut cut;
    long double variance[3];
    const long double n = static_cast<long double>(S.N);
    for (int c = 0; c < 3; ++c) {
        cut.Mean[c] = static_cast<long double>(S.Sum[c]) / n;
        variance[c] = static_cast<long double>(S.Squares[c]) / n - cut.Mean[c] * cut.Mean[c];
    }
    const long double wr = 3 * variance[0], wg = 4 * variance[1], wb = 2 * variance[2];
    if (wr >= wg && wr >= wb)
        cut.Axis = fvAxisRed;
    else if (wg >= wr && wg >= wb)
        cut.Axis = fvAxisGreen;
    else
        cut.Axis = fvAxisBlue;
    return cut;
}

inline unsigned Value(const TFvColorBin& Item, uint8_t Axis)
{
    return Axis == fvAxisRed ? Item.Red : Axis == fvAxisGreen ? Item.Green : Item.Blue;
}

inline unsigned Value(const TFvSample& Item, uint8_t Axis)
{
    return Axis == fvAxisRed ? Item.Red : Axis == fvAxisGreen ? Item.Green : Item.Blue;
}

// Values at or below the mean first; answers the first index of the rest.
// For whole-number values "v <= mean" is "v <= floor(mean)".
template <typename Item>
int64_t Partition(Item* Items, int64_t Start, int64_t End, uint8_t Axis, long double Mean)
{
    const unsigned limit = static_cast<unsigned>(std::floor(Mean));
    int64_t i = Start, j = End;
    while (i < j) {
        while (i < j && Value(Items[i], Axis) <= limit)
            ++i;
        while (j > i && Value(Items[j - 1], Axis) > limit)
            --j;
        if (i != j)
            std::swap(Items[i], Items[j - 1]);
    }
    return i;
}

inline void Step(const TFvProgressStep& Progress)
{
    if (Progress)
        Progress();
}

inline uint8_t RoundComponent(long double Mean)
{
    // Halves go to the even neighbour under the default rounding mode.
    return static_cast<uint8_t>(std::nearbyint(Mean));
}

template <typename Item>
void Cut(Item* Items, int64_t Start, int64_t End, int Depth, int MaxDepth, const TFvProgressStep& Progress,
         TFvPaletteBuffer& Palette, int Node, TFvSplitTree* Tree)
{
    if (Start == End) {
        // An empty range still accounts for every leaf below it.
        if (Depth == MaxDepth) {
            Step(Progress);
            return;
        }
        Cut(Items, Start, End, Depth + 1, MaxDepth, Progress, Palette, Node, Tree);
        Cut(Items, Start, End, Depth + 1, MaxDepth, Progress, Palette, Node, Tree);
        return;
    }
    const TCut cut = ChooseCut(SumRange(Items, Start, End));
    if (Depth == MaxDepth) {
        const int index = Palette.Count++;
        Palette.Entries[index] =
            RGBQUAD{RoundComponent(cut.Mean[2]), RoundComponent(cut.Mean[1]), RoundComponent(cut.Mean[0]), 0};
        if (Tree != nullptr) {
            Tree->Nodes[Node] = TFvSplitNode{fvAxisLeaf, 0, static_cast<uint8_t>(index), 0, 0};
        } else if constexpr (std::is_same_v<Item, TFvColorBin>) {
            for (int64_t i = Start; i < End; ++i)
                Items[i].Weight = static_cast<uint32_t>(index);
        }
        Step(Progress);
        return;
    }
    const int64_t middle = Partition(Items, Start, End, cut.Axis, cut.Mean[cut.Axis]);
    int high = 0;
    if (Tree != nullptr) {
        TFvSplitNode& node = Tree->Nodes[Node];
        node.Axis = cut.Axis;
        node.Threshold = cut.Mean[cut.Axis];
        node.PaletteIndex = 0;
        high = node.HighChild = Tree->Count++;
    }
    Cut(Items, middle, End, Depth + 1, MaxDepth, Progress, Palette, high, Tree);
    int low = 0;
    if (Tree != nullptr)
        low = Tree->Nodes[Node].LowChild = Tree->Count++;
    Cut(Items, Start, middle, Depth + 1, MaxDepth, Progress, Palette, low, Tree);
}

} // namespace

void MedianCutSplit(TFvColorBin* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette)
{
    Cut(Items, Start, End, Depth, MaxDepth, Progress, Palette, 0, nullptr);
}

void MedianCutSplit(TFvSample* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette, int Node, TFvSplitTree& Tree)
{
    Cut(Items, Start, End, Depth, MaxDepth, Progress, Palette, Node, &Tree);
}

void StorePalette(const TFvPaletteBuffer& Palette, TFvDIBInfos& Infos)
{
    for (int i = 0; i < Palette.Count; ++i)
        Infos.W3HeadInfo.bmiColors[i] = Palette.Entries[i];
    Infos.W3Head().biClrUsed = static_cast<DWORD>(Palette.Count);
}
