#pragma once

#include "protocol/ProtocolEntry.h"

#include <cstdint>
#include <string>

namespace zdr::registry {

// The events of the registry engine. Their arguments follow the copy
// engine's events of the same name; the engine calls them synchronously and a
// handler may yield to an event loop or cancel the run.
class SystemChangeObserver {
public:
    virtual ~SystemChangeObserver() = default;

    virtual void ActionStart(const std::string& /*action*/) {}
    virtual void ActionInfo(const std::string& /*text*/) {}
    // passKind 0: one task after the other; 2: the pass that works from the protocol list.
    virtual void ActionStartAufgabe(const std::string& /*action*/, std::int32_t /*task*/, std::int32_t /*taskCount*/,
                                    std::uint8_t /*passKind*/)
    {
    }
    virtual void ActionSystemStart(const std::string& /*computer*/) {}
    virtual void ActionSystemDone() {}
    virtual void ActionSystemNot(std::int32_t /*code*/) {}
    virtual void ActionReady(bool /*success*/, const std::string& /*message*/, bool /*protocolPresent*/) {}
    virtual void ActionProtocolExists() {}
    virtual void ActionProtocolAdd(const protocol::ProtocolEntry& /*entry*/) {}
    virtual void ActionProtocolDel(const std::string& /*folderPath*/) {}
    // Show the protocol; the handler writes the user's answer into continueRun.
    virtual void ActionProtocolShow(bool& /*continueRun*/) {}
    virtual void ActionEntryGetNext(protocol::WorkListStep& step) { step.index = -1; }
};

} // namespace zdr::registry
