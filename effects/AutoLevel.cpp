// Two passes: a luma histogram, then every pixel's luma stretched between
// the levels that cut 1.5 per cent off either end, chroma kept.
//
// Both passes work on runs of pixels, read and written as bytes in place,
// with Y, Cr and Cb in planar form. The conversions are done in thousandths,
// as RgbToYCbCr and YCbCrToRgb do them, in loops the compiler vectorises; the
// few pixels whose exact value lies on a rounding boundary are flagged there
// and converted again by those two functions.
#include "effects/AutoLevel.h"

#include "effects/ColorModels.h"
#include "effects/PixelWalk.h"
#include "effects/VectorClones.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

namespace {

constexpr int Run = 256;

FV_VECTOR_CLONES
void Lookup(int32_t* __restrict Values, int Count, const int32_t* __restrict Table)
{
    for (int x = 0; x < Count; ++x)
        Values[x] = Table[Values[x]];
}

// Y, Cr and Cb by truncation of the thousandths; Exact is set where one of
// them is a whole number, which the extended evaluation must decide.
FV_VECTOR_CLONES
void ToYCbCr(int Count, const uint8_t* __restrict p, int32_t* __restrict Y, int32_t* __restrict Cr,
             int32_t* __restrict Cb, int32_t* __restrict Exact)
{
    for (int x = 0; x < Count; ++x) {
        const int32_t R = p[3 * x + 2], G = p[3 * x + 1], B = p[3 * x];
        const uint32_t NY = static_cast<uint32_t>(299 * R + 587 * G + 114 * B);
        const uint32_t NCr = static_cast<uint32_t>(500 * R - 419 * G - 81 * B + 128000);
        const uint32_t NCb = static_cast<uint32_t>(-169 * R - 332 * G + 500 * B + 128000);
        Y[x] = static_cast<int32_t>(NY / 1000);
        Cr[x] = static_cast<int32_t>(NCr / 1000);
        Cb[x] = static_cast<int32_t>(NCb / 1000);
        Exact[x] = (NY % 1000 == 0) | (NCr % 1000 == 0) | (NCb % 1000 == 0);
    }
}

// Lumas only, for the histogram.
FV_VECTOR_CLONES
void ToLuma(int Count, const uint8_t* __restrict p, int32_t* __restrict Y, int32_t* __restrict Exact)
{
    for (int x = 0; x < Count; ++x) {
        const uint32_t NY = 299u * p[3 * x + 2] + 587u * p[3 * x + 1] + 114u * p[3 * x];
        Y[x] = static_cast<int32_t>(NY / 1000);
        Exact[x] = NY % 1000 == 0;
    }
}

// Keeps the rounding positive: every thousandths value here is above -300000.
constexpr int32_t Offset = 300000;

// The rounded byte of thousandths N; Half gains whether N lies exactly half
// way, read from the remainder of the same division.
inline int32_t RoundedByte(int32_t N, int32_t& Half)
{
    const uint32_t Shifted = static_cast<uint32_t>(N + Offset + 500);
    const uint32_t Quotient = Shifted / 1000;
    Half |= Shifted - 1000 * Quotient == 0;
    const int32_t q = static_cast<int32_t>(Quotient) - Offset / 1000;
    return q < 0 ? 0 : q > 255 ? 255 : q;
}

// R, G and B by rounding the thousandths; Half is set where one of them is
// exactly half way, which the narrowed extended value must decide.
FV_VECTOR_CLONES
void ToRgb(int Count, const int32_t* __restrict Y, const int32_t* __restrict Cr, const int32_t* __restrict Cb,
           uint8_t* __restrict p, int32_t* __restrict Half)
{
    for (int x = 0; x < Count; ++x) {
        const int32_t NR = 1000 * Y[x] + 1402 * (Cr[x] - 128);
        const int32_t NG = 1000 * Y[x] - 714 * (Cr[x] - 128) - 344 * (Cb[x] - 128);
        const int32_t NB = 1000 * Y[x] + 1772 * (Cb[x] - 128);
        int32_t OnHalf = 0;
        p[3 * x] = static_cast<uint8_t>(RoundedByte(NB, OnHalf));
        p[3 * x + 1] = static_cast<uint8_t>(RoundedByte(NG, OnHalf));
        p[3 * x + 2] = static_cast<uint8_t>(RoundedByte(NR, OnHalf));
        Half[x] = OnHalf;
    }
}

// Calls Fn(x) for every x below Count whose flag is set. Flags are rare
// (about one pixel in 300), so eight clear ones are passed over at once.
template <class Fn>
inline void ForFlagged(const int32_t* Flag, int Count, Fn&& Call)
{
    int x = 0;
    for (; x + 8 <= Count; x += 8) {
        uint64_t Words[4];
        std::memcpy(Words, Flag + x, sizeof Words);
        if ((Words[0] | Words[1] | Words[2] | Words[3]) == 0)
            continue;
        for (int j = x; j < x + 8; ++j)
            if (Flag[j])
                Call(j);
    }
    for (; x < Count; ++x)
        if (Flag[x])
            Call(x);
}

} // namespace

void AutoLevel(TFvDIB& Image)
{
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int W = Image.Width();
    const int H = static_cast<int>(Rows.size());

    // The cut counts (W-1)*(H-1), not W*H; formed in 64 bits.
    const int64_t Cut = RoundExtended((static_cast<int64_t>(W) - 1) * (H - 1) * 0.015L);

    std::array<int64_t, 256> Histogram{};
    std::mutex Merge;
    ForEachBand(H, static_cast<int64_t>(W) * 3, [&](int First, int Last) {
        std::array<std::array<int64_t, 256>, 4> Local{};
        int32_t Y[Run], Exact[Run];
        for (int y = First; y < Last; ++y)
            for (int Start = 0; Start < W; Start += Run) {
                const int Count = std::min(Run, W - Start);
                const uint8_t* p = Rows[y] + 3 * Start;
                ToLuma(Count, p, Y, Exact);
                ForFlagged(Exact, Count, [&](int x) {
                    int Cr, Cb;
                    RgbToYCbCr(PackPixel(p + 3 * x), Y[x], Cr, Cb);
                });
                // Four counts per level, so that neighbours of one luma do
                // not wait on each other's increments.
                int x = 0;
                for (; x + 4 <= Count; x += 4) {
                    ++Local[0][Y[x]];
                    ++Local[1][Y[x + 1]];
                    ++Local[2][Y[x + 2]];
                    ++Local[3][Y[x + 3]];
                }
                for (; x < Count; ++x)
                    ++Local[0][Y[x]];
            }
        const std::lock_guard<std::mutex> Lock(Merge);
        for (int i = 0; i < 256; ++i)
            Histogram[i] += Local[0][i] + Local[1][i] + Local[2][i] + Local[3][i];
    });

    int Low = 0;
    for (int64_t Sum = 0; Low < 255; ++Low) {
        Sum += Histogram[Low];
        if (Sum > Cut)
            break;
    }
    int High = 255;
    for (int64_t Sum = 0; High > 0; --High) {
        Sum += Histogram[High];
        if (Sum > Cut)
            break;
    }

    const float Scale = 255.0L / (High - Low + 1);
    std::array<int32_t, 256> Stretch;
    for (int Y = 0; Y < 256; ++Y)
        Stretch[Y] = RoundToByte(static_cast<float>((Y - Low) * static_cast<long double>(Scale)));

    ForEachBand(H, static_cast<int64_t>(W) * 3, [&](int First, int Last) {
        int32_t Y[Run], Cr[Run], Cb[Run], Flag[Run];
        for (int y = First; y < Last; ++y)
            for (int Start = 0; Start < W; Start += Run) {
                const int Count = std::min(Run, W - Start);
                uint8_t* p = Rows[y] + 3 * Start;
                ToYCbCr(Count, p, Y, Cr, Cb, Flag);
                ForFlagged(Flag, Count, [&](int x) { RgbToYCbCr(PackPixel(p + 3 * x), Y[x], Cr[x], Cb[x]); });
                Lookup(Y, Count, Stretch.data());
                ToRgb(Count, Y, Cr, Cb, p, Flag);
                ForFlagged(Flag, Count, [&](int x) { YCbCrToRgb(p + 3 * x, Y[x], Cr[x], Cb[x]); });
            }
    });
}
