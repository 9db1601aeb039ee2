#include "platform/system/VersionData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

const std::string Corpus = std::string(FV_TEST_DATA) + "/../../fuzz/corpus/version_note_fuzz/";

TEST(VersionData, TheNoteIsFoundPastOtherNotesAndKeysIgnoreCase)
{
    const auto strings = GetFileVersionStrings(Corpus + "other_note_first");
    ASSERT_TRUE(strings.has_value());
    EXPECT_EQ(VerQueryValue(*strings, "fileversion"), "1.1.4.15");
    EXPECT_EQ(VerQueryValue(*strings, "CompanyName"), "Corvanta");
    EXPECT_FALSE(VerQueryValue(*strings, "Comments").has_value());
    // A key without its value is no pair.
    const auto odd = GetFileVersionStrings(Corpus + "odd_pair");
    ASSERT_TRUE(odd.has_value());
    EXPECT_TRUE(odd->empty());
}

// An ELF file of one note section of the given size, our note at its start.
std::vector<uint8_t> ElfWithNoteSection(uint64_t sectionSize)
{
    std::vector<uint8_t> bytes(128 + sectionSize);
    const auto put = [&](size_t at, auto value) { std::memcpy(bytes.data() + at, &value, sizeof value); };
    std::memcpy(bytes.data(), "\x7F" "ELF\x02\x01", 6);
    put(0x28, uint64_t{64});
    put(0x3A, uint16_t{64});
    put(0x3C, uint16_t{1});
    put(64 + 4, uint32_t{7});
    put(64 + 0x18, uint64_t{128});
    put(64 + 0x20, sectionSize);
    put(128, uint32_t{11});
    put(132, uint32_t{16});
    put(136, uint32_t{1});
    const char note[] = "Farovinter\0\0FileVersion\0" "1.2";
    std::memcpy(bytes.data() + 140, note, sizeof note);
    return bytes;
}

std::optional<TVersionStrings> Parse(const std::vector<uint8_t>& bytes)
{
    return ParseVersionStrings([&](uint64_t offset, size_t n, void* out) {
        if (offset > bytes.size() || n > bytes.size() - offset)
            return false;
        std::memcpy(out, bytes.data() + offset, n);
        return true;
    });
}

TEST(VersionData, NoteSectionsAreReadUpToAMebibyte)
{
    for (const auto& [size, read] : {std::pair{uint64_t{1} << 20, true}, std::pair{(uint64_t{1} << 20) + 4, false}})
        EXPECT_EQ(Parse(ElfWithNoteSection(size)).has_value(), read) << size;
    // Another note whose padding would pass the section's end ends the search there.
    std::vector<uint8_t> unpadded = ElfWithNoteSection(41);
    const uint32_t other[4] = {4, 25, 1, 0x00554E47};
    std::memcpy(unpadded.data() + 128, other, sizeof other);
    EXPECT_FALSE(Parse(unpadded).has_value());
    // Ours is found past a note whose description of five bytes is padded to eight.
    std::vector<uint8_t> afterOdd = ElfWithNoteSection(64);
    std::memmove(afterOdd.data() + 152, afterOdd.data() + 128, 40);
    const uint32_t odd[4] = {4, 5, 1, 0x00554E47};
    std::memcpy(afterOdd.data() + 128, odd, sizeof odd);
    const auto found = Parse(afterOdd);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(VerQueryValue(*found, "FileVersion"), "1.2");
}

} // namespace
