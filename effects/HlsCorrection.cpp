// Each pixel goes to HLS with whole degrees and per cents, is shifted and
// scaled there, and comes back; the round trip itself is lossy by design.
#include "effects/HlsCorrection.h"

#include "effects/ColorModels.h"
#include "effects/PixelWalk.h"

#include <algorithm>

void HlsCorrection(TFvDIB& Image, int Hue, int Lightness, int Saturation)
{
    const int dH = std::clamp(Hue, 0, 360);
    const int dL = std::clamp(Lightness, -100, 100);
    const int dS = std::clamp(Saturation, -100, 100);
    const long double FactorL = dL / 100.0L + 1;
    const long double FactorS = dS / 100.0L + 1;
    ForEachRow24(Image, [&](uint8_t* Row, int Width) {
        for (int x = 0; x < Width; ++x) {
            uint8_t* p = Row + 3 * x;
            int h, s, l;
            RgbToHls(PackPixel(p), h, s, l);
            if (dH != 0 && dH != 360)
                h = (h + dH) % 360;
            if (dL != 0)
                l = std::min(static_cast<int>(FactorL * l), 100);
            if (dS != 0)
                s = std::min(static_cast<int>(FactorS * s), 100);
            HlsToRgb(p, h, s, l);
        }
    });
}
