#include "platform/core/TextEncoding.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(TextEncoding, LocaleTextBecomesUtf8AndWhatDoesNotDecodeAQuestionMark)
{
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    // One, two, three and four bytes a letter, up to the last plane.
    EXPECT_EQ(AnsiToUtf8("Portable pixmap ¼ ぽるてぃか 𠮷 \xF4\x8F\xBF\xBD"), "Portable pixmap ¼ ぽるてぃか 𠮷 \xF4\x8F\xBF\xBD");
    EXPECT_EQ(AnsiToUtf8(std::string("a\xFF" "b\xE3\x81", 5)), "a?b??");
    EXPECT_EQ(AnsiToUtf8(std::string("a\0b\0", 4)), std::string("a\0b\0", 4));
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(AnsiToUtf8("*.png"), "*.png");
    EXPECT_EQ(AnsiToUtf8("\xE3\x81\xBD"), "???");
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(TextEncoding, SameTextIgnoresCaseByTheLocalesRules)
{
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    // Two-byte letters from both halves of their lead bytes' range.
    EXPECT_TRUE(SameTextIgnoringCase(".ÄЖPNG", ".äжpng"));
    EXPECT_TRUE(SameTextIgnoringCase(".ＰＮＧ", ".ｐｎｇ"));
    // Four-byte letters, whose last bytes differ between the cases.
    EXPECT_TRUE(SameTextIgnoringCase(".\U00010400x", ".\U00010428X"));
    // Read no further than the shorter text, here one with nothing after it.
    const std::vector<char> shorter{'.', 'p', 'n'};
    EXPECT_FALSE(SameTextIgnoringCase(".png", std::string_view(shorter.data(), shorter.size())));
    EXPECT_FALSE(SameTextIgnoringCase(std::string(".\xC4", 2), std::string(".\xE4", 2)));
    // A byte that starts no sequence matches itself, and the rest is compared on.
    EXPECT_TRUE(SameTextIgnoringCase(std::string(".\xC4png", 5), std::string(".\xC4PNG", 5)));
    EXPECT_FALSE(SameTextIgnoringCase(std::string(".\xFFpng", 5), std::string(".\xFFPNx", 5)));
    std::setlocale(LC_CTYPE, "C");
    EXPECT_TRUE(SameTextIgnoringCase(".PGM", ".pgm"));
    std::setlocale(LC_CTYPE, saved.c_str());
}

} // namespace
