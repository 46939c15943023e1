#pragma once

#include "engine/EngineCounters.h"
#include "engine/EngineTask.h"
#include "engine/TaskFolders.h"
#include "engine/clsFileCompress.h"
#include "engine/passes/InfoPass.h"
#include "engine/passes/RunContext.h"
#include "net/NetworkDrive.h"
#include "platform/FileEntry.h"
#include "platform/FolderLookup.h"
#include "platform/Leftovers.h"
#include "protocol/ProtocolEntry.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace zdr::base {
class ClipboardWriter;
class Questioner;
enum class Answer;
enum class Buttons;
} // namespace zdr::base
namespace zdr::platform {
class DirectoryReader;
class ParallelRemover;
} // namespace zdr::platform

namespace zdr::engine {

class FolderCopyObserver;
class clsFileCopyEvt;
class clsZip;
class EntryPolicy;
class RenamePass;
class BackupStore;
class CopyPass;
class DeletePass;
class AttribPass;
class MkDirPass;
class TreeWalk;
class WalkPass;

// The copy engine: one object carries out one run, an ordered list of tasks
// that share one set of option bits, in passes (information, copy, delete,
// attributes, make directory). It runs synchronously on the caller's thread
// and reports through the observer; questions and its one error box go
// through the questioner.
//
// The run:  fc_Init -> fc_InitAdd (per task) -> fc_ActionRun -> sb_Action_CloseConnections.
// Inside a pass:  task driver -> fc_FolderWalk -> fc_FolderAction / fc_FileAction,
// which dispatch by the pass to the entry routines (fc_InfoEntry, ...).
class clsFolderCopy {
public:
    clsFolderCopy(FolderCopyObserver& observer, base::Questioner& questioner,
                  net::NetworkDriveFactory networkDrives = {});
    ~clsFolderCopy();
    clsFolderCopy(const clsFolderCopy&) = delete;
    clsFolderCopy& operator=(const clsFolderCopy&) = delete;

    bool IsRunning() const { return isRunning_; }
    std::uint32_t FolderCopy_Status() const { return run_.status; }
    void FolderCopy_Status(std::uint32_t value) { run_.status = value; }
    std::uint32_t FolderCopy_StatusEx() const { return run_.statusEx; }
    void FolderCopy_StatusEx(std::uint32_t value) { run_.statusEx = value; }
    const std::string& FileName_Current() const { return run_.fileNameCurrent; }
    // The text protocol of the current pass (it begins with a line break).
    const std::string& Protocol() const { return run_.protocol.text(); }

    // Empties the task list and keeps the options. errorText is not touched.
    bool fc_Init(std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel, std::string& errorText,
                 std::uint32_t blockSize);
    // Appends one task. Input is not checked here; the run checks it.
    bool fc_InitAdd(const project::Task& task, std::string& errorText);
    // Cancels the run; the walk sees it after the current entry.
    bool fc_Cancel();
    // Seconds the time estimate must leave out (time spent in questions).
    void sb_SecondsOffAdd(std::int32_t seconds) { run_.secondsOff += seconds; }

    const std::string& Action() const { return run_.action; }
    const std::string& Source() const { return run_.current.Source; }
    const std::string& Target() const { return run_.current.Target; }
    // Also changes the target of task 1 (the progress window lets the user
    // pick the target of a single-task run).
    void Target(const std::string& value);
    // Element 0 of the current task's selection.
    std::string FolderAndFilesDot() const;
    std::uint8_t FolderInfoLevel() const { return run_.folderInfoLevel; }
    void FolderInfoLevel(std::uint8_t value) { run_.folderInfoLevel = value; }

    // Progress within one file: recomputes the estimate, raises ActionFileDoneByte.
    void sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone);
    // Disconnects what the tasks ask to be disconnected and releases the connections.
    void sb_Action_CloseConnections();

    const EngineCounters& Counters() const { return run_.counters; }
    std::int32_t SecondsMax() const { return run_.secondsMax; }
    std::int32_t SecondsUsed() const;

    // Runs all passes; true at the normal end.
    bool fc_ActionRun();

    // Where a made folder's path goes with option 0x400000 (the clipboard,
    // which the engine cannot reach itself); not owned.
    void sb_SetClipboardWriter(base::ClipboardWriter* writer) { run_.clipboard = writer; }
    // Lets the user interface run once. With option 0x8000 the block copy
    // calls it between its steps and during its pause after each block;
    // without it that pause only waits.
    void sb_SetDoEvents(std::function<void()> doEvents) { run_.doEvents = std::move(doEvents); }
    // Where the engine reads the time of its figures (seconds used, the
    // estimate, the user's time in questions); tests give a clock of their own.
    void setClock(std::function<std::chrono::steady_clock::time_point()> clock) { run_.clock = std::move(clock); }

private:
    using Clock = RunContext::Clock;

    // --- task driver (clsFolderCopyDriver.cpp)
    void sb_RunStart();
    void sb_PassStart(PassAction pass, const char* action);
    bool fc_InfoPass();
    // false: the run ends (error end or cancelled by the user).
    bool fc_ActionPass(PassAction pass, const char* action);
    bool fc_MkDirPass();
    bool fc_LoadTask(std::size_t index);
    bool fc_CheckSide(bool source, const char* missingText);
    // Run start, before any pass: the folders of every task as written,
    // resolved, and refused where no pass of this run may take them.
    bool fc_CheckTasks();
    void sb_ResolveSide(EngineTask& task, bool source);
    bool fc_TaskRefused(const EngineTask& task, std::string& errorText);
    bool fc_ConnectDrive(bool source);
    // The pass object that walks for pass (information, copy, delete, attributes).
    WalkPass& fc_WalkPass(PassAction pass);
    // The tasks of an action pass one after the other; false: an error end.
    bool fc_WalkTasks(PassAction pass);
    void sb_ErrorEnd();
    bool fc_NormalEnd();

    std::unique_ptr<RunContext> context_;
    RunContext& run_;
    std::unique_ptr<InfoPass> info_;
    std::unique_ptr<EntryPolicy> policy_;
    std::unique_ptr<RenamePass> rename_;
    std::unique_ptr<BackupStore> backup_;
    std::unique_ptr<CopyPass> copy_;
    std::unique_ptr<DeletePass> delete_;
    std::unique_ptr<AttribPass> attrib_;
    std::unique_ptr<MkDirPass> mkdir_;
    std::unique_ptr<TreeWalk> walk_;
    net::NetworkDriveFactory networkDrives_;

    bool isRunning_ = false;
    std::vector<std::unique_ptr<net::NetworkDrive>> sourceDrives_;
    std::vector<std::unique_ptr<net::NetworkDrive>> targetDrives_;
    // The users' home folders, read once per run when a delete or an
    // attribute change needs them.
    std::optional<std::vector<HomeFolder>> homes_;
};

} // namespace zdr::engine
