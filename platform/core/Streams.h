// Byte streams in the shape of the class library's TStream family: the
// bitmap, JPEG and plug-in code read and write files and memory through them.
// Positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Transfer up to count bytes; the result is the number transferred.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position and answers the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    // Whole transfers: a short read raises EReadError "Stream read error", a
    // short write EWriteError with WriteErrorMessage.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position (count 0: all of source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);

protected:
    // "Stream write error"; a file stream names its file and the reason.
    virtual std::string WriteErrorMessage() const;
};

// A stream over a block of memory that it does not grow.
class TCustomMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }
    uint8_t* Memory() const { return FMemory; }
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& fileName);

protected:
    void SetPointer(uint8_t* memory, int64_t size);
    int64_t FPosition = 0;

private:
    uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
};

// A growable memory stream that owns its bytes.
class TMemoryStream : public TCustomMemoryStream {
public:
    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;
    void Clear();
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);

private:
    std::vector<uint8_t> FBuffer;
};

// Open modes of TFileStream.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmCreate = 0xFF00;

// The messages of a file that cannot be created or written: the file's name
// and the reason, in Japanese (see ErrorReason).
std::string CannotCreateMessage(const std::string& fileName, int error);
std::string CannotWriteMessage(const std::string& fileName, int error);

// A stream over a file. A file that cannot be opened raises EFOpenError
// (ファイル "name" を開けません。reason); one that cannot be created raises
// EFCreateError (CannotCreateMessage); a short write raises EWriteError
// (CannotWriteMessage).
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, uint16_t mode);
    // Takes over an open handle; fileName is the name its messages give.
    TFileStream(int handle, std::string fileName);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

protected:
    std::string WriteErrorMessage() const override;

private:
    std::string FFileName;
    int FHandle = -1;
    int FWriteError = 0;
};
