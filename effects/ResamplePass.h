// One pass of the two-pass resampler over rows of bytes. Target row i is the
// weighted sum, byte by byte, of the source rows that list i names, summed in
// list order in a single-precision accumulator and stored with RoundToByte.
// The vertical pass runs it on image rows; the horizontal pass on strips of
// image rows turned on their side.
#pragma once

#include "effects/ResampleContributors.h"

#include <cstdint>

// Computes target rows First .. Last - 1 (list indexes), RowBytes bytes each.
void ResampleRows(const TContributorLists& Lists, const uint8_t* const* SourceRows, uint8_t* const* TargetRows,
                  int RowBytes, int First, int Last);

// The plain evaluation of one target byte: every product and sum in extended
// precision, the accumulator narrowed to single precision after each
// addition. The fast path must agree with it byte for byte.
uint8_t ResampleByte(const TContributorLists& Lists, const uint8_t* const* SourceRows, int List, int Offset);
