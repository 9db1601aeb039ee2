// Row pointers of a 24-bit bitmap, top row first, for operations that read
// or write many rows at once (area filters, turns, row-split work).
#pragma once

#include "effects/ByteConversion.h"

#include <cstdint>
#include <vector>

class TFvDIB;

// Entry y addresses row y from the top. Fetching the rows un-shares a shared
// storage first, so the rows belong to Image alone. The table stays valid
// while the pixel storage is neither resized nor replaced.
// Raises EInvalidGraphicOperation "ビットマップが不正です。" for a missing or
// empty bitmap.
std::vector<uint8_t*> GetScanLineTable(TFvDIB* Image);

// The same for an image that every effect may walk as 3 bytes per pixel:
// anything but an uncompressed 24-bit image raises the same exception, since
// its rows are shorter than the walk.
std::vector<uint8_t*> Get24BitScanLineTable(TFvDIB& Image);

// The rows of such an image for reading only: a shared storage stays shared,
// so an operation that only reads an image copies none of its pixels. The
// table stays valid while no bitmap sharing the storage is changed.
std::vector<const uint8_t*> Get24BitRowsToRead(const TFvDIB& Image);
