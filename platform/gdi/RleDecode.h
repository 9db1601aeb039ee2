// Decoding of BI_RLE8 and BI_RLE4 pixel data. Private to the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes size bytes of RLE data (rows from the bottom, as stored) into out,
// which holds height rows of stride bytes with the top row first. Pixels the
// data skips or never reaches keep what out held; runs past the right edge are
// cut; nothing is read past size or written outside out.
void DecodeRle(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out, size_t stride);

// The same decoding into rows of the stream's own depth (two pixels a byte
// for RLE4, the first in the high nibble), bottom-up as a DIB stores them:
// row y of out is the stream's row y. Whole runs are written at once.
void DecodeRlePacked(const uint8_t* data, size_t size, bool rle4, int width, int height, uint8_t* out,
                     size_t stride);
