// The two-pass resampler of methods 4 .. 14. The horizontal pass fills an
// intermediate image as wide as the target and as high as the source; the
// vertical pass fills the target from it. Both run the same row pass: the
// vertical one on image rows directly, the horizontal one on strips of rows
// turned on their side, so that every pass sums whole rows of bytes.
#include "effects/Interpolation.h"
#include "effects/ResamplePass.h"
#include "effects/ResizeFrame.h"
#include "effects/RowBands.h"
#include "effects/ScanLineTable.h"

#include "platform/core/Exceptions.h"

#include <algorithm>
#include <vector>

namespace {

// Image rows turned at once: a strip's columns stay in the second-level cache.
constexpr int StripRows = 64;

// Column x of rows First .. First + Count - 1 becomes row x of Columns.
void TurnIn(const std::vector<const uint8_t*>& Rows, int First, int Count, int Width, uint8_t* Columns)
{
    const int RowBytes = 3 * Count;
    for (int l = 0; l < Count; ++l) {
        const uint8_t* Row = Rows[First + l];
        uint8_t* Out = Columns + 3 * l;
        for (int x = 0; x < Width; ++x) {
            Out[0] = Row[0];
            Out[1] = Row[1];
            Out[2] = Row[2];
            Row += 3;
            Out += RowBytes;
        }
    }
}

// The reverse: row i of Columns becomes column i of the image rows.
void TurnOut(const uint8_t* Columns, int First, int Count, int Width, const std::vector<uint8_t*>& Rows)
{
    const int RowBytes = 3 * Count;
    for (int l = 0; l < Count; ++l) {
        uint8_t* Row = Rows[First + l];
        const uint8_t* In = Columns + 3 * l;
        for (int x = 0; x < Width; ++x) {
            Row[0] = In[0];
            Row[1] = In[1];
            Row[2] = In[2];
            Row += 3;
            In += RowBytes;
        }
    }
}

void ResampleAcross(const TContributorLists& Lists, const std::vector<const uint8_t*>& SourceRows,
                    const std::vector<uint8_t*>& TargetRows, int SourceWidth, int TargetWidth)
{
    const int Height = static_cast<int>(SourceRows.size());
    const int Strips = (Height + StripRows - 1) / StripRows;
    const int64_t StripBytes = int64_t{3} * StripRows * (SourceWidth + TargetWidth);
    ForEachBand(Strips, StripBytes, [&](int FirstStrip, int LastStrip) {
        std::vector<uint8_t> Columns(size_t{3} * StripRows * static_cast<size_t>(SourceWidth));
        std::vector<uint8_t> Results(size_t{3} * StripRows * static_cast<size_t>(TargetWidth));
        std::vector<const uint8_t*> ColumnRows(static_cast<size_t>(SourceWidth));
        std::vector<uint8_t*> ResultRows(static_cast<size_t>(TargetWidth));
        for (int Strip = FirstStrip; Strip < LastStrip; ++Strip) {
            const int First = Strip * StripRows;
            const int Count = std::min(StripRows, Height - First);
            const int RowBytes = 3 * Count;
            for (int x = 0; x < SourceWidth; ++x)
                ColumnRows[x] = Columns.data() + static_cast<size_t>(x) * RowBytes;
            for (int i = 0; i < TargetWidth; ++i)
                ResultRows[i] = Results.data() + static_cast<size_t>(i) * RowBytes;
            TurnIn(SourceRows, First, Count, SourceWidth, Columns.data());
            ResampleRows(Lists, ColumnRows.data(), ResultRows.data(), RowBytes, 0, TargetWidth);
            TurnOut(Results.data(), First, Count, TargetWidth, TargetRows);
        }
    });
}

void ResampleDown(const TContributorLists& Lists, const std::vector<const uint8_t*>& SourceRows,
                  const std::vector<uint8_t*>& TargetRows, int RowBytes)
{
    const int Count = Lists.Count();
    const int64_t PerList = Count > 0 ? int64_t{RowBytes} * (Lists.First[Count] / Count + 1) : RowBytes;
    ForEachBand(Count, PerList, [&](int First, int Last) {
        ResampleRows(Lists, SourceRows.data(), TargetRows.data(), RowBytes, First, Last);
    });
}

} // namespace

TFvDIB& Resample(TFvDIB& Image, int Width, int Height, float Support, TFilterProc Filter)
{
    const int OldWidth = Image.Width();
    const int OldHeight = Image.Height();
    if (Width == OldWidth && Height == OldHeight)
        return Image;

    TFvDIB Source;
    Source.Assign(&Image);
    TFvDIB Target;
    MakeTrueColorTarget(Target, Width, Height);
    if (Source.Width() < 1 || Source.Height() < 1)
        throw Exception("Source bitmap too small");
    TFvDIB Work;
    MakeTrueColorTarget(Work, Width, OldHeight);
    Source.SetPixelFormat(fvPf24Bit);

    {
        const TContributorLists Across = BuildContributors(OldWidth, Width, Support, Filter);
        ResampleAcross(Across, ReadOnlyRows(Source), GetScanLineTable(&Work), OldWidth, Width);
    }
    {
        const TContributorLists Down = BuildContributors(OldHeight, Height, Support, Filter);
        ResampleDown(Down, ReadOnlyRows(Work), GetScanLineTable(&Target), 3 * Width);
    }
    Image.Assign(&Target);
    return Image;
}
