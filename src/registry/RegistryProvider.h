#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Reading one registry value, on the local or a remote computer, behind an
// interface: the program reads through the platform's provider, tests through
// a scripted one.
namespace zdr::registry {

// The value types the run reads, by their system numbers.
namespace valueType {
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
} // namespace valueType

// No value, a string (REG_SZ, without its terminating zero), bytes
// (REG_BINARY) or a 32-bit integer (REG_DWORD).
using RegistryValue = std::variant<std::monostate, std::string, std::vector<std::uint8_t>, std::int32_t>;

struct RegistryReadRequest {
    std::uint32_t rootKey = 0;
    std::string keyPath;
    std::string valueName;
    std::string computer; // empty: the local computer
    // Who to read as; an empty user means the current user's own log-on.
    std::string user;
    std::string password;
};

struct RegistryReadResult {
    // 0 when read; -1 for a value of a type the run does not read; otherwise
    // the system's error number.
    std::int32_t result = 0;
    RegistryValue value;
    std::string errorText; // German; empty when read

    bool ok() const { return result == 0; }
};

class RegistryProvider {
public:
    virtual ~RegistryProvider() = default;
    virtual RegistryReadResult fc_ReadValue(const RegistryReadRequest& request) = 0;
};

// The result of a value of a type the run does not read (REG_EXPAND_SZ,
// REG_MULTI_SZ, ...): no value, result -1, and a text naming the type.
RegistryReadResult otherTypeResult(const std::string& valueName, const std::string& typeName);
// The result of a failed call: the system's text for the error number.
RegistryReadResult errorResult(std::uint32_t code);

} // namespace zdr::registry
