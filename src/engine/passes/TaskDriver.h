#pragma once

#include "engine/EngineTask.h"
#include "engine/PassAction.h"
#include "engine/StepError.h"
#include "net/NetworkDrive.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zdr::engine {

struct Passes;
class RunContext;
class WalkPass;

// The task driver: the passes of a run in their fixed order, the checks of
// each task's source and target (with network drives), and the end of each
// pass. One per engine; the engine's face hands it the run.
class TaskDriver {
public:
    TaskDriver(Passes& passes, net::NetworkDriveFactory networkDrives);
    ~TaskDriver();
    TaskDriver(const TaskDriver&) = delete;
    TaskDriver& operator=(const TaskDriver&) = delete;

    bool IsRunning() const { return isRunning_; }
    // Runs all passes; true at the normal end.
    bool fc_ActionRun();
    // Disconnects what the tasks ask to be disconnected and releases the connections.
    void sb_CloseConnections();

private:
    void sb_RunStart();
    void sb_DropUnusedOptions();
    void sb_PassStart(PassAction pass);
    bool fc_InfoPass();
    // false: the run ends (error end or cancelled by the user).
    bool fc_ActionPass(PassAction pass);
    bool fc_MkDirPass();
    // A step's error becomes the pass's: true when it failed.
    [[nodiscard]] bool fc_Failed(const StepError& step);
    [[nodiscard]] StepError fc_LoadTask(std::size_t index);
    [[nodiscard]] StepError fc_CheckSide(bool source, const char* missingText);
    // Run start, before any pass: the folders of every task as written,
    // resolved, and refused where no pass of this run may take them.
    [[nodiscard]] StepError fc_CheckTasks();
    // A source that names a share ("\\server\share", as a network placeholder
    // becomes one task per share) runs through a drive of its own: a free
    // drive letter, released after the run. Fails when no letter is free.
    [[nodiscard]] StepError fc_ShareOnDrive(EngineTask& task);
    void sb_ResolveSide(EngineTask& task, bool source);
    [[nodiscard]] StepError fc_TaskRefused(const EngineTask& task);
    [[nodiscard]] StepError fc_ConnectDrive(bool source);
    // The pass object that walks for pass (information, copy, delete, attributes).
    WalkPass& fc_WalkPass(PassAction pass);
    // The tasks of an action pass one after the other; false: an error end.
    bool fc_WalkTasks(PassAction pass);
    void sb_KeepWalkFailure(bool walked);
    // The failure the policy kept since it was last asked: the last one wins.
    void sb_GatherKept();
    // The copy pass's end: its archive packed, its targets flushed.
    void sb_CopyPassEnd();
    void sb_ErrorEnd();
    bool fc_NormalEnd();

    Passes& passes_;
    RunContext& run_;
    net::NetworkDriveFactory networkDrives_;

    bool isRunning_ = false;
    // The error the pass ends with, as the walks, the checks and the pass's
    // end return it.
    std::string errorText_;
    // The failure that fails the pass though later entries succeed: the
    // policy's, or a walk's that the next task's walk would clear.
    std::string keptError_;
    std::vector<std::unique_ptr<net::NetworkDrive>> sourceDrives_;
    std::vector<std::unique_ptr<net::NetworkDrive>> targetDrives_;
};

} // namespace zdr::engine
