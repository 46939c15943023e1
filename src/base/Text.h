#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text helpers for the system's own rules: case-insensitive tests, ";" and "|"
// lists, and UTF-8 checks. Case goes by Unicode's simple mappings, for every
// script (CaseTables.inc); a byte that is not valid UTF-8 stays as it is and
// so equals only itself.
namespace zdr::base {

std::string toUpper(std::string_view text);
// Folded for comparing ("Σ", "σ" and "ς" alike); not always the lower case.
std::string toLower(std::string_view text);

bool iequals(std::string_view a, std::string_view b);
bool icontains(std::string_view haystack, std::string_view needle);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Splits at every separator into the fields between them, empty fields kept:
// n separators give n + 1 fields, and an empty text one empty field.
std::vector<std::string> split(std::string_view text, std::string_view separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string removeAll(std::string_view text, char c);
std::string trimLeft(std::string_view text);
std::string trim(std::string_view text);

// A name from disk as it is printed: its control characters (below 0x20,
// and 0x7F) as escapes, "\n", "\r", "\t" and "\x1b" for the rest, so a
// line stays one line. Everything else is kept.
std::string escapeControls(std::string_view text);
bool hasControls(std::string_view text);

bool isValidUtf8(std::string_view text);
// Replaces every byte that is not part of valid UTF-8 by U+FFFD, so that names
// from disk can always be shown.
std::string toValidUtf8(std::string_view text);

// UTF-16 (two bytes a unit, big- or little-endian, no byte-order mark) as
// UTF-8; false for an odd length or a surrogate without its partner.
bool utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& out);

// The number a text begins with, as typed numbers are read throughout:
// leading blanks, an optional sign, then digits; the first other character
// ends the number, and a text without digits gives 0. Clamped to the 64-bit
// range.
long long numberValue(std::string_view text);

} // namespace zdr::base
