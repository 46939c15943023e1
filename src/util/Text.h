#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text helpers for the system's own rules: case-insensitive tests, ";" and "|"
// lists, and UTF-8 checks. Case folding covers ASCII and the Latin-1 letters
// (umlauts), which is what German names on disk need.
namespace zdr::util {

std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);

bool iequals(std::string_view a, std::string_view b);
// Position of needle in haystack compared without regard to case, or npos.
std::size_t ifind(std::string_view haystack, std::string_view needle);
inline bool icontains(std::string_view haystack, std::string_view needle)
{
    return ifind(haystack, needle) != std::string_view::npos;
}

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Splits at every separator; an empty text gives one empty field, as VB's Split.
std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string removeAll(std::string_view text, char c);
std::string trimLeft(std::string_view text);
std::string trim(std::string_view text);

bool isValidUtf8(std::string_view text);
// Replaces every byte that is not part of valid UTF-8 by U+FFFD, so that names
// from disk can always be shown.
std::string toValidUtf8(std::string_view text);

// Number value of a text as VB's Val(): leading blanks, optional sign, digits;
// anything else ends the number; no digits give 0. Clamped to the 64-bit range.
long long numberValue(std::string_view text);

} // namespace zdr::util
