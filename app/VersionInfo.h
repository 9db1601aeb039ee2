// The string values of a program file's version data.
#pragma once

#include "platform/system/VersionData.h"

#include <string>

struct TVersionInfo {
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string LegalTradeMarks;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
    std::string Comments;
};

// The value of Key (compared without case); empty when missing.
std::string ReadVersionValue(const TVersionStrings& Data, const std::string& Key);
// Fills Info from FileName's version data; a file without any leaves Info unchanged.
void ReadVersionInfo(const std::string& FileName, TVersionInfo& Info);
