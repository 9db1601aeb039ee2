// Page-file-backed memory sections. A section is an anonymous memfd; a view
// of it is a shared mapping, so two views of one section (the bitmap's pixels
// and a DIB section drawn into by a canvas) see the same pages.
#pragma once

#include <cstdint>

struct FileMappingObject;
using HFILEMAPPING = FileMappingObject*;

// A zero-filled section of size bytes, or nullptr (a size of 0 fails).
HFILEMAPPING CreateFileMapping(uint64_t size);
// A writable view of the whole section, or nullptr.
void* MapViewOfFile(HFILEMAPPING mapping);
// Maps bytes [offset, offset + size) of the section; nullptr when they do not lie inside it.
void* MapViewOfFileRange(HFILEMAPPING mapping, uint64_t offset, uint64_t size);
bool UnmapViewOfFile(void* view);
bool CloseHandle(HFILEMAPPING mapping);
uint64_t FileMappingSize(HFILEMAPPING mapping);
