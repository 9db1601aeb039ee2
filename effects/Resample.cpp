// The two-pass resampler of methods 4 .. 14. The horizontal pass makes
// intermediate rows as wide as the target, one per source row; the vertical
// pass sums them into the target. Both run the same row pass: the vertical
// one on rows directly, the horizontal one on strips of source rows turned on
// their side, so that every pass sums whole rows of bytes.
#include "effects/Interpolation.h"
#include "effects/PixelMove.h"
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
// Pixels turned per block, so that the block's target rows stay in the
// first-level cache.
constexpr int TurnBlock = 16;
// Target rows made from one batch of intermediate rows. The intermediate rows
// that two neighbouring batches both need are made twice, identically.
constexpr int TargetBatch = 128;

// Column x of rows First .. First + Count - 1 becomes row x of Columns.
void TurnIn(const std::vector<const uint8_t*>& Rows, int First, int Count, int Width, uint8_t* Columns)
{
    const int RowBytes = 3 * Count;
    for (int Block = 0; Block < Width; Block += TurnBlock) {
        const int End = std::min(Width, Block + TurnBlock);
        for (int l = 0; l < Count; ++l) {
            const uint8_t* In = Rows[First + l] + 3 * Block;
            uint8_t* Out = Columns + static_cast<size_t>(Block) * RowBytes + 3 * l;
            // Row l + 1 rewrites the spare byte later; the last row and the
            // image's last column move three bytes.
            const int Wide = l + 1 < Count ? std::min(End, Width - 1) : Block;
            int x = Block;
            for (; x < Wide; ++x, In += 3, Out += RowBytes)
                MovePixel4(Out, In);
            for (; x < End; ++x, In += 3, Out += RowBytes)
                MovePixel3(Out, In);
        }
    }
}

// The reverse: row i of Columns becomes column i of the image rows.
void TurnOut(const uint8_t* Columns, int First, int Count, int Width, const std::vector<uint8_t*>& Rows)
{
    const int RowBytes = 3 * Count;
    for (int Block = 0; Block < Width; Block += TurnBlock) {
        const int End = std::min(Width, Block + TurnBlock);
        for (int l = 0; l < Count; ++l) {
            uint8_t* Out = Rows[First + l] + 3 * Block;
            const uint8_t* In = Columns + static_cast<size_t>(Block) * RowBytes + 3 * l;
            // Pixel x + 1 rewrites the spare byte next; the image's last
            // column and the strip's last row move three bytes.
            const int Wide = l + 1 < Count ? std::min(End, Width - 1) : Block;
            int x = Block;
            for (; x < Wide; ++x, Out += 3, In += RowBytes)
                MovePixel4(Out, In);
            for (; x < End; ++x, Out += 3, In += RowBytes)
                MovePixel3(Out, In);
        }
    }
}

// The buffers of one thread: the intermediate rows of a batch and one strip
// turned on its side before and after the horizontal pass.
struct TPassBuffers {
    std::vector<uint8_t> Work;
    std::vector<uint8_t*> WorkRows;
    std::vector<uint8_t> Columns;
    std::vector<uint8_t> Results;
    std::vector<const uint8_t*> ColumnRows;
    std::vector<uint8_t*> ResultRows;
};

// Intermediate rows First .. Last - 1: the horizontal pass, strip by strip.
void ResampleAcross(const TContributorLists& Lists, const std::vector<const uint8_t*>& SourceRows, int First, int Last,
                    int SourceWidth, int TargetWidth, TPassBuffers& b)
{
    for (int Strip = First; Strip < Last; Strip += StripRows) {
        const int Count = std::min(StripRows, Last - Strip);
        const int RowBytes = 3 * Count;
        for (int x = 0; x < SourceWidth; ++x)
            b.ColumnRows[x] = b.Columns.data() + static_cast<size_t>(x) * RowBytes;
        for (int i = 0; i < TargetWidth; ++i)
            b.ResultRows[i] = b.Results.data() + static_cast<size_t>(i) * RowBytes;
        TurnIn(SourceRows, Strip, Count, SourceWidth, b.Columns.data());
        ResampleRows(Lists, b.ColumnRows.data(), b.ResultRows.data(), RowBytes, 0, TargetWidth);
        TurnOut(b.Results.data(), Strip, Count, TargetWidth, b.WorkRows);
    }
}

// Both passes, batch by batch of target rows: each batch first makes the
// intermediate rows its vertical lists name, then sums them. No intermediate
// image of the full height is ever held.
void ResampleBoth(const TContributorLists& Across, const TContributorLists& Down,
                  const std::vector<const uint8_t*>& SourceRows, const std::vector<uint8_t*>& TargetRows,
                  int SourceWidth, int TargetWidth)
{
    const int SourceHeight = static_cast<int>(SourceRows.size());
    const int TargetHeight = Down.Count();
    const int RowBytes = 3 * TargetWidth;
    const int Batches = (TargetHeight + TargetBatch - 1) / TargetBatch;
    const int64_t PerBatch = int64_t{TargetBatch} * (RowBytes + 3 * SourceWidth);
    ForEachBand(Batches, PerBatch, [&](int FirstBatch, int LastBatch) {
        TPassBuffers b;
        b.WorkRows.resize(static_cast<size_t>(SourceHeight));
        b.Columns.resize(size_t{3} * StripRows * static_cast<size_t>(SourceWidth));
        b.Results.resize(size_t{3} * StripRows * static_cast<size_t>(TargetWidth));
        b.ColumnRows.resize(static_cast<size_t>(SourceWidth));
        b.ResultRows.resize(static_cast<size_t>(TargetWidth));
        for (int Batch = FirstBatch; Batch < LastBatch; ++Batch) {
            const int First = Batch * TargetBatch;
            const int Last = std::min(TargetHeight, First + TargetBatch);
            const auto Begin = Down.Pixel.begin() + Down.First[First];
            const auto End = Down.Pixel.begin() + Down.First[Last];
            if (Begin != End) {
                const auto [Low, High] = std::minmax_element(Begin, End);
                const size_t Needed = static_cast<size_t>(*High - *Low + 1) * RowBytes;
                if (b.Work.size() < Needed)
                    b.Work.resize(Needed);
                for (int r = *Low; r <= *High; ++r)
                    b.WorkRows[r] = b.Work.data() + static_cast<size_t>(r - *Low) * RowBytes;
                ResampleAcross(Across, SourceRows, *Low, *High + 1, SourceWidth, TargetWidth, b);
            }
            ResampleRows(Down, b.WorkRows.data(), TargetRows.data(), RowBytes, First, Last);
        }
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
    Source.SetPixelFormat(fvPf24Bit);

    const TContributorLists Across = BuildContributors(OldWidth, Width, Support, Filter);
    const TContributorLists Down = BuildContributors(OldHeight, Height, Support, Filter);
    ResampleBoth(Across, Down, Get24BitRowsToRead(Source), GetScanLineTable(&Target), OldWidth, Width);
    Image.Assign(&Target);
    return Image;
}
