// Mirrors work in place, swapping rows or pixels pairwise from both ends.
#include "effects/Flip.h"

#include "effects/PixelWalk.h"
#include "effects/VectorClones.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

void FlipVertical(TFvDIB& Image)
{
    const std::vector<const uint8_t*> Shared = Get24BitRowsToRead(Image);
    TFvDIB Previous;
    const bool Copy = Image.UnshareBlank(Previous);
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int H = static_cast<int>(Rows.size());
    // Whole padded rows are swapped, or copied in reverse order out of
    // pixels shared with another bitmap.
    const int64_t Stride = DIBStride(Image.Width(), 24);
    if (Copy) {
        ForEachBand(H, Stride, [&](int First, int Last) {
            for (int i = First; i < Last; ++i)
                std::memcpy(Rows[i], Shared[H - 1 - i], static_cast<size_t>(Stride));
        });
        return;
    }
    ForEachBand(H / 2, Stride * 2, [&](int First, int Last) {
        for (int i = First; i < Last; ++i)
            std::swap_ranges(Rows[i], Rows[i] + Stride, Rows[H - 1 - i]);
    });
}

namespace {

using TBytes16 = uint8_t __attribute__((vector_size(16)));

// Output byte o of a reversed run of 16 pixels is input byte
// 3 * (15 - o / 3) + o % 3. The 18 input bytes that output vector k needs
// start at 15 * (2 - k); two overlapping loads at that offset and two bytes
// further hold them, and one two-vector shuffle picks them out. The picks are
// literal so that every compiler can build the shuffle.
struct TRun16 {
    TBytes16 V[3];
};

inline TBytes16 Load16(const uint8_t* p)
{
    TBytes16 v;
    std::memcpy(&v, p, 16);
    return v;
}

// 16 pixels in reverse order.
inline TRun16 Reversed(const uint8_t* p)
{
    TRun16 r;
    r.V[0] = __builtin_shufflevector(Load16(p + 30), Load16(p + 32), 15, 30, 31, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0);
    r.V[1] = __builtin_shufflevector(Load16(p + 15), Load16(p + 17), 30, 31, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1);
    r.V[2] = __builtin_shufflevector(Load16(p), Load16(p + 2), 31, 12, 13, 14, 9, 10, 11, 6, 7, 8, 3, 4, 5, 0, 1, 2);
    return r;
}

FV_VECTOR_CLONES
void MirrorRow(uint8_t* Row, int Width)
{
    uint8_t* Left = Row;
    uint8_t* Right = Row + 3 * (Width - 1);
    // Runs of 16 pixels from both ends while they do not meet.
    for (; Right - Left >= 3 * 31; Left += 48, Right -= 48) {
        const TRun16 FromLeft = Reversed(Left);
        const TRun16 FromRight = Reversed(Right - 45);
        std::memcpy(Left, FromRight.V, 48);
        std::memcpy(Right - 45, FromLeft.V, 48);
    }
    for (; Left < Right; Left += 3, Right -= 3) {
        std::swap(Left[0], Right[0]);
        std::swap(Left[1], Right[1]);
        std::swap(Left[2], Right[2]);
    }
}

} // namespace

void FlipHorizontal(TFvDIB& Image)
{
    ForEachRow24(Image, MirrorRow);
}
