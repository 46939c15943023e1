#include "net/NetPlaceholder.h"

#include "util/Text.h"

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

bool isNetPlaceholder(std::string_view text) { return util::startsWith(text, kHead); }

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

} // namespace zdr::net
