#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zdr::net {

// Windows numbers of a network resource record.
namespace resource {
inline constexpr std::uint32_t kScopeGlobalNet = 2;
inline constexpr std::uint32_t kTypeAny = 0;
inline constexpr std::uint32_t kTypeDisk = 1;
inline constexpr std::uint32_t kTypePrint = 2;
inline constexpr std::uint32_t kUsageConnectable = 1;
inline constexpr std::uint32_t kUsageContainer = 2;
inline constexpr std::uint32_t kDisplayGeneric = 0;
inline constexpr std::uint32_t kDisplayDomain = 1;
inline constexpr std::uint32_t kDisplayServer = 2;
inline constexpr std::uint32_t kDisplayShare = 3;
inline constexpr std::uint32_t kDisplayFile = 4;
inline constexpr std::uint32_t kDisplayGroup = 5;
inline constexpr std::uint32_t kDisplayNetwork = 6;
inline constexpr std::uint32_t kDisplayRoot = 7;
inline constexpr std::uint32_t kDisplayShareAdmin = 8;
inline constexpr std::uint32_t kDisplayDirectory = 9;
} // namespace resource

// One network resource as the enumeration reports it. Names follow the
// Windows forms: a domain "WORKGROUP", a computer "\\HOST", a share
// "\\HOST\share".
struct NetResource {
    std::uint32_t dwScope = resource::kScopeGlobalNet;
    std::uint32_t dwType = resource::kTypeAny;
    std::uint32_t dwDisplayType = resource::kDisplayGeneric;
    std::uint32_t dwUsage = 0;
    std::string LocalName;
    std::string RemoteName;
    std::string Comment;
    std::string Provider;

    bool isContainer() const { return (dwUsage & resource::kUsageContainer) != 0; }
};

// The platform side of the network walk: lists the children of one container.
class NetEnumerator {
public:
    virtual ~NetEnumerator() = default;
    // Reports each child of the container (nullptr: the top of the network)
    // of the resource type (containers always) as it is read. Returns 0, or
    // the error that ended the listing; children reported before it stay.
    virtual platform::ErrorCode enumerate(const NetResource* container, std::uint32_t resourceType,
                                          const std::function<void(const NetResource&)>& found) = 0;
};

} // namespace zdr::net
