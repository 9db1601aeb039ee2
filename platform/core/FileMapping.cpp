#include "platform/core/FileMapping.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

struct FileMappingObject {
    int fd;
    uint64_t size;
};

namespace {

// Views are unmapped by address alone, as on the original platform, so the
// length of every view is remembered here. The table is never destroyed:
// bitmaps held in static objects release their views after it would be.
std::mutex& viewsLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

std::map<void*, size_t>& views()
{
    static auto* table = new std::map<void*, size_t>;
    return *table;
}

} // namespace

HFILEMAPPING CreateFileMapping(uint64_t size)
{
    if (size == 0)
        return nullptr;
    const int fd = memfd_create("farovinter-pixels", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return nullptr;
    }
    return new FileMappingObject{fd, size};
}

void* MapViewOfFileRange(HFILEMAPPING mapping, uint64_t offset, uint64_t size)
{
    if (!mapping || size == 0 || offset > mapping->size || size > mapping->size - offset)
        return nullptr;
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    const uint64_t start = offset / page * page;
    const size_t length = static_cast<size_t>(size + (offset - start));
    // Pixels are written right after they are mapped: faulting the pages in
    // one go costs about half of taking them one fault at a time.
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, mapping->fd, static_cast<off_t>(start));
    if (base == MAP_FAILED)
        return nullptr;
    void* view = static_cast<char*>(base) + (offset - start);
    std::lock_guard<std::mutex> guard(viewsLock());
    views()[view] = length;
    return view;
}

void* MapViewOfFile(HFILEMAPPING mapping)
{
    return mapping ? MapViewOfFileRange(mapping, 0, mapping->size) : nullptr;
}

bool UnmapViewOfFile(void* view)
{
    size_t length = 0;
    {
        std::lock_guard<std::mutex> guard(viewsLock());
        const auto it = views().find(view);
        if (it == views().end())
            return false;
        length = it->second;
        views().erase(it);
    }
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t address = reinterpret_cast<uintptr_t>(view);
    const uintptr_t base = address / page * page;
    return munmap(reinterpret_cast<void*>(base), length) == 0;
}

bool CloseHandle(HFILEMAPPING mapping)
{
    if (!mapping)
        return false;
    close(mapping->fd);
    delete mapping;
    return true;
}

uint64_t FileMappingSize(HFILEMAPPING mapping)
{
    return mapping ? mapping->size : 0;
}
