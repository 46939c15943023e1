#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zdr::net {

// A share name as the user types it: "\\server\share", optionally with a
// folder inside the share ("\\server\share\folder"); "//server/share" is the
// same. Server and share must not be empty.
struct UncName {
    std::string server;
    std::string share;
    std::string folder; // "" or "a/b", with "/" between its parts
};

std::optional<UncName> parseUncName(std::string_view text);

// "DOMAIN\user" (or "DOMAIN/user") → domain and user; a plain name has no domain.
struct UserName {
    std::string domain;
    std::string user;
};
UserName splitUserName(std::string_view text);

// A name as one part of an smb:// address (domain, user, server, share).
std::string percentEncoded(std::string_view text);

} // namespace zdr::net
