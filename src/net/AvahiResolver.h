#pragma once

#include "net/HostResolver.h"

#include <string>
#include <string_view>
#include <vector>

namespace zdr::net {

// The SMB hosts announced over DNS-SD/mDNS (service "_smb._tcp"), asked of the
// Avahi daemon through "avahi-browse -rptk _smb._tcp". Names from the network
// are taken as hostile: a line that does not parse, a name that is not a plain
// host name or an address that is not one is left out.
class AvahiResolver final : public HostResolver {
public:
    static constexpr std::size_t kMaxHosts = 256;

    struct Options {
        std::string tool = "avahi-browse";
        int timeoutSeconds = 5;
    };

    AvahiResolver();
    explicit AvahiResolver(Options options);

    std::vector<AnnouncedHost> announcedHosts() override;

private:
    Options options_;
};

// The resolved lines ("=;if;IPv4;name;type;domain;host;address;port;txt") of
// avahi-browse's parsable output: one host per host name (in the order
// first seen, at most AvahiResolver::kMaxHosts), with its first IPv4 address.
std::vector<AnnouncedHost> parseAvahiBrowse(std::string_view output);

} // namespace zdr::net
