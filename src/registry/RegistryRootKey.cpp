#include "registry/RegistryRootKey.h"

#include "base/Text.h"

namespace zdr::registry {

namespace {

struct RootName {
    std::string_view name;
    std::uint32_t handle;
};

constexpr RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", rootKey::kClassesRoot},
    {"HKEY_CURRENT_USER", rootKey::kCurrentUser},
    {"HKEY_LOCAL_MACHINE", rootKey::kLocalMachine},
    {"HKEY_USERS", rootKey::kUsers},
    {"HKEY_PERFORMANCE_DATA", rootKey::kPerformanceData},
    {"HKEY_CURRENT_CONFIG", rootKey::kCurrentConfig},
    {"HKEY_DYN_DATA", rootKey::kDynData},
};

} // namespace

std::uint32_t fc_RootKeyHandle(std::string_view name)
{
    const std::string upper = base::toUpper(name);
    for (const RootName& root : kRoots)
        if (upper == root.name)
            return root.handle;
    return rootKey::kNone;
}

std::string_view rootKeyName(std::uint32_t handle)
{
    for (const RootName& root : kRoots)
        if (root.handle == handle)
            return root.name;
    return {};
}

RegistryPath fc_SplitRegistryPath(std::string_view path)
{
    const std::size_t separator = path.find('\\');
    if (separator == std::string_view::npos)
        return {rootKey::kNone, std::string(path)};
    return {fc_RootKeyHandle(path.substr(0, separator)), std::string(path.substr(separator + 1))};
}

} // namespace zdr::registry
