// "High" colour reduction: the exact colour of every pixel is cut, and each
// pixel is mapped by descending the tree of cuts. Costs 3 bytes per pixel.
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The tree in a form for mapping: integer limits (a whole value v is at or
// below a threshold t exactly when v <= floor(t)) and leaves that point to
// themselves, so every pixel takes the same number of steps without branches.
struct TMappingTree {
    uint8_t Offset[512]; // byte of the channel within B, G, R
    int Limit[512];
    uint16_t Next[512][2]; // low, high
    uint8_t Index[512];

    explicit TMappingTree(const TFvSplitTree& Tree)
    {
        for (int i = 0; i < 512; ++i) {
            const TFvSplitNode& node = Tree.Nodes[i];
            Index[i] = node.PaletteIndex;
            if (node.Axis == fvAxisLeaf) {
                Offset[i] = 0;
                Limit[i] = 255;
                Next[i][0] = Next[i][1] = static_cast<uint16_t>(i);
            } else {
                Offset[i] = static_cast<uint8_t>(2 - node.Axis);
                Limit[i] = static_cast<int>(std::floor(node.Threshold));
                Next[i][0] = static_cast<uint16_t>(node.LowChild);
                Next[i][1] = static_cast<uint16_t>(node.HighChild);
            }
        }
    }

    uint8_t Map(const uint8_t* Pixel, int Depth) const
    {
        unsigned node = 0;
        for (int d = 0; d < Depth; ++d)
            node = Next[node][Pixel[Offset[node]] > Limit[node]];
        return Index[node];
    }
};

template <int Bits>
void ReduceHigh(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO, const TFvProgressStep& Progress,
                const char* Name, const char* Message)
{
    if (Source.W3Head().biBitCount != 24)
        throw EFvDIBBadDIBType(Message);
    const TFvSourceRows rows = UncompressedRows(Source, Name);
    TFvResultRows out(Source, Bits, UseFMO);
    TFvPaletteBuffer palette;
    auto tree = std::make_unique<TFvSplitTree>();
    // The cut depth equals the result's bit count: 16 or 256 colours.
    CreateSamplePalette(rows, Bits, Progress, palette, *tree);
    const auto mapping = std::make_unique<TMappingTree>(*tree);
    for (int64_t y = 0; y < rows.Height; ++y) {
        const uint8_t* in = rows.Row(y);
        uint8_t* row = out.Row(y);
        for (int64_t x = 0; x < rows.Width; ++x) {
            const uint8_t index = mapping->Map(in + 3 * x, Bits);
            if constexpr (Bits == 8)
                row[x] = index;
            else if ((x & 1) == 0)
                row[x >> 1] = static_cast<uint8_t>(index << 4);
            else
                row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | index);
        }
    }
    Result = out.HandOverAsResult(Source);
    StorePalette(palette, Result);
}

} // namespace

void CreateSamplePalette(const TFvSourceRows& Rows, int MaxDepth, const TFvProgressStep& Progress,
                         TFvPaletteBuffer& Palette, TFvSplitTree& Tree)
{
    const int64_t count = Rows.Width * Rows.Height;
    const auto samples = std::make_unique_for_overwrite<TFvSample[]>(static_cast<size_t>(count));
    static_assert(sizeof(TFvSample) == 3);
    for (int64_t y = 0; y < Rows.Height; ++y)
        std::memcpy(samples.get() + Rows.Width * y, Rows.Row(y), static_cast<size_t>(3 * Rows.Width));
    Tree = TFvSplitTree{};
    Palette.Count = 0;
    MedianCutSplit(samples.get(), 0, count, 0, MaxDepth, Progress, Palette, 0, Tree);
}

void ConvertTrueColorTo8BitRGBHigh(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                   const TFvProgressStep& Progress)
{
    ReduceHigh<8>(Source, Result, UseFMO, Progress, "ConvertTrueColorTo8BitRGBHigh",
                  "ConvertTrueColorTo8BitRGBHigh: Invalid Bitcount");
}

void ConvertTrueColorTo4BitRGBHigh(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                                   const TFvProgressStep& Progress)
{
    ReduceHigh<4>(Source, Result, UseFMO, Progress, "ConvertTrueColorTo4BitRGBHigh",
                  "ConvertTrueColorTo4BitRGBHigh: Invalid Bitcount");
}
