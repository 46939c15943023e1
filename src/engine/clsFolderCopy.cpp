#include "engine/clsFolderCopy.h"

#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/TimeEstimate.h"
#include "engine/clsFileCopyEvt.h"
#include "engine/clsZip.h"
#include "net/NetworkDrives.h"
#include "platform/ParallelRemover.h"

#include <ctime>

namespace zdr::engine {

clsFolderCopy::clsFolderCopy(FolderCopyObserver& observer, base::Questioner& questioner,
                             net::NetworkDriveFactory networkDrives)
    : observer_(observer), questioner_(questioner), networkDrives_(std::move(networkDrives))
{
}

clsFolderCopy::~clsFolderCopy() = default;

bool clsFolderCopy::fc_Init(std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                            std::string& /*errorText*/, std::uint32_t blockSize)
{
    tasks_.resize(1);
    status_ = status;
    statusEx_ = statusEx;
    folderInfoLevel_ = folderInfoLevel;
    blockSize_ = blockSize;
    return true;
}

bool clsFolderCopy::fc_InitAdd(const EngineTaskInput& input, std::string& /*errorText*/)
{
    tasks_.push_back(EngineTask::fromInput(input, has(status::kOnlyDifferent)));
    return true;
}

bool clsFolderCopy::fc_Cancel()
{
    cancel_ = true;
    copyCancel_ = true; // a whole-file copy stops at its next step
    if (fileCopyEvt_)
        fileCopyEvt_->StopCopyFile(true); // a block copy after its current block
    return true;
}

void clsFolderCopy::Target(const std::string& value)
{
    current_.Target = value;
    if (tasks_.size() > 1)
        tasks_[1].Target = value;
}

std::string clsFolderCopy::FolderAndFilesDot() const
{
    return current_.Selection.empty() ? std::string() : current_.Selection.front();
}

std::int32_t clsFolderCopy::SecondsUsed() const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now() - passStart_).count();
    return static_cast<std::int32_t>(elapsed) - secondsOff_;
}

void clsFolderCopy::sb_Estimate(std::int64_t currentFileBytes)
{
    const std::int64_t presentSecond =
        std::chrono::duration_cast<std::chrono::seconds>(now().time_since_epoch()).count();
    const auto sincePassStart = std::chrono::duration_cast<std::chrono::seconds>(now() - passStart_).count();
    // At most once a second, and then only every fifth second once there is an estimate.
    if (presentSecond != lastEstimateSecond_ && (sincePassStart % 5 == 0 || secondsMax_ == 0)) {
        secondsMax_ =
            fc_EstimateSeconds(sincePassStart - secondsOff_, counters_, currentFileBytes, has(status::kInfoOnlyCount));
        lastEstimateSecond_ = presentSecond;
    }
}

void clsFolderCopy::sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone)
{
    sb_Estimate(totalBytes);
    observer_.ActionFileDoneByte(totalBytes, bytesDone);
}

void clsFolderCopy::sb_Action_CloseConnections()
{
    net::sb_Action_CloseConnections(sourceDrives_);
    net::sb_Action_CloseConnections(targetDrives_);
}

void clsFolderCopy::sb_ProtocolAdd(const ProtocolRecord& record)
{
    protocol_.add(record, has(status::kOnlyDifferent), taskNumber_, observer_);
}

} // namespace zdr::engine
