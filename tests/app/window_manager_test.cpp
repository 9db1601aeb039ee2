// The editor under a real X server and window manager (Xvfb and openbox),
// where the frame and the window's place arrive late and in several steps.
// Skipped when a program is missing or the server cannot start.
#include "AppTestSupport.h"
#include "app/ini.h"
#include "bitmap/FvDIB.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <poll.h>
#include <sstream>
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

// A private X server on a free display, so parallel runs never meet, with
// openbox managing it.
class Desktop {
public:
    // Without manager the desktop has none until StartManager. An edgeless
    // manager's frames have no side borders: their margin of 0 is real.
    explicit Desktop(const std::filesystem::path& dir, bool manager = true, bool edgeless = false)
        : FDir(dir), FEdgeless(edgeless)
    {
        if (!Installed("Xvfb") || !Installed("openbox") || !Installed("xdotool") || !Installed("xprop") ||
            !Installed("xwininfo"))
            return;
        // Numbers of their own per test process: a server just ending on a
        // number can remove the socket of the next one to start on it.
        const int first = 100 + static_cast<int>(::getpid() % 4000) * 8;
        for (int number = first; number < first + 40 && FServer < 0; ++number)
            StartServer(number);
        if (FServer < 0)
            return;
        ::setenv("DISPLAY", Display.c_str(), 1);
        if (manager)
            StartManager();
    }
    void StartManager()
    {
        const std::filesystem::path ready = FDir / "openbox-ready";
        std::vector<std::string> command = {"openbox", "--sm-disable", "--startup", "touch " + ready.string()};
        if (FEdgeless) {
            const auto theme = FDir / "themes" / "Edgeless" / "openbox-3";
            std::filesystem::create_directories(theme);
            WriteFile(theme / "themerc",
                      "border.width: 0\nwindow.client.padding.width: 0\nwindow.client.padding.height: 0\n");
            WriteFile(FDir / "rc.xml", "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">"
                                       "<theme><name>Edgeless</name></theme></openbox_config>\n");
            command.insert(command.begin(), {"env", "XDG_DATA_HOME=" + FDir.string()});
            command.insert(command.end(), {"--config-file", (FDir / "rc.xml").string()});
        }
        FManager = Spawn(command);
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
        if (up && std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
            FServer = server;
            Display = name;
        } else {
            Stop(server);
        }
    }

    std::filesystem::path FDir;
    bool FEdgeless;
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

// A property of a window, or of the root window for an empty one, as xprop
// prints its value; empty when it is not set or the window is gone.
std::string Property(const std::string& window, const std::string& name)
{
    std::string command = "LC_ALL=C.UTF-8 xprop ";
    command += window.empty() ? std::string("-root") : "-id " + window;
    command.append(" ").append(name).append(" 2>/dev/null");
    const std::string text = Output(command);
    size_t at = text.find(" = ");
    if (at == std::string::npos)
        at = text.find(" # ");
    return at == std::string::npos ? std::string() : text.substr(at + 3);
}

std::vector<long> Numbers(const std::string& list)
{
    std::vector<long> numbers;
    std::istringstream words(list);
    for (std::string word; words >> word;)
        numbers.push_back(std::strtol(word.c_str(), nullptr, 0));
    return numbers;
}

const std::string MainTitle = "Farovinterぽるてぃか";
// A message's caption is the application title, with its blank.
const std::string MessageTitle = "Farovinter ぽるてぃか";

// The editor's window of that title once the window manager has taken it
// (among its clients, framed) and it is mapped; empty after seconds. Every
// call looks the window up afresh among the manager's clients: a window may
// be replaced, and a search of the whole tree fails on a window that goes.
std::string ManagedWindow(pid_t editor, const std::string& title, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        for (const long id : Numbers(Property({}, "_NET_CLIENT_LIST"))) {
            const std::string window = std::to_string(id);
            if (Property(window, "_NET_WM_PID") == std::to_string(editor) &&
                Property(window, "_NET_WM_NAME") == '"' + title + '"' &&
                !Property(window, "_NET_FRAME_EXTENTS").empty() &&
                Output("xwininfo -id " + window + " 2>/dev/null").find("IsViewable") != std::string::npos)
                return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

// The window's outer frame as the window manager placed it (all -1 when the
// window is gone).
TRect Frame(const std::string& window)
{
    const std::string info = Output("xwininfo -id " + window + " 2>/dev/null");
    const std::vector<long> extents = Numbers(Property(window, "_NET_FRAME_EXTENTS"));
    const auto field = [&](const std::string& name) {
        const size_t at = info.find(name);
        return at == std::string::npos ? -1L : std::strtol(info.c_str() + at + name.size(), nullptr, 10);
    };
    if (extents.size() != 4 || info.empty())
        return {-1, -1, -1, -1};
    const long left = field("Absolute upper-left X:") - extents[0];
    const long top = field("Absolute upper-left Y:") - extents[2];
    return TRect{int(left), int(top), int(left + field("Width:") + extents[0] + extents[1]),
                 int(top + field("Height:") + extents[2] + extents[3])};
}

std::function<bool(const TRect&)> Is(const TRect& wanted)
{
    return [=](const TRect& frame) { return frame == wanted; };
}

struct Session {
    // How long the window is left alone once it is on screen.
    int PauseMs = 0;
    // A command run once the window has settled; each %1 stands for the window.
    std::string Action{};
    // Opened at start.
    std::string File{};
    // The file cannot be opened: the message about it appears over the
    // window and is answered after this time.
    int MessageMs = -1;
    // Waited for after the pause: the window manager gives the window a frame
    // that satisfies this.
    std::function<bool(const TRect&)> Settled{};
    // Waited for after the action: the frame it leads to.
    std::function<bool(const TRect&)> Acted{};
    // Receives the editor's resident memory after the pause.
    long* ResidentKb = nullptr;
    // Run once the editor has started, before its window is looked for.
    std::function<void()> Started{};
};

// Starts the editor, follows the session, then closes the window with its
// shortcut as a user would; answers the window's title.
std::string StartAndClose(const std::filesystem::path& dir, const std::string& display, const Session& session = {})
{
    const std::string program = (dir / "farovinter").string();
    const std::string suppressions = "suppressions=" + (dir / "lsan.supp").string();
    const pid_t editor = StartEditor(dir.string(), [&] {
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        ::setenv("LSAN_OPTIONS", suppressions.c_str(), 1);
    }, program, session.File);
    if (session.Started)
        session.Started();
    if (session.MessageMs >= 0) {
        const std::string message = ManagedWindow(editor, MessageTitle, 60);
        EXPECT_NE(message, "");
        EXPECT_NE(ManagedWindow(editor, MainTitle, 0), "") << "the message came before the window";
        std::this_thread::sleep_for(std::chrono::milliseconds(session.MessageMs));
        std::system(("timeout 30 xdotool windowactivate --sync " + message + " key --clearmodifiers Return").c_str());
    }
    std::string window = ManagedWindow(editor, MainTitle, 60);
    EXPECT_NE(window, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(session.PauseMs));
    if (session.Settled) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!session.Settled(Frame(window)) && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            window = ManagedWindow(editor, MainTitle, 10);
        }
        EXPECT_TRUE(session.Settled(Frame(window))) << "frame " << testing::PrintToString(Frame(window));
    }
    if (session.ResidentKb != nullptr)
        *session.ResidentKb = ResidentKb(editor);
    const std::string title = Output("xdotool getwindowname " + window + " 2>/dev/null");
    // The program's icon reaches the desktop with the window.
    EXPECT_EQ(Output("xprop -id " + window + " -notype _NET_WM_ICON 2>/dev/null | head -c 26"), "_NET_WM_ICON = \tIcon (16 x");
    if (std::string command = session.Action; !command.empty()) {
        for (size_t at = command.find("%1"); at != std::string::npos; at = command.find("%1", at))
            command.replace(at, 2, window);
        std::system(command.c_str());
    }
    if (session.Acted) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!session.Acted(Frame(window)) && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            window = ManagedWindow(editor, MainTitle, 10);
        }
        EXPECT_TRUE(session.Acted(Frame(window))) << "frame " << testing::PrintToString(Frame(window));
    }
    // A key that found no window (it went, or was replaced) is sent again to
    // the window looked up afresh.
    int status = -1;
    for (int attempt = 0; attempt < 3 && status < 0; ++attempt) {
        window = ManagedWindow(editor, MainTitle, 20);
        if (!window.empty())
            std::system(("timeout 30 xdotool windowactivate --sync " + window + " key --clearmodifiers ctrl+w").c_str());
        status = WaitForExit(editor, 20);
    }
    EXPECT_EQ(status, 0);
    if (status < 0)
        Stop(editor);
    return title;
}

void PrepareProgram(const std::filesystem::path& dir)
{
    // Beside the settings file, which lives in the executable's folder.
    std::filesystem::copy_file(FV_PROGRAM, dir / "farovinter");
    // The session bus library keeps one block to the end on purpose.
    WriteFile(dir / "lsan.supp", "leak:libdbus-1.so\n");
}

// Far larger than the 1600 x 1000 screen, yet small in memory.
std::string LargePicture(const std::filesystem::path& dir)
{
    TFvDIB picture;
    picture.SetPixelFormat(fvPf1Bit);
    picture.SetWidth(8000);
    picture.SetHeight(5000);
    picture.SaveToFile((dir / "large.bmp").string());
    return (dir / "large.bmp").string();
}

TEST(WindowManager, StartAndCloseWriteBackTheRectangleReadAndTheTitleIsTheCaption)
{
    const auto dir = ScratchFolder("wm");
    Desktop desktop(dir);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    PrepareProgram(dir);
    const TRect rect{100, 180, 600, 560};
    for (bool maximized : {false, true}) {
        WriteRect(dir / "Farovinter.ini", rect, maximized);
        for (int pauseMs : {0, 150, 400, 1000}) {
            EXPECT_EQ(StartAndClose(dir, desktop.Display, {.PauseMs = pauseMs}), "Farovinterぽるてぃか");
            EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), rect) << "maximised " << maximized << ", " << pauseMs << " ms";
            EXPECT_EQ(IniReadBool((dir / "Farovinter.ini").string(), "Form", "maximized"), maximized);
        }
    }
    // Opening a file at start sizes the window to the image; it stays at the place read.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display, {.File = FV_TEST_DATA "/bmp/core24.bmp", .Settled = [&](const TRect& frame) {
        return frame.Left == rect.Left && frame.Top == rect.Top && frame.Width() < rect.Width();
    }});
    const TRect fitted = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(fitted.Left, rect.Left);
    EXPECT_EQ(fitted.Top, rect.Top);
    EXPECT_LT(fitted.Width(), rect.Width());
    // A rectangle smaller than the window's smallest size (the first start's
    // 200 x 200 at the corner): the frame grows by its margins once they are
    // known, its title bar stays on the screen, and what is saved is the frame.
    // The manager is asked to put the frame, not the window's inside, at the
    // corner (north-west gravity): the inside at the corner leaves the title
    // bar above the screen until a correction lands, and on a busy machine
    // none may. The placement is over by the time the user moves the window
    // a second after it came: the move stays.
    const auto near = [](const TRect& frame) { return std::abs(frame.Left - 200) <= 10 && std::abs(frame.Top - 280) <= 40; };
    for (const std::string& file : {std::string(), (dir / "damaged.png").string()}) {
        WriteFile(dir / "damaged.png", "not a picture");
        WriteRect(dir / "Farovinter.ini", {0, 0, 200, 200});
        TRect settled{};
        StartAndClose(dir, desktop.Display,
                      {.PauseMs = file.empty() ? 1000 : 0,
                       .Action = "xprop -id %1 WM_NORMAL_HINTS > " + (dir / "hints").string() +
                                 (file.empty() ? "; timeout 20 xdotool windowmove --sync %1 200 280" : ""),
                       .File = file,
                       .MessageMs = file.empty() ? -1 : 500,
                       .Settled = [&](const TRect& frame) {
                           settled = frame;
                           return frame.Left == 0 && frame.Top == 0 && frame.Width() > 332 && frame.Height() > 200;
                       },
                       .Acted = [&](const TRect& frame) { return !file.empty() || near(frame); }});
        EXPECT_NE(ReadFile(dir / "hints").find("window gravity: NorthWest"), std::string::npos) << ReadFile(dir / "hints");
        const TRect saved = SavedRect(dir / "Farovinter.ini");
        EXPECT_EQ(saved.Width(), settled.Width()) << file;
        EXPECT_EQ(saved.Height(), settled.Height()) << file;
        if (file.empty())
            EXPECT_TRUE(near(saved)) << testing::PrintToString(saved);
        else
            EXPECT_EQ(saved, settled);
    }
    // Moved through the window manager a second after it came (the program
    // holds its placement until the manager has confirmed it a few times):
    // saved where it was left.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display,
                  {.PauseMs = 1000,
                   .Action = "timeout 20 xdotool windowmove --sync %1 200 280",
                   .Settled = Is(rect),
                   .Acted = near});
    const TRect moved = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(moved.Width(), rect.Width());
    EXPECT_EQ(moved.Height(), rect.Height());
    // The window's own origin went to 200, 280; the frame lies a border and a title bar off.
    EXPECT_NEAR(moved.Left, 200, 10);
    EXPECT_NEAR(moved.Top, 280, 40);
    // Moved to within the snapping distance of the screen's left edge, as the first move since
    // the window came: onto the edge. Moved there again once it snapped: the second move
    // starts from where the first one left the window, so it snaps too.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display,
                  {.PauseMs = 1000,
                   .Action = "timeout 20 xdotool windowmove --sync %1 6 280; sleep 1; "
                             "timeout 20 xdotool windowmove --sync %1 6 280",
                   .Settled = Is(rect),
                   .Acted = [](const TRect& frame) { return frame.Left == 0; }});
    const TRect snapped = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(std::make_tuple(snapped.Left, snapped.Width(), snapped.Height()),
              std::make_tuple(0, rect.Width(), rect.Height()));
    // Made wider, no taller, to within the snapping distance of the screen's
    // right edge: the dragged edge meets it and the others stay.
    WriteRect(dir / "Farovinter.ini", rect);
    StartAndClose(dir, desktop.Display,
                  {.PauseMs = 1000,
                   .Action = "timeout 20 xdotool windowsize --sync %1 1490 "
                             "$(xdotool getwindowgeometry %1 | sed -n 's/.*Geometry: [0-9]*x//p')",
                   .Settled = Is(rect),
                   .Acted = [](const TRect& frame) { return frame.Right == 1600; }});
    const TRect sized = SavedRect(dir / "Farovinter.ini");
    EXPECT_EQ(std::make_tuple(sized.Left, sized.Top, sized.Right, sized.Bottom),
              std::make_tuple(rect.Left, rect.Top, 1600, rect.Bottom));
    // The message is up longer than the placement takes.
    WriteRect(dir / "Farovinter.ini", rect);
    WriteFile(dir / "damaged.png", "not a picture");
    StartAndClose(dir, desktop.Display, {.File = (dir / "damaged.png").string(), .MessageMs = 4000, .Settled = Is(rect)});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), rect);
}

TEST(WindowManager, APictureLargerThanTheScreenGivesAWindowThatFitsTheScreenAtThisStartAndTheNext)
{
    const auto dir = ScratchFolder("wm_large");
    Desktop desktop(dir);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    PrepareProgram(dir);
    const std::string large = LargePicture(dir);
    const TRect screen{0, 0, 1600, 1000};

    long emptyKb = 0;
    StartAndClose(dir, desktop.Display, {.PauseMs = 1000, .ResidentKb = &emptyKb});
    StartAndClose(dir, desktop.Display, {.File = large, .Settled = Is(screen)});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), screen);
    // The next start without a picture costs about what an empty window costs
    // (a window of the screen's size takes 6 MB more).
    long restartKb = 0;
    StartAndClose(dir, desktop.Display, {.PauseMs = 1000, .Settled = Is(screen), .ResidentKb = &restartKb});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), screen);
    EXPECT_LT(restartKb, emptyKb + 24 * 1024) << "empty window: " << emptyKb << " KiB";

    // A rectangle taller than the screen is cut to it, its top on the screen's.
    WriteRect(dir / "Farovinter.ini", {100, 100, 500, 99999999});
    StartAndClose(dir, desktop.Display, {.Settled = Is({100, 0, 500, 1000})});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), (TRect{100, 0, 500, 1000}));
}

TEST(WindowManager, AManagerThatComesAfterThePlacementGaveUpStillGetsTheWindowPlaced)
{
    const auto dir = ScratchFolder("wm_late");
    const TRect screen{0, 0, 1600, 1000};
    // The placement looks for a frame for 3 s once the window is on screen; the manager comes
    // after that, once command (if any) has run on the window.
    const auto late = [](Desktop& desktop, const std::string& command) {
        return [&desktop, command] {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            std::string window;
            while ((window = Output("xdotool search --onlyvisible --name '^" + MainTitle + "$'")).empty() &&
                   std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::this_thread::sleep_for(std::chrono::seconds(5));
            if (!command.empty() && !window.empty())
                std::system(("timeout 20 xdotool " + command + " " + window.substr(0, window.find('\n')) + " 300 200").c_str());
            desktop.StartManager();
        };
    };
    {
        // Moved by the user before the manager came: the window is the user's, and stays.
        Desktop desktop(dir, false);
        if (desktop.Display.empty())
            GTEST_SKIP() << "no Xvfb with openbox";
        PrepareProgram(dir);
        WriteRect(dir / "Farovinter.ini", {100, 100, 500, 400});
        const auto near = [](const TRect& frame) {
            return std::abs(frame.Left - 300) <= 10 && std::abs(frame.Top - 200) <= 40;
        };
        StartAndClose(dir, desktop.Display,
                      {.PauseMs = 3000, .Settled = near, .Started = late(desktop, "windowmove --sync")});
        EXPECT_TRUE(near(SavedRect(dir / "Farovinter.ini")));
    }
    std::filesystem::remove(dir / "openbox-ready");
    Desktop desktop(dir, false);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    WriteRect(dir / "Farovinter.ini", {100, 100, 500, 400});
    StartAndClose(dir, desktop.Display, {.File = LargePicture(dir), .Settled = Is(screen), .Started = late(desktop, "")});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), screen);
}

TEST(WindowManager, APanelKeepsTheWindowInsideTheWorkAreaNotTheScreen)
{
    const auto dir = ScratchFolder("wm_panel");
    Desktop desktop(dir, true, true);
    if (desktop.Display.empty())
        GTEST_SKIP() << "no Xvfb with openbox";
    PrepareProgram(dir);
    const std::string large = LargePicture(dir);
    // Panels on all four sides, each of its own width, as a desktop sets them.
    ASSERT_EQ(std::system("xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '40, 60, 1500, 900'"), 0);
    const TRect area{40, 60, 1540, 960};

    StartAndClose(dir, desktop.Display, {.File = large, .Settled = Is(area)});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), area);
    // A saved rectangle taller than the work area is cut to the area's height,
    // then placed on the whole screen as every saved rectangle is.
    WriteRect(dir / "Farovinter.ini", {100, 100, 500, 99999999});
    StartAndClose(dir, desktop.Display, {.Settled = Is({100, 100, 500, 1000})});
    EXPECT_EQ(SavedRect(dir / "Farovinter.ini"), (TRect{100, 100, 500, 1000}));
    // A panel that comes while the window is up makes the window smaller.
    ASSERT_EQ(std::system("xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '0, 0, 1600, 1000'"), 0);
    StartAndClose(dir, desktop.Display,
                  {.Action = "xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA '0, 0, 1600, 700'",
                   .File = large,
                   .Settled = Is({0, 0, 1600, 1000}),
                   .Acted = [](const TRect& frame) { return frame.Height() <= 700; }});
}

} // namespace
