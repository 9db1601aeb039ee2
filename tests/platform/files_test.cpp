#include "platform/core/Exceptions.h"
#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::filesystem::path Scratch(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string Content(const std::filesystem::path& file)
{
    std::ifstream in(file);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "saved", or the message of the stream failure that stopped the save.
std::string Save(const std::filesystem::path& file, const std::string& text = "new")
{
    try {
        SaveFileReplacing(file.string(), [&](TStream& s) { s.WriteBuffer(text.data(), std::ssize(text)); });
    } catch (const EStreamError& e) {
        return e.Message();
    }
    return "saved";
}

std::string CannotCreate(const std::filesystem::path& file, const std::string& reason)
{
    return "Cannot create file \"" + file.string() + "\". " + reason;
}

size_t Entries(const std::filesystem::path& dir)
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

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

TEST(Files, SavingKeepsAFileThatMayNotBeWritten)
{
    const auto dir = Scratch("save_kept");
    const auto file = dir / "ro.bmp";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0444);
    // No write bits stop an administrator too.
    EXPECT_EQ(Save(file), CannotCreate(file, "Permission denied"));
    EXPECT_EQ(Content(file), "old");
    ::mkfifo((dir / "pipe.bmp").c_str(), 0666);
    EXPECT_EQ(Save(dir / "pipe.bmp"), CannotCreate(dir / "pipe.bmp", "Operation not permitted"));
    EXPECT_EQ(Entries(dir), 2u);
    if (::geteuid() != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "another user's saves need root to become that user";
    }
    // As nobody, in nobody's folder: root's file, writable only by root, and
    // nobody's read-only one are kept; nobody's own writable one is saved.
    const uid_t nobody = 65534;
    const auto theirs = dir / "nobody";
    std::filesystem::create_directory(theirs);
    ::chmod(dir.c_str(), 0755);
    for (const char* name : {"root.bmp", "own.bmp", "ro.bmp"})
        std::ofstream(theirs / name) << "old";
    for (const auto& path : {theirs, theirs / "own.bmp", theirs / "ro.bmp"})
        ::chown(path.c_str(), nobody, nobody);
    ::chmod((theirs / "ro.bmp").c_str(), 0444);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
                        Save(theirs / "root.bmp") == CannotCreate(theirs / "root.bmp", "Permission denied") &&
                        Save(theirs / "ro.bmp") == CannotCreate(theirs / "ro.bmp", "Permission denied") &&
                        Save(theirs / "own.bmp") == "saved"
                    ? 0
                    : 1);
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Content(theirs / "root.bmp") + Content(theirs / "ro.bmp") + Content(theirs / "own.bmp"), "oldoldnew");
    // An administrator's save leaves the file its owner's.
    EXPECT_EQ(Save(theirs / "own.bmp"), "saved");
    struct stat info {};
    ::stat((theirs / "own.bmp").c_str(), &info);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(Entries(theirs), 3u);
    std::filesystem::remove_all(dir);
}

TEST(Files, SavingWritesWhereLinksLeadAndNeverReplacesOne)
{
    const auto dir = Scratch("save_links");
    std::filesystem::create_directory(dir / "sub");
    // A dangling link makes the file it names, read from the link's folder;
    // a chain of links leads there too, a relative one from another folder.
    std::filesystem::create_symlink("sub/missing.bmp", dir / "a.bmp");
    EXPECT_EQ(Save(dir / "a.bmp", "one"), "saved");
    EXPECT_EQ(Content(dir / "sub" / "missing.bmp"), "one");
    std::filesystem::create_symlink("a.bmp", dir / "b.bmp");
    std::filesystem::create_symlink("../b.bmp", dir / "sub" / "c.bmp");
    EXPECT_EQ(Save(dir / "sub" / "c.bmp", "two"), "saved");
    EXPECT_EQ(Content(dir / "sub" / "missing.bmp"), "two");
    // A loop, and a link into a folder that does not exist, are refused.
    std::filesystem::create_symlink("loop2.bmp", dir / "loop1.bmp");
    std::filesystem::create_symlink("loop1.bmp", dir / "loop2.bmp");
    EXPECT_EQ(Save(dir / "loop1.bmp"), CannotCreate(dir / "loop1.bmp", "Too many levels of symbolic links"));
    std::filesystem::create_symlink("gone/x.bmp", dir / "d.bmp");
    EXPECT_EQ(Save(dir / "d.bmp"), CannotCreate(dir / "d.bmp", "No such file or directory"));
    for (const char* link : {"a.bmp", "b.bmp", "sub/c.bmp", "loop1.bmp", "loop2.bmp", "d.bmp"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link)) << link;
    // The longest name still leaves room for the temporary file's.
    EXPECT_EQ(Save(dir / std::string(255, 'n')), "saved");
    EXPECT_EQ(Entries(dir) + Entries(dir / "sub"), 9u);
    std::filesystem::remove_all(dir);
}

TEST(Files, ASaveThatRunsOutOfRoomNamesTheFileAndTheReason)
{
    const auto dir = Scratch("save_full");
    const auto file = dir / "pic.bmp";
    std::ofstream(file) << "old";
    // A file-size limit fails the writes as a full disk does.
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{4096, limit.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string outcome = Save(file, std::string(10000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(outcome, "Cannot write to file \"" + file.string() + "\". File too large");
    EXPECT_EQ(Content(file), "old");
    EXPECT_EQ(Entries(dir), 1u);
    std::filesystem::remove_all(dir);
}

} // namespace
