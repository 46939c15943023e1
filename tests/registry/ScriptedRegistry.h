#pragma once

#include "base/Text.h"
#include "platform/ErrorCode.h"
#include "registry/RegistryProvider.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zdr::test {

// The registries of a few computers, answering reads as the remote registry
// does: unreachable computers, keys the reader may not open, missing keys and
// values, and values of types the run does not read.
class ScriptedRegistry : public registry::RegistryProvider {
public:
    void set(const std::string& computer, std::uint32_t root, const std::string& path, const std::string& name,
             registry::RegistryValue value)
    {
        values_[valueKey(computer, root, path, name)] = Entry{std::move(value), {}};
    }
    void setOtherType(const std::string& computer, std::uint32_t root, const std::string& path, const std::string& name,
                      const std::string& typeName)
    {
        values_[valueKey(computer, root, path, name)] = Entry{{}, typeName};
    }
    void denyKey(const std::string& computer, std::uint32_t root, const std::string& path)
    {
        denied_.insert(keyKey(computer, root, path));
    }
    void unreachable(const std::string& computer) { unreachable_.insert(base::toUpper(computer)); }

    // Called at the start of every read (a test may cancel the run there).
    std::function<void(const registry::RegistryReadRequest&)> onRead;
    std::vector<registry::RegistryReadRequest> requests;

    registry::RegistryReadResult fc_ReadValue(const registry::RegistryReadRequest& request) override
    {
        requests.push_back(request);
        if (onRead)
            onRead(request);
        namespace error = platform::error;
        if (unreachable_.count(base::toUpper(request.computer)))
            return registry::errorResult(error::kBadNetPath);
        const std::string key = keyKey(request.computer, request.rootKey, request.keyPath);
        if (denied_.count(key))
            return registry::errorResult(error::kAccessDenied);
        const auto found = values_.find(key + "|" + base::toUpper(request.valueName));
        if (found == values_.end())
            return registry::errorResult(error::kFileNotFound);
        if (!found->second.otherType.empty())
            return registry::otherTypeResult(request.valueName, found->second.otherType);
        registry::RegistryReadResult result;
        result.value = found->second.value;
        return result;
    }

private:
    struct Entry {
        registry::RegistryValue value;
        std::string otherType;
    };
    // Registry names are compared without regard to case.
    static std::string keyKey(const std::string& computer, std::uint32_t root, const std::string& path)
    {
        return base::toUpper(computer) + "|" + std::to_string(root) + "|" + base::toUpper(path);
    }
    static std::string valueKey(const std::string& computer, std::uint32_t root, const std::string& path,
                                const std::string& name)
    {
        return keyKey(computer, root, path) + "|" + base::toUpper(name);
    }

    std::map<std::string, Entry> values_;
    std::set<std::string> denied_;
    std::set<std::string> unreachable_;
};

} // namespace zdr::test
