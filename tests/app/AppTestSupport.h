// Shared by the window tests: a scratch folder per test, and the messages
// that the program showed instead of real message boxes.
#pragma once

#include "platform/ui/Dialogs.h"

#include <filesystem>
#include <string>
#include <vector>

struct ShownMessages {
    std::vector<TDialogRequest> Dialogs;
    std::vector<std::string> Exceptions;
    // The answer every dialog gets.
    int Answer = mrOk;
};

// Routes message boxes and reported exceptions into messages until the object ends.
class CaptureMessages {
public:
    CaptureMessages();
    ~CaptureMessages();
    ShownMessages Shown;
};

std::filesystem::path ScratchFolder(const std::string& name);
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);
