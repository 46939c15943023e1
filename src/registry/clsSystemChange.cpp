#include "registry/clsSystemChange.h"

#include "base/ParameterCodes.h"
#include "engine/FolderCopyObserver.h"
#include "engine/ProtocolLines.h"
#include "engine/StatusBits.h"
#include "engine/TimeEstimate.h"
#include "net/NetPlaceholder.h"
#include "net/NetworkDrives.h"
#include "platform/ErrorCode.h"
#include "registry/RegistryProvider.h"
#include "registry/RegistryRootKey.h"
#include "registry/SystemChangeObserver.h"

namespace zdr::registry {

namespace status = engine::status;

namespace {

// The copy engine's line builder reports to a copy-engine observer; this
// hands its protocol events on to the registry run's observer.
class ProtocolRelay : public engine::FolderCopyObserver {
public:
    explicit ProtocolRelay(SystemChangeObserver& observer) : observer_(observer) {}
    void ActionProtocolExists() override { observer_.ActionProtocolExists(); }
    void ActionProtocolAdd(const protocol::ProtocolEntry& entry) override { observer_.ActionProtocolAdd(entry); }

private:
    SystemChangeObserver& observer_;
};

} // namespace

clsSystemChange::clsSystemChange(SystemChangeObserver& observer, RegistryProvider& provider,
                                 net::NetworkDriveFactory networkDrives)
    : observer_(observer), provider_(provider), networkDrives_(std::move(networkDrives)),
      clock_([] { return std::chrono::steady_clock::now(); })
{
}

clsSystemChange::~clsSystemChange() { sb_Action_CloseConnections(); }

bool clsSystemChange::fc_Init(std::uint32_t par_System_Status, std::uint8_t par_FolderInfoLevel)
{
    tasks_.clear();
    status_ = par_System_Status;
    folderInfoLevel_ = par_FolderInfoLevel;
    return true;
}

bool clsSystemChange::fc_InitAdd(const project::Task& par_Task)
{
    tasks_.push_back(SystemTask::fromTask(par_Task));
    return true;
}

bool clsSystemChange::fc_Cancel()
{
    cancelled_ = true;
    return true;
}

std::int32_t clsSystemChange::SecondsUsed() const
{
    if (!phaseStarted_)
        return 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock_() - phaseStart_).count();
    return std::max<std::int32_t>(0, static_cast<std::int32_t>(elapsed) - secondsOff_);
}

void clsSystemChange::startPhase(const char* action)
{
    phaseStart_ = clock_();
    phaseStarted_ = true;
    secondsOff_ = 0;
    secondsMax_ = 0;
    observer_.ActionStart(action);
}

bool clsSystemChange::fc_ActionRun()
{
    errorText_.clear();
    fileNameCurrent_.clear();
    protocol_.clear();
    computer_.clear();
    currentTask_ = 0;
    counters_ = {};
    phaseStarted_ = false;
    sb_Action_CloseConnections();
    connections_.clear();
    connections_.resize(tasks_.size());
    running_ = true;

    if (has(status::kWithInfo))
        runInfoPhase();
    if (has(status::kCopy) && !cancelled_)
        runChangePhase();

    sb_Action_CloseConnections();
    cancelled_ = false;
    running_ = false;
    return true;
}

void clsSystemChange::runInfoPhase()
{
    action_ = kInfoPhase;
    protocol_.clear();
    startPhase(kInfoPhase);
    const auto count = static_cast<std::int32_t>(tasks_.size());
    for (std::int32_t i = 1; i <= count && !cancelled_; ++i) {
        currentTask_ = i;
        computer_ = tasks_[i - 1].computer();
        fileNameCurrent_ = computer_;
        observer_.ActionStartAufgabe(kInfoPhase, i, count, 0);
        sb_SystemRead(tasks_[i - 1]);
    }
    if (!errorText_.empty() || cancelled_) {
        observer_.ActionReady(false, errorText_, !protocol_.text().empty());
        return;
    }
    observer_.ActionReady(true, {}, !protocol_.text().empty());
    if (has(status::kFolderEntriesInfo)) {
        bool continueRun = false; // the answer is not used
        observer_.ActionProtocolShow(continueRun);
    }
}

void clsSystemChange::runChangePhase()
{
    action_ = kChangePhase;
    // Nothing in the run marks a computer as still to do, so these two ends
    // are taken whenever their options are set.
    if (has(status::kSkipEmpty) && counters_.CountSystem_ToDo == 0)
        return;
    if (has(status::kOnlyDifferent) && has(status::kWithInfo) && counters_.CountSystem_ToDo == 0) {
        observer_.ActionReady(true, "Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!", false);
        return;
    }
    if (has(status::kAskBeforeAction)) {
        bool continueRun = true;
        observer_.ActionProtocolShow(continueRun);
        if (!continueRun) {
            observer_.ActionReady(false, kDeclinedByUser, false);
            return;
        }
    }
    startPhase(kChangePhase);
    observer_.ActionReady(errorText_.empty(), errorText_, !protocol_.text().empty());
}

void clsSystemChange::sb_SystemRead(const SystemTask& task)
{
    const bool events = !has(status::kNoFileInfo);
    if (events)
        observer_.ActionSystemStart(task.computer());
    sb_NetConnect(task);

    RegistryReadResult read;
    // The task's network-drive code carries the log-on for the computer.
    const auto code = base::parseNetConnectCode(task.netCode());
    if (net::isNetPlaceholder(task.computer())) {
        // The network search found no computer for it: nothing to ask.
        read.result = static_cast<std::int32_t>(platform::error::kBadNetPath);
        read.errorText = "Für '" + task.computer() + "' wurde im Netzwerk kein Computer gefunden.";
    } else if (rootKeyName(task.path.rootKey).empty()) {
        read = errorResult(platform::error::kInvalidHandle);
    } else if (!code.empty && !code.ok()) {
        read.result = static_cast<std::int32_t>(platform::error::kInvalidParameter);
        read.errorText = code.error;
    } else {
        read = provider_.fc_ReadValue({task.path.rootKey, task.path.keyPath, task.valueName(), task.computer(),
                                       code.code.user, code.code.password});
    }
    ++counters_.CountSystem;
    if (!read.ok()) {
        errorText_ = read.errorText;
        ++counters_.CountSystem_Not;
    }
    // The copy engine's estimate by counts: the computers are its entries.
    engine::EngineCounters byCount;
    byCount.CountFiles = static_cast<std::int64_t>(tasks_.size());
    byCount.CountFiles_Done = counters_.CountSystem;
    secondsMax_ = engine::fc_EstimateSeconds(SecondsUsed(), byCount, 0, true);
    if (events && read.ok())
        observer_.ActionSystemDone();
    else if (events)
        observer_.ActionSystemNot(read.result);
    if (has(status::kCreateProtocol) && !has(status::kFolderEntriesInfo))
        sb_ProtocolAdd(task.computer(), read.ok() ? std::string("ok") : read.errorText);
}

void clsSystemChange::sb_NetConnect(const SystemTask& task)
{
    if (task.netCode().empty() || !networkDrives_)
        return;
    std::unique_ptr<net::NetworkDrive>& drive = connections_[static_cast<std::size_t>(currentTask_ - 1)];
    if (!drive) {
        drive = networkDrives_();
        if (!drive || !drive->fc_Init(task.netCode())) {
            drive.reset();
            return;
        }
    }
    if (drive->Connected() || drive->LocalName().empty())
        return;
    const std::string head = "Computer '" + task.computer() + "': '" + drive->LocalName() + "'";
    observer_.ActionInfo(head + " mit Netzlaufwerk '" + drive->RemoteName() + "' verbinden ...");
    std::string message;
    if (drive->fc_Connect(message)) {
        observer_.ActionInfo(head + " mit Netzlaufwerk '" + drive->RemoteName() + "' verbunden");
        return;
    }
    errorText_ = head + " konnte nicht verbunden werden: " + message;
    observer_.ActionInfo(errorText_);
}

void clsSystemChange::sb_Action_CloseConnections() { net::sb_Action_CloseConnections(connections_); }

// The computer's line, built as the copy engine builds the information line
// of a file at level 0 below an empty folder, the computer in place of the
// file name. The builder reads every kind word but "FILE" as a folder, whose
// line is the folder alone, so the record is a file's; in a run with
// option 0x10000 the list row is then keyed by the computer.
void clsSystemChange::sb_ProtocolAdd(const std::string& computer, const std::string& text)
{
    ProtocolRelay relay(observer_);
    protocol_.add({.action = engine::PassAction::Info,
                   .level = 0,
                   .type = protocol::EntryKind::File,
                   .name = computer,
                   .text = text},
                  has(status::kOnlyDifferent), static_cast<std::int16_t>(currentTask_), relay);
}

} // namespace zdr::registry
