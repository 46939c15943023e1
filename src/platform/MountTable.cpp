#include "platform/MountTable.h"

#include "platform/FileIo.h"

#include <sys/sysmacros.h>

#include <charconv>

namespace zdr::platform {

namespace {

// The table writes blanks, tabs, line breaks and "\" as octal escapes.
std::string unescaped(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool readNumber(std::string_view text, unsigned& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text)
{
    // Each line: id, parent id, major:minor, root, mount point, options, ...
    std::vector<MountEntry> entries;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        const std::size_t lineEnd = std::min(text.find('\n', lineStart), text.size());
        const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        std::vector<std::string_view> fields;
        for (std::size_t at = 0; at <= line.size() && fields.size() < 5;) {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            fields.push_back(line.substr(at, end - at));
            at = end + 1;
        }
        const std::size_t colon = fields.size() == 5 ? fields[2].find(':') : std::string_view::npos;
        unsigned major = 0;
        unsigned minor = 0;
        if (colon == std::string_view::npos || !readNumber(fields[2].substr(0, colon), major)
            || !readNumber(fields[2].substr(colon + 1), minor) || fields[4].empty() || fields[4].front() != '/')
            continue;
        entries.push_back({makedev(major, minor), unescaped(fields[3]), unescaped(fields[4])});
    }
    return entries;
}

std::string readMountInfo()
{
    std::string text;
    ErrorCode ignored = 0;
    if (!readWholeFile("/proc/self/mountinfo", 16 * 1024 * 1024, text, ignored))
        text.clear();
    return text;
}

} // namespace zdr::platform
