#include "platform/system/Registry.h"

#include "platform/system/Files.h"
#include "platform/system/PrivateProfile.h"

#include <fstream>
#include <iterator>

namespace {

std::string Section(const std::string& key)
{
    const size_t first = key.find_first_not_of('\\');
    const size_t last = key.find_last_not_of('\\');
    return first == std::string::npos ? std::string() : key.substr(first, last - first + 1);
}

} // namespace

std::string RegistryFilePath()
{
    return UserConfigDirectory() + "registry.ini";
}

std::optional<std::string> RegistryReadString(const std::string& key, const std::string& name)
{
    std::ifstream in(RegistryFilePath(), std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ProfileFindValue(text, Section(key), name);
}

bool RegistryWriteString(const std::string& key, const std::string& name, const std::string& value)
{
    return WritePrivateProfileString(Section(key), name, value, RegistryFilePath());
}
