#include "net/AvahiResolver.h"

#include "base/Text.h"
#include "net/ToolRun.h"

#include <arpa/inet.h>

#include <charconv>
#include <optional>

namespace zdr::net {

namespace {

constexpr std::size_t kMaxLine = 4096;

bool isAddress(int family, const std::string& text)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(family, text.c_str(), buffer) == 1;
}

std::optional<int> portNumber(std::string_view text)
{
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (ec != std::errc() || end != text.data() + text.size() || port <= 0 || port > 65535)
        return std::nullopt;
    return port;
}

} // namespace

bool isPlainHostName(std::string_view name)
{
    if (name.empty() || name.size() > 253 || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool ok = (u >= 0x80) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '-' || c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

std::vector<AnnouncedHost> parseAvahiBrowse(std::string_view output)
{
    std::vector<AnnouncedHost> hosts;
    for (const std::string& line : base::split(output, "\n")) {
        if (line.size() > kMaxLine || !base::startsWith(line, "=;"))
            continue;
        // The text records come last and may hold ";": only the first nine
        // fields are read.
        std::vector<std::string> fields = base::split(line, ";");
        if (fields.size() < 9)
            continue;
        const std::string& protocol = fields[2];
        std::string hostName = fields[6];
        if (base::endsWith(hostName, "."))
            hostName.pop_back();
        const std::string& address = fields[7];
        const std::optional<int> port = portNumber(fields[8]);
        if (!isPlainHostName(hostName) || !port)
            continue;
        const bool v4 = protocol == "IPv4" && isAddress(AF_INET, address);
        if (!v4 && !(protocol == "IPv6" && isAddress(AF_INET6, address)))
            continue;

        AnnouncedHost* known = nullptr;
        for (AnnouncedHost& h : hosts) {
            if (base::iequals(h.hostName, hostName))
                known = &h;
        }
        if (!known) {
            if (hosts.size() >= AvahiResolver::kMaxHosts)
                continue;
            known = &hosts.emplace_back(AnnouncedHost{hostName, {}, *port});
        }
        // An IPv6 address is not used: a link-local one cannot be named in a
        // UNC name without its interface.
        if (v4 && known->address.empty()) {
            known->address = address;
            known->port = *port;
        }
    }
    return hosts;
}

AvahiResolver::AvahiResolver() : AvahiResolver(Options{}) {}

AvahiResolver::AvahiResolver(Options options) : options_(std::move(options)) {}

std::vector<AnnouncedHost> AvahiResolver::announcedHosts()
{
    const std::string tool = findTool(options_.tool);
    if (tool.empty())
        return {};
    // -r resolves each service, -p parsable lines, -t ends when the daemon
    // has told what it knows, -k keeps the service type as it is.
    const ToolRun run = runTool({tool, "-rptk", "_smb._tcp"}, {}, options_.timeoutSeconds);
    // A browse cut short by the timeout still names what it resolved.
    return parseAvahiBrowse(run.out);
}

} // namespace zdr::net
