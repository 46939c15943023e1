#include "net/NetworkDrives.h"

#include "net/LinuxNetProvider.h"
#include "net/clsNetConnect.h"

namespace zdr::net {

NetworkDriveFactory networkDriveFactory(WaitHooks waitHooks)
{
    return [waitHooks = std::move(waitHooks)]() -> std::unique_ptr<NetworkDrive> {
        return std::make_unique<clsNetConnect>(std::make_shared<LinuxNetProvider>(), waitHooks);
    };
}

void sb_Action_CloseConnections(std::vector<std::unique_ptr<NetworkDrive>>& drives)
{
    bool kept = false; // a drive this run connected stays
    for (std::unique_ptr<NetworkDrive>& drive : drives) {
        kept = kept || (drive && drive->Connected() && !drive->DisConnectAfterAction());
        // Only what this run connected: a drive that answered before the
        // run (a share the user had mounted, with files open) stays.
        if (drive && drive->DisConnectAfterAction() && drive->Connected()) {
            std::string ignored;
            drive->fc_DisConnect(ignored);
        }
        drive.reset();
    }
    // An unattended run's own session bus is not kept for nothing.
    if (!kept)
        endPrivateSessionBus();
}

} // namespace zdr::net
