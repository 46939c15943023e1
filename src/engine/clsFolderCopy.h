#pragma once

#include "engine/EngineCounters.h"
#include "engine/EngineTask.h"
#include "engine/PassAction.h"
#include "net/NetworkDrive.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zdr::base {
class ClipboardWriter;
class Questioner;
} // namespace zdr::base

namespace zdr::engine {

class FolderCopyObserver;
class RunContext;
class TaskDriver;
struct Passes;

// The copy engine: one object carries out one run, an ordered list of tasks
// that share one set of option bits, in passes (information, copy, delete,
// attributes, make directory). It runs synchronously on the caller's thread
// and reports through the observer; questions and its one error box go
// through the questioner.
//
// The run:  fc_Init -> fc_InitAdd (per task) -> fc_ActionRun -> sb_Action_CloseConnections.
// This class is the engine's face; the task driver and the passes are
// objects of their own around a shared run context (engine/passes/, private
// to the engine): the driver -> TreeWalk -> the pass's entry routine.
class clsFolderCopy {
public:
    clsFolderCopy(FolderCopyObserver& observer, base::Questioner& questioner,
                  net::NetworkDriveFactory networkDrives = {});
    ~clsFolderCopy();
    clsFolderCopy(const clsFolderCopy&) = delete;
    clsFolderCopy& operator=(const clsFolderCopy&) = delete;

    bool IsRunning() const;
    std::uint32_t FolderCopy_Status() const;
    void FolderCopy_Status(std::uint32_t value);
    std::uint32_t FolderCopy_StatusEx() const;
    void FolderCopy_StatusEx(std::uint32_t value);
    const std::string& FileName_Current() const;
    // The text protocol of the current pass (it begins with a line break).
    const std::string& Protocol() const;

    // Empties the task list and keeps the options. errorText is not touched.
    [[nodiscard]] bool fc_Init(std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                               std::string& errorText, std::uint32_t blockSize);
    // Appends one task. Input is not checked here; the run checks it.
    [[nodiscard]] bool fc_InitAdd(const project::Task& task, std::string& errorText);
    // Cancels the run; the walk sees it after the current entry.
    bool fc_Cancel();
    // Seconds the time estimate must leave out (time spent in questions).
    void sb_SecondsOffAdd(std::int32_t seconds);

    const std::string& Action() const;
    // The pass now running, as the enum (Action() is its word).
    PassAction Pass() const;
    const std::string& Source() const;
    const std::string& Target() const;
    // Also changes the target of task 1 (the progress window lets the user
    // pick the target of a single-task run).
    void Target(const std::string& value);
    // Element 0 of the current task's selection.
    std::string FolderAndFilesDot() const;
    std::uint8_t FolderInfoLevel() const;
    void FolderInfoLevel(std::uint8_t value);

    // Progress within one file: recomputes the estimate, raises ActionFileDoneByte.
    void sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone);
    // Disconnects what the tasks ask to be disconnected and releases the connections.
    void sb_Action_CloseConnections();

    const EngineCounters& Counters() const;
    const EntryFailure& LastFailure() const;
    // The run was cancelled (fc_Cancel, a cancel answer); true up to its
    // last ActionReady.
    bool Cancelled() const;
    std::int32_t SecondsMax() const;
    std::int32_t SecondsUsed() const;

    // Runs all passes; true at the normal end.
    bool fc_ActionRun();

    // Where a made folder's path goes with option 0x400000 (the clipboard,
    // which the engine cannot reach itself); not owned.
    void sb_SetClipboardWriter(base::ClipboardWriter* writer);
    // Lets the user interface run once. With option 0x8000 the block copy
    // calls it between its steps and during its pause after each block;
    // without it that pause only waits.
    void sb_SetDoEvents(std::function<void()> doEvents);
    // Where the engine reads the time of its figures (seconds used, the
    // estimate, the user's time in questions); tests give a clock of their own.
    void setClock(std::function<std::chrono::steady_clock::time_point()> clock);

private:
    // The run context and the passes; run_ is the context among them.
    std::unique_ptr<Passes> passes_;
    RunContext& run_;
    std::unique_ptr<TaskDriver> driver_;
};

} // namespace zdr::engine
