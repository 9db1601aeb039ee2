// Cone responses in 22.10 fixed point; the blend towards the other two
// cones uses each cone as already updated, in the order L, M, S.
#include "effects/LmsCorrection.h"

#include "effects/ColorModels.h"
#include "effects/PixelWalk.h"

#include <algorithm>

void LmsCorrection(TFvDIB& Image, int L, int M, int S, bool Average)
{
    const uint32_t aL = std::clamp(L, 0, 100) * 1024 / 100;
    const uint32_t aM = std::clamp(M, 0, 100) * 1024 / 100;
    const uint32_t aS = std::clamp(S, 0, 100) * 1024 / 100;
    ForEachRow24(Image, [&](uint8_t* Row, int Width) {
        for (int x = 0; x < Width; ++x) {
            uint8_t* p = Row + 3 * x;
            uint32_t l, m, s;
            RgbToLms(PackPixel(p), l, m, s);
            if (Average) {
                l = ((((1024 - aL) * (m + s)) >> 1) + aL * l) >> 10;
                m = ((((1024 - aM) * (s + l)) >> 1) + aM * m) >> 10;
                s = ((((1024 - aS) * (l + m)) >> 1) + aS * s) >> 10;
            } else {
                l = (aL * l) >> 10;
                m = (aM * m) >> 10;
                s = (aS * s) >> 10;
            }
            LmsToRgb(p, static_cast<int>(l), static_cast<int>(m), static_cast<int>(s));
        }
    });
}
