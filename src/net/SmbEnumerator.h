#pragma once

#include "net/NetEnumerator.h"

#include <memory>
#include <string>
#include <vector>

namespace zdr::net {

// The network walk on Linux through libsmbclient: the top holds one network
// record; below it the workgroups the SMB browse service knows (smb://), then
// their computers (smb://WORKGROUP/), then each computer's shares
// (smb://HOST/). Computers named in the options appear directly below the
// network as well, for networks without a browse service.
class SmbEnumerator final : public NetEnumerator {
public:
    static constexpr const char* kNetworkName = "Windows-Netzwerk";
    static constexpr const char* kProvider = "SMB";

    struct Options {
        int port = 0;       // 0: the default
        std::string domain; // credentials for listing; empty: anonymous
        std::string user;
        std::string password;
        bool browseWorkgroups = true;
        std::vector<std::string> hosts;
        int timeoutMilliseconds = 10000;
    };

    SmbEnumerator();
    explicit SmbEnumerator(Options options);
    ~SmbEnumerator() override;
    SmbEnumerator(const SmbEnumerator&) = delete;
    SmbEnumerator& operator=(const SmbEnumerator&) = delete;

    platform::ErrorCode enumerate(const NetResource* container, std::uint32_t resourceType,
                                  const std::function<void(const NetResource&)>& found) override;

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace zdr::net
