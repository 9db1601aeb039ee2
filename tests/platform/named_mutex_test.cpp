#include "ScopedEnv.h"
#include "platform/system/NamedMutex.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

std::string UniqueName(const char* what)
{
    return std::string("fv_test_") + what + "_" + std::to_string(::getpid());
}

TEST(NamedMutex, SecondHolderIsRefusedUntilTheFirstReleases)
{
    const std::string name = UniqueName("hold");
    // Started with its input closed, the program holds its lock on descriptor 0.
    const int input = ::dup(0);
    ::close(0);
    {
        TNamedMutex first;
        TNamedMutex second;
        ASSERT_TRUE(first.TryAcquire(name));
        EXPECT_FALSE(second.TryAcquire(name));
        EXPECT_FALSE(second.Held());
        first.Release();
        EXPECT_TRUE(second.TryAcquire(name));
        // Taking it again lets go of what it held first.
        EXPECT_TRUE(second.TryAcquire(name));
        EXPECT_TRUE(second.Held());
    }
    ::dup2(input, 0);
    ::close(input);
}

TEST(NamedMutex, OtherNamesAreIndependent)
{
    TNamedMutex a;
    TNamedMutex b;
    EXPECT_TRUE(a.TryAcquire(UniqueName("a")));
    EXPECT_TRUE(b.TryAcquire(UniqueName("b")));
    // A name too long for a lock file: no lock, and no start refused for it.
    TNamedMutex none;
    EXPECT_TRUE(none.TryAcquire(std::string(300, 'n')));
    EXPECT_FALSE(none.Held());
}

TEST(NamedMutex, AnotherProcessIsRefusedAndTheLockDiesWithItsHolder)
{
    const std::string name = UniqueName("proc");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The parent's probe holds the name for a moment now and then.
        TNamedMutex held;
        int tries = 0;
        while (!held.TryAcquire(name))
            if (++tries == 200)
                ::_exit(1);
            else
                ::usleep(1000);
        ::sleep(2);
        ::_exit(0); // ends without releasing: the system drops the lock
    }
    // Wait until the child holds it.
    TNamedMutex probe;
    bool refused = false;
    for (int i = 0; i < 100 && !refused; ++i) {
        if (probe.TryAcquire(name))
            probe.Release();
        else
            refused = true;
        if (!refused)
            ::usleep(10000);
    }
    EXPECT_TRUE(refused);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(probe.TryAcquire(name));
}

std::string PrivateDir(const char* what, uid_t owner)
{
    const std::string dir = std::filesystem::temp_directory_path() / UniqueName(what);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    ::chmod(dir.c_str(), 0700);
    EXPECT_EQ(::chown(dir.c_str(), owner, owner), 0);
    return dir;
}

// Runs body in a child process as the user nobody; answers whether body answered true.
bool AsNobody(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(NamedMutex, LockFileLivesInTheUsersPrivateFolder)
{
    const std::string dir = PrivateDir("runtime", ::geteuid());
    {
        ScopedEnv runtime("XDG_RUNTIME_DIR", dir);
        EXPECT_EQ(TNamedMutex::LockPath("A/B"), dir + "/A_B.lock");
    }
    {
        // A runtime folder that others may write is not used.
        ::chmod(dir.c_str(), 0777);
        ScopedEnv runtime("XDG_RUNTIME_DIR", dir);
        const std::string fallback = std::filesystem::temp_directory_path() / ("fv-mutex-" + std::to_string(::geteuid()));
        EXPECT_EQ(TNamedMutex::LockPath("A"), fallback + "/A.lock");
        struct stat info {};
        ASSERT_EQ(::lstat(fallback.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        // A temporary folder that is not there gives way to /tmp.
        ScopedEnv temp("TMPDIR", dir + "/missing");
        EXPECT_EQ(TNamedMutex::LockPath("A"), "/tmp/fv-mutex-" + std::to_string(::geteuid()) + "/A.lock");
    }
    std::filesystem::remove_all(dir);
}

TEST(NamedMutex, AnotherUsersHolderNeverKeepsThisUserOut)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    const std::string name = UniqueName("users");
    // Without a runtime folder both users fall back to the temporary directory.
    ScopedEnv none("XDG_RUNTIME_DIR", "");
    TNamedMutex rootHolds;
    ASSERT_TRUE(rootHolds.TryAcquire(name));
    EXPECT_TRUE(AsNobody([&] {
        TNamedMutex mine;
        TNamedMutex second;
        return mine.TryAcquire(name) && mine.Held() && !second.TryAcquire(name);
    }));

    // Root working with nobody's runtime folder leaves its own locked file there, one that nobody
    // may not open, then one that anyone may write: each is replaced.
    const std::string dir = PrivateDir("shared", Nobody);
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir);
    const std::string path = dir + "/" + name + ".lock";
    for (const mode_t mode : {0600, 0666}) {
        ::unlink(path.c_str());
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ::fchmod(fd, mode);
        ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        EXPECT_TRUE(AsNobody([&] {
            TNamedMutex mine;
            return mine.TryAcquire(name) && mine.Held();
        })) << std::oct << mode;
        ::close(fd);
    }

    // A lock file it can neither open nor remove leaves this user working without a lock.
    ::unlink(path.c_str());
    ::close(::open(path.c_str(), O_RDWR | O_CREAT, 0600));
    ::chmod(dir.c_str(), 0500);
    EXPECT_TRUE(AsNobody([&] {
        TNamedMutex mine;
        return mine.TryAcquire(name) && !mine.Held();
    }));
    std::filesystem::remove_all(dir);
}

} // namespace
