#include "app/executeprocess.h"

#include "platform/core/MessageHook.h"
#include "platform/system/Process.h"

#include <QCoreApplication>

#include <memory>

namespace {

int WaitDepth = 0;

// Marks the time a run waits for its child, on every path out.
struct TWaiting {
    TWaiting() { ++WaitDepth; }
    ~TWaiting() { --WaitDepth; }
    TWaiting(const TWaiting&) = delete;
    TWaiting& operator=(const TWaiting&) = delete;
};

// Waits in steps of 100 ms; between steps the window repaints and its timers
// run, but user input waits until the child is done.
void WaitForChild(TChildProcess& child)
{
    const TWaiting waiting;
    while (!child.WaitFor(100))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

std::string TCommandLine::Text() const
{
    return Program + " " + Parameters + " \"" + FileName + "\"";
}

std::vector<std::string> TCommandLine::Arguments() const
{
    const std::string resolved = ResolveToolPath(Program);
    std::vector<std::string> arguments{resolved.empty() ? Program : resolved};
    for (std::string& parameter : SplitParameters(Parameters))
        arguments.push_back(std::move(parameter));
    arguments.push_back(FileName);
    return arguments;
}

void ExecuteAndWait(const TCommandLine& CommandLine, [[maybe_unused]] bool ShowWindow)
{
    TChildProcess child;
    if (const int error = child.Start(CommandLine.Arguments())) {
        ShowMessage("実行できません (" + std::to_string(error) + ")");
        return;
    }
    WaitForChild(child);
}

void ExecuteAndWaitRedirect(const TCommandLine& CommandLine, const std::string& StdOutPath,
                            const std::string& StdErrPath)
{
    TAppendFile out(StdOutPath);
    const int outFd = out.Fd() >= 0 ? out.Fd() : NullStream;
    int errFd = outFd;
    std::unique_ptr<TAppendFile> err;
    if (StdErrPath != StdOutPath) {
        err = std::make_unique<TAppendFile>(StdErrPath);
        errFd = err->Fd() >= 0 ? err->Fd() : NullStream;
    }
    TChildProcess child;
    if (const int error = child.Start(CommandLine.Arguments(), outFd, errFd)) {
        ShowMessage("実行できません (" + std::to_string(error) + ")\r\n" + CommandLine.Text());
        return;
    }
    WaitForChild(child);
}

bool ProcessWaiting()
{
    return WaitDepth > 0;
}

void RunOptimisers(const std::vector<TOptimiser>& Tools, const std::string& FileName, bool LogFlag,
                   const std::string& StdLogPath, const std::string& ErrLogPath)
{
    for (const TOptimiser& tool : Tools) {
        if (!tool.Flag)
            continue;
        const TCommandLine line{tool.Path, tool.Param, FileName};
        if (LogFlag)
            ExecuteAndWaitRedirect(line, StdLogPath, ErrLogPath);
        else
            ExecuteAndWait(line, true);
    }
}
