// The per-entry hooks of the walk: each pass has its routine for a folder
// and a file, and a failed action goes through the error policy. Also the
// rows of the protocol-driven copy, and what every action does at the start
// and the successful end of an entry.
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/RenamePattern.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "net/DriveFolder.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

namespace zdr::engine {

bool clsFolderCopy::fc_EntryAction(const EntryAt& at, std::string& errorText)
{
    switch (run_.pass) {
    case PassAction::Copy: return fc_FileCopy(at, errorText);
    case PassAction::Delete: return fc_DeleteEntry(at, errorText);
    case PassAction::Attrib: return fc_SetAttributes(at, errorText);
    case PassAction::Info:  // has its own routine
    case PassAction::MkDir: // does not walk
    case PassAction::None: break;
    }
    return true;
}

bool clsFolderCopy::fc_FolderAction(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                                    const std::string& targetPath, std::string& errorText)
{
    const EntryAt at{false, level, folder, path, targetPath};
    if (run_.pass == PassAction::Info)
        return info_->fc_InfoEntry(at);
    return fc_EntryAction(at, errorText) || fc_EntryFailed(at, errorText);
}

bool clsFolderCopy::fc_FileAction(std::int32_t level, const platform::FileEntry& file, const std::string& path,
                                  const std::string& targetPath, std::string& errorText)
{
    const EntryAt at{true, level, file, path, targetPath};
    if (run_.pass == PassAction::Info)
        return info_->fc_InfoEntry(at);
    return fc_EntryAction(at, errorText) || fc_EntryFailed(at, errorText);
}

// A row comes from the protocol window: it must name a plain entry inside
// its task's source and target folders, or the copy (and the rename after
// it) could reach outside them.
bool clsFolderCopy::fc_RowInside(const protocol::WorkListStep& step, std::string& errorText) const
{
    const bool isFile = step.type == "FILE";
    const EngineTask& task = run_.tasks[static_cast<std::size_t>(step.taskIndex)];
    const std::string source =
        task.Source == kSourceComputer ? std::string(platform::kSeparatorText) : net::resolveDrivePath(task.Source);
    if ((!isFile || fc_RenameNameValid(step.source)) && platform::isWithin(step.sourcePath, source)
        && platform::isWithin(step.targetPath, net::resolveDrivePath(task.Target)))
        return true;
    errorText = fc_EntryErrorText(isFile, step.source, platform::error::kInvalidName);
    return false;
}

// One ticked row of the protocol-driven copy: the row names the entry, its
// folders, its level and its task (whose attribute masks apply). Heading
// rows are passed over; a failed entry goes through the error policy and
// the rows go on (only the cancel flag stops them). A row copied without a
// failure is kept for the rename after the copy.
void clsFolderCopy::sb_ProtocolEntryCopy(const protocol::WorkListStep& step, std::string& errorText)
{
    const bool isFile = step.type == "FILE";
    if ((!isFile && step.type != "FOLDER") || step.taskIndex < 1
        || static_cast<std::size_t>(step.taskIndex) >= run_.tasks.size())
        return;
    run_.taskNumber = step.taskIndex;
    run_.current = run_.tasks[static_cast<std::size_t>(step.taskIndex)];
    run_.sources.setRoot(run_.current.Source == kSourceComputer ? std::string() : run_.current.Source);
    run_.targets.setRoot(run_.current.Target);
    const std::string source = isFile ? platform::joinPath(step.sourcePath, step.source) : step.sourcePath;
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    if (!platform::statEntry(source, entry, code)) {
        // Gone since the information pass: the copy fails on it and says why.
        entry = {};
        entry.name = platform::fileName(source);
    }
    run_.fileNameCurrent = entry.name;
    errorText.clear();
    // A folder's row carries the level of its parent, as its line does.
    const EntryAt at{isFile, isFile ? step.level : step.level + 1, entry, step.sourcePath, step.targetPath};
    const std::int64_t notBefore = run_.counters.CountFiles_Not + run_.counters.CountFolder_Not;
    const bool inside = fc_RowInside(step, errorText);
    if (inside && isFile)
        sb_TidyTarget(step.targetPath);
    if (!inside || !fc_FileCopy(at, errorText))
        fc_EntryFailed(at, errorText);
    else if (run_.counters.CountFiles_Not + run_.counters.CountFolder_Not == notBefore)
        copiedRows_.insert(source);
}

} // namespace zdr::engine
