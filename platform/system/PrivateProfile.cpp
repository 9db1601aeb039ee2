#include "platform/system/PrivateProfile.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

enum class LineKind { Other, Section, Key };

// One line of the file: [begin, end) is its text without the line end,
// next is where the following line starts.
struct Line {
    size_t begin = 0;
    size_t end = 0;
    size_t next = 0;
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name or key, trimmed
    std::string_view value; // trimmed, for keys
};

std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t pos = text.substr(0, Utf8Bom.size()) == Utf8Bom ? Utf8Bom.size() : 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        const size_t newline = text.find('\n', pos);
        line.next = newline == std::string_view::npos ? text.size() : newline + 1;
        line.end = newline == std::string_view::npos ? text.size() : newline;
        if (line.end > line.begin && text[line.end - 1] == '\r')
            --line.end;
        const std::string_view content = Trim(text.substr(line.begin, line.end - line.begin));
        if (!content.empty() && content.front() == '[') {
            line.kind = LineKind::Section;
            const size_t close = content.find(']');
            line.name = Trim(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        } else if (const size_t equals = content.find('='); equals != std::string_view::npos) {
            line.kind = LineKind::Key;
            line.name = Trim(content.substr(0, equals));
            line.value = Trim(content.substr(equals + 1));
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

// The line break to add after a last line that has none: a lone CR there
// already began one.
std::string_view MissingBreak(std::string_view text)
{
    if (text.empty() || text.back() == '\n')
        return {};
    return text.back() == '\r' ? "\n" : "\r\n";
}

// Index of the first section line called section, or lines.size().
size_t FindSection(const std::vector<Line>& lines, std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && SameName(lines[i].name, section))
            return i;
    return lines.size();
}

std::string ReadWholeFile(const std::string& fileName, bool& ok)
{
    std::string text;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ok = errno == ENOENT;
        return text;
    }
    ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return text;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// Writes text to a temporary file beside fileName and renames it over the
// file, keeping the old file's permissions.
bool ReplaceFile(const std::string& fileName, std::string_view text)
{
    std::string temp = fileName + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat old{};
    if (::stat(fileName.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    const bool written = WriteAll(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), fileName.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

std::optional<std::string> ProfileFindValue(std::string_view text, std::string_view section, std::string_view key)
{
    const std::vector<Line> lines = SplitLines(text);
    for (size_t i = FindSection(lines, section) + 1; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::Section)
            break;
        if (lines[i].kind == LineKind::Key && SameName(lines[i].name, key)) {
            std::string_view value = lines[i].value;
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            return std::string(value);
        }
    }
    return std::nullopt;
}

std::string ProfileSetValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value)
{
    const std::vector<Line> lines = SplitLines(text);
    const size_t sectionLine = FindSection(lines, section);
    std::string result;
    if (sectionLine == lines.size()) {
        result.assign(text);
        result += MissingBreak(text);
        result.append("[").append(section).append("]\r\n");
        result.append(key).append("=").append(value).append("\r\n");
        return result;
    }
    // The key's line if it exists, else the last non-blank line of the section,
    // after which a new key goes (blank separators stay before the next section).
    size_t lastFilled = sectionLine;
    for (size_t i = sectionLine + 1; i < lines.size() && lines[i].kind != LineKind::Section; ++i) {
        if (lines[i].kind == LineKind::Key && SameName(lines[i].name, key)) {
            result.assign(text.substr(0, lines[i].begin));
            result.append(lines[i].name).append("=").append(value);
            result.append(text.substr(lines[i].end));
            return result;
        }
        if (!Trim(text.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty())
            lastFilled = i;
    }
    const Line& after = lines[lastFilled];
    result.assign(text.substr(0, after.next));
    result += MissingBreak(text.substr(0, after.next));
    result.append(key).append("=").append(value).append("\r\n");
    result.append(text.substr(after.next));
    return result;
}

int ProfileParseInt(std::string_view value)
{
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        result = result * 10u + static_cast<uint32_t>(value[i] - '0');
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& fileName)
{
    bool ok = false;
    const std::string text = ReadWholeFile(fileName, ok);
    return ProfileFindValue(text, section, key).value_or(defaultValue);
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& fileName)
{
    bool ok = false;
    const std::string text = ReadWholeFile(fileName, ok);
    const std::optional<std::string> value = ProfileFindValue(text, section, key);
    return value ? ProfileParseInt(*value) : defaultValue;
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& fileName)
{
    bool ok = false;
    const std::string text = ReadWholeFile(fileName, ok);
    // A file that exists but cannot be read must not be replaced by a near-empty one.
    if (!ok)
        return false;
    return ReplaceFile(fileName, ProfileSetValue(text, section, key, value));
}
