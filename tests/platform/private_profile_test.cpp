#include "platform/system/PrivateProfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("fv_profile_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        path = (dir / "test.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    std::filesystem::path dir;
    std::string path;
};

TEST(ProfileText, LooksUpIgnoringCaseAndBlanks)
{
    const std::string text = "[Set]\r\nFittingThreshold =10\r\n\r\n[Size]\r\n  mode   =  9 \r\n";
    EXPECT_EQ(ProfileFindValue(text, "set", "fittingthreshold"), "10");
    EXPECT_EQ(ProfileFindValue(text, "SIZE", "Mode"), "9");
    EXPECT_EQ(ProfileFindValue(text, "Size", "Other"), std::nullopt);
    EXPECT_EQ(ProfileFindValue(text, "Missing", "Mode"), std::nullopt);
    // A key of another section is not found through this one.
    EXPECT_EQ(ProfileFindValue(text, "Set", "Mode"), std::nullopt);
}

TEST(ProfileText, FirstSectionAndFirstKeyWin)
{
    const std::string text = "[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nj=5\n";
    EXPECT_EQ(ProfileFindValue(text, "A", "k"), "1");
    EXPECT_EQ(ProfileFindValue(text, "B", "k"), "3");
    EXPECT_EQ(ProfileFindValue(text, "A", "j"), std::nullopt);
}

TEST(ProfileText, IgnoresLinesWithoutEqualsAndKeysBeforeAnySection)
{
    const std::string text = "top=0\n[S]\ngarbage line\n; note\nk = v = w\n";
    EXPECT_EQ(ProfileFindValue(text, "", "top"), std::nullopt);
    EXPECT_EQ(ProfileFindValue(text, "S", "garbage line"), std::nullopt);
    EXPECT_EQ(ProfileFindValue(text, "S", "k"), "v = w");
}

TEST(ProfileText, StripsOnePairOfQuotesAndToleratesByteOrderMark)
{
    const std::string text = "\xEF\xBB\xBF[S]\nq = \"a b\" \nqq=\"\"x\"\"\nhalf=\"x\nempty=\npair=\"\"\none=\"\n";
    EXPECT_EQ(ProfileFindValue(text, "S", "q"), "a b");
    EXPECT_EQ(ProfileFindValue(text, "S", "qq"), "\"x\"");
    EXPECT_EQ(ProfileFindValue(text, "S", "half"), "\"x");
    EXPECT_EQ(ProfileFindValue(text, "S", "empty"), "");
    EXPECT_EQ(ProfileFindValue(text, "S", "pair"), "");
    EXPECT_EQ(ProfileFindValue(text, "S", "one"), "\"");
    // A text may begin with an empty line; nothing before its first byte is read.
    const std::string blankFirst = "\n[S]\nkey=a value long enough to live on the heap\n";
    EXPECT_EQ(ProfileFindValue(blankFirst, "S", "key"), "a value long enough to live on the heap");
}

TEST(ProfileText, LongValuesAreNotCut)
{
    const std::string longValue(1000, 'x');
    EXPECT_EQ(ProfileFindValue("[S]\nk=" + longValue + "\n", "S", "k"), longValue);
}

TEST(ProfileText, IntegersReadSignAndLeadingDigits)
{
    EXPECT_EQ(ProfileParseInt("276"), 276);
    EXPECT_EQ(ProfileParseInt("-12"), -12);
    EXPECT_EQ(ProfileParseInt("+7"), 7);
    EXPECT_EQ(ProfileParseInt("12abc"), 12);
    EXPECT_EQ(ProfileParseInt("abc"), 0);
    EXPECT_EQ(ProfileParseInt(""), 0);
    EXPECT_EQ(ProfileParseInt("-"), 0);
    EXPECT_EQ(ProfileParseInt("4294967297"), 1);
    EXPECT_EQ(ProfileParseInt("99999999999999999999999999"), ProfileParseInt("99999999999999999999999999"));
}

TEST(ProfileText, RewritingKeepsKeySpellingAndEveryOtherByte)
{
    const std::string text = "; hand note\r\n[Form]\r\nTop =0\r\nMaximized =No\r\n\r\n[Size]\nMode = 9\n";
    EXPECT_EQ(ProfileSetValue(text, "form", "maximized", "Yes"),
              "; hand note\r\n[Form]\r\nTop =0\r\nMaximized=Yes\r\n\r\n[Size]\nMode = 9\n");
    EXPECT_EQ(ProfileSetValue(text, "Size", "Mode", "3"),
              "; hand note\r\n[Form]\r\nTop =0\r\nMaximized =No\r\n\r\n[Size]\nMode=3\n");
}

TEST(ProfileText, NewKeysGoAfterTheSectionsLastFilledLine)
{
    const std::string text = "[Form]\r\nTop =0\r\n\r\n[Size]\r\nMode = 9";
    EXPECT_EQ(ProfileSetValue(text, "Form", "Left", "5"), "[Form]\r\nTop =0\r\nLeft=5\r\n\r\n[Size]\r\nMode = 9");
    EXPECT_EQ(ProfileSetValue(text, "Size", "Other", "1"), "[Form]\r\nTop =0\r\n\r\n[Size]\r\nMode = 9\r\nOther=1\r\n");
    EXPECT_EQ(ProfileSetValue(text, "New", "k", "v"), "[Form]\r\nTop =0\r\n\r\n[Size]\r\nMode = 9\r\n[New]\r\nk=v\r\n");
    EXPECT_EQ(ProfileSetValue("", "S", "k", "v"), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileFile, MissingFileReadsDefaultsAndIsCreatedOnWrite)
{
    EXPECT_EQ(GetPrivateProfileString("S", "k", "dflt", path), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 42, path), 42);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "7", path));
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=7\r\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 42, path), 7);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", path), "7");
}

TEST_F(ProfileFile, PresentEmptyValueReadsZeroNotDefault)
{
    Write("[S]\nk=\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 42, path), 0);
}

TEST_F(ProfileFile, WriteThatCannotReadOrMakeTheFileFailsAndLeavesIt)
{
    const std::string missing = (dir / "no" / "such.ini").string();
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", missing));
    EXPECT_FALSE(std::filesystem::exists(missing));
    // A name that exists but cannot be read, here a link to itself that not even root can open.
    std::filesystem::create_symlink("test.ini", path);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", path));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
}

TEST_F(ProfileFile, WriteKeepsPermissionsAndLeavesNoTemporaryFile)
{
    Write("[S]\nk=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "2", path));
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

} // namespace
