// The per-entry hooks of the walk: each pass has its folder and its file
// routine, and a failed action goes through the error policy. An action
// pass without its routines in this build reports so and the walk of the
// task stops.
#include "engine/clsFolderCopy.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

namespace zdr::engine {

namespace {

bool notAvailable(const std::string& action, std::string& errorText)
{
    errorText = "Aktion '" + action + "' ist in dieser Version nicht verfügbar.";
    return false;
}

} // namespace

bool clsFolderCopy::fc_FolderAction(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                                    const std::string& targetPath, std::string& errorText)
{
    switch (pass_) {
    case Pass::Info: return fc_InfoEntry(false, level, folder, path, targetPath, errorText);
    case Pass::Copy: {
        const EntryAt at{false, level, folder, path, targetPath};
        return fc_FileCopy(at, errorText) || fc_EntryFailed(at, errorText);
    }
    case Pass::Delete:
    case Pass::Attrib:
    case Pass::MkDir: break;
    }
    return notAvailable(action_, errorText);
}

bool clsFolderCopy::fc_FileAction(std::int32_t level, const platform::FileEntry& file, const std::string& path,
                                  const std::string& targetPath, std::string& errorText)
{
    switch (pass_) {
    case Pass::Info: return fc_InfoEntry(true, level, file, path, targetPath, errorText);
    case Pass::Copy: {
        const EntryAt at{true, level, file, path, targetPath};
        return fc_FileCopy(at, errorText) || fc_EntryFailed(at, errorText);
    }
    case Pass::Delete:
    case Pass::Attrib:
    case Pass::MkDir: break;
    }
    return notAvailable(action_, errorText);
}

// One ticked row of the protocol-driven copy: the row names the entry, its
// folders, its level and its task (whose attribute masks apply). Heading
// rows are passed over; a failed entry goes through the error policy and
// the rows go on (only the cancel flag stops them).
bool clsFolderCopy::fc_ProtocolEntryCopy(const protocol::WorkListStep& step, std::string& errorText)
{
    const bool isFile = step.type == "FILE";
    if (!isFile && step.type != "FOLDER")
        return true;
    if (step.taskIndex >= 1 && static_cast<std::size_t>(step.taskIndex) < tasks_.size()) {
        taskNumber_ = step.taskIndex;
        current_ = tasks_[static_cast<std::size_t>(step.taskIndex)];
    }
    const std::string source = isFile ? platform::joinPath(step.sourcePath, step.source) : step.sourcePath;
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    if (!platform::statEntry(source, entry, code)) {
        // Gone since the information pass: the copy fails on it and says why.
        entry = {};
        entry.name = platform::fileName(source);
    }
    fileNameCurrent_ = entry.name;
    errorText.clear();
    // A folder's row carries the level of its parent, as its line does.
    const EntryAt at{isFile, isFile ? step.level : step.level + 1, entry, step.sourcePath, step.targetPath};
    if (!fc_FileCopy(at, errorText))
        fc_EntryFailed(at, errorText);
    return true;
}

} // namespace zdr::engine
