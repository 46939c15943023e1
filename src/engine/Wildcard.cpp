#include "engine/Wildcard.h"

#include <cstddef>

namespace zdr::engine {

namespace {

// Decodes the character at pos and advances pos past it. Invalid, overlong
// or truncated sequences give their first byte as a character of its own,
// kept above the Unicode range so that a stray byte never equals the
// character of the same value.
char32_t nextChar(std::string_view text, std::size_t& pos)
{
    constexpr char32_t kStrayByte = 0x110000;
    const auto b0 = static_cast<unsigned char>(text[pos]);
    ++pos;
    if (b0 < 0x80)
        return b0;
    std::size_t length = 0;
    char32_t cp = 0;
    // The second byte's range excludes overlong forms, surrogates and
    // values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F;
        if (b0 == 0xE0)
            low = 0xA0;
        else if (b0 == 0xED)
            high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07;
        if (b0 == 0xF0)
            low = 0x90;
        else if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return kStrayByte + b0;
    }
    const std::size_t start = pos - 1;
    if (start + length > text.size())
        return kStrayByte + b0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[start + i]);
        if (i == 1 ? (b < low || b > high) : (b & 0xC0) != 0x80)
            return kStrayByte + b0;
        cp = cp << 6 | (b & 0x3F);
    }
    pos = start + length;
    return cp;
}

// Tests c against the list that starts after "[" at pos; on success of the
// parse pos is moved behind "]". Returns -1 when the list is not closed.
int matchList(std::string_view pattern, std::size_t& pos, char32_t c)
{
    std::size_t p = pos;
    bool negate = false;
    if (p < pattern.size() && pattern[p] == '!')
        negate = true, ++p;
    bool found = false;
    bool first = true;
    while (p < pattern.size() && (pattern[p] != ']' || first)) {
        first = false;
        const char32_t low = nextChar(pattern, p);
        char32_t high = low;
        if (p + 1 < pattern.size() && pattern[p] == '-' && pattern[p + 1] != ']') {
            ++p;
            high = nextChar(pattern, p);
        }
        if (c >= low && c <= high)
            found = true;
    }
    if (p >= pattern.size())
        return -1;
    pos = p + 1;
    return found != negate ? 1 : 0;
}

// Matches one pattern element at pp against the character c. Moves pp
// behind the element.
bool matchOne(std::string_view pattern, std::size_t& pp, char32_t c)
{
    const char p = pattern[pp];
    if (p == '?') {
        ++pp;
        return true;
    }
    if (p == '#') {
        ++pp;
        return c >= U'0' && c <= U'9';
    }
    if (p == '[') {
        std::size_t after = pp + 1;
        const int r = matchList(pattern, after, c);
        if (r >= 0) {
            pp = after;
            return r == 1;
        }
    }
    return nextChar(pattern, pp) == c;
}

} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    std::size_t pp = 0;
    std::size_t np = 0;
    // Where to resume after the last "*": the pattern behind it and the
    // name position it has swallowed up to.
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (np < name.size()) {
        if (pp < pattern.size() && pattern[pp] == '*') {
            starPattern = ++pp;
            starName = np;
            continue;
        }
        if (pp < pattern.size()) {
            std::size_t nextPp = pp;
            std::size_t nextNp = np;
            if (matchOne(pattern, nextPp, nextChar(name, nextNp))) {
                pp = nextPp;
                np = nextNp;
                continue;
            }
        }
        if (starPattern == std::string_view::npos)
            return false;
        // Let the last "*" take one more character and try again.
        pp = starPattern;
        nextChar(name, starName);
        np = starName;
    }
    while (pp < pattern.size() && pattern[pp] == '*')
        ++pp;
    return pp == pattern.size();
}

} // namespace zdr::engine
