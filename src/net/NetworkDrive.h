#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zdr::net {

// A network drive for one side of a task: initialised with the task's
// network-drive code, connected when the task's folder is not reachable, and
// released at the end of the run. The engines hold these through this
// interface; the program's implementation is clsNetConnect.
class NetworkDrive {
public:
    virtual ~NetworkDrive() = default;

    // Parses the code; false (and nothing changed) for an empty code.
    virtual bool fc_Init(const std::string& code) = 0;
    // Connects; message empty on success, else the German error text.
    virtual bool fc_Connect(std::string& message) = 0;
    virtual bool fc_DisConnect(std::string& message) = 0;

    virtual std::string LocalName() const = 0;
    virtual std::string RemoteName() const = 0;
    virtual bool Connected() const = 0;
    virtual bool DisConnectAfterAction() const = 0;
};

using NetworkDriveFactory = std::function<std::unique_ptr<NetworkDrive>()>;

} // namespace zdr::net
