// The per-entry hooks of the walk: each pass has its routine for a folder
// and a file, and a failed action goes through the error policy. Also the
// rows of the protocol-driven copy, and what every action does at the start
// and the successful end of an entry.
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/RenamePattern.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "engine/passes/CopyPass.h"
#include "engine/passes/DeletePass.h"
#include "engine/passes/EntryPolicy.h"
#include "net/DriveFolder.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

namespace zdr::engine {

bool clsFolderCopy::fc_EntryAction(const EntryAt& at, std::string& errorText)
{
    switch (run_.pass) {
    case PassAction::Copy: return copy_->fc_FileCopy(at, errorText);
    case PassAction::Delete: return delete_->fc_DeleteEntry(at, errorText);
    case PassAction::Attrib: return attrib_->fc_SetAttributes(at, errorText);
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
    return fc_EntryAction(at, errorText) || policy_->fc_EntryFailed(at, errorText);
}

bool clsFolderCopy::fc_FileAction(std::int32_t level, const platform::FileEntry& file, const std::string& path,
                                  const std::string& targetPath, std::string& errorText)
{
    const EntryAt at{true, level, file, path, targetPath};
    if (run_.pass == PassAction::Info)
        return info_->fc_InfoEntry(at);
    return fc_EntryAction(at, errorText) || policy_->fc_EntryFailed(at, errorText);
}

} // namespace zdr::engine
