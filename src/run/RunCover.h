#pragma once

#include "project/Task.h"
#include "protocol/ProtocolEntry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace zdr::run {

// A run coordinator as its callers (the main window, the hand-off receiver)
// use it: fc_Init, fc_InitAdd per task (stop at the first false),
// fc_InitActionStart; a false from it makes the caller release the
// coordinator. The coordinator reports to the caller through the events it
// was created with. The end of the run (its window closed) is InfoCover_Done;
// the caller releases the coordinator on the next turn of the event loop, so
// InfoCover_Done must not be raised while a run is still on the stack.
// The folder-run coordinator and the registry coordinator both take the
// project's task record.
class RunCover {
public:
    virtual ~RunCover() = default;
    virtual bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx,
                         std::uint8_t folderInfoLevel, std::uint32_t fileBlockBytes) = 0;
    virtual bool fc_InitAdd(const project::Task& task) = 0;
    virtual bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) = 0;
    // The engine's run is on the stack (inside the event loop's yields): the
    // coordinator must not be released now.
    virtual bool IsRunning() const = 0;
    // The last run ended with every pass done and no entry failed; false
    // also when it never started or was cancelled. Read at InfoCover_Done,
    // it tells a caller without a person (a script) how the run went.
    virtual bool RunSucceeded() const = 0;
};

using SystemChangeCover = RunCover;

using InfoCoverDone = std::function<void()>;

// The coordinator's events to its caller; an empty function is not raised.
struct InfoCoverEvents {
    InfoCoverDone done;                // InfoCover_Done: the run's window has closed
    std::function<void()> actionStart; // InfoCover_ActionStart: a pass has started
    // InfoCover_ExceptData: the user excluded a folder or a file in the protocol.
    std::function<void(protocol::EntryKind kind, std::string& name)> exceptData;
};

using RunCoverFactory = std::function<std::unique_ptr<RunCover>(InfoCoverEvents events)>;
using SystemChangeCoverFactory = RunCoverFactory;

} // namespace zdr::run
