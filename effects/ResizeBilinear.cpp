// Method 2: pixel centre to pixel centre, (x + 0.5) * W / w - 0.5, blending
// the four nearest source pixels; only those four count, also when shrinking.
//
// The positions are worked out in extended precision and stored as doubles;
// the blend itself is double arithmetic, every operation rounded to double in
// the order written, then rounded half up.
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

void BlendRow(const uint8_t* Row0, const uint8_t* Row1, const TBlendStep& Down, const std::vector<TBlendStep>& Columns,
              uint8_t* Out)
{
    const double fy = Down.Fraction;
    const int Width = static_cast<int>(Columns.size());
    for (int x = 0; x < Width; ++x) {
        const TBlendStep& Across = Columns[x];
        const double fx = Across.Fraction;
        const double fxy = fx * fy;
        const int Near = 3 * Across.Near;
        const int Far = 3 * Across.Far;
        for (int c = 0; c < 3; ++c) {
            const int P00 = Row0[Near + c];
            const int P10 = Row0[Far + c];
            const int P01 = Row1[Near + c];
            const int P11 = Row1[Far + c];
            const double v = P00 + fx * (P10 - P00) + fy * (P01 - P00) + fxy * (P00 + P11 - P10 - P01);
            Out[3 * x + c] = static_cast<uint8_t>(static_cast<int>(v + 0.5));
        }
    }
}

} // namespace

TFvDIB& ResizeBilinear(TFvDIB& Image, int Width, int Height)
{
    TResizeFrame Frame(Image, Width, Height);
    const std::vector<TBlendStep> Columns = BlendSteps(Width, Frame.RatioX, Frame.OldWidth);
    const std::vector<TBlendStep> Rows = BlendSteps(Height, Frame.RatioY, Frame.OldHeight);
    ForEachBand(Height, int64_t{12} * Width, [&](int First, int Last) {
        for (int y = First; y < Last; ++y)
            BlendRow(Frame.SourceRows[Rows[y].Near], Frame.SourceRows[Rows[y].Far], Rows[y], Columns, Frame.TargetRows[y]);
    });
    Image.Assign(&Frame.Target);
    return Image;
}
