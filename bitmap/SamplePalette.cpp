// "High" colour reduction: the exact colour of every pixel is cut, and each
// pixel is mapped by descending the tree of cuts. Costs 3 bytes per pixel.
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The tree in a form for mapping: a node's channel is picked from the
// pixel's packed B, G, R by a shift, its threshold t becomes the integer
// limit floor(t) (a whole value v is at or below t exactly when v <= floor(t)),
// and leaves point to themselves, so every pixel takes the same number of
// steps without branches.
class TMappingTree {
public:
    explicit TMappingTree(const TFvSplitTree& Tree)
    {
        for (int i = 0; i < 512; ++i) {
            const TFvSplitNode& node = Tree.Nodes[i];
            TNode& n = FNodes[i];
            n.Index = node.PaletteIndex;
            if (node.Axis == fvAxisLeaf) {
                n.Shift = 0;
                n.Limit = 255;
                n.Next[0] = n.Next[1] = static_cast<uint16_t>(i);
            } else {
                n.Shift = static_cast<uint8_t>(8 * (2 - node.Axis));
                n.Limit = static_cast<uint8_t>(std::floor(node.Threshold));
                n.Next[0] = static_cast<uint16_t>(node.LowChild);
                n.Next[1] = static_cast<uint16_t>(node.HighChild);
            }
        }
    }

    // Maps Count (at most four) pixels of a 24-bit row; the pixels' descents
    // are interleaved so that their loads overlap.
    template <int Depth>
    void Map(const uint8_t* Pixels, int Count, uint8_t* Indexes) const
    {
        uint32_t color[4] = {};
        unsigned node[4] = {};
        for (int k = 0; k < Count; ++k)
            color[k] = Pixels[3 * k] | Pixels[3 * k + 1] << 8 | Pixels[3 * k + 2] << 16;
        for (int d = 0; d < Depth; ++d)
            for (int k = 0; k < 4; ++k) {
                const TNode& n = FNodes[node[k]];
                node[k] = n.Next[((color[k] >> n.Shift) & 0xFF) > n.Limit];
            }
        for (int k = 0; k < Count; ++k)
            Indexes[k] = FNodes[node[k]].Index;
    }

private:
    struct TNode {
        uint8_t Shift;
        uint8_t Limit;
        uint8_t Index;
        uint16_t Next[2]; // low, high
    };
    TNode FNodes[512];
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
        for (int64_t x = 0; x < rows.Width; x += 4) {
            const int count = static_cast<int>(std::min<int64_t>(4, rows.Width - x));
            uint8_t indexes[4];
            mapping->Map<Bits>(in + 3 * x, count, indexes);
            for (int k = 0; k < count; ++k) {
                if constexpr (Bits == 8)
                    row[x + k] = indexes[k];
                else if (((x + k) & 1) == 0)
                    row[(x + k) >> 1] = static_cast<uint8_t>(indexes[k] << 4);
                else
                    row[(x + k) >> 1] = static_cast<uint8_t>(row[(x + k) >> 1] | indexes[k]);
            }
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
