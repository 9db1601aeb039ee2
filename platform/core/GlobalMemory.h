// Movable memory blocks with a size, in the shape of the platform's global
// memory handles: clipboard blocks travel in them.
#pragma once

#include <cstddef>
#include <cstdint>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

constexpr unsigned GMEM_FIXED = 0x0000;
constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;
constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A block of bytes bytes (zeroed with GMEM_ZEROINIT), or nullptr when memory is short.
HGLOBAL GlobalAlloc(unsigned flags, size_t bytes);
// The block's first byte; nullptr for no block. Locks nest.
void* GlobalLock(HGLOBAL block);
bool GlobalUnlock(HGLOBAL block);
size_t GlobalSize(HGLOBAL block);
// Frees the block; answers nullptr on success, as the platform does.
HGLOBAL GlobalFree(HGLOBAL block);
// A new block holding a copy of size bytes, or nullptr.
HGLOBAL GlobalAllocCopy(const void* data, size_t size);
