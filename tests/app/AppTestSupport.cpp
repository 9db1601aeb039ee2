#include "AppTestSupport.h"

#include "app/main.h"
#include "platform/system/PrivateProfile.h"
#include "platform/ui/Application.h"

#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// One application object for the whole test program, on the offscreen platform.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        // File dialogs remember their folder in the user's registry: never the tester's own.
        ::setenv("XDG_CONFIG_HOME", ScratchFolder("config").c_str(), 1);
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        application = new TApplication(argc, argv);
        TApplication::SetTitle("Farovinter ぽるてぃか");
    }
    void TearDown() override
    {
        delete application;
        application = nullptr;
    }

private:
    TApplication* application = nullptr;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace

CaptureMessages::CaptureMessages()
{
    SetDialogPresenter([this](const TDialogRequest& request) {
        Shown.Dialogs.push_back(request);
        return Shown.Answer;
    });
    TApplication::SetExceptionReporter([this](const std::string& message) { Shown.Exceptions.push_back(message); });
}

CaptureMessages::~CaptureMessages()
{
    SetDialogPresenter({});
    TApplication::SetExceptionReporter({});
}

std::filesystem::path ScratchFolder(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("fv_app_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void ShowWindow(TMainForm& form)
{
    form.CommandLine = {"farovinter"};
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void PrintTo(const TRect& r, std::ostream* os)
{
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

TRect SavedRect(const std::filesystem::path& ini)
{
    const std::string path = ini.string();
    return TRect{GetPrivateProfileInt("Form", "Left", -1, path), GetPrivateProfileInt("Form", "Top", -1, path),
                 GetPrivateProfileInt("Form", "Right", -1, path), GetPrivateProfileInt("Form", "Bottom", -1, path)};
}

void WriteRect(const std::filesystem::path& ini, const TRect& r, bool maximized)
{
    WriteFile(ini, "[Set]\r\nFittingThreshold =10\r\n[Form]\r\nLeft=" + std::to_string(r.Left) +
                       "\r\nTop=" + std::to_string(r.Top) + "\r\nRight=" + std::to_string(r.Right) +
                       "\r\nBottom=" + std::to_string(r.Bottom) + "\r\nMaximized=" + (maximized ? "Yes" : "No") +
                       "\r\n");
}

pid_t StartEditor(const std::string& runtimeDir, const std::function<void()>& prepare, const std::string& program,
                  const std::string& file)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (prepare)
            prepare();
        if (file.empty())
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        else
            ::execl(program.c_str(), program.c_str(), file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

int WaitForExit(pid_t child, double seconds)
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
