#include "platform/core/FileMapping.h"

#include "platform/core/PixelBlock.h"

#include <map>
#include <mutex>
#include <utility>

struct FileMappingObject {
    uint8_t* memory;
    uint64_t size;
    bool open;
    // The open handle plus one per mapped view; the memory goes with the last.
    int holders;
};

namespace {

// Views are unmapped by address alone, as on the original platform; two views
// of one offset share an address, so each address counts its views. The
// table is never destroyed: bitmaps held in static objects release their
// views after it would be.
struct Registry {
    std::mutex lock;
    std::map<void*, std::pair<FileMappingObject*, int>> views;
    size_t live = 0;
};

Registry& registry()
{
    static auto* table = new Registry;
    return *table;
}

// Drops one holder under the lock; true when the caller must free the section.
bool Drop(Registry& table, FileMappingObject* mapping)
{
    if (--mapping->holders > 0)
        return false;
    --table.live;
    return true;
}

void Free(FileMappingObject* mapping)
{
    FreePixelBlock(mapping->memory, static_cast<size_t>(mapping->size));
    delete mapping;
}

} // namespace

HFILEMAPPING CreateFileMapping(uint64_t size)
{
    if (size == 0 || size > SIZE_MAX)
        return nullptr;
    void* memory = AllocatePixelBlock(static_cast<size_t>(size));
    HFILEMAPPING mapping = CreateFileMappingOver(memory, size);
    if (!mapping)
        FreePixelBlock(memory, static_cast<size_t>(size));
    return mapping;
}

HFILEMAPPING CreateFileMappingOver(void* block, uint64_t size)
{
    if (!block || size == 0 || size > SIZE_MAX)
        return nullptr;
    auto* mapping = new FileMappingObject{static_cast<uint8_t*>(block), size, true, 1};
    Registry& table = registry();
    std::lock_guard<std::mutex> guard(table.lock);
    ++table.live;
    return mapping;
}

void* MapViewOfFileRange(HFILEMAPPING mapping, uint64_t offset, uint64_t size)
{
    if (!mapping || size == 0 || offset > mapping->size || size > mapping->size - offset)
        return nullptr;
    Registry& table = registry();
    std::lock_guard<std::mutex> guard(table.lock);
    if (!mapping->open)
        return nullptr;
    void* view = mapping->memory + offset;
    auto& entry = table.views[view];
    entry.first = mapping;
    ++entry.second;
    ++mapping->holders;
    return view;
}

void* MapViewOfFile(HFILEMAPPING mapping)
{
    return mapping ? MapViewOfFileRange(mapping, 0, mapping->size) : nullptr;
}

bool UnmapViewOfFile(void* view)
{
    Registry& table = registry();
    FileMappingObject* released = nullptr;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto it = table.views.find(view);
        if (it == table.views.end())
            return false;
        FileMappingObject* mapping = it->second.first;
        if (--it->second.second == 0)
            table.views.erase(it);
        if (Drop(table, mapping))
            released = mapping;
    }
    if (released)
        Free(released);
    return true;
}

bool CloseHandle(HFILEMAPPING mapping)
{
    if (!mapping)
        return false;
    Registry& table = registry();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        if (!mapping->open)
            return false;
        mapping->open = false;
        if (!Drop(table, mapping))
            return true;
    }
    Free(mapping);
    return true;
}

uint64_t FileMappingSize(HFILEMAPPING mapping)
{
    return mapping ? mapping->size : 0;
}

size_t LiveFileMappings()
{
    Registry& table = registry();
    std::lock_guard<std::mutex> guard(table.lock);
    return table.live;
}
