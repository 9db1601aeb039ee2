// Version data of a program file: string values written into the executable
// at build time as an ELF note (owner "Farovinter", type 1) whose descriptor
// is a run of key NUL value NUL pairs. Files without that note have none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using TVersionStrings = std::vector<std::pair<std::string, std::string>>;

// Reads size bytes at offset into buffer; false when they are not all there.
using TFileBytesReader = std::function<bool(uint64_t offset, size_t size, void* buffer)>;

// The strings of a little-endian 64-bit ELF file read through read, or
// nothing when it is no such file or holds no version note.
std::optional<TVersionStrings> ParseVersionStrings(const TFileBytesReader& read);
std::optional<TVersionStrings> GetFileVersionStrings(const std::string& fileName);
// The value of key compared without case, or nothing.
std::optional<std::string> VerQueryValue(const TVersionStrings& strings, std::string_view key);
