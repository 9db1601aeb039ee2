// Box mean by sliding sums: per band of rows, each column keeps the sum of
// its window rows (one row added and one dropped per output row), and each
// row slides a window sum across those column sums. The sums are the same
// integers a full window walk adds up, so the bytes are too, at a cost that
// does not grow with the radius.
#include "effects/Soften.h"

#include "bitmap/FvDIB.h"
#include "effects/ExactDivide.h"
#include "effects/BandRows.h"
#include "effects/ScanLineTable.h"
#include "effects/SimdClones.h"

#include <algorithm>
#include <vector>

namespace {

FV_SIMD_CLONES void AddRow(uint32_t* __restrict Sums, const uint8_t* __restrict Row, int Bytes)
{
    for (int i = 0; i < Bytes; ++i)
        Sums[i] += Row[i];
}

FV_SIMD_CLONES void SubtractRow(uint32_t* __restrict Sums, const uint8_t* __restrict Row, int Bytes)
{
    for (int i = 0; i < Bytes; ++i)
        Sums[i] -= Row[i];
}

// One output row from the column sums of RowsIn rows.
void SlideRow(const uint32_t* Columns, int Width, int Radius, int RowsIn, const std::vector<TReciprocal>& Divide,
              uint8_t* Out)
{
    uint32_t S0 = 0, S1 = 0, S2 = 0;
    for (int c = 0; c <= std::min(Radius, Width - 1); ++c) {
        S0 += Columns[c * 3];
        S1 += Columns[c * 3 + 1];
        S2 += Columns[c * 3 + 2];
    }
    for (int x = 0; x < Width; ++x) {
        const int ColumnsIn = std::min(Width - 1, x + Radius) - std::max(0, x - Radius) + 1;
        const TReciprocal& D = Divide[static_cast<size_t>(ColumnsIn * RowsIn)];
        Out[x * 3] = static_cast<uint8_t>(D.Divide(S0));
        Out[x * 3 + 1] = static_cast<uint8_t>(D.Divide(S1));
        Out[x * 3 + 2] = static_cast<uint8_t>(D.Divide(S2));
        const int Enter = x + 1 + Radius;
        if (Enter < Width) {
            S0 += Columns[Enter * 3];
            S1 += Columns[Enter * 3 + 1];
            S2 += Columns[Enter * 3 + 2];
        }
        const int Leave = x - Radius;
        if (Leave >= 0) {
            S0 -= Columns[Leave * 3];
            S1 -= Columns[Leave * 3 + 1];
            S2 -= Columns[Leave * 3 + 2];
        }
    }
}

} // namespace

void Soften(TFvDIB& Image, int Radius)
{
    Radius = std::clamp(Radius, 1, 7);
    const std::vector<uint8_t*> Image24 = Get24BitScanLineTable(Image);
    const int Width = Image.Width();
    const int Height = Image.Height();
    const int Span = 2 * Radius + 1;
    std::vector<TReciprocal> Divide;
    Divide.reserve(static_cast<size_t>(Span * Span) + 1);
    for (int n = 0; n <= Span * Span; ++n)
        Divide.emplace_back(std::max(n, 1));

    // The result goes straight back into the image rows; each band reads
    // the original rows through its copies.
    const int Bytes = Width * 3;
    const std::vector<TBandRange> Plan = PlanBands(Height, static_cast<int64_t>(Bytes) * 4);
    std::vector<TBandRows> Sources;
    std::vector<std::vector<uint32_t>> Columns;
    for (const TBandRange& Band : Plan) {
        Sources.emplace_back(Image24, Band, Radius, static_cast<size_t>(Bytes));
        Columns.emplace_back(static_cast<size_t>(Bytes), 0);
    }
    ForEachPlannedBand(Plan, [&](int b) { Sources[static_cast<size_t>(b)].CopyShared(); });
    ForEachPlannedBand(Plan, [&](int b) {
        const int First = Plan[static_cast<size_t>(b)].First, Last = Plan[static_cast<size_t>(b)].Last;
        TBandRows& Rows = Sources[static_cast<size_t>(b)];
        uint32_t* Sums = Columns[static_cast<size_t>(b)].data();
        Rows.Start();
        Rows.Advance(First);
        for (int r = std::max(0, First - Radius); r <= std::min(Height - 1, First + Radius); ++r)
            AddRow(Sums, Rows.Row(r), Bytes);
        for (int y = First; y < Last; ++y) {
            const int RowsIn = std::min(Height - 1, y + Radius) - std::max(0, y - Radius) + 1;
            SlideRow(Sums, Width, Radius, RowsIn, Divide, Image24[static_cast<size_t>(y)]);
            if (y + 1 == Last)
                break;
            // Out with the top row before its ring place takes the new bottom row.
            if (y - Radius >= 0)
                SubtractRow(Sums, Rows.Row(y - Radius), Bytes);
            Rows.Advance(y + 1);
            if (y + 1 + Radius < Height)
                AddRow(Sums, Rows.Row(y + 1 + Radius), Bytes);
        }
    });
}
