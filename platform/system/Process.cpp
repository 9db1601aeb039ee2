#include "platform/system/Process.h"

#include "platform/system/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

extern char** environ;

std::vector<std::string> SplitParameters(const std::string& text)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    const size_t n = text.size();
    for (;;) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= n)
            return arguments;
        std::string argument;
        bool quoted = false;
        for (; i < n && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i) {
            if (text[i] == '\\') {
                size_t backslashes = 0;
                while (i < n && text[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && text[i] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument += '"';
                        continue;
                    }
                } else {
                    argument.append(backslashes, '\\');
                    --i;
                    continue;
                }
            }
            if (text[i] == '"') {
                if (quoted && i + 1 < n && text[i + 1] == '"') {
                    argument += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                argument += text[i];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

namespace {

bool RegularFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string ResolveToolPath(const std::string& path)
{
    if (path.empty())
        return {};
    if (RegularFile(path))
        return path;
    if (path.front() == '/')
        return {};
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string beside = GetExecutableDirectory() + name;
    if (RegularFile(beside))
        return beside;
    if (name != path)
        return {};
    const char* search = std::getenv("PATH");
    std::string directories = search ? search : "";
    size_t start = 0;
    while (start <= directories.size()) {
        const size_t colon = std::min(directories.find(':', start), directories.size());
        const std::string directory = directories.substr(start, colon - start);
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (RegularFile(candidate))
            return candidate;
        start = colon + 1;
    }
    return {};
}

int TChildProcess::Start(const std::vector<std::string>& argv, int stdOut, int stdErr)
{
    if (argv.empty())
        return EINVAL;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [from, to] : {std::pair{stdOut, STDOUT_FILENO}, std::pair{stdErr, STDERR_FILENO}}) {
        if (from >= 0)
            posix_spawn_file_actions_adddup2(&actions, from, to);
        else if (from == NullStream)
            posix_spawn_file_actions_addopen(&actions, to, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return error;
    FPid = pid;
    FPidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    return 0;
}

TChildProcess::~TChildProcess()
{
    // A child still running is left to itself; only its descriptor is closed.
    if (FPidFd >= 0)
        ::close(FPidFd);
}

bool TChildProcess::WaitFor(int milliseconds)
{
    if (FPid <= 0)
        return true;
    if (FPidFd >= 0) {
        pollfd p{FPidFd, POLLIN, 0};
        if (::poll(&p, 1, milliseconds) <= 0)
            return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(FPid, &status, FPidFd >= 0 ? 0 : WNOHANG);
    if (done == 0) {
        // Without a process descriptor the step is a plain sleep.
        ::usleep(static_cast<useconds_t>(milliseconds) * 1000);
        return false;
    }
    if (done < 0 && errno == EINTR)
        return false;
    FPid = 0;
    if (FPidFd >= 0) {
        ::close(FPidFd);
        FPidFd = -1;
    }
    return true;
}

TAppendFile::TAppendFile(const std::string& path)
    : FFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666))
{
}

TAppendFile::~TAppendFile()
{
    if (FFd >= 0)
        ::close(FFd);
}
