// 8 bits to 16 colours: the colour-table entries that pixels use, weighted
// by how many use them, are cut into at most 16 colours (either mode).
#include "bitmap/ColorReduction.h"
#include "bitmap/Converters.h"
#include "bitmap/FvGraph.h"

void CreateReducedPalette(const TFvDIBInfos& Source, const TFvSourceRows& Rows, const TFvProgressStep& Progress,
                          TFvPaletteBuffer& Palette, uint8_t (&IndexTable)[256])
{
    // Pixel memory below 2^31 bytes keeps every count within 32 bits.
    uint32_t counts[256] = {};
    for (int64_t y = 0; y < Rows.Height; ++y) {
        const uint8_t* row = Rows.Row(y);
        for (int64_t x = 0; x < Rows.Width; ++x)
            ++counts[row[x]];
    }
    TFvColorBin bins[256];
    int used = 0;
    for (uint32_t i = 0; i < 256; ++i) {
        const RGBQUAD& c = Source.W3HeadInfo.bmiColors[i];
        if (counts[i] > 0)
            bins[used++] = TFvColorBin{c.rgbRed, c.rgbGreen, c.rgbBlue, counts[i], i};
    }
    Palette.Count = 0;
    MedianCutSplit(bins, 0, used, 0, 4, Progress, Palette);
    for (uint8_t& index : IndexTable)
        index = 0;
    for (int i = 0; i < used; ++i)
        IndexTable[bins[i].Key] = static_cast<uint8_t>(bins[i].Weight);
}

void Convert8BitRGBTo4BitRGB(const TFvDIBInfos& Source, TFvDIBInfos& Result, bool UseFMO,
                             const TFvProgressStep& Progress)
{
    RequireFormat(Source, 8, BI_RGB, "Convert8BitRGBTo4BitRGB: Invalid Bitcount or Compression");
    const TFvSourceRows rows = UncompressedRows(Source, "Convert8BitRGBTo4BitRGB");
    TFvResultRows out(Source, 4, UseFMO);
    TFvPaletteBuffer palette;
    uint8_t table[256];
    CreateReducedPalette(Source, rows, Progress, palette, table);
    for (int64_t y = 0; y < rows.Height; ++y) {
        const uint8_t* in = rows.Row(y);
        uint8_t* row = out.Row(y);
        for (int64_t x = 0; x + 1 < rows.Width; x += 2)
            row[x >> 1] = static_cast<uint8_t>(table[in[x]] << 4 | table[in[x + 1]]);
        if ((rows.Width & 1) != 0)
            row[rows.Width >> 1] = static_cast<uint8_t>(table[in[rows.Width - 1]] << 4);
    }
    Result = out.HandOverAsResult(Source);
    StorePalette(palette, Result);
}
