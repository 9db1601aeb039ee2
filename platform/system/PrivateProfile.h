// Private-profile (".ini") files: sections in square brackets, then
// key=value lines. Look-ups ignore case and the blanks around keys and
// values; the first section of a name and the first key of a name in it
// win; lines without '=' are ignored; a value loses one pair of surrounding
// double quotes. Writing changes only the line of the key (or adds one),
// so every other byte of the file stays as it was; new lines end in CR LF.
// A UTF-8 byte-order mark at the start is tolerated. Values are never cut.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of key in section of fileName, or defaultValue when the file,
// the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName);

// The value read as an integer: an optional sign and the decimal digits up to
// the first other character (0 when there are none), modulo 2^32 like the
// platform's unsigned answer. defaultValue when the key is missing.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& fileName);

// Sets key in section to value, creating the file, the section and the key as
// needed. The file is replaced in one rename, so a failed write leaves the
// old file whole. False when the file cannot be read or written.
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& fileName);

// The same rules on text in memory.
std::optional<std::string> ProfileFindValue(std::string_view text, std::string_view section, std::string_view key);
std::string ProfileSetValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);
int ProfileParseInt(std::string_view value);
