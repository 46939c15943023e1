#pragma once

#include <cstdint>
#include <string>

namespace zdr::registry {

// One registry task: one computer, the value to read on it, and what the
// progress window shows besides (the value and the service are shown only;
// the run neither writes the value nor touches the service).
struct SystemTask {
    std::string par_Computer; // empty: the local computer; "[Net][domain]": expanded before the run
    std::uint32_t par_RegistryRootKey = 0;
    std::string par_RegistryPath; // below the root
    std::string par_RegistryKey;  // name of the value
    std::string par_RegistryValue;
    std::string par_ServiceStartAndStop;
    std::string par_NetConnectSource; // network-drive code; its user and password log on to the computer

    bool operator==(const SystemTask&) const = default;
};

} // namespace zdr::registry
