#include "platform/system/VersionData.h"

#include <gtest/gtest.h>

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

} // namespace
