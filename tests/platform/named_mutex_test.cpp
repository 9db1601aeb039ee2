#include "platform/system/NamedMutex.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string UniqueName(const char* what)
{
    return std::string("fv_test_") + what + "_" + std::to_string(::getpid());
}

TEST(NamedMutex, SecondHolderIsRefusedUntilTheFirstReleases)
{
    const std::string name = UniqueName("hold");
    TNamedMutex first;
    TNamedMutex second;
    ASSERT_TRUE(first.TryAcquire(name));
    EXPECT_FALSE(second.TryAcquire(name));
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_TRUE(second.TryAcquire(name));
}

TEST(NamedMutex, OtherNamesAreIndependent)
{
    TNamedMutex a;
    TNamedMutex b;
    EXPECT_TRUE(a.TryAcquire(UniqueName("a")));
    EXPECT_TRUE(b.TryAcquire(UniqueName("b")));
}

TEST(NamedMutex, AnotherProcessIsRefusedAndTheLockDiesWithItsHolder)
{
    const std::string name = UniqueName("proc");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TNamedMutex held;
        if (!held.TryAcquire(name))
            ::_exit(1);
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

TEST(NamedMutex, LockFileFollowsRuntimeDirectory)
{
    const char* old = ::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/x", 1);
    EXPECT_EQ(TNamedMutex::LockPath("A/B"), "/run/user/x/A_B.lock");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(TNamedMutex::LockPath("A").substr(TNamedMutex::LockPath("A").size() - 7), "/A.lock");
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

} // namespace
