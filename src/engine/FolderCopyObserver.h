#pragma once

#include "protocol/ProtocolEntry.h"

#include <cstdint>
#include <string>

namespace zdr::engine {

// ActionFileNot / ActionFolderNot: the review did not choose the entry.
inline constexpr std::int32_t kLeftByChoice = 2;

// The twenty events of the engine, in the order of their declaration. The
// engine calls them synchronously on its own thread; a handler may yield to
// an event loop (option bit 0x8000) and may call back into the engine
// (cancel, target) while the run is on the stack. Sizes are 64-bit, so files
// of 4 GiB and more report truly.
class FolderCopyObserver {
public:
    virtual ~FolderCopyObserver() = default;

    virtual void ActionStart(const std::string& /*action*/) {}
    virtual void ActionInfo(const std::string& /*text*/) {}
    // passKind 0: normal walk; 2: the copy pass driven by the protocol list.
    virtual void ActionStartAufgabe(const std::string& /*action*/, std::int32_t /*task*/, std::int32_t /*taskCount*/,
                                    std::uint8_t /*passKind*/)
    {
    }
    virtual void ActionEnd() {}
    virtual void ActionFolderSet(const std::string& /*path*/) {}
    virtual void ActionFolderStart(const std::string& /*path*/) {}
    virtual void ActionFolderDone() {}
    // code 1: needs no action (target present); 0: failed or skipped.
    virtual void ActionFolderNot(std::int32_t /*code*/) {}
    virtual void ActionFileStart(const std::string& /*name*/, std::int64_t /*size*/) {}
    virtual void ActionFileDone() {}
    virtual void ActionFileDoneByte(std::int64_t /*total*/, std::int64_t /*done*/) {}
    // code 1: target equal (or left by "only newer"); 0: failed or skipped;
    // 2 (also for folders): left because the review did not choose it.
    virtual void ActionFileNot(std::int32_t /*code*/) {}
    virtual void ActionReady(bool /*success*/, const std::string& /*message*/, bool /*protocolPresent*/) {}
    virtual void ActionProtocolExists() {}
    virtual void ActionProtocolAdd(const protocol::ProtocolEntry& /*entry*/) {}
    virtual void ActionProtocolErr(const protocol::ProtocolEntry& /*entry*/) {}
    virtual void ActionProtocolDel(const std::string& /*folderPath*/) {}
    // Show the protocol; the handler writes the user's answer into continueRun.
    virtual void ActionProtocolShow(bool& /*continueRun*/) {}
    virtual void ActionFolderEntriesInfo(const std::string& /*path*/, std::int64_t /*sizeKB*/, std::int64_t /*folders*/,
                                         std::int64_t /*files*/)
    {
    }
    // The next ticked protocol entry; index <= 0 in the answer means none.
    virtual void ActionEntryGetNext(protocol::WorkListStep& step) { step.index = -1; }
    // After the review before an action: what it chose for one entry the
    // action meets (a folder by its own path, a file by its folder and name)
    // in the task of that number. Whoever lists nothing chose nothing.
    virtual protocol::EntryChoice ActionEntryChosen(protocol::EntryKind /*kind*/, const std::string& /*folder*/,
                                                    const std::string& /*name*/, std::int16_t /*task*/)
    {
        return protocol::EntryChoice::NotListed;
    }
};

} // namespace zdr::engine
