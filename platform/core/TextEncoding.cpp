#include "platform/core/TextEncoding.h"

#include <cwchar>
#include <cwctype>

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

// The code point starting at text[i], advancing i; a byte that starts no
// valid sequence is returned above the Unicode range so it matches only itself.
char32_t NextCodePoint(std::string_view text, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
        valid = (byte(i + k) & 0xC0) == 0x80;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (!valid) {
        ++i;
        return 0x110000 + lead;
    }
    i += length;
    return c;
}

} // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = NextCodePoint(a, i);
        const char32_t y = NextCodePoint(b, j);
        if (x != y && (x > 0x10FFFF || y > 0x10FFFF ||
                       std::towlower(static_cast<wint_t>(x)) != std::towlower(static_cast<wint_t>(y))))
            return false;
    }
    return i == a.size() && j == b.size();
}

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
