#include "platform/core/PixelBlock.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
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

void* MapBlock(size_t length)
{
    // Over-allocate by one huge page so the block can start on a boundary,
    // then give the unused ends back.
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

// Freed large blocks wait here for the next picture of the same mapped
// length. Pictures come and go in pairs of one size (a decoded file and the
// document read from it, an edit and the entry it replaces), and the kernel
// zeroes every page of a fresh block at its first touch: on a virtual machine
// that sometimes cost hundreds of milliseconds for 36 MB, against a few for
// clearing warm memory.
// The kernel may still reclaim a waiting block's pages under memory pressure.
class BlockPool {
public:
    // The newest waiting block of that length, or null.
    void* Take(size_t length)
    {
        std::lock_guard<std::mutex> guard(FLock);
        for (size_t i = FCount; i-- > 0;) {
            if (FBlocks[i].length != length)
                continue;
            void* block = FBlocks[i].block;
            Remove(i);
            return block;
        }
        return nullptr;
    }

    // False when the block is too big to keep; the caller unmaps it. The
    // oldest blocks make room.
    bool Keep(void* block, size_t length)
    {
        if (length > MaxBytes)
            return false;
        madvise(block, length, MADV_FREE);
        std::lock_guard<std::mutex> guard(FLock);
        while (FCount == FBlocks.size() || FBytes + length > MaxBytes) {
            munmap(FBlocks[0].block, FBlocks[0].length);
            Remove(0);
        }
        FBlocks[FCount++] = Waiting{block, length};
        FBytes += length;
        return true;
    }

private:
    // Blocks stay in the order they were kept, the oldest first.
    void Remove(size_t index)
    {
        FBytes -= FBlocks[index].length;
        for (size_t i = index + 1; i < FCount; ++i)
            FBlocks[i - 1] = FBlocks[i];
        --FCount;
    }

    static constexpr size_t MaxBytes = size_t{256} << 20;
    struct Waiting {
        void* block;
        size_t length;
    };
    std::mutex FLock;
    std::array<Waiting, 4> FBlocks{};
    size_t FCount = 0;
    size_t FBytes = 0;
};

BlockPool& Pool()
{
    // Never destroyed: bitmaps held in statics free their blocks at exit.
    static auto* pool = new BlockPool;
    return *pool;
}

} // namespace

void* AllocatePixelBlock(size_t size)
{
    if (!Large(size))
        return std::calloc(size ? size : 1, 1);
    const size_t length = MappedLength(size);
    if (void* block = Pool().Take(length)) {
        std::memset(block, 0, size);
        return block;
    }
    return MapBlock(length);
}

void FreePixelBlock(void* block, size_t size)
{
    if (!block)
        return;
    if (!Large(size))
        std::free(block);
    else if (!Pool().Keep(block, MappedLength(size)))
        munmap(block, MappedLength(size));
}
