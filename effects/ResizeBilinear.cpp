// Method 2: pixel centre to pixel centre, (x + 0.5) * W / w - 0.5, blending
// the four nearest source pixels; only those four count, also when shrinking.
#include "effects/Interpolation.h"
#include "effects/ResizeFrame.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <cmath>
#include <vector>

namespace {

// The two neighbours of a mapped position and the fraction between them.
struct TBlendStep {
    int Near;
    int Far;
    double Fraction;
};

std::vector<TBlendStep> BlendSteps(int TargetSize, double Ratio, int SourceSize)
{
    std::vector<TBlendStep> Steps(static_cast<size_t>(TargetSize));
    for (int i = 0; i < TargetSize; ++i) {
        const double Position = static_cast<double>((i + 0.5L) * Ratio - 0.5L);
        const long double Floor = std::floor(static_cast<long double>(Position));
        const int Index = static_cast<int>(Floor);
        TBlendStep& Step = Steps[i];
        Step.Fraction = static_cast<double>(Position - Floor);
        Step.Near = Index < 0 ? 0 : Index > SourceSize - 1 ? SourceSize - 1 : Index;
        Step.Far = Index + 1 > SourceSize - 1 ? SourceSize - 1 : Index + 1;
    }
    return Steps;
}

uint8_t Blend(int P00, int P10, int P01, int P11, double fx, double fy)
{
    const long double x = fx;
    const long double y = fy;
    const double v = static_cast<double>(P00 + x * (P10 - P00) + y * (P01 - P00) + x * y * (P00 + P11 - P10 - P01));
    return static_cast<uint8_t>(static_cast<int>(v + 0.5L));
}

} // namespace

TFvDIB& ResizeBilinear(TFvDIB& Image, int Width, int Height)
{
    TFvDIB Target;
    MakeTrueColorTarget(Target, Width, Height);
    TFvDIB Source;
    MakeTrueColorSource(Source, Image);
    const int OldWidth = Source.Width();
    const int OldHeight = Source.Height();
    const double RatioX = static_cast<double>(static_cast<long double>(OldWidth) / Width);
    const double RatioY = static_cast<double>(static_cast<long double>(OldHeight) / Height);

    const std::vector<const uint8_t*> SourceRows = ReadOnlyRows(Source);
    const std::vector<uint8_t*> TargetRows = GetScanLineTable(&Target);
    const std::vector<TBlendStep> Columns = BlendSteps(Width, RatioX, OldWidth);
    const std::vector<TBlendStep> Rows = BlendSteps(Height, RatioY, OldHeight);
    ForEachBand(Height, int64_t{12} * Width, [&](int First, int Last) {
        for (int y = First; y < Last; ++y) {
            const uint8_t* Row0 = SourceRows[Rows[y].Near];
            const uint8_t* Row1 = SourceRows[Rows[y].Far];
            const double fy = Rows[y].Fraction;
            uint8_t* Out = TargetRows[y];
            for (int x = 0; x < Width; ++x) {
                const int Near = 3 * Columns[x].Near;
                const int Far = 3 * Columns[x].Far;
                const double fx = Columns[x].Fraction;
                for (int c = 0; c < 3; ++c)
                    Out[3 * x + c] = Blend(Row0[Near + c], Row0[Far + c], Row1[Near + c], Row1[Far + c], fx, fy);
            }
        }
    });
    Image.Assign(&Target);
    return Image;
}
