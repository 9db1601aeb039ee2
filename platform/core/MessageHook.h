// The plain message box of the class library ("ShowMessage"): a text for the
// user with one OK button. The engine and the bitmap model report through
// it without knowing about any window; the editor installs a handler that
// shows a real message box. Without one, the text goes to standard error.
#pragma once

#include <functional>
#include <string>

using TMessageHandler = std::function<void(const std::string& Msg)>;

// Hands Msg to the installed handler and returns when the user has seen it.
void ShowMessage(const std::string& Msg);

// Installs Handler (an empty one restores the default) and answers the
// handler it replaces, so a caller can put that one back.
TMessageHandler SetMessageHandler(TMessageHandler Handler);
