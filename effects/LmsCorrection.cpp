// Cone responses in 22.10 fixed point; the blend towards the other two
// cones uses each cone as already updated, in the order L, M, S. The row
// kernel works in 32-bit lanes: for cone factors of at most 100 per cent
// every sum fits them, so it gives what RgbToLms and LmsToRgb give.
#include "effects/LmsCorrection.h"

#include "effects/ColorModels.h"
#include "effects/PixelWalk.h"
#include "effects/VectorClones.h"

#include <algorithm>

namespace {

inline int32_t LmsByte(int32_t Sum)
{
    const int32_t v = Sum < 0 ? 0 : Sum >> 20;
    return v > 255 ? 255 : v;
}

// One run of pixels in planar form, so that the arithmetic vectorises.
constexpr int Run = 256;

FV_VECTOR_CLONES
void LmsRunAverage(int Count, const int32_t* __restrict R, const int32_t* __restrict G, const int32_t* __restrict B,
            int32_t* __restrict OutR, int32_t* __restrict OutG, int32_t* __restrict OutB, uint32_t aL, uint32_t aM,
            uint32_t aS)
{
    for (int x = 0; x < Count; ++x) {
        const uint32_t r = static_cast<uint32_t>(R[x]), g = static_cast<uint32_t>(G[x]), b = static_cast<uint32_t>(B[x]);
        uint32_t l = (180497 * r + 512748 * g + 58962 * b) >> 10;
        uint32_t m = (21764 * r + 415748 * g + 62529 * b) >> 10;
        uint32_t s = (10486 * g + 1038090 * b) >> 10;
        l = ((((1024 - aL) * (m + s)) >> 1) + aL * l) >> 10;
        m = ((((1024 - aM) * (s + l)) >> 1) + aM * m) >> 10;
        s = ((((1024 - aS) * (l + m)) >> 1) + aS * s) >> 10;
        const int32_t il = static_cast<int32_t>(l), im = static_cast<int32_t>(m), is = static_cast<int32_t>(s);
        OutR[x] = LmsByte(6988 * il - 8622 * im + 122 * is);
        OutG[x] = LmsByte(-366 * il + 3039 * im - 162 * is);
        OutB[x] = LmsByte(4 * il - 31 * im + 1036 * is);
    }
}

FV_VECTOR_CLONES
void LmsRunScaled(int Count, const int32_t* __restrict R, const int32_t* __restrict G, const int32_t* __restrict B,
            int32_t* __restrict OutR, int32_t* __restrict OutG, int32_t* __restrict OutB, uint32_t aL, uint32_t aM,
            uint32_t aS)
{
    for (int x = 0; x < Count; ++x) {
        const uint32_t r = static_cast<uint32_t>(R[x]), g = static_cast<uint32_t>(G[x]), b = static_cast<uint32_t>(B[x]);
        uint32_t l = (180497 * r + 512748 * g + 58962 * b) >> 10;
        uint32_t m = (21764 * r + 415748 * g + 62529 * b) >> 10;
        uint32_t s = (10486 * g + 1038090 * b) >> 10;
        l = (aL * l) >> 10;
        m = (aM * m) >> 10;
        s = (aS * s) >> 10;
        const int32_t il = static_cast<int32_t>(l), im = static_cast<int32_t>(m), is = static_cast<int32_t>(s);
        OutR[x] = LmsByte(6988 * il - 8622 * im + 122 * is);
        OutG[x] = LmsByte(-366 * il + 3039 * im - 162 * is);
        OutB[x] = LmsByte(4 * il - 31 * im + 1036 * is);
    }
}

void LmsRow(uint8_t* Row, int Width, uint32_t aL, uint32_t aM, uint32_t aS, bool Average)
{
    int32_t R[Run], G[Run], B[Run];
    int32_t OutR[Run], OutG[Run], OutB[Run];
    for (int First = 0; First < Width; First += Run) {
        const int Count = std::min(Run, Width - First);
        uint8_t* p = Row + 3 * First;
        for (int x = 0; x < Count; ++x) {
            B[x] = p[3 * x];
            G[x] = p[3 * x + 1];
            R[x] = p[3 * x + 2];
        }
        if (Average)
            LmsRunAverage(Count, R, G, B, OutR, OutG, OutB, aL, aM, aS);
        else
            LmsRunScaled(Count, R, G, B, OutR, OutG, OutB, aL, aM, aS);
        for (int x = 0; x < Count; ++x) {
            p[3 * x] = static_cast<uint8_t>(OutB[x]);
            p[3 * x + 1] = static_cast<uint8_t>(OutG[x]);
            p[3 * x + 2] = static_cast<uint8_t>(OutR[x]);
        }
    }
}

} // namespace

void LmsCorrection(TFvDIB& Image, int L, int M, int S, bool Average)
{
    const uint32_t aL = std::clamp(L, 0, 100) * 1024 / 100;
    const uint32_t aM = std::clamp(M, 0, 100) * 1024 / 100;
    const uint32_t aS = std::clamp(S, 0, 100) * 1024 / 100;
    ForEachRow24(Image, [=](uint8_t* Row, int Width) { LmsRow(Row, Width, aL, aM, aS, Average); });
}
