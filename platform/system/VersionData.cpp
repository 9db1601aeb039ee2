#include "platform/system/VersionData.h"

#include <strings.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char NoteOwner[] = "Farovinter";
constexpr uint32_t NoteType = 1;
constexpr uint32_t SHT_NOTE = 7;
// Larger note sections belong to something else and are not read.
constexpr uint64_t MaxNoteSection = 1 << 20;

template <typename T> T Field(const uint8_t* bytes, size_t at)
{
    T value;
    std::memcpy(&value, bytes + at, sizeof value);
    return value;
}

uint64_t Align4(uint64_t n)
{
    return (n + 3) & ~uint64_t{3};
}

TVersionStrings SplitPairs(const uint8_t* desc, size_t size)
{
    std::vector<std::string> texts;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i)
        if (desc[i] == 0) {
            texts.emplace_back(reinterpret_cast<const char*>(desc) + start, i - start);
            start = i + 1;
        }
    TVersionStrings pairs;
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        pairs.emplace_back(std::move(texts[i]), std::move(texts[i + 1]));
    return pairs;
}

std::optional<TVersionStrings> FindNote(const std::vector<uint8_t>& section)
{
    uint64_t at = 0;
    while (section.size() - at >= 12) {
        const uint32_t nameSize = Field<uint32_t>(section.data(), at);
        const uint32_t descSize = Field<uint32_t>(section.data(), at + 4);
        const uint32_t type = Field<uint32_t>(section.data(), at + 8);
        const uint64_t name = at + 12;
        const uint64_t desc = name + Align4(nameSize);
        if (desc > section.size() || descSize > section.size() - desc)
            return std::nullopt;
        if (type == NoteType && nameSize == sizeof NoteOwner &&
            std::memcmp(section.data() + name, NoteOwner, sizeof NoteOwner) == 0)
            return SplitPairs(section.data() + desc, descSize);
        at = desc + Align4(descSize);
        if (at > section.size())
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<TVersionStrings> ParseVersionStrings(const TFileBytesReader& read)
{
    uint8_t header[64];
    if (!read(0, sizeof header, header) || std::memcmp(header, "\x7F" "ELF", 4) != 0 || header[4] != 2 ||
        header[5] != 1)
        return std::nullopt;
    const uint64_t tableAt = Field<uint64_t>(header, 0x28);
    const uint16_t entrySize = Field<uint16_t>(header, 0x3A);
    const uint16_t count = Field<uint16_t>(header, 0x3C);
    if (entrySize < 64)
        return std::nullopt;
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t entry[64];
        if (tableAt > UINT64_MAX - uint64_t{i} * entrySize || !read(tableAt + uint64_t{i} * entrySize, 64, entry))
            return std::nullopt;
        const uint64_t size = Field<uint64_t>(entry, 0x20);
        if (Field<uint32_t>(entry, 4) != SHT_NOTE || size == 0 || size > MaxNoteSection)
            continue;
        std::vector<uint8_t> section(size);
        if (!read(Field<uint64_t>(entry, 0x18), section.size(), section.data()))
            continue;
        if (auto strings = FindNote(section))
            return strings;
    }
    return std::nullopt;
}

std::optional<TVersionStrings> GetFileVersionStrings(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto result = ParseVersionStrings([fd](uint64_t offset, size_t size, void* buffer) {
        if (offset > static_cast<uint64_t>(INT64_MAX))
            return false;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd, static_cast<uint8_t*>(buffer) + done, size - done,
                                      static_cast<off_t>(offset + done));
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    });
    ::close(fd);
    return result;
}

std::optional<std::string> VerQueryValue(const TVersionStrings& strings, std::string_view key)
{
    for (const auto& [name, value] : strings)
        if (name.size() == key.size() && ::strncasecmp(name.data(), key.data(), key.size()) == 0)
            return value;
    return std::nullopt;
}
