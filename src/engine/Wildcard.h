#pragma once

#include <string_view>

namespace zdr::engine {

// Matches a name against a wildcard pattern, case-sensitively, character by
// character (UTF-8 sequences count as one character, stray bytes as one
// each): "*" any run of characters, "?" one character, "#" one digit 0-9,
// "[abc]" / "[a-z]" one character of the list, "[!abc]" one not in it.
// An unclosed "[" stands for itself.
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace zdr::engine
