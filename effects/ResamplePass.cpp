// Why the fast path is exact: the plain evaluation adds a product w * v (w a
// single, v a byte: at most 32 significant bits) to a single-precision sum in
// extended precision and narrows the result, rounding twice. A fused
// multiply-add rounds the exact value once. The two differ only when the
// extended result is exactly halfway between two singles while the exact
// value is not, and that needs the partial sum to be nonzero yet below 2^-63
// of a product that is itself such a halfway value. Every partial sum is a
// multiple of the lowest weight's last bit, so it cannot be that small when
// all weights of the list lie within 2^31 of each other in magnitude; other
// lists take the plain evaluation.
#include "effects/ResamplePass.h"

#include "effects/ByteConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(FV_BASELINE_ONLY)
#define FV_FMA_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define FV_FMA_CLONES
#endif

namespace {

// Round half to even: adding 2^23 to a value below 2^23 in magnitude leaves
// no fraction bits, so the addition itself rounds.
constexpr float RoundingBias = 8388608.0f;
constexpr int32_t BiasBits = 0x4B000000;

// Bytes summed as one block, with their sums held in vector registers.
constexpr int BlockBytes = 64;

// The sum plus the bias is rounded by the addition; below 2^24 its bit
// pattern is 0x4B000000 plus the rounded value (smaller for a negative sum),
// so the clamp to 0 .. 255 is integer work that vectorises. Kept apart from
// the summing loop, whose vectorisation the compiler otherwise gives up.
FV_FMA_CLONES __attribute__((noinline))
void StoreRounded(uint8_t* __restrict Target, const float* __restrict Sum, int Count)
{
    for (int x = 0; x < Count; ++x) {
        const float Biased = Sum[x] + RoundingBias;
        int32_t Bits;
        std::memcpy(&Bits, &Biased, sizeof Bits);
        Bits -= BiasBits;
        Target[x] = static_cast<uint8_t>(Bits < 0 ? 0 : Bits > 255 ? 255 : Bits);
    }
}

template <int Bytes>
inline void SumBlock(uint8_t* Target, const uint8_t* const* SourceRows, const int32_t* Pixel, const float* Weight,
                     int Count, int Offset)
{
    float Sum[Bytes] = {};
    for (int k = 0; k < Count; ++k) {
        const uint8_t* Row = SourceRows[Pixel[k]] + Offset;
        const float w = Weight[k];
        for (int x = 0; x < Bytes; ++x)
            Sum[x] = std::fma(w, static_cast<float>(Row[x]), Sum[x]);
    }
    StoreRounded(Target, Sum, Bytes);
}

FV_FMA_CLONES
void SumListFused(uint8_t* Target, const uint8_t* const* SourceRows, const int32_t* Pixel, const float* Weight,
                  int Count, int RowBytes)
{
    int Offset = 0;
    for (; Offset + BlockBytes <= RowBytes; Offset += BlockBytes)
        SumBlock<BlockBytes>(Target + Offset, SourceRows, Pixel, Weight, Count, Offset);
    for (; Offset < RowBytes; ++Offset)
        SumBlock<1>(Target + Offset, SourceRows, Pixel, Weight, Count, Offset);
}

} // namespace

uint8_t ResampleByte(const TContributorLists& Lists, const uint8_t* const* SourceRows, int List, int Offset)
{
    float Sum = 0;
    for (int32_t k = Lists.First[List]; k < Lists.First[List + 1]; ++k)
        Sum = static_cast<float>(Sum + static_cast<long double>(Lists.Weight[k]) * SourceRows[Lists.Pixel[k]][Offset]);
    return RoundToByte(Sum);
}

void ResampleRows(const TContributorLists& Lists, const uint8_t* const* SourceRows, uint8_t* const* TargetRows,
                  int RowBytes, int First, int Last)
{
    for (int i = First; i < Last; ++i) {
        uint8_t* Target = TargetRows[i];
        if (!Lists.Fusable[i]) {
            for (int x = 0; x < RowBytes; ++x)
                Target[x] = ResampleByte(Lists, SourceRows, i, x);
            continue;
        }
        const int32_t Begin = Lists.First[i];
        SumListFused(Target, SourceRows, Lists.Pixel.data() + Begin, Lists.Weight.data() + Begin,
                     Lists.First[i + 1] - Begin, RowBytes);
    }
}
