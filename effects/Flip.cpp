// Mirrors work in place, swapping rows or pixels pairwise from both ends.
#include "effects/Flip.h"

#include "effects/PixelWalk.h"

#include <algorithm>

void FlipVertical(TFvDIB& Image)
{
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int H = static_cast<int>(Rows.size());
    // Whole padded rows are swapped.
    const int64_t Stride = DIBStride(Image.Width(), 24);
    ForEachBand(H / 2, Stride * 2, [&](int First, int Last) {
        for (int i = First; i < Last; ++i)
            std::swap_ranges(Rows[i], Rows[i] + Stride, Rows[H - 1 - i]);
    });
}

void FlipHorizontal(TFvDIB& Image)
{
    ForEachRow24(Image, [](uint8_t* Row, int Width) {
        uint8_t* Left = Row;
        uint8_t* Right = Row + 3 * (Width - 1);
        for (; Left < Right; Left += 3, Right -= 3) {
            std::swap(Left[0], Right[0]);
            std::swap(Left[1], Right[1]);
            std::swap(Left[2], Right[2]);
        }
    });
}
