// Whole-row versions of the engine's neighbourhood callbacks, for the
// runner: the same bytes as calling the callback for every pixel, computed
// over a row's bytes at once so that the loops vectorise.
#pragma once

#include "effects/NeighbourhoodFilter.h"

#include <cstdint>

// Up, Mid and Down address pixel 0 of the rows above, at and below the
// output row, each readable 3 bytes before and after (zeros outside the
// image). Bytes is the row's width times 3.
using TNeighbourhoodRowProc = void (*)(const uint8_t* Up, const uint8_t* Mid, const uint8_t* Down, uint8_t* Out,
                                       int Bytes, const void* Data, uint8_t* Scratch);

// Scratch bytes a row procedure needs for a row of Bytes bytes.
int64_t NeighbourhoodRowScratch(int Bytes);

// The row procedure that matches PixelProc, or null when there is none.
TNeighbourhoodRowProc FindNeighbourhoodRowProc(TNeighbourhoodProc PixelProc);
