#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The predefined root keys of the registry, by the handles the system gives
// them. A task stores the handle; 0 means the path named no known root.
namespace zdr::registry {

namespace rootKey {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kClassesRoot = 0x80000000;
inline constexpr std::uint32_t kCurrentUser = 0x80000001;
inline constexpr std::uint32_t kLocalMachine = 0x80000002;
inline constexpr std::uint32_t kUsers = 0x80000003;
inline constexpr std::uint32_t kPerformanceData = 0x80000004;
inline constexpr std::uint32_t kCurrentConfig = 0x80000005;
inline constexpr std::uint32_t kDynData = 0x80000006;
} // namespace rootKey

// The handle of a root name ("HKEY_LOCAL_MACHINE", any case), or 0.
std::uint32_t fc_RootKeyHandle(std::string_view name);
// The full name of a root handle ("HKEY_USERS"), empty for an unknown one.
std::string_view rootKeyName(std::uint32_t handle);

struct RegistryPath {
    std::uint32_t rootKey = rootKey::kNone;
    std::string keyPath;

    bool operator==(const RegistryPath&) const = default;
};

// Splits a typed path at its first "\": the part before names the root, the
// rest is the key path. Without a "\" the whole text is the key path and the
// root stays 0; an unknown root name also gives 0.
RegistryPath fc_SplitRegistryPath(std::string_view path);

} // namespace zdr::registry
