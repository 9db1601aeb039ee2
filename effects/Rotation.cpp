// A quarter turn needs a second image: the source is read through its row
// table (never un-sharing it) and the output written in square tiles, 4 x 4
// pixels at a time through registers where the processor can shuffle bytes.
// The half turn is the two mirrors and needs none.
#include "effects/Rotation.h"

#include "effects/Flip.h"
#include "effects/PixelMove.h"
#include "effects/PixelWalk.h"

#include <algorithm>
#include <cstring>

namespace {

// Side of a square tile, in pixels. A tile's source pixels and output pixels
// take 12 KB each, so both stay in any processor's first-level cache while
// the tile is turned; the tile's width is also the band of output rows that
// one thread writes.
constexpr int TileSide = 64;

// Output pixel (column c, row i) is source pixel (column X(i), row Down[c]):
// X(i) = i and Down[c] = H-1-c turning right, X(i) = W-1-i and Down[c] = c
// turning left.
struct TTurn {
    std::vector<const uint8_t*> Down;
    const std::vector<uint8_t*>& Target;
    int W, H;
    bool Right;

    int X(int i) const { return Right ? i : W - 1 - i; }
};

// Output rows First .. Last-1, columns C0 .. C1-1, pixel by pixel. Columns
// go left to right, so each four-byte store's spare byte is rewritten next,
// by this row or by the tile to the right; the output's last column and the
// source's last column (whose fourth byte may lie past the pixels) move
// three bytes.
void TurnRows(const TTurn& t, int First, int Last, int C0, int C1)
{
    for (int i = First; i < Last; ++i) {
        const int Offset = 3 * t.X(i);
        uint8_t* Out = t.Target[i];
        const int Wide = t.X(i) < t.W - 1 ? std::min(C1, t.H - 1) : C0;
        int c = C0;
        for (; c < Wide; ++c)
            MovePixel4(Out + 3 * c, t.Down[c] + Offset);
        for (; c < C1; ++c)
            MovePixel3(Out + 3 * c, t.Down[c] + Offset);
    }
}

// Output rows First .. Last-1, tile by tile from the left.
void TurnBand(const TTurn& t, int First, int Last)
{
    for (int C0 = 0; C0 < t.H; C0 += TileSide)
        TurnRows(t, First, Last, C0, std::min(t.H, C0 + TileSide));
}

// FV_BASELINE_ONLY leaves the pixel moves alone, for the tests.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(FV_BASELINE_ONLY)
#define FV_TURN_BLOCKS 1
#define FV_TARGET_SSSE3 __attribute__((target("ssse3")))

using TBytes16 = uint8_t __attribute__((vector_size(16)));
using TWords4 = uint32_t __attribute__((vector_size(16)));

// Byte shuffles need SSSE3, which the x86-64 baseline lacks; the compiler's
// emulation is slower than moving pixels one at a time.
bool HasByteShuffle()
{
    static const bool Has = __builtin_cpu_supports("ssse3");
    return Has;
}

// Four pixels of a source row, each widened to a word (its fourth byte is
// the next pixel's first). The load takes 4 bytes past the pixels.
FV_TARGET_SSSE3 inline TWords4 LoadWide(const uint8_t* p)
{
    TBytes16 v;
    std::memcpy(&v, p, 16);
    return reinterpret_cast<TWords4>(__builtin_shufflevector(v, v, 0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12));
}

// Four words narrowed back to 12 bytes of pixels; the 4 bytes stored after
// them are rewritten by the block or pixels to their right.
FV_TARGET_SSSE3 inline void StoreNarrow(uint8_t* p, TWords4 w)
{
    const TBytes16 v = reinterpret_cast<TBytes16>(w);
    const TBytes16 Packed = __builtin_shufflevector(v, v, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 15, 15, 15);
    std::memcpy(p, &Packed, 16);
}

// Pixel q of source row In[m] becomes pixel m of output row Out[q]: a 4 x 4
// transpose of words.
FV_TARGET_SSSE3 inline void TurnBlock(const uint8_t* const In[4], uint8_t* const Out[4])
{
    const TWords4 a = LoadWide(In[0]), b = LoadWide(In[1]), c = LoadWide(In[2]), d = LoadWide(In[3]);
    const TWords4 ab01 = __builtin_shufflevector(a, b, 0, 4, 1, 5), ab23 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const TWords4 cd01 = __builtin_shufflevector(c, d, 0, 4, 1, 5), cd23 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    StoreNarrow(Out[0], __builtin_shufflevector(ab01, cd01, 0, 1, 4, 5));
    StoreNarrow(Out[1], __builtin_shufflevector(ab01, cd01, 2, 3, 6, 7));
    StoreNarrow(Out[2], __builtin_shufflevector(ab23, cd23, 0, 1, 4, 5));
    StoreNarrow(Out[3], __builtin_shufflevector(ab23, cd23, 2, 3, 6, 7));
}

// The same band in blocks of 4 x 4 pixels. Blocks whose load would pass the
// end of a source row, or whose spare bytes would pass the last output
// column, are left to the pixel moves.
FV_TARGET_SSSE3 void TurnBandInBlocks(const TTurn& t, int First, int Last)
{
    for (int C0 = 0; C0 < t.H; C0 += TileSide) {
        const int C1 = std::min(t.H, C0 + TileSide);
        // A block at column c stores up to the first byte of column c + 5.
        const int BlockEnd = std::min(C1, t.H - 2);
        int i = First;
        for (; i + 4 <= Last; i += 4) {
            // Source columns Low .. Low+3 feed output rows i .. i+3.
            const int Low = t.Right ? i : t.W - 4 - i;
            int c = C0;
            if (3 * Low + 16 <= 3 * t.W) {
                uint8_t* Rows[4];
                for (int q = 0; q < 4; ++q)
                    Rows[q] = t.Target[t.Right ? i + q : i + 3 - q];
                for (; c + 4 <= BlockEnd; c += 4) {
                    const uint8_t* const In[4] = {t.Down[c] + 3 * Low, t.Down[c + 1] + 3 * Low,
                                                  t.Down[c + 2] + 3 * Low, t.Down[c + 3] + 3 * Low};
                    uint8_t* const Out[4] = {Rows[0] + 3 * c, Rows[1] + 3 * c, Rows[2] + 3 * c, Rows[3] + 3 * c};
                    TurnBlock(In, Out);
                }
            }
            if (c < C1)
                TurnRows(t, i, i + 4, c, C1);
        }
        TurnRows(t, i, Last, C0, C1);
    }
}
#endif

} // namespace

void Rotate90(TFvDIB& Image, bool Right)
{
    const std::vector<const uint8_t*> Source = Get24BitRowsToRead(Image);
    const int W = Image.Width();
    const int H = static_cast<int>(Source.size());

    TFvDIB Output;
    Output.SetBitCount(24);
    Output.SetWidth(H);
    Output.SetHeight(W);
    const std::vector<uint8_t*> Target = GetScanLineTable(&Output);

    TTurn t{std::vector<const uint8_t*>(static_cast<size_t>(H)), Target, W, H, Right};
    for (int c = 0; c < H; ++c)
        t.Down[c] = Source[Right ? H - 1 - c : c];

    const int Bands = (W + TileSide - 1) / TileSide;
    ForEachBand(Bands, static_cast<int64_t>(TileSide) * H * 3, [&](int FirstBand, int LastBand) {
        for (int Band = FirstBand; Band < LastBand; ++Band) {
            const int First = Band * TileSide;
            const int Last = std::min(W, First + TileSide);
#ifdef FV_TURN_BLOCKS
            if (HasByteShuffle()) {
                TurnBandInBlocks(t, First, Last);
                continue;
            }
#endif
            TurnBand(t, First, Last);
        }
    });
    Image.Assign(&Output);
}

void Rotate180(TFvDIB& Image)
{
    FlipVertical(Image);
    FlipHorizontal(Image);
}
