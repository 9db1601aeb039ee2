#include "platform/system/Files.h"

#include "platform/core/ErrorText.h"
#include "platform/core/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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
    throw EFCreateError(CannotCreateMessage(fileName, error));
}

// The folder, not the file, stopped the save: the message says so.
[[noreturn]] void FolderRefuses(const std::string& FileName, const std::filesystem::path& target, int error)
{
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    throw EFCreateError("ファイル \"" + FileName + "\" を作成できません。フォルダー \"" + folder + "\" に書き込めません。" +
                        ErrorReason(error));
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file that a save to FileName writes: the end of its chain of links,
// each relative link read from its own folder. The path is left as the
// links spell it, so ".." after a linked folder means what the kernel makes
// of it. A link that names nothing yet leads to a new file.
std::string LinkedFile(const std::string& FileName)
{
    std::filesystem::path path(FileName);
    // The kernel's own limit on links in one path.
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path.string();
        if (links == 40)
            CannotCreate(FileName, ELOOP);
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            CannotCreate(FileName, error.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
}

// A save does not do what the user could not do to the file itself: one
// that this user may not write, or whose bits let no one write it (the
// platform's read-only attribute, which stops administrators too), is kept.
// Only regular files are replaced.
void CheckReplaceable(const std::string& FileName, const std::string& target, const struct stat& old)
{
    if (!S_ISREG(old.st_mode))
        CannotCreate(FileName, S_ISDIR(old.st_mode) ? EISDIR : EPERM);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        CannotCreate(FileName, errno);
    if ((old.st_mode & 0222) == 0)
        CannotCreate(FileName, EACCES);
}

// ".<name>.XXXXXX" beside target, the name cut so that the temporary file's
// name stays within the file system's limit however long target's is.
std::string TemporaryTemplate(const std::filesystem::path& target)
{
    std::string name = target.filename().string();
    if (name.size() > 200) {
        size_t cut = 200;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return (target.parent_path() / ("." + name + ".XXXXXX")).string();
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

// The stream of a save written into the file itself: it knows how far the
// new bytes reach, so that the old ones past them can be cut off.
class TInPlaceFileStream : public TFileStream {
public:
    using TFileStream::TFileStream;

    int64_t Write(const void* buffer, int64_t count) override
    {
        const int64_t done = TFileStream::Write(buffer, count);
        FEnd = std::max(FEnd, Position());
        return done;
    }

    void SetSize(int64_t size) override
    {
        TFileStream::SetSize(size);
        FEnd = size;
    }

    int64_t End() const { return FEnd; }

private:
    int64_t FEnd = 0;
};

// All of size bytes from the file's start through pread or pwrite, which may
// move fewer at a time.
template <typename Byte, typename Io>
bool WholeAt(Io io, int fd, Byte* bytes, int64_t size)
{
    for (int64_t done = 0; done < size;) {
        const ssize_t n = io(fd, bytes + done, static_cast<size_t>(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// A folder that takes no new file leaves the file itself, which this user
// may write, to be written in place. Its old bytes are kept in memory until
// the new ones are written out whole, and put back when they cannot be: the
// blocks they need are still the file's, so a full disk cannot stop that.
// Mode, owner and links stay; the kernel drops the set-ID bits on a write,
// and the owner puts them back.
void SaveInPlace(const std::string& FileName, const std::string& target, int folderError,
                 const std::function<void(TStream&)>& Write)
{
    const int fd = ::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        FolderRefuses(FileName, target, folderError);
    TInPlaceFileStream stream(fd, FileName);
    struct stat old {};
    if (::fstat(fd, &old) != 0)
        CannotCreate(FileName, errno);
    if (!S_ISREG(old.st_mode))
        CannotCreate(FileName, EPERM);
    std::unique_ptr<char[]> kept;
    try {
        kept = std::make_unique_for_overwrite<char[]>(static_cast<size_t>(old.st_size));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
    errno = 0;
    if (!WholeAt(::pread, fd, kept.get(), old.st_size))
        CannotCreate(FileName, errno != 0 ? errno : EIO);
    try {
        Write(stream);
        if (::ftruncate(fd, stream.End()) != 0 || ::fdatasync(fd) != 0)
            throw EWriteError(CannotWriteMessage(FileName, errno));
    } catch (...) {
        if (WholeAt(::pwrite, fd, static_cast<const char*>(kept.get()), old.st_size) && ::ftruncate(fd, old.st_size) == 0)
            ::fdatasync(fd);
        ::fchmod(fd, old.st_mode & 07777);
        throw;
    }
    ::fchmod(fd, old.st_mode & 07777);
}

} // namespace

void SaveFileReplacing(const std::string& FileName, const std::function<void(TStream&)>& Write)
{
    const std::string target = LinkedFile(FileName);
    struct stat old {};
    const bool replaces = ::stat(target.c_str(), &old) == 0;
    if (replaces)
        CheckReplaceable(FileName, target, old);

    std::string temporary = TemporaryTemplate(target);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (!replaces)
            FolderRefuses(FileName, target, error);
        SaveInPlace(FileName, target, error, Write);
        return;
    }
    try {
        // The streams name the user's file in their messages, not the temporary one.
        if (replaces) {
            TReplacingFileStream stream(fd, FileName);
            Write(stream);
        } else {
            TFileStream stream(fd, FileName);
            Write(stream);
        }
        // The replacement stays its owner's where that may be kept (always for
        // an administrator; the group where the user belongs to it).
        if (replaces && ::chown(temporary.c_str(), old.st_uid, old.st_gid) != 0)
            ::chown(temporary.c_str(), static_cast<uid_t>(-1), old.st_gid);
        const mode_t mode = replaces ? (old.st_mode & 07777) : NewFileMode();
        if (::chmod(temporary.c_str(), mode) != 0)
            CannotCreate(FileName, errno);
        if (::rename(temporary.c_str(), target.c_str()) != 0) {
            const int error = errno;
            if (!replaces || (error != EPERM && error != EACCES))
                CannotCreate(FileName, error);
            // A sticky folder lets only the file's owner replace it, though
            // others may write it: the finished bytes are copied in place.
            SaveInPlace(FileName, target, error, [&](TStream& stream) {
                TFileStream written(temporary, fmOpenRead);
                stream.CopyFrom(written, 0);
            });
            ::unlink(temporary.c_str());
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}
