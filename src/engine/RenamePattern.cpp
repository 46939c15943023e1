#include "engine/RenamePattern.h"

#include <charconv>
#include <cstdio>

namespace zdr::engine {

namespace {

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

// The extension of a file name from its last dot; a leading dot (".profile")
// starts a name, not an extension.
std::size_t extensionStart(const RenameValues& v)
{
    const std::size_t dot = v.name.rfind('.');
    return !v.isFile || dot == std::string::npos || dot == 0 ? v.name.size() : dot;
}

// "[000|x]" (the inside, without brackets): width = number of zeros, start = x.
bool readNumbering(std::string_view inside, std::size_t& width, std::uint64_t& start)
{
    const std::size_t bar = inside.find('|');
    if (bar == 0 || bar == std::string_view::npos || inside.find_first_not_of('0') != bar)
        return false;
    const std::string_view digits = inside.substr(bar + 1);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), start);
    width = bar;
    return !digits.empty() && ec == std::errc() && end == digits.data() + digits.size();
}

// The placeholders of a rename pattern; their words are read only here.
enum class Placeholder { NameTotal, Name, Ext, Year, Year2, Month, Day, Hour, Minute, Second };

constexpr struct {
    std::string_view word;
    Placeholder kind;
} kPlaceholders[] = {
    {"NAMETOTAL", Placeholder::NameTotal},
    {"NAME", Placeholder::Name},
    {"EXT", Placeholder::Ext},
    {"yyyy", Placeholder::Year},
    {"yy", Placeholder::Year2},
    {"mm", Placeholder::Month},
    {"dd", Placeholder::Day},
    {"hh", Placeholder::Hour},
    {"nn", Placeholder::Minute},
    {"ss", Placeholder::Second},
};

std::string placeholderValue(Placeholder kind, const RenameValues& v)
{
    const base::LocalDateTime& t = v.now;
    switch (kind) {
    case Placeholder::NameTotal: return v.name;
    case Placeholder::Name: return v.name.substr(0, extensionStart(v));
    case Placeholder::Ext: return v.name.substr(extensionStart(v));
    case Placeholder::Year: return std::to_string(t.year);
    case Placeholder::Year2: return twoDigits(t.year);
    case Placeholder::Month: return twoDigits(t.month);
    case Placeholder::Day: return twoDigits(t.day);
    case Placeholder::Hour: return twoDigits(t.hour);
    case Placeholder::Minute: return twoDigits(t.minute);
    case Placeholder::Second: return twoDigits(t.second);
    }
    return {};
}

// The value of one placeholder (the text between the brackets); false when
// it names none.
bool placeholder(std::string_view inside, const RenameValues& v, bool& numberUsed, std::string& out)
{
    for (const auto& p : kPlaceholders) {
        if (inside == p.word) {
            out = placeholderValue(p.kind, v);
            return true;
        }
    }
    std::size_t width = 0;
    std::uint64_t start = 0;
    if (!readNumbering(inside, width, start))
        return false;
    out = std::to_string(start + v.numbered);
    if (out.size() < width)
        out.insert(0, width - out.size(), '0');
    numberUsed = true;
    return true;
}

} // namespace

std::string fc_RenameName(std::string_view pattern, const RenameValues& values, bool& numberUsed)
{
    numberUsed = false;
    std::string out;
    std::size_t at = 0;
    while (at < pattern.size()) {
        const std::size_t open = pattern.find('[', at);
        const std::size_t close = open == std::string_view::npos ? open : pattern.find(']', open);
        if (close == std::string_view::npos) {
            out.append(pattern.substr(at));
            break;
        }
        out.append(pattern.substr(at, open - at));
        std::string value;
        if (placeholder(pattern.substr(open + 1, close - open - 1), values, numberUsed, value)) {
            out += value;
            at = close + 1;
        } else {
            out += '[';
            at = open + 1;
        }
    }
    return out;
}

bool fc_RenameNumbers(std::string_view pattern)
{
    bool numberUsed = false;
    fc_RenameName(pattern, {}, numberUsed);
    return numberUsed;
}

bool fc_RenameNameValid(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
        && name.find('\0') == std::string_view::npos;
}

} // namespace zdr::engine
