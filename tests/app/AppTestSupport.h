// Shared by the window tests: a scratch folder per test, and the messages
// that the program showed instead of real message boxes.
#pragma once

#include "platform/graphics/Types.h"
#include "platform/ui/Dialogs.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

class TMainForm;

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
// Shows the main window, started without a file, and waits until it is active.
void ShowWindow(TMainForm& form);
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);

// Rectangles in test messages.
void PrintTo(const TRect& r, std::ostream* os);

// The [Form] rectangle of a settings file (-1 for a missing key), and a
// settings file holding only the snapping distance and the window keys.
TRect SavedRect(const std::filesystem::path& ini);
void WriteRect(const std::filesystem::path& ini, const TRect& r, bool maximized = false);

// Starts the editor program with its lock files in runtimeDir on the
// offscreen platform, after prepare has changed the child's environment,
// with file (if any) on its command line; answers its process id.
pid_t StartEditor(const std::string& runtimeDir, const std::function<void()>& prepare = {},
                  const std::string& program = FV_PROGRAM, const std::string& file = {});

// Waits up to seconds for the child; answers its exit status (128 when a
// signal ended it), or -1 while it still runs.
int WaitForExit(pid_t child, double seconds);
