#include "engine/clsFolderCopy.h"

#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/passes/Passes.h"
#include "engine/passes/TaskDriver.h"

namespace zdr::engine {

clsFolderCopy::clsFolderCopy(FolderCopyObserver& observer, base::Questioner& questioner,
                             net::NetworkDriveFactory networkDrives)
    : passes_(std::make_unique<Passes>(observer, questioner)), run_(passes_->run),
      driver_(std::make_unique<TaskDriver>(*passes_, std::move(networkDrives)))
{
}

clsFolderCopy::~clsFolderCopy() = default;

std::uint32_t clsFolderCopy::FolderCopy_Status() const { return run_.options().status; }
void clsFolderCopy::FolderCopy_Status(std::uint32_t value) { run_.optionsToSet().status = value; }
std::uint32_t clsFolderCopy::FolderCopy_StatusEx() const { return run_.options().statusEx; }
void clsFolderCopy::FolderCopy_StatusEx(std::uint32_t value) { run_.optionsToSet().statusEx = value; }
const std::string& clsFolderCopy::FileName_Current() const { return run_.report.fileNameCurrent; }
const std::string& clsFolderCopy::Protocol() const { return run_.report.protocol.text(); }
void clsFolderCopy::sb_SecondsOffAdd(std::int32_t seconds) { run_.counts.secondsOff += seconds; }
const std::string& clsFolderCopy::Action() const { return run_.action; }
PassAction clsFolderCopy::Pass() const { return run_.pass; }
const std::string& clsFolderCopy::Source() const { return run_.current().Source; }
const std::string& clsFolderCopy::Target() const { return run_.current().Target; }
std::uint8_t clsFolderCopy::FolderInfoLevel() const { return run_.options().folderInfoLevel; }
void clsFolderCopy::FolderInfoLevel(std::uint8_t value) { run_.optionsToSet().folderInfoLevel = value; }
const EngineCounters& clsFolderCopy::Counters() const { return run_.counts.counters; }
const EntryFailure& clsFolderCopy::LastFailure() const { return passes_->policy.fc_LastFailure(); }
bool clsFolderCopy::Cancelled() const { return run_.stop.cancel; }
std::int32_t clsFolderCopy::SecondsMax() const { return run_.counts.secondsMax; }
void clsFolderCopy::sb_SetClipboardWriter(base::ClipboardWriter* writer) { run_.clipboard = writer; }
void clsFolderCopy::sb_SetDoEvents(std::function<void()> doEvents) { run_.doEvents = std::move(doEvents); }

void clsFolderCopy::setClock(std::function<std::chrono::steady_clock::time_point()> clock)
{
    run_.counts.clock = std::move(clock);
}

bool clsFolderCopy::fc_Init(std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                            std::string& /*errorText*/, std::uint32_t blockSize)
{
    run_.optionsToSet().tasks.resize(1);
    run_.optionsToSet().status = status;
    run_.optionsToSet().statusEx = statusEx;
    run_.optionsToSet().folderInfoLevel = folderInfoLevel;
    run_.optionsToSet().blockSize = blockSize;
    return true;
}

bool clsFolderCopy::fc_InitAdd(const project::Task& task, std::string& /*errorText*/)
{
    run_.optionsToSet().tasks.push_back(EngineTask::fromTask(task, run_.has(status::kOnlyDifferent)));
    return true;
}

bool clsFolderCopy::fc_Cancel()
{
    run_.stop.cancel = true;
    run_.stop.copyCancel = true; // a whole-file copy stops at its next step
    passes_->copy.sb_Cancel();
    return true;
}

void clsFolderCopy::Target(const std::string& value)
{
    run_.currentToSet().Target = value;
    if (run_.options().tasks.size() > 1)
        run_.optionsToSet().tasks[1].Target = value;
}

std::string clsFolderCopy::FolderAndFilesDot() const
{
    return run_.current().Selection.empty() ? std::string() : run_.current().Selection.front();
}

std::int32_t clsFolderCopy::SecondsUsed() const { return run_.SecondsUsed(); }

void clsFolderCopy::sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone)
{
    run_.sb_ActionFileDoneByte(totalBytes, bytesDone);
}

void clsFolderCopy::sb_Action_CloseConnections() { driver_->sb_CloseConnections(); }

bool clsFolderCopy::IsRunning() const { return driver_->IsRunning(); }

bool clsFolderCopy::fc_ActionRun() { return driver_->fc_ActionRun(); }

} // namespace zdr::engine
