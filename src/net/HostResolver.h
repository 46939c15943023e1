#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zdr::net {

// A computer that offers SMB shares, as a name service announced it.
struct AnnouncedHost {
    std::string hostName; // "nas.local"
    std::string address;  // its first IPv4 address; empty when it announced none
    int port = 0;

    // How the walk names it: the IPv4 address, which needs no name service of
    // its own; else the host name.
    std::string walkName() const { return address.empty() ? hostName : address; }
};

// Finds the SMB hosts a network announces, for networks where the SMB browse
// service lists no workgroups (as on most networks today).
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // Bounded in time; an empty list when nothing answers.
    virtual std::vector<AnnouncedHost> announcedHosts() = 0;
};

// A host name or address that may stand in a UNC name and an smb:// address:
// letters, digits, "-", "_", "." and the bytes of UTF-8 letters; no spaces,
// separators or control characters, at most 253 bytes, not "." or "..".
bool isPlainHostName(std::string_view name);

} // namespace zdr::net
