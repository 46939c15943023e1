#pragma once

#include "platform/ErrorCode.h"

#include <string>

namespace zdr::net {

// What one connect or cancel call answered: a Windows error number (0 for
// success), or, when the call itself could not be made at all, the system's
// description of that failure.
struct NetCallResult {
    platform::ErrorCode code = platform::error::kSuccess;
    std::string failure;
};

// The platform side of a network drive: maps a share to a drive name and
// removes the mapping. clsNetConnect holds the logic above it, so tests drive
// it with a provider that answers by script.
class NetProvider {
public:
    virtual ~NetProvider() = default;

    // Maps remoteName to localName with exactly the given credentials (empty
    // strings stay empty). The mapping is not remembered for later log-ons.
    virtual NetCallResult connect(const std::string& localName, const std::string& remoteName,
                                  const std::string& userName, const std::string& password) = 0;
    // Removes the mapping of localName; force: even when files are open.
    virtual NetCallResult cancel(const std::string& localName, bool force) = 0;
    // True when the path exists and checking it raised no error.
    virtual bool pathAnswers(const std::string& path) = 0;
};

} // namespace zdr::net
