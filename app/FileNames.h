// File-name helpers of the file commands, on the file-name part only, so a
// dot in a folder name never counts as an extension.
#pragma once

#include <string>

// The extension of the file-name part in upper case, with its dot; empty when there is none.
std::string UpperExtension(const std::string& FileName);
// FileName with its extension replaced by Extension (added when there is none).
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
// The absolute folder that holds FileName; empty for an empty name.
std::string FileFolder(const std::string& FileName);
