#include "platform/core/FileMapping.h"
#include "platform/core/GlobalMemory.h"
#include "platform/core/PixelBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/mman.h>

namespace {

TEST(FileMapping, ZeroBytesCannotBeMappedButOneCan)
{
    EXPECT_EQ(CreateFileMapping(0), nullptr);
    HFILEMAPPING one = CreateFileMapping(1);
    ASSERT_NE(one, nullptr);
    EXPECT_TRUE(CloseHandle(one));
}

TEST(FileMapping, TwoViewsOfOneSectionShareTheirBytes)
{
    const size_t live = LiveFileMappings();
    HFILEMAPPING section = CreateFileMapping(10000);
    ASSERT_NE(section, nullptr);
    auto* whole = static_cast<unsigned char*>(MapViewOfFile(section));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole[9999], 0);

    // A view at an offset that is not page-aligned still lands on the same bytes.
    auto* part = static_cast<unsigned char*>(MapViewOfFileRange(section, 5000, 100));
    ASSERT_NE(part, nullptr);
    part[3] = 0xAB;
    EXPECT_EQ(whole[5003], 0xAB);
    auto* again = static_cast<unsigned char*>(MapViewOfFile(section));
    again[1] = 0xCD;
    EXPECT_EQ(whole[1], 0xCD);

    EXPECT_EQ(MapViewOfFileRange(section, 9990, 11), nullptr);
    EXPECT_TRUE(UnmapViewOfFile(part));
    EXPECT_TRUE(UnmapViewOfFile(again));
    EXPECT_TRUE(UnmapViewOfFile(whole));
    EXPECT_FALSE(UnmapViewOfFile(whole));
    EXPECT_EQ(LiveFileMappings(), live + 1);
    EXPECT_TRUE(CloseHandle(section));
    EXPECT_EQ(LiveFileMappings(), live);
}

// The memory goes with whichever comes last, the handle or the last view;
// the sanitiser reports any use after that or any block left behind.
TEST(FileMapping, SectionOutlivesItsHandleUntilTheLastView)
{
    const size_t live = LiveFileMappings();
    const uint64_t size = uint64_t{5} << 20; // huge-page backed
    HFILEMAPPING section = CreateFileMapping(size);
    ASSERT_NE(section, nullptr);
    auto* first = static_cast<unsigned char*>(MapViewOfFile(section));
    auto* last = static_cast<unsigned char*>(MapViewOfFileRange(section, size - 8, 8));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(first[size - 1], 0);
    EXPECT_TRUE(CloseHandle(section));
    EXPECT_FALSE(CloseHandle(section));
    EXPECT_EQ(MapViewOfFile(section), nullptr);
    last[7] = 0x5A;
    EXPECT_EQ(first[size - 1], 0x5A);
    EXPECT_TRUE(UnmapViewOfFile(first));
    EXPECT_EQ(LiveFileMappings(), live + 1);
    EXPECT_TRUE(UnmapViewOfFile(last));
    EXPECT_EQ(LiveFileMappings(), live);
}

// Large blocks are kept for reuse when freed; whatever was written into one
// must not show through in the next picture that gets it.
TEST(PixelBlock, ABlockUsedBeforeComesBackZeroed)
{
    const size_t size = (size_t{3} << 20) + 5;
    for (const size_t next : {size, size - 1000, size + 1000}) {
        auto* block = static_cast<unsigned char*>(AllocatePixelBlock(size));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xAB, size);
        FreePixelBlock(block, size);
        auto* again = static_cast<unsigned char*>(AllocatePixelBlock(next));
        ASSERT_NE(again, nullptr);
        size_t nonZero = 0;
        for (size_t i = 0; i < next; ++i)
            nonZero += again[i] != 0;
        EXPECT_EQ(nonZero, 0u) << next;
        FreePixelBlock(again, next);
    }
}

// Whether the first page of a block is still mapped.
bool Mapped(void* block)
{
    return msync(block, 1, MS_ASYNC) == 0;
}

// At most four freed blocks and 256 MiB wait for reuse; the oldest make room.
TEST(PixelBlock, FreedBlocksWaitUpToALimit)
{
    const size_t most = size_t{256} << 20;
    void* largest = AllocatePixelBlock(most);
    void* tooLarge = AllocatePixelBlock(most + 1);
    ASSERT_NE(largest, nullptr);
    ASSERT_NE(tooLarge, nullptr);
    FreePixelBlock(largest, most);
    FreePixelBlock(tooLarge, most + 1);
    EXPECT_TRUE(Mapped(largest));
    EXPECT_FALSE(Mapped(tooLarge));

    const size_t small = size_t{2} << 20;
    void* blocks[5];
    for (void*& block : blocks)
        block = AllocatePixelBlock(small);
    for (void* block : blocks)
        FreePixelBlock(block, small);
    EXPECT_FALSE(Mapped(largest));
    EXPECT_FALSE(Mapped(blocks[0]));
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(Mapped(blocks[i])) << i;
    // The newest waiting block of a length is taken first.
    for (int i = 4; i > 0; --i)
        EXPECT_EQ(AllocatePixelBlock(small), blocks[i]) << i;
    for (int i = 1; i < 5; ++i)
        FreePixelBlock(blocks[i], small);
}

TEST(FileMapping, SectionOverABlockOwnsIt)
{
    const size_t live = LiveFileMappings();
    EXPECT_EQ(CreateFileMappingOver(nullptr, 10), nullptr);
    void* block = AllocatePixelBlock(100);
    EXPECT_EQ(CreateFileMappingOver(block, 0), nullptr);
    static_cast<unsigned char*>(block)[99] = 0x77;
    HFILEMAPPING section = CreateFileMappingOver(block, 100);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(FileMappingSize(section), 100u);
    auto* view = static_cast<unsigned char*>(MapViewOfFile(section));
    EXPECT_EQ(view, block);
    EXPECT_EQ(view[99], 0x77);
    EXPECT_EQ(LiveFileMappings(), live + 1);
    // The block goes with the section; the sanitiser reports a second free or a leak.
    EXPECT_TRUE(CloseHandle(section));
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_EQ(LiveFileMappings(), live);
}

TEST(GlobalMemory, BlocksKnowTheirSizeAndLocksNest)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    auto* first = static_cast<unsigned char*>(GlobalLock(block));
    EXPECT_EQ(first[15], 0);
    EXPECT_EQ(GlobalLock(block), first);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFree(block), nullptr);

    const char text[] = "dib";
    HGLOBAL copy = GlobalAllocCopy(text, 3);
    EXPECT_EQ(std::memcmp(GlobalLock(copy), "dib", 3), 0);
    GlobalUnlock(copy);
    GlobalFree(copy);
}

} // namespace
