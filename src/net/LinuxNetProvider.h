#pragma once

#include "net/NetProvider.h"

#include <optional>
#include <string>

namespace zdr::net {

// Network drives on Linux. A drive "X:" is the link X: in the per-user drives
// folder (see DriveFolder.h), pointing at the mounted share. Shares are
// mounted with "gio mount" (gvfs) where a desktop session offers it, else with
// mount.cifs when running as root, else (an unattended run: cron, ssh, a
// timer) with gio on a session bus of the process's own, started for the
// first such drive and ended with the process; with none the answer is 1222. The
// password reaches gio through its prompt on standard input and mount.cifs
// through a credentials file (mode 0600, removed as soon as the tool ends).
class LinuxNetProvider final : public NetProvider {
public:
    struct Options {
        std::string drivesFolder; // empty: drivesFolderPath()
        int port = 0;             // SMB port of the servers; 0: the default
        std::string gioTool = "gio";
        std::string mountCifsTool = "mount.cifs";
        std::optional<bool> desktopSession; // unset: a session bus is announced
        std::optional<bool> mayMount;       // unset: running as root
        bool privateBus = true;             // without a session: one of the process's own
        int timeoutSeconds = 90;
    };

    LinuxNetProvider();
    explicit LinuxNetProvider(Options options);

    NetCallResult connect(const std::string& localName, const std::string& remoteName, const std::string& userName,
                          const std::string& password) override;
    NetCallResult cancel(const std::string& localName, bool force) override;
    bool pathAnswers(const std::string& path) override;

private:
    struct Request;
    // bus: the address of the process's own session bus, empty: the session's.
    NetCallResult connectWithGio(const Request& request, const std::string& bus = {});
    NetCallResult connectWithCifs(const Request& request);
    NetCallResult finishConnect(const Request& request, const std::string& tool, const std::string& handle,
                                const std::string& target);
    // Removes what a drive left behind (link, mount record, mount point).
    NetCallResult release(const std::string& localName, bool force);
    std::string folder() const;

    Options options_;
};

// Ends the process's own session bus for unattended drives (and gvfs with
// it), when one was started; the next such drive starts another.
void endPrivateSessionBus();

} // namespace zdr::net
