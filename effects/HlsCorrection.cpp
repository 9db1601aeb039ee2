// Each pixel goes to HLS with whole degrees and per cents, is shifted and
// scaled there, and comes back; the round trip itself is lossy by design.
#include "effects/HlsCorrection.h"

#include "effects/HlsModel.h"
#include "effects/PixelWalk.h"

#include <algorithm>
#include <array>

void HlsCorrection(TFvDIB& Image, int Hue, int Lightness, int Saturation)
{
    const int dH = std::clamp(Hue, 0, 360);
    const int dL = std::clamp(Lightness, -100, 100);
    const int dS = std::clamp(Saturation, -100, 100);
    // Lightness and saturation are whole per cents, so their scaling is a
    // table: Trunc(factor * v), capped at 100.
    std::array<uint8_t, 101> ScaleL, ScaleS;
    for (int v = 0; v <= 100; ++v) {
        ScaleL[v] = static_cast<uint8_t>(std::min<int64_t>(TruncExtended((dL / 100.0L + 1) * v), 100));
        ScaleS[v] = static_cast<uint8_t>(std::min<int64_t>(TruncExtended((dS / 100.0L + 1) * v), 100));
    }
    const HlsModel::THlsFromRgbTables& From = HlsModel::HlsFromRgbTables();
    const HlsModel::THlsToRgbTables& To = HlsModel::HlsToRgbTables();
    ForEachRow24(Image, [&](uint8_t* Row, int Width) {
        for (int x = 0; x < Width; ++x) {
            uint8_t* p = Row + 3 * x;
            int h, s, l;
            HlsModel::ToHls(From, p[2], p[1], p[0], h, s, l);
            if (dH != 0 && dH != 360)
                h = (h + dH) % 360;
            if (dL != 0)
                l = ScaleL[l];
            if (dS != 0)
                s = ScaleS[s];
            HlsModel::ToRgb(To, p, h, s, l);
        }
    });
}
