#include "engine/clsFolderCopy.h"

#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/TimeEstimate.h"
#include "engine/passes/BackupStore.h"
#include "engine/passes/CopyPass.h"
#include "engine/passes/DeletePass.h"
#include "engine/passes/EntryPolicy.h"
#include "engine/passes/MkDirPass.h"
#include "engine/passes/RenamePass.h"
#include "engine/passes/TreeWalk.h"
#include "net/NetworkDrives.h"

#include <ctime>

namespace zdr::engine {

clsFolderCopy::clsFolderCopy(FolderCopyObserver& observer, base::Questioner& questioner,
                             net::NetworkDriveFactory networkDrives)
    : context_(std::make_unique<RunContext>(observer, questioner)), run_(*context_),
      info_(std::make_unique<InfoPass>(run_)), policy_(std::make_unique<EntryPolicy>(run_)),
      rename_(std::make_unique<RenamePass>(run_)), backup_(std::make_unique<BackupStore>(run_)),
      copy_(std::make_unique<CopyPass>(run_, *policy_, *rename_, *backup_)),
      delete_(std::make_unique<DeletePass>(run_, *policy_)), attrib_(std::make_unique<AttribPass>(run_, *policy_)),
      mkdir_(std::make_unique<MkDirPass>(run_)), walk_(std::make_unique<TreeWalk>(run_, *policy_)),
      networkDrives_(std::move(networkDrives))
{
}

clsFolderCopy::~clsFolderCopy() = default;

bool clsFolderCopy::fc_Init(std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                            std::string& /*errorText*/, std::uint32_t blockSize)
{
    run_.tasks.resize(1);
    run_.status = status;
    run_.statusEx = statusEx;
    run_.folderInfoLevel = folderInfoLevel;
    run_.blockSize = blockSize;
    return true;
}

bool clsFolderCopy::fc_InitAdd(const project::Task& task, std::string& /*errorText*/)
{
    run_.tasks.push_back(EngineTask::fromTask(task, run_.has(status::kOnlyDifferent)));
    return true;
}

bool clsFolderCopy::fc_Cancel()
{
    run_.cancel = true;
    run_.copyCancel = true; // a whole-file copy stops at its next step
    copy_->sb_Cancel();
    return true;
}

void clsFolderCopy::Target(const std::string& value)
{
    run_.current.Target = value;
    if (run_.tasks.size() > 1)
        run_.tasks[1].Target = value;
}

std::string clsFolderCopy::FolderAndFilesDot() const
{
    return run_.current.Selection.empty() ? std::string() : run_.current.Selection.front();
}

std::int32_t clsFolderCopy::SecondsUsed() const { return run_.SecondsUsed(); }

void clsFolderCopy::sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone)
{
    run_.sb_ActionFileDoneByte(totalBytes, bytesDone);
}

void clsFolderCopy::sb_Action_CloseConnections()
{
    net::sb_Action_CloseConnections(sourceDrives_);
    net::sb_Action_CloseConnections(targetDrives_);
}

} // namespace zdr::engine
