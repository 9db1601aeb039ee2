// Median-cut colour reduction: one recursive quantiser fed with weighted
// 5-6-5 histogram bins ("Low"), with the exact colour of every pixel ("High",
// keeping its cuts as a split tree) or with the entries of an 8-bit colour
// table. Leaves are numbered in the order they are reached, the part above
// a cut's mean before the part at or below it.
#pragma once

#include "bitmap/ConverterSupport.h"
#include "bitmap/InternalDIB.h"

#include <cstdint>
#include <vector>

// A weighted colour. While a histogram counts, Red, Green and Blue hold sums
// of low bits; after the cut Weight holds the bin's palette index.
struct TFvColorBin {
    uint32_t Red;
    uint32_t Green;
    uint32_t Blue;
    uint32_t Weight;
    uint32_t Key;
};

// One pixel of a 24-bit picture, as stored.
struct TFvSample {
    uint8_t Blue;
    uint8_t Green;
    uint8_t Red;
};

struct TFvPaletteBuffer {
    RGBQUAD Entries[256] = {};
    int Count = 0;
};

enum : uint8_t { fvAxisRed = 0, fvAxisGreen = 1, fvAxisBlue = 2, fvAxisLeaf = 3 };

// The cuts of a "High" reduction: values at or below a node's threshold go
// to its low child. Every node starts as a leaf of index 0.
struct TFvSplitNode {
    uint8_t Axis = fvAxisLeaf;
    long double Threshold = 0;
    uint8_t PaletteIndex = 0;
    int32_t LowChild = 0;
    int32_t HighChild = 0;
};

struct TFvSplitTree {
    TFvSplitNode Nodes[512];
    int Count = 1;
};

// Cuts Items[Start, End) to depth MaxDepth (at most 8, so that the palette
// and the tree have room), appending one palette entry per non-empty leaf
// and calling Progress once per leaf of the full tree.
void MedianCutSplit(TFvColorBin* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette);
void MedianCutSplit(TFvSample* Items, int64_t Start, int64_t End, int Depth, int MaxDepth,
                    const TFvProgressStep& Progress, TFvPaletteBuffer& Palette, int Node, TFvSplitTree& Tree);

// The key of a 24-bit colour's 5-6-5 bin.
inline unsigned HistogramKey(unsigned Red, unsigned Green, unsigned Blue)
{
    return (Red >> 3) * 2048 + (Green >> 2) * 32 + (Blue >> 3);
}

// Counts the rows into 65536 bins, gives each used bin its mean colour and key
// and moves the used bins to the front in key order, emptying the rest;
// answers their number.
int64_t FillHistogram(const TFvSourceRows& Rows, std::vector<TFvColorBin>& Bins);

// The palette feeds read the checked rows of their source.
// "Low": the palette and the table from bin key to palette index.
void CreateHistogramPalette(const TFvSourceRows& Rows, int MaxDepth, const TFvProgressStep& Progress,
                            TFvPaletteBuffer& Palette, std::vector<uint8_t>& KeyTable);
// "High": the palette and the split tree that maps every pixel of the source.
void CreateSamplePalette(const TFvSourceRows& Rows, int MaxDepth, const TFvProgressStep& Progress,
                         TFvPaletteBuffer& Palette, TFvSplitTree& Tree);
// 8 bits to 16 colours: the palette and the table from old index to new.
void CreateReducedPalette(const TFvDIBInfos& Source, const TFvSourceRows& Rows, const TFvProgressStep& Progress,
                          TFvPaletteBuffer& Palette, uint8_t (&IndexTable)[256]);

// Stores the palette as the record's colour table and biClrUsed.
void StorePalette(const TFvPaletteBuffer& Palette, TFvDIBInfos& Infos);
