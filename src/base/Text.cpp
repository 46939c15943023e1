#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zdr::base {

namespace {

struct CaseRange {
    char32_t first;
    char32_t last;
    char32_t step;
    std::int32_t delta;
};

#include "base/CaseTables.inc"

template <std::size_t N>
char32_t mapped(const CaseRange (&ranges)[N], char32_t c)
{
    const CaseRange* end = ranges + N;
    const CaseRange* at = std::upper_bound(ranges, end, c, [](char32_t v, const CaseRange& r) { return v < r.first; });
    if (at == ranges)
        return c;
    --at;
    if (c > at->last || (c - at->first) % at->step != 0)
        return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + at->delta);
}

// Length of the valid UTF-8 sequence at text[i] and its code point, or 0
// when it is invalid (stray, overlong, a surrogate, past U+10FFFF, cut).
std::size_t utf8Sequence(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    cp = b0;
    if (b0 < 0x80)
        return 1;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    const bool overlong = (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (overlong || surrogate || cp > 0x10FFFF)
        return 0;
    return len;
}

std::size_t utf8SequenceLength(std::string_view text, std::size_t i)
{
    char32_t cp = 0;
    return utf8Sequence(text, i, cp);
}

void encode(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Maps every character of valid UTF-8 by the table; a byte that is not
// valid UTF-8 stays as it is, so it equals only itself. ASCII, what most
// names are made of, goes the short way.
template <bool Upper>
std::string mapCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t cp = 0;
        if (b < 0x80) {
            const bool change = Upper ? (b >= 'a' && b <= 'z') : (b >= 'A' && b <= 'Z');
            out += static_cast<char>(change ? (Upper ? b - 32 : b + 32) : b);
            ++i;
        } else if (const std::size_t length = utf8Sequence(text, i, cp); length > 0) {
            encode(Upper ? mapped(kUpperRanges, cp) : mapped(kFoldRanges, cp), out);
            i += length;
        } else {
            out += static_cast<char>(b);
            ++i;
        }
    }
    return out;
}

} // namespace

std::string toUpper(std::string_view text) { return mapCase<true>(text); }
std::string toLower(std::string_view text) { return mapCase<false>(text); }

// Folding may change a name's length in bytes (the Kelvin sign is three,
// its "k" one): whole folded texts are compared.
bool iequals(std::string_view a, std::string_view b) { return toLower(a) == toLower(b); }

bool icontains(std::string_view haystack, std::string_view needle)
{
    return toLower(haystack).find(toLower(needle)) != std::string::npos;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::vector<std::string> split(std::string_view text, std::string_view separator)
{
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(separator, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
}

std::string join(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += separator;
        out += parts[i];
    }
    return out;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(text);
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(from, start);
        if (pos == std::string_view::npos)
            break;
        out.append(text.substr(start, pos - start));
        out.append(to);
        start = pos + from.size();
    }
    out.append(text.substr(start));
    return out;
}

std::string removeAll(std::string_view text, char c)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (ch != c)
            out += ch;
    return out;
}

std::string trimLeft(std::string_view text)
{
    const std::size_t pos = text.find_first_not_of(' ');
    return pos == std::string_view::npos ? std::string() : std::string(text.substr(pos));
}

std::string trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

namespace {
bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
} // namespace

bool hasControls(std::string_view text) { return std::any_of(text.begin(), text.end(), isControl); }

std::string escapeControls(std::string_view text)
{
    const auto control = isControl;
    if (!hasControls(text))
        return std::string(text);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (!control(c)) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            const auto b = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = utf8SequenceLength(text, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string toValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t len = utf8SequenceLength(text, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, len));
            i += len;
        }
    }
    return out;
}

bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out)
{
    if (bytes.size() % 2 != 0)
        return false;
    out.clear();
    out.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t cp = unitAt(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            return false;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 2 >= bytes.size())
                return false;
            const char32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        encode(cp, out);
    }
    return true;
}

long long numberValue(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long limit = std::numeric_limits<long long>::max();
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace zdr::base
