#include "app/FileNames.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

// Where the extension starts, or npos.
size_t ExtensionStart(const std::string& FileName)
{
    const size_t dot = FileName.rfind('.');
    const size_t slash = FileName.rfind('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : std::string::npos;
}

} // namespace

std::string UpperExtension(const std::string& FileName)
{
    const size_t start = ExtensionStart(FileName);
    std::string extension = start == std::string::npos ? "" : FileName.substr(start);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension)
{
    return FileName.substr(0, ExtensionStart(FileName)) + Extension;
}

std::string FileFolder(const std::string& FileName)
{
    if (FileName.empty())
        return {};
    std::error_code error;
    return std::filesystem::absolute(FileName, error).parent_path().string();
}
