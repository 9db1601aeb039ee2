#include "AppTestSupport.h"
#include "platform/system/NamedMutex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Starts the editor with its lock files in runtimeDir, after prepare has set
// up the child's environment; answers its process id.
pid_t StartEditor(const std::string& runtimeDir, const std::function<void()>& prepare = {})
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (prepare)
            prepare();
        ::execl(FV_PROGRAM, FV_PROGRAM, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

// Waits up to seconds for the child; answers its exit status, or -1 while it still runs.
int WaitFor(pid_t child, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

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
    EXPECT_EQ(WaitFor(second, 20), 0);
    running.Release();

    // With nobody holding the name the editor starts and keeps running.
    const pid_t first = StartEditor(dir.string());
    EXPECT_EQ(WaitFor(first, 2), -1);
    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);

    // The lock file of a killed copy keeps nobody out.
    const pid_t again = StartEditor(dir.string());
    EXPECT_EQ(WaitFor(again, 2), -1);
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
    EXPECT_EQ(WaitFor(child, 20), 1);
    const std::string text = ReadFile(errors);
    EXPECT_NE(text.find("graphical display"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

} // namespace
