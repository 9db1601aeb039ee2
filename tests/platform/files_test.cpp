#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

TEST(Files, ExecutableDirectoryHoldsThisTest)
{
    const std::string dir = GetExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "platform_tests"));
}

TEST(Files, RenameNoReplaceNeverReplacesTheTarget)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_rename_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string from = (dir / "Form.ini").string();
    const std::string to = (dir / "Farovinter.ini").string();
    std::ofstream(from) << "old";
    std::ofstream(to) << "new";
    EXPECT_FALSE(RenameNoReplace(from, to));
    std::ifstream in(to);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "new");
    EXPECT_TRUE(std::filesystem::exists(from));

    std::filesystem::remove(to);
    EXPECT_TRUE(RenameNoReplace(from, to));
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_TRUE(std::filesystem::exists(to));
    EXPECT_TRUE(DirectoryWritable(dir.string()));
    EXPECT_FALSE(DirectoryWritable((dir / "missing").string()));
    std::filesystem::remove_all(dir);
}

} // namespace
