#include "platform/core/PixelBlock.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace {

constexpr size_t hugePage = size_t{2} << 20;

bool Large(size_t size)
{
    return size >= hugePage;
}

size_t MappedLength(size_t size)
{
    return (size + hugePage - 1) / hugePage * hugePage;
}

} // namespace

void* AllocatePixelBlock(size_t size)
{
    if (!Large(size))
        return std::calloc(size ? size : 1, 1);
    // Over-allocate by one huge page so the block can start on a boundary,
    // then give the unused ends back.
    const size_t length = MappedLength(size);
    void* raw = mmap(nullptr, length + hugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t end = start + length + hugePage;
    if (end > aligned + length)
        munmap(reinterpret_cast<void*>(aligned + length), end - (aligned + length));
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, length, MADV_HUGEPAGE);
    return block;
}

void FreePixelBlock(void* block, size_t size)
{
    if (!block)
        return;
    if (Large(size))
        munmap(block, MappedLength(size));
    else
        std::free(block);
}
