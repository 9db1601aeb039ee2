#include "platform/core/Exceptions.h"
#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

TEST(Files, SavingReplacesTheFileOnlyOnceTheWriterSucceeded)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_save_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "pic.bmp").string();
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0604);
    auto content = [&] {
        std::ifstream in(file);
        std::string text;
        in >> text;
        return text;
    };
    EXPECT_THROW(SaveFileReplacing(file,
                                   [](TStream& stream) {
                                       stream.WriteBuffer("half", 4);
                                       throw EWriteError("Stream write error");
                                   }),
                 EWriteError);
    EXPECT_EQ(content(), "old");
    SaveFileReplacing(file, [](TStream& stream) { stream.WriteBuffer("new", 3); });
    EXPECT_EQ(content(), "new");
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0604u);
    // Nothing is left behind beside the file.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
    EXPECT_THROW(SaveFileReplacing((dir / "no" / "x.bmp").string(), [](TStream&) {}), EFCreateError);

    // A large replacing file is written out as it goes; its bytes are the writer's.
    std::vector<char> large(size_t{5} << 20);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 7 / 5);
    SaveFileReplacing(file, [&](TStream& stream) {
        for (size_t at = 0; at < large.size(); at += 300000)
            stream.WriteBuffer(large.data() + at, static_cast<int64_t>(std::min<size_t>(300000, large.size() - at)));
    });
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> back{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(back == large);
    std::filesystem::remove_all(dir);
}

} // namespace
