#include "registry/SambaOutput.h"

#include "base/Text.h"
#include "platform/ErrorCode.h"

#include <cctype>
#include <charconv>

namespace zdr::registry::samba {

namespace {

constexpr std::uint32_t kInvalidData = 13;
constexpr std::uint32_t kGenFailure = 31;

std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> result;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        result.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return result;
}

template <typename Number>
std::optional<Number> numberAt(std::string_view text)
{
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

RegistryReadResult unexpected(std::string_view out)
{
    RegistryReadResult result;
    result.result = static_cast<std::int32_t>(kInvalidData);
    const std::vector<std::string_view> all = lines(out);
    result.errorText = "Unerwartete Ausgabe von 'net rpc registry': "
        + std::string(all.empty() ? std::string_view("(keine)") : all.front());
    return result;
}

// .reg files write a value name in quotes, with "\" and the quote escaped.
std::string regQuoted(const std::string& name)
{
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"=";
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view data)
{
    std::vector<std::uint8_t> bytes;
    if (base::trim(data).empty())
        return bytes;
    for (const std::string& piece : base::split(data, ",")) {
        const std::string hex = base::trim(piece);
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (hex.size() != 2 || ec != std::errc() || end != hex.data() + hex.size())
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

struct StatusCode {
    std::string_view name;
    std::uint32_t code;
};

// What Windows reports for the same failures of a remote registry read.
constexpr StatusCode kStatusCodes[] = {
    {"NT_STATUS_ACCESS_DENIED", platform::error::kAccessDenied},
    {"WERR_ACCESS_DENIED", platform::error::kAccessDenied},
    {"NT_STATUS_OBJECT_NAME_NOT_FOUND", platform::error::kFileNotFound},
    {"NT_STATUS_NO_SUCH_DEVICE", platform::error::kFileNotFound},
    {"WERR_FILE_NOT_FOUND", platform::error::kFileNotFound},
    {"WERR_BADFILE", platform::error::kFileNotFound},
    {"NT_STATUS_OBJECT_PATH_NOT_FOUND", platform::error::kPathNotFound},
    {"WERR_PATH_NOT_FOUND", platform::error::kPathNotFound},
    {"NT_STATUS_INVALID_PARAMETER", platform::error::kInvalidParameter},
    {"WERR_INVALID_PARAMETER", platform::error::kInvalidParameter},
    {"NT_STATUS_WRONG_PASSWORD", platform::error::kInvalidPassword},
    {"NT_STATUS_LOGON_FAILURE", platform::error::kLogonFailure},
    {"NT_STATUS_NO_SUCH_USER", platform::error::kLogonFailure},
    {"NT_STATUS_ACCOUNT_DISABLED", platform::error::kLogonFailure},
    {"NT_STATUS_ACCOUNT_LOCKED_OUT", platform::error::kLogonFailure},
    {"NT_STATUS_ACCOUNT_RESTRICTION", platform::error::kLogonFailure},
    {"NT_STATUS_PASSWORD_EXPIRED", platform::error::kLogonFailure},
    {"NT_STATUS_BAD_NETWORK_NAME", platform::error::kBadNetName},
    {"NT_STATUS_CONNECTION_REFUSED", platform::error::kBadNetPath},
    {"NT_STATUS_CONNECTION_RESET", platform::error::kBadNetPath},
    {"NT_STATUS_CONNECTION_DISCONNECTED", platform::error::kBadNetPath},
    {"NT_STATUS_HOST_UNREACHABLE", platform::error::kBadNetPath},
    {"NT_STATUS_NETWORK_UNREACHABLE", platform::error::kBadNetPath},
    {"NT_STATUS_PORT_UNREACHABLE", platform::error::kBadNetPath},
    {"NT_STATUS_IO_TIMEOUT", platform::error::kBadNetPath},
    {"NT_STATUS_BAD_NETWORK_PATH", platform::error::kBadNetPath},
    {"NT_STATUS_PIPE_NOT_AVAILABLE", platform::error::kRpcUnavailable},
    {"NT_STATUS_PIPE_BROKEN", platform::error::kRpcUnavailable},
    {"NT_STATUS_RPC_SERVER_UNAVAILABLE", platform::error::kRpcUnavailable},
};

std::optional<std::uint32_t> statusCode(std::string_view name)
{
    for (const StatusCode& status : kStatusCodes)
        if (status.name == name)
            return status.code;
    return std::nullopt;
}

struct StatusToken {
    std::string name;
    std::string_view line;
};

// The last NT_STATUS_ or WERR_ name the tool printed.
std::optional<StatusToken> lastStatus(const std::vector<std::string_view>& all)
{
    std::optional<StatusToken> found;
    for (std::string_view line : all) {
        for (std::string_view prefix : {"NT_STATUS_", "WERR_"}) {
            std::size_t at = line.find(prefix);
            while (at != std::string_view::npos) {
                std::size_t end = at + prefix.size();
                while (end < line.size()
                       && (std::isupper(static_cast<unsigned char>(line[end]))
                           || std::isdigit(static_cast<unsigned char>(line[end])) || line[end] == '_'))
                    ++end;
                found = StatusToken{std::string(line.substr(at, end - at)), line};
                at = line.find(prefix, end);
            }
        }
    }
    return found;
}

bool contains(const std::vector<std::string_view>& all, std::string_view phrase)
{
    for (std::string_view line : all)
        if (line.find(phrase) != std::string_view::npos)
            return true;
    return false;
}

// The tool's own words for a failure it names no status for; its
// bookkeeping notes ("Freed frame ...") are no message.
std::string_view lastMessage(const std::vector<std::string_view>& all)
{
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (!base::trim(*it).empty() && it->find("Freed frame") == std::string_view::npos)
            return *it;
    return {};
}

} // namespace

GetValueOutput parseGetValue(std::string_view out, const std::string& valueName)
{
    GetValueOutput parsed;
    constexpr std::string_view kTypeTag = "Type       = ";
    constexpr std::string_view kValueTag = "Value      = ";
    const std::size_t typeAt = out.find(kTypeTag);
    if (typeAt == std::string_view::npos) {
        parsed.result = unexpected(out);
        return parsed;
    }
    const std::size_t typeEnd = out.find('\n', typeAt);
    const std::string typeName = base::trim(out.substr(typeAt + kTypeTag.size(), typeEnd - typeAt - kTypeTag.size()));
    const bool known = typeName == "REG_SZ" || typeName == "REG_DWORD" || typeName == "REG_BINARY";
    if (!known) {
        parsed.result = otherTypeResult(valueName, typeName);
        return parsed;
    }
    const std::size_t valueAt = typeEnd == std::string_view::npos ? typeEnd : out.find(kValueTag, typeEnd);
    if (valueAt == std::string_view::npos) {
        parsed.result = unexpected(out);
        return parsed;
    }
    const std::string_view rest = out.substr(valueAt + kValueTag.size());
    if (typeName == "REG_SZ") {
        // The text runs to the last quote: a value may hold line breaks and quotes.
        const std::size_t close = rest.rfind('"');
        if (rest.empty() || rest.front() != '"' || close == 0 || close == std::string_view::npos)
            parsed.result = unexpected(out);
        else
            parsed.result.value = std::string(rest.substr(1, close - 1));
    } else if (typeName == "REG_DWORD") {
        if (const auto number = numberAt<std::uint32_t>(rest))
            parsed.result.value = static_cast<std::int32_t>(*number);
        else
            parsed.result = unexpected(out);
    } else {
        const auto length = numberAt<std::size_t>(rest);
        if (length && rest.find(" bytes") != std::string_view::npos)
            parsed.binaryLength = *length;
        else
            parsed.result = unexpected(out);
    }
    return parsed;
}

std::optional<std::vector<std::uint8_t>> parseExportedBinary(std::string_view regText, const std::string& valueName)
{
    const std::vector<std::string_view> all = lines(regText);
    const std::string prefix = valueName.empty() ? std::string("@=") : regQuoted(valueName);
    bool inFirstKey = false;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string_view line = all[i];
        if (!line.empty() && line.front() == '[') {
            if (inFirstKey)
                break;
            inFirstKey = true;
            continue;
        }
        if (!inFirstKey || line.size() < prefix.size() || !base::iequals(line.substr(0, prefix.size()), prefix))
            continue;
        std::string_view rest = line.substr(prefix.size());
        if (!base::startsWith(rest, "hex:"))
            return std::nullopt;
        rest.remove_prefix(4);
        std::string data;
        for (;;) {
            const bool continued = !rest.empty() && rest.back() == '\\';
            data += base::trim(continued ? rest.substr(0, rest.size() - 1) : rest);
            if (!continued || ++i >= all.size())
                break;
            rest = all[i];
        }
        return hexBytes(data);
    }
    return std::nullopt;
}

RegistryReadResult failureFromToolOutput(std::string_view output, const std::string& computer)
{
    const std::vector<std::string_view> all = lines(output);
    if (contains(all, "Kerberos auth with")) {
        RegistryReadResult result = errorResult(platform::error::kNoSuchLogonSession);
        result.errorText += " (keine Kerberos-Anmeldung an '" + computer
            + "' möglich; bitte mit kinit anmelden oder Benutzer und Kennwort in der Aufgabe angeben)";
        return result;
    }
    if (const auto status = lastStatus(all)) {
        // The registry service of the computer is not there to answer.
        if (status->line.find("pipe") != std::string_view::npos && status->name == "NT_STATUS_OBJECT_NAME_NOT_FOUND")
            return errorResult(platform::error::kRpcUnavailable);
        if (const auto code = statusCode(status->name))
            return errorResult(*code);
    }
    if (contains(all, "Unable to find a suitable server") || contains(all, "Could not connect to server"))
        return errorResult(platform::error::kBadNetPath);
    RegistryReadResult result;
    result.result = static_cast<std::int32_t>(kGenFailure);
    result.errorText =
        "Registry-Zugriff auf Computer '" + computer + "' fehlgeschlagen: " + std::string(lastMessage(all));
    return result;
}

} // namespace zdr::registry::samba
