#pragma once

#include "engine/passes/RunContext.h"
#include "platform/Leftovers.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zdr::engine {

class clsZip;

// The backup of replaced files (extra option 0x1): each target the copy is
// about to replace is saved first, into the run's dated folder in the
// task's backup folder, or (extra option 0x2) gathered for the run's zip
// archive, which is packed when the copy ends.
class BackupStore {
public:
    explicit BackupStore(RunContext& run);
    ~BackupStore();
    BackupStore(const BackupStore&) = delete;
    BackupStore& operator=(const BackupStore&) = delete;

    // A new run gets a name and folders of its own.
    void sb_RunStart();
    // A new pass: nothing tidied yet.
    void sb_PassStart() { tidiedSomething_ = false; }
    // Saves the target of a copy before it is replaced.
    [[nodiscard]] StepError fc_BackupZip(const EntryAt& at);
    // Packs the run's archive of saved files (zip mode), however the copy ended.
    [[nodiscard]] StepError fc_BackupZipClose();
    // A backup folder where no live run works: stale temporaries go, an
    // unpacked archive folder is packed (or named when it cannot be).
    void sb_TidyBackupFolder(const std::string& folder);
    // Something was saved, removed or packed in the backup folders: it must
    // reach the disk before the pass ends.
    bool fc_Wrote() const { return !backupName_.empty() || tidiedSomething_; }

private:
    [[nodiscard]] StepError fc_BackupInFolder(const EntryAt& at);
    [[nodiscard]] StepError fc_BackupForZip(const EntryAt& at);
    void sb_PackLeftover(const std::string& gathered);
    // A killed run's leftover removed, packed or kept: its protocol line.
    void sb_LeftoverLine(const std::string& folder, const std::string& name, const std::string& text);

    RunContext& run_;
    // The run's name, its folder in each backup folder, and in zip mode the
    // archive with the folder its files are gathered in until it is packed.
    std::string backupName_;
    std::map<std::string, std::string> backupFolders_;
    // The marks beside the dated folders this run saves into.
    std::vector<std::string> marks_;
    std::unique_ptr<clsZip> zip_;
    // Held while the archive's files gather in the backup folder.
    platform::FolderLock backupLock_;
    bool tidiedSomething_ = false; // leftovers removed or packed
};

} // namespace zdr::engine
