// Two passes: a luma histogram, then every pixel's luma stretched between
// the levels that cut 1.5 per cent off either end, chroma kept.
#include "effects/AutoLevel.h"

#include "effects/ColorModels.h"
#include "effects/PixelWalk.h"

#include <array>
#include <cmath>
#include <mutex>

void AutoLevel(TFvDIB& Image)
{
    const std::vector<uint8_t*> Rows = Get24BitScanLineTable(Image);
    const int W = Image.Width();
    const int H = static_cast<int>(Rows.size());

    // The cut counts (W-1)*(H-1), not W*H; formed in 64 bits.
    const int64_t Cut = static_cast<int64_t>(std::nearbyint((static_cast<int64_t>(W) - 1) * (H - 1) * 0.015L));

    std::array<int64_t, 256> Histogram{};
    std::mutex Merge;
    ForEachBand(H, static_cast<int64_t>(W) * 3, [&](int First, int Last) {
        std::array<int64_t, 256> Local{};
        for (int y = First; y < Last; ++y) {
            const uint8_t* Row = Rows[y];
            for (int x = 0; x < W; ++x) {
                int Y, Cr, Cb;
                RgbToYCbCr(PackPixel(Row + 3 * x), Y, Cr, Cb);
                ++Local[Y];
            }
        }
        const std::lock_guard<std::mutex> Lock(Merge);
        for (int i = 0; i < 256; ++i)
            Histogram[i] += Local[i];
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
    std::array<int, 256> Stretch;
    for (int Y = 0; Y < 256; ++Y)
        Stretch[Y] = RoundToByte(static_cast<float>((Y - Low) * static_cast<long double>(Scale)));

    ForEachBand(H, static_cast<int64_t>(W) * 3, [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            uint8_t* Row = Rows[y];
            for (int x = 0; x < W; ++x) {
                uint8_t* p = Row + 3 * x;
                int Y, Cr, Cb;
                RgbToYCbCr(PackPixel(p), Y, Cr, Cb);
                YCbCrToRgb(p, Stretch[Y], Cr, Cb);
            }
        }
    });
}
