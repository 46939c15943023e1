#include "net/UncName.h"

#include "base/Text.h"

namespace zdr::net {

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }
} // namespace

std::optional<UncName> parseUncName(std::string_view text)
{
    if (text.size() < 2 || !isSeparator(text[0]) || !isSeparator(text[1]))
        return std::nullopt;
    std::string normalised(text.substr(2));
    for (char& c : normalised) {
        if (c == '\\')
            c = '/';
    }
    while (!normalised.empty() && normalised.back() == '/')
        normalised.pop_back();
    std::vector<std::string> parts = base::split(normalised, "/");
    if (parts.size() < 2)
        return std::nullopt;
    for (const std::string& part : parts) {
        if (part.empty() || part == "." || part == "..")
            return std::nullopt;
    }
    UncName name{parts[0], parts[1], {}};
    parts.erase(parts.begin(), parts.begin() + 2);
    name.folder = base::join(parts, "/");
    return name;
}

UserName splitUserName(std::string_view text)
{
    const std::size_t cut = text.find_first_of("\\/");
    if (cut == std::string_view::npos)
        return {{}, std::string(text)};
    return {std::string(text.substr(0, cut)), std::string(text.substr(cut + 1))};
}

std::string percentEncoded(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    for (const unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~' || c == '$') {
            result += static_cast<char>(c);
        } else {
            result += '%';
            result += kHex[c >> 4];
            result += kHex[c & 15];
        }
    }
    return result;
}

} // namespace zdr::net
