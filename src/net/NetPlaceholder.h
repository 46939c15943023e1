#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zdr::net {

// A task source (or a registry task's computer) "[Net][DOMAIN]" or
// "[Net][DOMAIN][SHARE]" names resources of the network instead of one
// folder. The domain is the text up to the next "]" ("*" or empty: all
// domains); the optional share part filters share names by their end ("*":
// all shares, "$": administrative shares). Text after the brackets is not used.
// A domain part that begins with "\\" names computers instead of a domain
// ("[Net][\\nas,\\pc2][daten]"): the walk starts at them, for networks whose
// browse service lists none (a domain name never holds a "\").
struct NetPlaceholder {
    std::string domain; // empty: all domains
    std::string share;  // empty: no share part (computers only)
};

bool isNetPlaceholder(std::string_view text);
// Only meaningful when isNetPlaceholder(text).
NetPlaceholder parseNetPlaceholder(std::string_view text);

// Whether a placeholder's domain part names computers ("\\HOST,...").
bool namesHosts(std::string_view domain);
// The computers such a domain part names, without their "\\", separated by
// "," or ";"; a name that is not a plain host name (isPlainHostName) is left
// out, so is a repeated one.
std::vector<std::string> namedHosts(std::string_view domain);

} // namespace zdr::net
