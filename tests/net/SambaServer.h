#pragma once

#include "support/TempDir.h"

#include <string>
#include <sys/types.h>

namespace zdr::test {

// A Samba server of the test's own: smbd from the system's samba package on a
// free loopback port, with a temporary configuration, state and two shares
// ("daten" and the hidden "geheim$", both open to guests). Stopped, with the
// helpers it started, when the object goes. When smbd cannot run, skipReason
// says why.
class SambaServer {
public:
    SambaServer();
    ~SambaServer();
    SambaServer(const SambaServer&) = delete;
    SambaServer& operator=(const SambaServer&) = delete;

    bool running() const { return pid_ > 0 && skipReason_.empty(); }
    const std::string& skipReason() const { return skipReason_; }
    int port() const { return port_; }
    // The folder behind the share "daten".
    std::string shareFolder() const { return dir_.file("share"); }

private:
    bool answers() const;
    void stop();

    TempDir dir_;
    std::string config_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string skipReason_;
};

} // namespace zdr::test
