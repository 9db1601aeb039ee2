#include "platform/system/Process.h"
#include "platform/system/Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

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
}

TEST(TChildProcess, WaitsInStepsAndReportsStartFailures)
{
    TChildProcess sleeper;
    ASSERT_EQ(sleeper.Start({"/bin/sleep", "0.3"}, NullStream, NullStream), 0);
    int steps = 0;
    while (!sleeper.WaitFor(50))
        ++steps;
    EXPECT_GE(steps, 3);
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
