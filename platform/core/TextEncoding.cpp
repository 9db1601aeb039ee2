#include "platform/core/TextEncoding.h"

#include <cwchar>

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string AnsiToUtf8(std::string_view text)
{
    std::string out;
    std::mbstate_t state{};
    size_t i = 0;
    while (i < text.size()) {
        wchar_t wide = 0;
        const size_t used = std::mbrtowc(&wide, text.data() + i, text.size() - i, &state);
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2) ||
            static_cast<char32_t>(wide) > 0x10FFFF || (wide >= 0xD800 && wide <= 0xDFFF)) {
            out += '?';
            state = std::mbstate_t{};
            ++i;
            continue;
        }
        AppendUtf8(out, static_cast<char32_t>(wide));
        i += used == 0 ? 1 : used;
    }
    return out;
}
