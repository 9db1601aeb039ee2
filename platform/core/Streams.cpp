#include "platform/core/Streams.h"

#include "platform/core/ErrorText.h"
#include "platform/core/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

int64_t TStream::Size()
{
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(WriteErrorMessage());
}

std::string TStream::WriteErrorMessage() const
{
    return "Stream write error";
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    int64_t left = count;
    while (left > 0) {
        const int64_t chunk = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= chunk;
    }
    return count;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= FSize)
        return 0;
    const int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    switch (origin) {
    case TSeekOrigin::soBeginning: FPosition = offset; break;
    case TSeekOrigin::soCurrent: FPosition += offset; break;
    case TSeekOrigin::soEnd: FPosition = FSize + offset; break;
    }
    return FPosition;
}

void TCustomMemoryStream::SetPointer(uint8_t* memory, int64_t size)
{
    FMemory = memory;
    FSize = size;
}

void TCustomMemoryStream::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || FPosition < 0)
        return 0;
    const int64_t end = FPosition + count;
    if (end > Size()) {
        if (end > static_cast<int64_t>(FBuffer.size()))
            FBuffer.resize(static_cast<size_t>(std::max(end, static_cast<int64_t>(FBuffer.size()) * 3 / 2)));
        SetPointer(FBuffer.data(), end);
    }
    std::memcpy(Memory() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0)
        throw EStreamError("Stream size cannot be negative");
    FBuffer.resize(static_cast<size_t>(size));
    SetPointer(FBuffer.data(), size);
    FPosition = std::min(FPosition, size);
}

void TMemoryStream::Clear()
{
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    SetPointer(nullptr, 0);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    SetSize(size);
    stream.ReadBuffer(Memory(), size);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

std::string CannotCreateMessage(const std::string& fileName, int error)
{
    return "ファイル \"" + fileName + "\" を作成できません。" + ErrorReason(error);
}

std::string CannotWriteMessage(const std::string& fileName, int error)
{
    return "ファイル \"" + fileName + "\" に書き込めません。" + ErrorReason(error);
}

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : FFileName(fileName)
{
    if (mode == fmCreate) {
        FHandle = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0)
            throw EFCreateError(CannotCreateMessage(fileName, errno));
        return;
    }
    int flags = O_RDONLY;
    if ((mode & 3) == fmOpenWrite)
        flags = O_WRONLY;
    else if ((mode & 3) == fmOpenReadWrite)
        flags = O_RDWR;
    FHandle = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (FHandle < 0)
        throw EFOpenError("ファイル \"" + fileName + "\" を開けません。" + ErrorReason(errno));
}

TFileStream::TFileStream(int handle, std::string fileName) : FFileName(std::move(fileName)), FHandle(handle) {}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    int64_t done = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(FHandle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    int64_t done = 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(FHandle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing without saying why is out of room.
            FWriteError = n < 0 ? errno : ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

std::string TFileStream::WriteErrorMessage() const
{
    return CannotWriteMessage(FFileName, FWriteError);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent   ? SEEK_CUR
                                                          : SEEK_END;
    return ::lseek(FHandle, offset, whence);
}

void TFileStream::SetSize(int64_t size)
{
    if (::ftruncate(FHandle, size) != 0)
        throw EStreamError("ファイル \"" + FFileName + "\" の大きさを変更できません。" + ErrorReason(errno));
    if (Position() > size)
        SetPosition(size);
}
