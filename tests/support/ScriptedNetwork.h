#pragma once

#include "net/NetEnumerator.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zdr::test {

// A network by script for the coordinators' placeholder tasks: the children
// of each container by name ("" is the top), each with its display type.
// Computers and domains are containers, shares are not.
class ScriptedNetwork : public net::NetEnumerator {
public:
    using Children = std::vector<std::pair<std::uint32_t, std::string>>;

    explicit ScriptedNetwork(std::map<std::string, Children> children) : children_(std::move(children)) {}

    // Called after each child is reported (a test looks at the windows there).
    std::function<void(const std::string& child)> afterFound;

    platform::ErrorCode enumerate(const net::NetResource* container, std::uint32_t /*resourceType*/,
                                  const std::function<void(const net::NetResource&)>& found) override
    {
        for (const auto& [display, child] : children_[container ? container->RemoteName : ""]) {
            net::NetResource r;
            r.dwDisplayType = display;
            r.dwUsage = display == net::resource::kDisplayShare ? net::resource::kUsageConnectable
                                                                : net::resource::kUsageContainer;
            r.RemoteName = child;
            found(r);
            if (afterFound)
                afterFound(child);
        }
        return 0;
    }

private:
    std::map<std::string, Children> children_;
};

} // namespace zdr::test
