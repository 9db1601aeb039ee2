#include "AppTestSupport.h"
#include "platform/system/NamedMutex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace {

TEST(SingleInstance, ASecondStartEndsAtOnceWhileOneRuns)
{
    const auto dir = ScratchFolder("instance");
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    TNamedMutex running;
    const bool held = running.TryAcquire("Farovinter_Bramble_110");
    if (old)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(held);

    const pid_t second = StartEditor(dir.string());
    EXPECT_EQ(WaitForExit(second, 20), 0);
    running.Release();

    // With nobody holding the name the editor starts and keeps running.
    const pid_t first = StartEditor(dir.string());
    EXPECT_EQ(WaitForExit(first, 2), -1);
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);

    // The lock file of a killed copy keeps nobody out.
    const pid_t again = StartEditor(dir.string());
    EXPECT_EQ(WaitForExit(again, 2), -1);
    ::kill(again, SIGKILL);
    ::waitpid(again, nullptr, 0);
}

TEST(ProgramStart, WithoutADisplayOneLineSaysSoAndTheStatusIsOne)
{
    const auto dir = ScratchFolder("nodisplay");
    const std::string errors = (dir / "stderr").string();
    const pid_t child = StartEditor(dir.string(), [&] {
        ::unsetenv("QT_QPA_PLATFORM");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::freopen(errors.c_str(), "w", stderr);
    });
    EXPECT_EQ(WaitForExit(child, 20), 1);
    const std::string text = ReadFile(errors);
    EXPECT_NE(text.find("graphical display"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

} // namespace
