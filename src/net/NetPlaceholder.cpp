#include "net/NetPlaceholder.h"

#include "base/Text.h"
#include "net/HostResolver.h"

namespace zdr::net {

namespace {
constexpr std::string_view kHead = "[Net][";

// The text from pos up to the next "]" (or the end); pos moves past the "]".
std::string bracketed(std::string_view text, std::size_t& pos)
{
    const std::size_t close = text.find(']', pos);
    std::string part(text.substr(pos, close == std::string_view::npos ? std::string_view::npos : close - pos));
    pos = close == std::string_view::npos ? text.size() : close + 1;
    return part;
}
} // namespace

bool isNetPlaceholder(std::string_view text) { return base::startsWith(text, kHead); }

NetPlaceholder parseNetPlaceholder(std::string_view text)
{
    NetPlaceholder placeholder;
    std::size_t pos = kHead.size();
    placeholder.domain = bracketed(text, pos);
    if (placeholder.domain == "*")
        placeholder.domain.clear();
    if (pos < text.size() && text[pos] == '[') {
        ++pos;
        placeholder.share = bracketed(text, pos);
    }
    return placeholder;
}

bool namesHosts(std::string_view domain) { return base::startsWith(domain, "\\\\"); }

std::vector<std::string> namedHosts(std::string_view domain)
{
    std::vector<std::string> hosts;
    if (!namesHosts(domain))
        return hosts;
    std::string list(domain);
    for (char& c : list) {
        if (c == ';')
            c = ',';
    }
    for (const std::string& item : base::split(list, ",")) {
        std::string name = base::trim(item);
        if (!base::startsWith(name, "\\\\"))
            continue;
        name.erase(0, 2);
        if (!isPlainHostName(name))
            continue;
        bool repeated = false;
        for (const std::string& h : hosts)
            repeated = repeated || base::iequals(h, name);
        if (!repeated)
            hosts.push_back(name);
    }
    return hosts;
}

} // namespace zdr::net
