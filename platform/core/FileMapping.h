// Page-file-backed memory sections. A section owns one zeroed block of
// anonymous memory (huge pages for large ones); a view is an address inside
// that block, so every view of one section (the bitmap's pixels and a DIB
// section drawn into by a canvas) sees the same bytes. The block lives until
// the handle is closed and the last view unmapped.
#pragma once

#include <cstddef>
#include <cstdint>

struct FileMappingObject;
using HFILEMAPPING = FileMappingObject*;

// A zero-filled section of size bytes, or nullptr (a size of 0 fails).
HFILEMAPPING CreateFileMapping(uint64_t size);
// A section over block, which came from AllocatePixelBlock(size) and now
// belongs to the section; nullptr (the block still the caller's) for a null
// block or a size of 0.
HFILEMAPPING CreateFileMappingOver(void* block, uint64_t size);
// A writable view of the whole section, or nullptr (also once the handle is closed).
void* MapViewOfFile(HFILEMAPPING mapping);
// Maps bytes [offset, offset + size) of the section; nullptr when they do not lie inside it.
void* MapViewOfFileRange(HFILEMAPPING mapping, uint64_t offset, uint64_t size);
// Ends one view starting at view; false when none is mapped there.
bool UnmapViewOfFile(void* view);
// Closes the handle; false for a null or already closed one.
bool CloseHandle(HFILEMAPPING mapping);
uint64_t FileMappingSize(HFILEMAPPING mapping);
// Sections whose memory is still held, for leak checks.
size_t LiveFileMappings();
