// Method 3: each target pixel averages the source pixels its area covers,
// partly covered pixels weighted by the part covered.
#include "effects/Interpolation.h"
#include "effects/ResizeFrame.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The span of source pixels under one target pixel along one axis, with the
// covered part of each.
struct TCoverage {
    int First = 0;
    std::vector<double> Part;
};

// The covered part of [j, j + 1] within [Low, High].
double Overlap(int j, double Low, double High)
{
    const bool FromStart = j <= Low;
    const bool ToEnd = j + 1 >= High;
    if (!FromStart && !ToEnd)
        return 1;
    if (FromStart && !ToEnd)
        return static_cast<double>(j + 1 - static_cast<long double>(Low));
    if (!FromStart)
        return static_cast<double>(High - static_cast<long double>(j));
    return static_cast<double>(static_cast<long double>(High) - Low);
}

std::vector<TCoverage> Coverages(int TargetSize, double Ratio, int SourceSize)
{
    std::vector<TCoverage> All(static_cast<size_t>(TargetSize));
    for (int i = 0; i < TargetSize; ++i) {
        const double Low = static_cast<double>(i * static_cast<long double>(Ratio));
        const double High = static_cast<double>((i + 1) * static_cast<long double>(Ratio) - 0.000001L);
        // The upper end never reaches the image's edge; the limit only guards
        // against reading past it.
        const int First = static_cast<int>(std::floor(static_cast<long double>(Low)));
        const int Last = std::min(static_cast<int>(std::floor(static_cast<long double>(High))), SourceSize - 1);
        All[i].First = First;
        for (int j = First; j <= Last; ++j)
            All[i].Part.push_back(Overlap(j, Low, High));
    }
    return All;
}

} // namespace

TFvDIB& ResizeIntegration(TFvDIB& Image, int Width, int Height)
{
    TFvDIB Target;
    MakeTrueColorTarget(Target, Width, Height);
    TFvDIB Source;
    MakeTrueColorSource(Source, Image);
    const int OldWidth = Source.Width();
    const int OldHeight = Source.Height();
    const double RatioX = static_cast<double>(static_cast<long double>(OldWidth) / Width);
    const double RatioY = static_cast<double>(static_cast<long double>(OldHeight) / Height);
    // The pixel count is a 64-bit product, so huge images cannot wrap it.
    const float Area = static_cast<float>(
        static_cast<long double>(int64_t{OldWidth} * OldHeight) / Width / Height);

    const std::vector<const uint8_t*> SourceRows = ReadOnlyRows(Source);
    const std::vector<uint8_t*> TargetRows = GetScanLineTable(&Target);
    const std::vector<TCoverage> Columns = Coverages(Width, RatioX, OldWidth);
    const std::vector<TCoverage> Rows = Coverages(Height, RatioY, OldHeight);
    const int64_t PerRow = int64_t{3} * OldWidth * static_cast<int64_t>(std::ceil(RatioY + 1));
    ForEachBand(Height, PerRow, [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            const TCoverage& Down = Rows[y];
            uint8_t* Out = TargetRows[y];
            for (int x = 0; x < Width; ++x) {
                const TCoverage& Across = Columns[x];
                double Sum[3] = {0, 0, 0};
                for (size_t i = 0; i < Down.Part.size(); ++i) {
                    const uint8_t* Row = SourceRows[Down.First + i] + 3 * Across.First;
                    for (size_t j = 0; j < Across.Part.size(); ++j) {
                        const double Weight = static_cast<double>(static_cast<long double>(Across.Part[j]) * Down.Part[i]);
                        for (int c = 0; c < 3; ++c)
                            Sum[c] = static_cast<double>(Sum[c] + static_cast<long double>(Weight) * Row[3 * j + c]);
                    }
                }
                for (int c = 0; c < 3; ++c)
                    Out[3 * x + c] = static_cast<uint8_t>(static_cast<int>(Sum[c] / static_cast<long double>(Area) + 0.5L));
            }
        }
    });
    Image.Assign(&Target);
    return Image;
}
