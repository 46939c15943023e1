#pragma once

#include "engine/EngineCounters.h"
#include "engine/clsFileCompress.h"
#include "engine/passes/RunContext.h"
#include "engine/passes/WalkPass.h"
#include "platform/Metadata.h"
#include "platform/WritableFolders.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zdr::platform {
class FolderToChange;
struct EntryPlace;
} // namespace zdr::platform

namespace zdr::protocol {
struct WorkListStep;
}

namespace zdr::engine {

class BackupStore;
class EntryPolicy;
class RenamePass;
class clsFileCopyEvt;

// The copy pass: a file (three ways: whole, in steps with progress, in
// verified byte blocks) or a folder (made in the target) per entry of the
// walk, or per ticked row of the reviewed protocol. Keeps the folders this
// task's copy made, what it tidied, and the rows it copied; saves replaced
// targets through the backup and renames through the rename pass.
class CopyPass final : public WalkPass {
public:
    CopyPass(RunContext& run, EntryPolicy& policy, RenamePass& rename, BackupStore& backup);
    ~CopyPass();
    CopyPass(const CopyPass&) = delete;
    CopyPass& operator=(const CopyPass&) = delete;

    bool fc_ChangesSource() const override { return false; }
    const char* fc_FolderFailedText() const override { return "Fehler bei Kopie Verzeichnis: '"; }
    EntryResult fc_EntryAction(const EntryAt& at, std::string& errorText) override;
    // Copying only what differs (or is newer), most files are only
    // compared: the source is listed and examined ahead as the target is,
    // and as fresh (a second). A file to be copied is examined again.
    bool fc_ReadsAheadToCompare() const override;
    std::chrono::steady_clock::duration fc_AheadFor() const override { return std::chrono::seconds(1); }
    // Not in a folder this run made: nothing is there yet.
    bool fc_LooksUpTargets(const std::string& ownTarget) const override { return !fc_MadeFolder(ownTarget); }
    bool fc_MakesTargets() const override { return true; }
    bool fc_PassesOver(const std::string& path, const std::string& name) const override;
    void sb_TaskStart() override;
    void sb_EnterTarget(const std::string& ownTarget) override;
    void sb_FolderContentDone(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                              const std::string& ownTarget) override;

    // The task's target whose content the copy changed gets its source's time.
    void sb_SourceContentDone(const platform::FileEntry& folder, const std::string& target) override;

    // A new pass.
    void sb_PassStart();
    // The copy works from the reviewed protocol instead of walking.
    bool fc_FromProtocol() const;
    // Before the walk: the backup folders lose what killed runs left.
    void sb_TidyBackupFolders();
    // One entry of the walk (a folder before its content); false: it failed
    // and goes through the error policy.
    [[nodiscard]] bool fc_FileCopy(const EntryAt& at, std::string& errorText);
    // The rows of the reviewed protocol one by one, then the archive packed
    // and the copied rows renamed. errorText: as a walk leaves it (the last
    // row's failure); false (errorText: the pack's or the rename's failure)
    // ends the run.
    [[nodiscard]] bool fc_ProtocolCopy(std::string& errorText);
    // The end of the pass: the archive packed, what was written flushed to
    // the disk.
    struct PassEnd {
        StepError pack;  // outweighs every other failure of the pass
        StepError flush; // the pass's failure when it has no other
    };
    [[nodiscard]] PassEnd fc_PassEnd();
    // Stops a block copy after its current block.
    void sb_Cancel();

    // A folder this task's copy made (nothing in it is looked up).
    bool fc_MadeFolder(const std::string& targetPath) const { return madeFolders_.count(targetPath) != 0; }
    // What a killed run left in a target folder (once per folder and pass):
    // its temporary files go.
    void sb_TidyTarget(const std::string& targetPath);
    // After a copied folder's content: its bits and time.
    void sb_TargetFolderDone(const std::string& targetPath, const platform::FileEntry& source);
    // After a subfolder's walk (counters as they were before it): the
    // roll-back of a filtered folder that got nothing, else its rename.
    void sb_SubfolderDone(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                          const std::string& subPath, const std::string& subTarget,
                          const EngineCounters& before) override;

private:
    [[nodiscard]] bool fc_CopyFile(const EntryAt& at, std::string& errorText);
    // The same with the file's target as looked up (exists: existing is it).
    [[nodiscard]] bool fc_CopyFileFound(const EntryAt& at, bool exists, const platform::FileEntry& existing,
                                        std::string& errorText);
    // Nothing is to be done for source against its existing target.
    bool fc_Unchanged(const EntryAt& at, const platform::FileEntry& existing) const;
    // The same by data and times, but with another mode, owner, ACL or
    // extended attributes: brings them over (the line says which). False
    // when it failed (errorText set).
    [[nodiscard]] bool fc_KeepMetadataOnly(const EntryAt& at, const std::vector<std::string>& words,
                                           std::string& errorText);
    [[nodiscard]] bool fc_CopyFolder(const EntryAt& at, std::string& errorText);
    // note: a compression the volume refused, what it could not keep, or
    // that the file became a hard link, for the entry's line.
    [[nodiscard]] bool fc_CopyContent(const EntryAt& at, bool replace, std::string& note, std::string& errorText);
    // A file whose other name this task copied already becomes another name
    // of that copy; false: it is to be copied.
    bool fc_LinkToCopy(const EntryAt& at, const platform::EntryPlace& to, bool replace, std::string& note);
    // The file this run copied into the same target folder under a name
    // that differs from at's only in letter case, where the volume takes
    // them for one (exists: at's target was found); else empty.
    std::string fc_CaseTwin(const EntryAt& at, bool exists, const platform::FileEntry& existing);
    // at's file is in its target folder by its name now (copied, or found equal).
    void sb_NoteName(const EntryAt& at);
    // One ticked row of the protocol-driven copy.
    void sb_ProtocolEntryCopy(const protocol::WorkListStep& step, std::string& errorText);
    // A reviewed row names its entry inside its task's folders.
    [[nodiscard]] bool fc_RowInside(const protocol::WorkListStep& step, std::string& errorText) const;
    // The made folders of the protocol-driven copy get their finishing
    // touches after all rows, the deepest first.
    void sb_RowFoldersDone();
    // The target folder at targetPath opened to change it, reached from the
    // task's target without a link (the folder itself no link either).
    [[nodiscard]] bool fc_OpenTargetFolder(const std::string& targetPath, platform::FolderToChange& target,
                                           platform::ErrorCode& code);
    // Flushes the file systems of the tasks' targets and backup folders.
    [[nodiscard]] StepError fc_FlushTargets();

    RunContext& run_;
    EntryPolicy& policy_;
    RenamePass& rename_;
    BackupStore& backup_;
    std::unique_ptr<clsFileCopyEvt> fileCopyEvt_;
    clsFileCompress compress_;
    // Folders this task's copy made (for the roll-back and their times).
    std::unordered_map<std::string, FolderId> madeFolders_;
    // The protocol line of each folder made ("ok"), taken back with it.
    std::unordered_map<std::string, std::pair<std::size_t, std::string>> madeFolderLines_;
    // Folders a killed run made and this one finishes (their content may be
    // there already), and the protocol-driven copy's made folders by target
    // with their sources.
    std::set<std::string> resumedFolders_;
    std::vector<std::pair<std::string, std::string>> rowFolders_;
    std::set<std::string> tidied_;
    // The target folder whose volume was asked last, and its answers.
    std::string volumeFolder_;
    bool userSpaceVolume_ = false;
    bool folderPassesOnAcl_ = true; // the target folder gives new files an ACL
    bool refusesWindowsNames_ = false;
    std::uint64_t largestFile_ = 0; // 0: no limit
    // The files this run copied into the target folder copiedFolder_, by
    // their names with letter case folded: a volume that does not tell
    // "a.txt" from "A.txt" would put the second over the first.
    std::string copiedFolder_;
    std::unordered_map<std::string, std::string> copiedNames_;
    bool tidiedSomething_ = false;     // leftovers removed: written too
    std::set<std::string> copiedRows_; // rows the protocol-driven copy handled
    // Files of more than one name copied in this task, by identity: where
    // their copy went (full path), and which object that is.
    std::map<FolderId, std::pair<std::string, FolderId>> hardLinks_;
    // Target folders whose content this pass changed, with their sources:
    // they get the source's time when the run leaves them.
    std::map<std::string, std::string> changedFolders_;
    // Folders whose bits are finished when their content is in: one made
    // whose access ACL it could not keep, one whose mode, ACL or attributes
    // a rerun brought over.
    std::map<std::string, platform::KeptAttributes> folderAttributes_;
    // Target folders without write bits, writable while the copy works in them.
    platform::WritableFolders writable_;
};

} // namespace zdr::engine
