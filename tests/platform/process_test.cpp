#include "platform/system/Process.h"
#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <linux/filter.h>
#include <linux/seccomp.h>

namespace {

using Args = std::vector<std::string>;

TEST(SplitParameters, FollowsTheCRunTimeRules)
{
    EXPECT_EQ(SplitParameters(""), Args{});
    EXPECT_EQ(SplitParameters("  -o7 \t-quiet "), (Args{"-o7", "-quiet"}));
    EXPECT_EQ(SplitParameters(R"("a b" c"d e"f)"), (Args{"a b", "cd ef"}));
    EXPECT_EQ(SplitParameters(R"(a\\\"b c\\"d e" \x)"), (Args{R"(a\"b)", R"(c\d e)", R"(\x)"}));
    EXPECT_EQ(SplitParameters(R"("" "say ""hi""" $HOME;rm)"), (Args{"", R"(say "hi")", "$HOME;rm"}));
    EXPECT_EQ(SplitParameters(R"(C:\tools\ "open)"), (Args{R"(C:\tools\)", "open"}));
}

std::filesystem::path Scratch(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("fv_process_" + name + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ResolveToolPath, AsGivenThenOnThePath)
{
    EXPECT_EQ(ResolveToolPath(""), "");
    EXPECT_EQ(ResolveToolPath("/bin/sh"), "/bin/sh");
    // A missing path with folders is looked for beside the program only when it is relative;
    // the test program stands for a tool of that name there.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").filename().string();
    EXPECT_EQ(ResolveToolPath("/nowhere/" + self), "");
    EXPECT_EQ(ResolveToolPath("nowhere/" + self), GetExecutableDirectory() + self);
    EXPECT_NE(ResolveToolPath("sh"), "");
    EXPECT_EQ(ResolveToolPath("no-such-tool-here"), "");
    // A folder is no tool.
    EXPECT_EQ(ResolveToolPath("/tmp"), "");
}

TEST(TChildProcess, ArgumentsArriveUnchangedAndStreamsAppend)
{
    const auto dir = Scratch("args");
    const std::string log = (dir / "log").string();
    std::ofstream(log) << "before\n";
    {
        TAppendFile out(log);
        TChildProcess child;
        ASSERT_EQ(child.Start({"/bin/sh", "-c", "printf '[%s]' \"$@\"; echo; echo err >&2", "sh", "a b", "\"q\"", "$x"},
                              out.Fd(), out.Fd()),
                  0);
        while (!child.WaitFor(100)) {
        }
        EXPECT_FALSE(child.Running());
    }
    EXPECT_EQ(Read(log), "before\n[a b][\"q\"][$x]\nerr\n");
    // A stream left to the child is our own, one sent nowhere is not: both of ours go to the log for the while.
    {
        TAppendFile out(log);
        const int saved[2] = {::dup(STDOUT_FILENO), ::dup(STDERR_FILENO)};
        ::dup2(out.Fd(), STDOUT_FILENO);
        ::dup2(out.Fd(), STDERR_FILENO);
        TChildProcess child;
        const int started = child.Start({"/bin/sh", "-c", "echo kept >&2; echo dropped"}, NullStream);
        while (started == 0 && !child.WaitFor(100)) {
        }
        for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
            ::dup2(saved[fd - STDOUT_FILENO], fd);
            ::close(saved[fd - STDOUT_FILENO]);
        }
        EXPECT_EQ(started, 0);
    }
    EXPECT_EQ(Read(log), "before\n[a b][\"q\"][$x]\nerr\nkept\n");
}

// Whether a wait for a 0.3-second sleep takes steps of about 50 ms: at least 3, and not so
// many that a step cannot have waited (a slow machine may take a few times longer).
bool WaitsInSteps()
{
    TChildProcess sleeper;
    if (sleeper.Start({"/bin/sleep", "0.3"}, NullStream, NullStream) != 0)
        return false;
    int steps = 0;
    while (!sleeper.WaitFor(50))
        ++steps;
    return steps >= 3 && steps <= 60;
}

TEST(TChildProcess, WaitsInStepsAndReportsStartFailures)
{
    EXPECT_TRUE(WaitsInSteps());
    // Where the kernel gives no process descriptors, the wait polls and sleeps in the same steps:
    // a child whose system calls for one fail says so.
    const pid_t child = ::fork();
    if (child == 0) {
        sock_filter refuse[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_pidfd_open, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog filter{static_cast<unsigned short>(std::size(refuse)), refuse};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0)
            ::_exit(2);
        ::_exit(WaitsInSteps() ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    // 2: a sandbox that allows no filter, where the path cannot be forced.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 1) << status;
    // A parent that ignores SIGCHLD has its children reaped by the system; the wait still ends.
    const auto saved = std::signal(SIGCHLD, SIG_IGN);
    TChildProcess reaped;
    EXPECT_EQ(reaped.Start({"/bin/true"}, NullStream, NullStream), 0);
    for (int i = 0; i < 100 && !reaped.WaitFor(50); ++i) {
    }
    std::signal(SIGCHLD, saved);
    EXPECT_FALSE(reaped.Running());

    TChildProcess idle;
    EXPECT_FALSE(idle.Running());
    EXPECT_TRUE(idle.WaitFor(0));
    TChildProcess missing;
    EXPECT_EQ(missing.Start({"/no/such/tool"}), ENOENT);
    EXPECT_TRUE(missing.WaitFor(0));
    const auto dir = Scratch("noexec");
    std::ofstream(dir / "tool") << "#!/bin/sh\n";
    TChildProcess notExecutable;
    EXPECT_EQ(notExecutable.Start({(dir / "tool").string()}), EACCES);
}

} // namespace
