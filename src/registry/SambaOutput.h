#pragma once

#include "registry/RegistryProvider.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading what Samba's "net rpc registry" commands print (with LC_ALL=C).
namespace zdr::registry::samba {

struct GetValueOutput {
    RegistryReadResult result;
    // For REG_BINARY "getvalue" prints only the length; the bytes come from
    // an export of the key, which then must have this many.
    std::optional<std::size_t> binaryLength;
};

// The output of "getvalue": "Type       = REG_SZ" and "Value      = ...".
GetValueOutput parseGetValue(std::string_view out, const std::string& valueName);

// The bytes of one REG_BINARY value in the first key of an exported .reg
// text ("name"=hex:01,02,\ continued on the next lines); nothing when the
// value is not there.
std::optional<std::vector<std::uint8_t>> parseExportedBinary(std::string_view regText, const std::string& valueName);

// The failure a run of the tool reported, as the system's error number and
// text: NT_STATUS_ and WERR_ names become the numbers Windows gives for them.
RegistryReadResult failureFromToolOutput(std::string_view output, const std::string& computer);

} // namespace zdr::registry::samba
