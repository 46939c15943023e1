#pragma once

#include "engine/ProtocolLines.h"
#include "net/NetworkDrive.h"
#include "registry/SystemTask.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zdr::registry {

class RegistryProvider;
class SystemChangeObserver;

// The counters of a registry run. CountSystem (computers read) and
// CountSystem_Not (reads that failed) move; the others are there for the
// progress window, which shows them as it does the copy engine's.
struct SystemCounters {
    std::int64_t CountSystem = 0;
    std::int64_t CountSystem_Done = 0;
    std::int64_t CountSystem_Not = 0;
    std::int64_t CountSystem_ExistsOk = 0;
    std::int64_t CountSystem_ToDo = 0;

    bool operator==(const SystemCounters&) const = default;
};

// One run over the registry tasks of a project run: the information phase
// ("INFO REG") reads the task's value on every computer, the change phase
// ("CHANGE") asks and reports. Nothing is written and no service is touched.
//
// Phases of fc_ActionRun, each only with its option bit:
//   INFO REG (0x2):  ActionStart, per computer ActionStartAufgabe and the
//                    read (ActionSystemDone, or ActionSystemNot with the
//                    error number when it failed), then ActionReady (and
//                    ActionProtocolShow with 0x20000)
//   CHANGE   (0x1):  unless cancelled or nothing is to do: the question
//                    (0x4000), ActionStart, ActionReady
//   end:             network drives released, cancel cleared
class clsSystemChange {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The phase words (Action).
    static constexpr const char* kInfoPhase = "INFO REG";
    static constexpr const char* kChangePhase = "CHANGE";
    // The end of a change phase the user declined in the review.
    static constexpr const char* kDeclinedByUser = "Aktion durch Benutzer abgebrochen!";

    // The observer and the provider must outlive the engine. Without a
    // factory, tasks with a network-drive code connect no drive.
    clsSystemChange(SystemChangeObserver& observer, RegistryProvider& provider,
                    net::NetworkDriveFactory networkDrives = {});
    ~clsSystemChange();
    clsSystemChange(const clsSystemChange&) = delete;
    clsSystemChange& operator=(const clsSystemChange&) = delete;

    bool fc_Init(std::uint32_t par_System_Status, std::uint8_t par_FolderInfoLevel);
    // One computer: the task's fields in their registry meaning (SystemTask).
    bool fc_InitAdd(const project::Task& par_Task);
    // Runs both phases; returns when the run is over.
    bool fc_ActionRun();
    // Asks the run to stop after the computer being read.
    bool fc_Cancel();

    bool IsRunning() const { return running_; }
    std::uint32_t System_Status() const { return status_; }
    void setSystem_Status(std::uint32_t status) { status_ = status; }
    std::uint8_t FolderInfoLevel() const { return folderInfoLevel_; }
    const std::string& FileName_Current() const { return fileNameCurrent_; }
    // The text protocol: one line per computer, each beginning with CR LF.
    const std::string& Protocol() const { return protocol_.text(); }
    const std::string& Action() const { return action_; }
    const std::string& Computer() const { return computer_; }
    const SystemCounters& counters() const { return counters_; }
    std::int32_t LevelMax() const { return 0; }
    std::int32_t SecondsMax() const { return secondsMax_; }
    std::int32_t SecondsUsed() const;
    // Seconds the run should not count, such as time spent in questions.
    void sb_SecondsOffAdd(std::int32_t seconds) { secondsOff_ += seconds; }
    // Disconnects the drives whose code asks for it and releases all.
    void sb_Action_CloseConnections();

    // The tasks in their order; task number i is tasks()[i - 1].
    const std::vector<SystemTask>& tasks() const { return tasks_; }
    // Number of the task being read, from 1; 0 before the first.
    std::int32_t currentTask() const { return currentTask_; }

    void setClock(Clock clock) { clock_ = std::move(clock); }

private:
    void runInfoPhase();
    void runChangePhase();
    void sb_SystemRead(const SystemTask& task);
    void sb_NetConnect(const SystemTask& task);
    void sb_ProtocolAdd(const std::string& computer, const std::string& text);
    void startPhase(const char* action);
    bool has(std::uint32_t bit) const { return (status_ & bit) != 0; }

    SystemChangeObserver& observer_;
    RegistryProvider& provider_;
    net::NetworkDriveFactory networkDrives_;
    Clock clock_;

    std::vector<SystemTask> tasks_;
    std::vector<std::unique_ptr<net::NetworkDrive>> connections_;
    std::uint32_t status_ = 0;
    std::uint8_t folderInfoLevel_ = 0;

    bool running_ = false;
    bool cancelled_ = false;
    std::string action_;
    std::string computer_;
    std::string fileNameCurrent_;
    engine::ProtocolLines protocol_;
    std::string errorText_;
    std::int32_t currentTask_ = 0;
    SystemCounters counters_;
    std::chrono::steady_clock::time_point phaseStart_{};
    bool phaseStarted_ = false;
    std::int32_t secondsOff_ = 0;
    std::int32_t secondsMax_ = 0;
};

} // namespace zdr::registry
