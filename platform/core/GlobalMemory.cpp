#include "platform/core/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>

struct GlobalBlock {
    unsigned char* bytes;
    size_t size;
    int locks;
};

HGLOBAL GlobalAlloc(unsigned flags, size_t bytes)
{
    // A block of 0 bytes still has an address, so that locking it succeeds.
    auto* memory = static_cast<unsigned char*>((flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1)
                                                                       : std::malloc(bytes ? bytes : 1));
    if (!memory)
        return nullptr;
    auto* block = new (std::nothrow) GlobalBlock{memory, bytes, 0};
    if (!block)
        std::free(memory);
    return block;
}

void* GlobalLock(HGLOBAL block)
{
    if (!block)
        return nullptr;
    ++block->locks;
    return block->bytes;
}

bool GlobalUnlock(HGLOBAL block)
{
    if (!block || block->locks == 0)
        return false;
    return --block->locks > 0;
}

size_t GlobalSize(HGLOBAL block)
{
    return block ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    if (block) {
        std::free(block->bytes);
        delete block;
    }
    return nullptr;
}

HGLOBAL GlobalAllocCopy(const void* data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block && size)
        std::memcpy(block->bytes, data, size);
    return block;
}
