// The Help menu's commands that reach outside the program: the help document,
// the author's page and mail, each opened by the desktop's program for it.
#pragma once

#include <string>

// Opens "readme.html" of Directory (with its trailing '/'; ヘルプ gives the
// executable's), or says that the file does not exist.
void OpenHelpDocument(const std::string& Directory);
