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
    uint64_t Sum[3] = {}; // red, green, blue
    uint64_t Squares[3] = {};

    void Add(uint64_t W, uint64_t R, uint64_t G, uint64_t B)
    {
        N += W;
        Sum[0] += W * R, Sum[1] += W * G, Sum[2] += W * B;
        Squares[0] += W * R * R, Squares[1] += W * G * G, Squares[2] += W * B * B;
    }
    void Add(const TFvColorBin& Item) { Add(Item.Weight, Item.Red, Item.Green, Item.Blue); }
    void Add(const TFvSample& Item) { Add(1, Item.Red, Item.Green, Item.Blue); }

    TSums operator-(const TSums& Part) const
    {
        TSums rest;
        rest.N = N - Part.N;
        for (int c = 0; c < 3; ++c) {
            rest.Sum[c] = Sum[c] - Part.Sum[c];
            rest.Squares[c] = Squares[c] - Part.Squares[c];
        }
        return rest;
    }
};

template <typename Item>
TSums SumRange(const Item* Items, int64_t Start, int64_t End)
{
    TSums s;
    for (int64_t i = Start; i < End; ++i)
        s.Add(Items[i]);
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

template <typename Item>
auto FieldOf(uint8_t Axis)
{
    return Axis == fvAxisRed ? &Item::Red : Axis == fvAxisGreen ? &Item::Green : &Item::Blue;
}

// Values at or below the mean first; answers the first index of the rest
// and adds the rest to High. For whole-number values "v <= mean" is
// "v <= floor(mean)".
template <typename Item>
int64_t Partition(Item* Items, int64_t Start, int64_t End, uint8_t Axis, long double Mean, TSums& High)
{
    const auto field = FieldOf<Item>(Axis);
    const unsigned limit = static_cast<unsigned>(std::floor(Mean));
    int64_t i = Start, j = End;
    while (i < j) {
        while (i < j && Items[i].*field <= limit)
            ++i;
        // Every item of the upper part is passed here exactly once.
        while (j > i && Items[j - 1].*field > limit)
            High.Add(Items[--j]);
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

// Sums holds the sums over [Start, End), worked out while the range above was cut.
template <typename Item>
void Cut(Item* Items, int64_t Start, int64_t End, const TSums& Sums, int Depth, int MaxDepth,
         const TFvProgressStep& Progress, TFvPaletteBuffer& Palette, int Node, TFvSplitTree* Tree)
{
    if (Start == End) {
        // An empty range still accounts for every leaf below it.
        if (Depth == MaxDepth) {
            Step(Progress);
            return;
        }
        Cut(Items, Start, End, Sums, Depth + 1, MaxDepth, Progress, Palette, Node, Tree);
        Cut(Items, Start, End, Sums, Depth + 1, MaxDepth, Progress, Palette, Node, Tree);
        return;
    }
    const TCut cut = ChooseCut(Sums);
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
    TSums high;
    const int64_t middle = Partition(Items, Start, End, cut.Axis, cut.Mean[cut.Axis], high);
    int highNode = 0;
    if (Tree != nullptr) {
        TFvSplitNode& node = Tree->Nodes[Node];
        node.Axis = cut.Axis;
        node.Threshold = cut.Mean[cut.Axis];
        node.PaletteIndex = 0;
        highNode = node.HighChild = Tree->Count++;
    }
    Cut(Items, middle, End, high, Depth + 1, MaxDepth, Progress, Palette, highNode, Tree);
    int lowNode = 0;
    if (Tree != nullptr)
        lowNode = Tree->Nodes[Node].LowChild = Tree->Count++;
    Cut(Items, Start, middle, Sums - high, Depth + 1, MaxDepth, Progress, Palette, lowNode, Tree);
}

} // namespace

void MedianCutSplit(TFvColorBin* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette)
{
    Cut(Items, Start, End, SumRange(Items, Start, End), Depth, MaxDepth, Progress, Palette, 0, nullptr);
}

void MedianCutSplit(TFvSample* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette, int Node, TFvSplitTree& Tree)
{
    Cut(Items, Start, End, SumRange(Items, Start, End), Depth, MaxDepth, Progress, Palette, Node, &Tree);
}

void StorePalette(const TFvPaletteBuffer& Palette, TFvDIBInfos& Infos)
{
    for (int i = 0; i < Palette.Count; ++i)
        Infos.W3HeadInfo.bmiColors[i] = Palette.Entries[i];
    Infos.W3Head().biClrUsed = static_cast<DWORD>(Palette.Count);
}
