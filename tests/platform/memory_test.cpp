#include "platform/core/FileMapping.h"
#include "platform/core/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FileMapping, ZeroBytesCannotBeMapped)
{
    EXPECT_EQ(CreateFileMapping(0), nullptr);
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
