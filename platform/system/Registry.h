// The current user's registry: key paths (like "\Software\Vendor\Product",
// case-insensitive, the leading '\' optional) holding named string values,
// kept in one private-profile file per user: each key is a section.
#pragma once

#include <optional>
#include <string>

// ${XDG_CONFIG_HOME:-$HOME/.config}/Farovinter/registry.ini
std::string RegistryFilePath();
// The value, or nothing when the file, the key or the value is missing.
std::optional<std::string> RegistryReadString(const std::string& key, const std::string& name);
// Creates the key and the value as needed; false when the file cannot be written.
bool RegistryWriteString(const std::string& key, const std::string& name, const std::string& value);
