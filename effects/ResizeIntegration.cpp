// Method 3: each target pixel averages the source pixels its area covers,
// partly covered pixels weighted by the part covered.
//
// The average is defined as a double sum, pixel by pixel, of extended
// products, then divided and rounded half up. The rows are summed in double
// precision, one axis after the other, instead: that stays within a few
// thousand millionths of the defined sum, so only a result that close to a
// rounding boundary is worked out again the defined way.
#include "effects/Interpolation.h"
#include "effects/ResizeFrame.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// For every target index along one axis: the first source index it covers
// and the covered part of each source index from there.
struct TCoverage {
    std::vector<int> FirstPixel;
    // Parts of target i: Part[FirstPart[i]] .. Part[FirstPart[i + 1] - 1].
    std::vector<int> FirstPart;
    std::vector<double> Part;
    // The largest count of any target index.
    int Widest = 0;

    int Count(int i) const { return FirstPart[i + 1] - FirstPart[i]; }
    const double* Parts(int i) const { return Part.data() + FirstPart[i]; }
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

TCoverage Coverages(int TargetSize, double Ratio, int SourceSize)
{
    TCoverage All;
    All.FirstPart.push_back(0);
    for (int i = 0; i < TargetSize; ++i) {
        const double Low = static_cast<double>(i * static_cast<long double>(Ratio));
        const double High = static_cast<double>((i + 1) * static_cast<long double>(Ratio) - 0.000001L);
        // The upper end never reaches the image's edge; the limit only guards
        // against reading past it.
        const int First = static_cast<int>(std::floor(static_cast<long double>(Low)));
        const int Last = std::min(static_cast<int>(std::floor(static_cast<long double>(High))), SourceSize - 1);
        All.FirstPixel.push_back(First);
        for (int j = First; j <= Last; ++j)
            All.Part.push_back(Overlap(j, Low, High));
        All.FirstPart.push_back(static_cast<int>(All.Part.size()));
        All.Widest = std::max(All.Widest, All.Count(i));
    }
    return All;
}

// One target pixel the defined way: source rows top to bottom, pixels left
// to right, each weight the product of the two parts.
void IntegrateExact(const std::vector<const uint8_t*>& SourceRows, const TCoverage& Columns, int x,
                    const TCoverage& Rows, int y, float Area, uint8_t* Out)
{
    double Sum[3] = {0, 0, 0};
    const double* wy = Rows.Parts(y);
    const double* wx = Columns.Parts(x);
    for (int i = 0; i < Rows.Count(y); ++i) {
        const uint8_t* Row = SourceRows[Rows.FirstPixel[y] + i] + 3 * Columns.FirstPixel[x];
        for (int j = 0; j < Columns.Count(x); ++j) {
            const double Weight = static_cast<double>(static_cast<long double>(wx[j]) * wy[i]);
            for (int c = 0; c < 3; ++c)
                Sum[c] = static_cast<double>(Sum[c] + static_cast<long double>(Weight) * Row[3 * j + c]);
        }
    }
    for (int c = 0; c < 3; ++c)
        Out[c] = static_cast<uint8_t>(static_cast<int>(Sum[c] / static_cast<long double>(Area) + 0.5L));
}

// Scratch rows of one thread: the column sums of one source row and the
// running sums of one target row, three doubles per pixel.
struct TIntegrationRows {
    std::vector<double> Across;
    std::vector<double> Sum;
};

void IntegrateRow(const std::vector<const uint8_t*>& SourceRows, const TCoverage& Columns, const TCoverage& Rows,
                  int y, float Area, TIntegrationRows& Scratch, uint8_t* Out)
{
    const int Width = static_cast<int>(Columns.FirstPixel.size());
    double* Across = Scratch.Across.data();
    double* Sum = Scratch.Sum.data();
    std::fill(Sum, Sum + 3 * Width, 0.0);
    const double* wy = Rows.Parts(y);
    for (int i = 0; i < Rows.Count(y); ++i) {
        const uint8_t* Row = SourceRows[Rows.FirstPixel[y] + i];
        for (int x = 0; x < Width; ++x) {
            const uint8_t* In = Row + 3 * Columns.FirstPixel[x];
            const double* wx = Columns.Parts(x);
            double b = 0, g = 0, r = 0;
            for (int j = 0; j < Columns.Count(x); ++j) {
                b += wx[j] * In[3 * j];
                g += wx[j] * In[3 * j + 1];
                r += wx[j] * In[3 * j + 2];
            }
            Across[3 * x] = b;
            Across[3 * x + 1] = g;
            Across[3 * x + 2] = r;
        }
        const double w = wy[i];
        for (int k = 0; k < 3 * Width; ++k)
            Sum[k] += w * Across[k];
    }
    // Each step of either sum is off by at most half a unit in the last place
    // of a value below 256 times the area, about 3e-14 of the result; the
    // margin covers every step of both many times over.
    const double Doubt = 1e-12 * (static_cast<double>(Rows.Count(y)) * Columns.Widest + 8);
    for (int x = 0; x < Width; ++x) {
        bool Settled = true;
        for (int c = 0; c < 3; ++c) {
            const double t = Sum[3 * x + c] / Area + 0.5;
            const int Rounded = static_cast<int>(t);
            const double Fraction = t - Rounded;
            Settled = Settled && Fraction > Doubt && Fraction < 1 - Doubt;
            Out[3 * x + c] = static_cast<uint8_t>(Rounded);
        }
        if (!Settled)
            IntegrateExact(SourceRows, Columns, x, Rows, y, Area, Out + 3 * x);
    }
}

} // namespace

TFvDIB& ResizeIntegration(TFvDIB& Image, int Width, int Height)
{
    TResizeFrame Frame(Image, Width, Height);
    // The pixel count is a 64-bit product, so huge images cannot wrap it.
    const float Area =
        static_cast<float>(static_cast<long double>(int64_t{Frame.OldWidth} * Frame.OldHeight) / Width / Height);

    const TCoverage Columns = Coverages(Width, Frame.RatioX, Frame.OldWidth);
    const TCoverage Rows = Coverages(Height, Frame.RatioY, Frame.OldHeight);
    const int64_t PerRow = int64_t{3} * Frame.OldWidth * static_cast<int64_t>(std::ceil(Frame.RatioY + 1));
    ForEachBand(Height, PerRow, [&](int First, int Last) {
        TIntegrationRows Scratch;
        Scratch.Across.resize(size_t{3} * Width);
        Scratch.Sum.resize(size_t{3} * Width);
        for (int y = First; y < Last; ++y)
            IntegrateRow(Frame.SourceRows, Columns, Rows, y, Area, Scratch, Frame.TargetRows[y]);
    });
    Image.Assign(&Frame.Target);
    return Image;
}
