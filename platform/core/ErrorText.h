// The reasons that file messages give, in the user's language: the system's
// own texts are English or follow a locale the program does not choose.
#pragma once

#include <string>

// The reason for a system error number, ending in "。": Japanese for the
// common causes, the system's text for rare ones.
std::string ErrorReason(int error);
