// "ANSI" text of outside libraries: the locale's multibyte encoding.
#pragma once

#include <string>
#include <string_view>

// text in the current locale's multibyte encoding as UTF-8; a byte that does
// not decode becomes '?'. Under a UTF-8 locale valid text stays as it is.
std::string AnsiToUtf8(std::string_view text);

// Whether two UTF-8 texts are equal ignoring case by the current locale's
// case rules (the user's locale once the application has set it up); bytes
// that do not decode compare as they are.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
