#include "platform/system/Files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

std::string GetExecutablePath()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string GetExecutableDirectory()
{
    const std::string path = GetExecutablePath();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + 1);
}

bool RenameNoReplace(const std::string& from, const std::string& to)
{
    // Called through syscall: older C libraries lack the renameat2 wrapper.
    return ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool DirectoryWritable(const std::string& directory)
{
    return !directory.empty() && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::string UserConfigDirectory()
{
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        config = std::filesystem::path(home) / ".config";
    else
        config = std::filesystem::temp_directory_path();
    const std::filesystem::path dir = config / "Farovinter";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.string() + "/";
}
