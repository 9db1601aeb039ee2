#include "platform/system/Files.h"

#include "platform/core/Exceptions.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
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

namespace {

[[noreturn]] void CannotCreate(const std::string& fileName, int error)
{
    throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(error));
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The stream of a file that will be renamed over an existing one. ext4
// writes such a file out before the rename returns (a 36 MB picture waited
// about 20 ms there), so the stream starts writing its data out while the
// writer goes on. A file that replaces nothing is left to the usual writeback.
class TReplacingFileStream : public TFileStream {
public:
    using TFileStream::TFileStream;

    int64_t Write(const void* buffer, int64_t count) override
    {
        const int64_t done = TFileStream::Write(buffer, count);
        FPending += done;
        if (FPending >= (int64_t{1} << 20)) {
            // Only a hint: where the file system cannot, the rename still writes it out.
            ::sync_file_range(Handle(), FStarted, 0, SYNC_FILE_RANGE_WRITE);
            FStarted += FPending;
            FPending = 0;
        }
        return done;
    }

private:
    int64_t FStarted = 0;
    int64_t FPending = 0;
};

} // namespace

void SaveFileReplacing(const std::string& FileName, const std::function<void(TStream&)>& Write)
{
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::exists(FileName, error)
                                               ? std::filesystem::canonical(FileName, error)
                                               : std::filesystem::path(FileName);
    const std::string target = resolved.empty() ? FileName : resolved.string();
    struct stat old {};
    const bool replaces = ::stat(target.c_str(), &old) == 0;
    const mode_t mode = replaces ? (old.st_mode & 07777) : NewFileMode();

    const std::filesystem::path path(target);
    std::string temporary = (path.parent_path() / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        CannotCreate(FileName, errno);
    ::close(fd);
    try {
        {
            if (replaces) {
                TReplacingFileStream stream(temporary, fmOpenWrite);
                Write(stream);
            } else {
                TFileStream stream(temporary, fmOpenWrite);
                Write(stream);
            }
        }
        if (::chmod(temporary.c_str(), mode) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0)
            CannotCreate(FileName, errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}
