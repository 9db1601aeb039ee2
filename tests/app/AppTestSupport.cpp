#include "AppTestSupport.h"

#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// One application object for the whole test program, on the offscreen platform.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
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
