// Zeroed memory for the pixels of bitmaps that own them and of sections.
// Large blocks are anonymous mappings that ask for huge pages: a fresh
// 12-megapixel picture then costs a few dozen page faults instead of
// thousands.
#pragma once

#include <cstddef>

// Null when memory is short. A block of 0 bytes still has an address.
void* AllocatePixelBlock(size_t size);
// size must be the size the block was allocated with.
void FreePixelBlock(void* block, size_t size);
