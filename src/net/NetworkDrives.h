#pragma once

#include "net/NetworkDrive.h"
#include "net/ResponsiveWait.h"

#include <memory>
#include <vector>

namespace zdr::net {

// The program's network drives: clsNetConnect over the Linux provider. The
// hooks let the user interface run while a connection waits between tries.
NetworkDriveFactory networkDriveFactory(WaitHooks waitHooks = defaultWaitHooks());

// End of a run: every drive whose code asks for it is disconnected (also one
// that was mapped before the run; the message is not shown), then all are
// released. Empty slots are allowed.
void sb_Action_CloseConnections(std::vector<std::unique_ptr<NetworkDrive>>& drives);

} // namespace zdr::net
