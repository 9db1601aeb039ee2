#include "platform/system/NamedMutex.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder (not a link to one) of this user's that no other user may write.
bool PrivateFolder(const std::string& dir)
{
    struct stat info {};
    return ::lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string LockFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
        if (PrivateFolder(runtime))
            return runtime;
    std::error_code error;
    std::string temp = std::filesystem::temp_directory_path(error).string();
    if (error || temp.empty())
        temp = "/tmp";
    // Named after the user, so users never share it; another user may make it
    // first, and then it fails the check and no lock is used.
    const std::string dir = temp + "/fv-mutex-" + std::to_string(::geteuid());
    ::mkdir(dir.c_str(), 0700);
    return PrivateFolder(dir) ? dir : std::string();
}

// Opens the lock file at path as this user's own regular file. A file that
// belongs to someone else (left by another user working with this user's
// folder, such as root) is replaced.
int OpenOwnLockFile(const std::string& path)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
            return fd;
        if (fd >= 0)
            ::close(fd);
        else if (errno != EACCES && errno != ELOOP)
            return -1;
        ::unlink(path.c_str());
    }
    return -1;
}

} // namespace

TNamedMutex::~TNamedMutex()
{
    Release();
}

std::string TNamedMutex::LockPath(const std::string& name)
{
    const std::string dir = LockFolder();
    if (dir.empty())
        return {};
    // A name may hold characters that are not allowed in a file name.
    std::string file = name;
    for (char& c : file)
        if (c == '/' || c == '\0')
            c = '_';
    return dir + "/" + file + ".lock";
}

bool TNamedMutex::TryAcquire(const std::string& name)
{
    Release();
    const std::string path = LockPath(name);
    const int fd = path.empty() ? -1 : OpenOwnLockFile(path);
    if (fd < 0)
        return true;
    // One atomic test-and-take: two starts at the same moment cannot both win.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return !heldElsewhere;
    }
    FHandle = fd;
    return true;
}

void TNamedMutex::Release()
{
    if (FHandle >= 0) {
        ::flock(FHandle, LOCK_UN);
        ::close(FHandle);
        FHandle = -1;
    }
}
