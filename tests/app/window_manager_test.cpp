// The editor under a real X server and window manager (Xvfb and openbox),
// where the frame and the window's place arrive late and in several steps.
// Skipped when either program is missing or the server cannot start.
#include "AppTestSupport.h"
#include "app/ini.h"
#include "bitmap/FvDIB.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

bool Installed(const char* program)
{
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, int outputFd = -1)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (outputFd >= 0)
            ::dup2(outputFd, 1);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

void Stop(pid_t child)
{
    if (child > 0) {
        ::kill(child, SIGTERM);
        if (WaitForExit(child, 5) < 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
}

// A private X server on the first free display from :90 up, so parallel runs
// never meet, with openbox managing it.
class Desktop {
public:
    explicit Desktop(const std::filesystem::path& dir)
    {
        if (!Installed("Xvfb") || !Installed("openbox") || !Installed("xdotool"))
            return;
        for (int number = 90; number < 130 && FServer < 0; ++number)
            StartServer(number);
        if (FServer < 0)
            return;
        const std::filesystem::path ready = dir / "openbox-ready";
        ::setenv("DISPLAY", Display.c_str(), 1);
        FManager = Spawn({"openbox", "--sm-disable", "--startup", "touch " + ready.string()});
        for (int i = 0; i < 500 && !std::filesystem::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!std::filesystem::exists(ready))
            Display.clear();
    }
    ~Desktop()
    {
        Stop(FManager);
        Stop(FServer);
    }
    // Empty when no desktop could be had.
    std::string Display;

private:
    // Xvfb writes the display number once it accepts clients, and exits at
    // once when the number is taken.
    void StartServer(int number)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        std::string name = ":";
        name += std::to_string(number);
        const pid_t server = Spawn({"Xvfb", name, "-screen", "0", "1600x1000x24", "-nolisten", "tcp", "-displayfd", "1"},
                                   ready[1]);
        ::close(ready[1]);
        pollfd wait{ready[0], POLLIN, 0};
        char text[16] = {};
        const bool up = ::poll(&wait, 1, 10000) == 1 && ::read(ready[0], text, sizeof text - 1) > 0;
        ::close(ready[0]);
        if (up) {
            FServer = server;
            Display = name;
        } else {
            Stop(server);
        }
    }

    pid_t FServer = -1;
    pid_t FManager = -1;
};

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        ::pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// The resident memory of a process in KiB.
long ResidentKb(pid_t process)
{
    const std::string status = ReadFile("/proc/" + std::to_string(process) + "/status");
    const size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
}

// Starts the editor (opening file, if given), leaves its window alone for pauseMs once it is on
// screen, runs the xdotool command given (%1 stands for its window), then closes
// the window with its shortcut as a user would; answers the window's title.
// With messageMs, file cannot be opened: the message about it appears over the
// window and is answered after messageMs. residentKb, if given, receives the
// editor's resident memory after the pause.
std::string StartAndClose(const std::filesystem::path& dir, const std::string& display, int pauseMs,
                          const std::string& action = {}, const std::string& file = {}, int messageMs = -1,
                          long* residentKb = nullptr)
{
    const std::string program = (dir / "farovinter").string();
    const std::string suppressions = "suppressions=" + (dir / "lsan.supp").string();
    const pid_t editor = StartEditor(dir.string(), [&] {
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("LSAN_OPTIONS", suppressions.c_str(), 1);
    }, program, file);
    // --all: a window of the editor with that name, not one or the other.
    const std::string search = "timeout 30 xdotool search --sync --all --onlyvisible --pid " + std::to_string(editor);
    if (messageMs >= 0) {
        // The message's caption is the application title, with its blank.
        const std::string message = Output(search + " --name '^Farovinter ぽるてぃか$' | head -n 1");
        EXPECT_NE(Output("xdotool search --all --onlyvisible --pid " + std::to_string(editor) +
                         " --name '^Farovinterぽるてぃか$'"),
                  "")
            << "the message came before the window";
        std::this_thread::sleep_for(std::chrono::milliseconds(messageMs));
        std::system(("xdotool windowactivate --sync " + message + " key --clearmodifiers Return").c_str());
    }
    const std::string window = Output(search + " --name '^Farovinterぽるてぃか$' | head -n 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    if (residentKb != nullptr)
        *residentKb = ResidentKb(editor);
    const std::string title = Output("xdotool getwindowname " + window);
    if (std::string command = action; !command.empty()) {
        command.replace(command.find("%1"), 2, window);
        std::system(("xdotool " + command).c_str());
    }
    std::system(("xdotool windowactivate --sync " + window + " key --clearmodifiers ctrl+w").c_str());
    const int status = WaitForExit(editor, 30);
    EXPECT_EQ(status, 0);
    if (status < 0)
        Stop(editor);
    return title;
}

TEST(WindowManager, StartAndCloseWriteBackTheRectangleReadAndTheTitleIsTheCaption)
{
    const auto dir = ScratchFolder("wm");
    Desktop desktop(dir);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    // Beside the settings file, which lives in the executable's folder.
    std::filesystem::copy_file(FV_PROGRAM, dir / "farovinter");
    // The session bus library keeps one block to the end on purpose.
    WriteFile(dir / "lsan.supp", "leak:libdbus-1.so\n");
    const TRect rect{100, 180, 600, 560};
    for (bool maximized : {false, true}) {
        WriteRect(dir / "Farovinter.ini", rect, maximized);
        for (int pauseMs : {0, 150, 400, 1000}) {
            EXPECT_EQ(StartAndClose(dir, desktop.Display, pauseMs), "Farovinterぽるてぃか");
            EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), rect) << "maximised " << maximized << ", " << pauseMs << " ms";
            EXPECT_EQ(IniReadBool((dir / "Farovinter.ini").string(), "Form", "maximized"), maximized);
        }
    }
    // Opening a file at start sizes the window to the image; it stays at the place read.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display, 1000, {}, FV_TEST_DATA "/bmp/core24.bmp");
    const TRect fitted = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(fitted.Left, rect.Left);
    EXPECT_EQ(fitted.Top, rect.Top);
    EXPECT_LT(fitted.Width(), rect.Width());
    // Moved through the window manager once it has settled: saved where it was left.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display, 1000, "windowmove --sync %1 200 280 sleep 0.5");
    const TRect moved = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(moved.Width(), rect.Width());
    EXPECT_EQ(moved.Height(), rect.Height());
    // The window's own origin went to 200, 280; the frame lies a border and a title bar off.
    EXPECT_NEAR(moved.Left, 200, 10);
    EXPECT_NEAR(moved.Top, 280, 40);
    // The message is up longer than the placement takes.
    WriteRect(dir / "Farovinter.ini", rect);
    WriteFile(dir / "damaged.png", "not a picture");
    StartAndClose(dir, desktop.Display, 1000, {}, (dir / "damaged.png").string(), 4000);
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), rect);
}

TEST(WindowManager, APictureLargerThanTheScreenGivesAWindowThatFitsTheScreenAtThisStartAndTheNext)
{
    const auto dir = ScratchFolder("wm_large");
    Desktop desktop(dir);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    std::filesystem::copy_file(FV_PROGRAM, dir / "farovinter");
    WriteFile(dir / "lsan.supp", "leak:libdbus-1.so\n");
    // Far larger than the 1600 x 1000 screen, yet small in memory.
    TFvDIB picture;
    picture.SetPixelFormat(fvPf1Bit);
    picture.SetWidth(8000);
    picture.SetHeight(5000);
    picture.SaveToFile((dir / "large.bmp").string());
    const TRect screen{0, 0, 1600, 1000};

    long emptyKb = 0;
    StartAndClose(dir, desktop.Display, 1000, {}, {}, -1, &emptyKb);
    StartAndClose(dir, desktop.Display, 1000, {}, (dir / "large.bmp").string());
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), screen);
    // The next start without a picture costs about what an empty window costs
    // (a window of the screen's size takes 6 MB more).
    long restartKb = 0;
    StartAndClose(dir, desktop.Display, 1000, {}, {}, -1, &restartKb);
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), screen);
    EXPECT_LT(restartKb, emptyKb + 24 * 1024) << "empty window: " << emptyKb << " KiB";

    // A rectangle taller than the screen is cut to it, its top on the screen's.
    WriteRect(dir / "Farovinter.ini", {100, 100, 500, 99999999});
    StartAndClose(dir, desktop.Display, 1000);
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), (TRect{100, 0, 500, 1000}));
}

} // namespace
