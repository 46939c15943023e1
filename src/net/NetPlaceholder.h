#pragma once

#include <string>
#include <string_view>

namespace zdr::net {

// A task source (or a registry task's computer) "[Net][DOMAIN]" or
// "[Net][DOMAIN][SHARE]" names resources of the network instead of one
// folder. The domain is the text up to the next "]" ("*" or empty: all
// domains); the optional share part filters share names by their end ("*":
// all shares, "$": administrative shares). Text after the brackets is not used.
struct NetPlaceholder {
    std::string domain; // empty: all domains
    std::string share; // empty: no share part (computers only)
};

bool isNetPlaceholder(std::string_view text);
// Only meaningful when isNetPlaceholder(text).
NetPlaceholder parseNetPlaceholder(std::string_view text);

} // namespace zdr::net
