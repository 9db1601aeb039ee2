#include "ScopedEnv.h"
#include "platform/core/Exceptions.h"
#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
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
    return "ファイル \"" + file.string() + "\" を作成できません。" + reason;
}

std::string FolderRefuses(const std::filesystem::path& file, const std::filesystem::path& folder, const std::string& reason)
{
    return CannotCreate(file, "フォルダー \"" + folder.string() + "\" に書き込めません。" + reason);
}

const std::string Denied = "アクセスが拒否されました。";

mode_t Mode(const std::filesystem::path& file)
{
    struct stat info {};
    ::lstat(file.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs Steps as another user with the given extra groups; 0 when every step
// held, else the number of the first that failed.
int AsUser(uid_t user, std::vector<gid_t> groups, const std::function<int()>& Steps)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgroups(groups.size(), groups.data()) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0 ? Steps() : 99);
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// Bytes that tell each position apart.
std::string Noise(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 23);
    }
    return bytes;
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

// The settings folder: XDG_CONFIG_HOME when it is absolute, else the home
// folder's .config, else the temporary folder; made if missing.
TEST(Files, TheSettingsFolderFollowsTheEnvironment)
{
    const auto dir = Scratch("config_dir");
    const ScopedEnv tmp("TMPDIR", (dir / "tmp").string());
    std::filesystem::create_directories(dir / "tmp");
    const ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "xdg").string());
    const ScopedEnv home("HOME", (dir / "home").string());
    EXPECT_EQ(UserConfigDirectory(), (dir / "xdg" / "Farovinter").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "xdg" / "Farovinter"));
    ::setenv("XDG_CONFIG_HOME", "xdg", 1);
    EXPECT_EQ(UserConfigDirectory(), (dir / "home" / ".config" / "Farovinter").string() + "/");
    ::setenv("HOME", "", 1);
    EXPECT_EQ(UserConfigDirectory(), (dir / "tmp" / "Farovinter").string() + "/");
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserConfigDirectory(), (dir / "tmp" / "Farovinter").string() + "/");
    std::filesystem::remove_all(dir);
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
    // The set-ID and sticky bits are kept too.
    ::chmod(file.c_str(), 07604);
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
    EXPECT_EQ(Mode(file), 07604u);
    // Nothing is left behind beside the file.
    EXPECT_EQ(Entries(dir), 1u);
    // A folder that is missing, or is no folder, is named with its reason.
    EXPECT_EQ(Save(dir / "no" / "x.bmp"), FolderRefuses(dir / "no" / "x.bmp", dir / "no", "ファイルまたはフォルダーが見つかりません。"));
    EXPECT_EQ(Save(dir / "pic.bmp" / "x.bmp"),
              FolderRefuses(dir / "pic.bmp" / "x.bmp", dir / "pic.bmp", "パスの途中にフォルダーでないものがあります。"));

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

TEST(Files, SavingKeepsAFileThatMayNotBeWrittenAndSavesOneThatMay)
{
    const auto dir = Scratch("save_kept");
    const auto file = dir / "ro.bmp";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0444);
    // No write bits stop an administrator too.
    EXPECT_EQ(Save(file), CannotCreate(file, Denied));
    EXPECT_EQ(Content(file), "old");
    ::mkfifo((dir / "pipe.bmp").c_str(), 0666);
    EXPECT_EQ(Save(dir / "pipe.bmp"), CannotCreate(dir / "pipe.bmp", "この操作は許可されていません。"));
    EXPECT_EQ(Entries(dir), 2u);
    if (::geteuid() != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "another user's saves need root to become that user";
    }
    // A write bit of the group or of others is enough for an administrator.
    for (const mode_t mode : {0464, 0446}) {
        ::chmod(file.c_str(), mode);
        EXPECT_EQ(Save(file), "saved") << std::oct << mode;
        EXPECT_EQ(Mode(file), mode);
    }
    // As nobody, in nobody's folder: root's file, writable only by root, and
    // nobody's read-only one are kept; nobody's own writable one is saved,
    // and so is root's that nobody may write as a member of its group, which
    // keeps that group.
    const uid_t nobody = 65534;
    const gid_t group = 4242;
    const auto theirs = dir / "nobody";
    std::filesystem::create_directory(theirs);
    ::chmod(dir.c_str(), 0755);
    for (const char* name : {"root.bmp", "own.bmp", "ro.bmp", "group.bmp"})
        std::ofstream(theirs / name) << "old";
    for (const auto& path : {theirs, theirs / "own.bmp", theirs / "ro.bmp"})
        ::chown(path.c_str(), nobody, nobody);
    ::chmod((theirs / "ro.bmp").c_str(), 0444);
    ::chown((theirs / "group.bmp").c_str(), 0, group);
    ::chmod((theirs / "group.bmp").c_str(), 0664);
    EXPECT_EQ(AsUser(nobody, {group}, [&] {
                  return Save(theirs / "root.bmp") != CannotCreate(theirs / "root.bmp", Denied) ? 1
                       : Save(theirs / "ro.bmp") != CannotCreate(theirs / "ro.bmp", Denied)     ? 2
                       : Save(theirs / "own.bmp") != "saved"                                    ? 3
                       : Save(theirs / "group.bmp") != "saved"                                  ? 4
                                                                                                : 0;
              }),
              0);
    EXPECT_EQ(Content(theirs / "root.bmp") + Content(theirs / "ro.bmp") + Content(theirs / "own.bmp") +
                  Content(theirs / "group.bmp"),
              "oldoldnewnew");
    struct stat info {};
    ::stat((theirs / "group.bmp").c_str(), &info);
    EXPECT_EQ(info.st_gid, group);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    // An administrator's save leaves the file its owner's.
    EXPECT_EQ(Save(theirs / "own.bmp"), "saved");
    ::stat((theirs / "own.bmp").c_str(), &info);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(Entries(theirs), 4u);
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
    // Forty links in a row are followed, as the kernel follows them; one more is too many.
    const auto link = [](int i) { return std::to_string(i) + ".lnk"; };
    for (int i = 1; i <= 41; ++i)
        std::filesystem::create_symlink(i == 1 ? std::string("sub/missing.bmp") : link(i - 1), dir / link(i));
    EXPECT_EQ(Save(dir / link(40), "three"), "saved");
    EXPECT_EQ(Content(dir / "sub" / "missing.bmp"), "three");
    EXPECT_EQ(Save(dir / link(41)), CannotCreate(dir / link(41), "シンボリックリンクが多すぎます。"));
    // A loop, and a link into a folder that does not exist, are refused.
    std::filesystem::create_symlink("loop2.bmp", dir / "loop1.bmp");
    std::filesystem::create_symlink("loop1.bmp", dir / "loop2.bmp");
    EXPECT_EQ(Save(dir / "loop1.bmp"), CannotCreate(dir / "loop1.bmp", "シンボリックリンクが多すぎます。"));
    std::filesystem::create_symlink("gone/x.bmp", dir / "d.bmp");
    EXPECT_EQ(Save(dir / "d.bmp"), FolderRefuses(dir / "d.bmp", dir / "gone", "ファイルまたはフォルダーが見つかりません。"));
    for (const char* link : {"a.bmp", "b.bmp", "sub/c.bmp", "loop1.bmp", "loop2.bmp", "d.bmp"})
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link)) << link;
    // The longest name still leaves room for the temporary file's.
    EXPECT_EQ(Save(dir / std::string(255, 'n')), "saved");
    EXPECT_EQ(Entries(dir) + Entries(dir / "sub"), 50u);
    std::filesystem::remove_all(dir);
}

TEST(Files, AFolderThatTakesNoNewFileHasItsWritableFilesWrittenInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a locked folder stops no administrator; another user needs root to become";
    const auto dir = Scratch("save_in_place");
    const uid_t nobody = 65534;
    // nobody's locked folder: its own file with a hard link, a link to it,
    // and root's file that nobody may not write.
    const auto locked = dir / "locked";
    const auto file = locked / "w.bmp";
    std::filesystem::create_directory(locked);
    std::ofstream(file) << Noise(6000, 1);
    std::filesystem::create_hard_link(file, locked / "h.bmp");
    std::filesystem::create_symlink("w.bmp", locked / "s.bmp");
    std::ofstream(locked / "r.bmp") << "old";
    ::mkfifo((locked / "p.bmp").c_str(), 0666);
    ::chown(locked.c_str(), nobody, nobody);
    ::lchown(file.c_str(), nobody, nobody);
    ::chmod(file.c_str(), 06754);
    ::chmod(locked.c_str(), 0555);
    // A shared sticky folder lets only the owner replace a file, though others may write it.
    const auto shared = dir / "shared";
    std::filesystem::create_directory(shared);
    std::ofstream(shared / "g.bmp") << Noise(3000, 2);
    ::chmod((shared / "g.bmp").c_str(), 0666);
    ::chmod(shared.c_str(), 01777);
    ::chmod(dir.c_str(), 0755);
    struct stat before {};
    ::stat(file.c_str(), &before);

    const std::string shorter = Noise(2500, 3), longer = Noise(9000, 4);
    EXPECT_EQ(AsUser(nobody, {}, [&] {
                  // A failed write, by the writer or the disk, puts the old bytes back.
                  const auto failing = [&] {
                      SaveFileReplacing(file.string(), [](TStream& stream) {
                          stream.WriteBuffer("half", 4);
                          throw EWriteError("Stream write error");
                      });
                  };
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit small{12000, RLIM_INFINITY};
                  // A writer may cut what it wrote, or go back to fill in a header; the
                  // file ends where its bytes do.
                  SaveFileReplacing(file.string(), [&](TStream& stream) {
                      stream.WriteBuffer(shorter.data(), std::ssize(shorter));
                      stream.WriteBuffer("tail", 4);
                      stream.SetSize(std::ssize(shorter));
                      stream.SetPosition(0);
                      stream.WriteBuffer(shorter.data(), 4);
                  });
                  if (Content(file) != shorter || Save(locked / "s.bmp", longer) != "saved" || Content(file) != longer)
                      return 1;
                  try {
                      failing();
                      return 2;
                  } catch (const EWriteError&) {
                  }
                  if (Content(file) != longer || ::setrlimit(RLIMIT_FSIZE, &small) != 0)
                      return 3;
                  if (Save(file, Noise(20000, 5)) != "ファイル \"" + file.string() + "\" に書き込めません。ファイルが大きすぎます。" ||
                      Content(file) != longer)
                      return 4;
                  // Where neither the folder nor the file may be written, each says so.
                  if (Save(locked / "r.bmp") != CannotCreate(locked / "r.bmp", Denied) ||
                      Save(locked / "new.bmp") != FolderRefuses(locked / "new.bmp", locked, Denied) ||
                      Save(locked / "p.bmp") != CannotCreate(locked / "p.bmp", "この操作は許可されていません。"))
                      return 5;
                  return Save(shared / "g.bmp", shorter) == "saved" && Content(shared / "g.bmp") == shorter ? 0 : 6;
              }),
              0);
    // The file is the same file, with its mode, owner and links.
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(Content(file), longer);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mode & 07777, 06754u);
    EXPECT_EQ(after.st_uid, nobody);
    EXPECT_TRUE(std::filesystem::is_symlink(locked / "s.bmp"));
    EXPECT_EQ(Content(locked / "r.bmp"), "old");
    ::stat((shared / "g.bmp").c_str(), &after);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_TRUE(std::filesystem::is_fifo(locked / "p.bmp"));
    EXPECT_EQ(Entries(locked) + Entries(shared), 6u);
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
    EXPECT_EQ(outcome, "ファイル \"" + file.string() + "\" に書き込めません。ファイルが大きすぎます。");
    EXPECT_EQ(Content(file), "old");
    EXPECT_EQ(Entries(dir), 1u);
    if (::geteuid() != 0) {
        std::filesystem::remove_all(dir);
        GTEST_SKIP() << "a full disk of its own needs root";
    }
    // A disk that really fills up: a 64 KiB tmpfs in a mount namespace of the
    // child's own. root's save fills it through the temporary file; nobody's,
    // in a locked folder, in place.
    const auto tiny = dir / "tiny";
    const auto pic = tiny / "pic.bmp";
    std::filesystem::create_directory(tiny);
    const std::string old = Noise(40000, 6);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(77);
        std::ofstream(pic) << old;
        const std::string full = "ファイル \"" + pic.string() + "\" に書き込めません。ディスクに空きがありません。";
        if (Save(pic, Noise(100000, 7)) != full || Content(pic) != old)
            ::_exit(1);
        const uid_t nobody = 65534;
        ::chown(pic.c_str(), nobody, nobody);
        ::chown(tiny.c_str(), nobody, nobody);
        ::chmod(tiny.c_str(), 0555);
        ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
                        Save(pic, Noise(100000, 8)) == full && Content(pic) == old && Entries(tiny) == 1
                    ? 0
                    : 2);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    std::filesystem::remove_all(dir);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no tmpfs could be mounted here";
    EXPECT_EQ(status, 0);
}

} // namespace
