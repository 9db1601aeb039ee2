#include "platform/system/NamedMutex.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

TNamedMutex::~TNamedMutex()
{
    Release();
}

std::string TNamedMutex::LockPath(const std::string& name)
{
    std::string dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0')
        dir = runtime;
    else {
        std::error_code error;
        dir = std::filesystem::temp_directory_path(error).string();
        if (error || dir.empty())
            dir = "/tmp";
    }
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
    const int fd = ::open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // One atomic test-and-take: two starts at the same moment cannot both win.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
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
