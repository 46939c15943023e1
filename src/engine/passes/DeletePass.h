#pragma once

#include "engine/clsFileCompress.h"
#include "engine/passes/RunContext.h"
#include "engine/passes/WalkPass.h"
#include "platform/ErrorCode.h"
#include "platform/WritableFolders.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace zdr::platform {
class ParallelRemover;
}

namespace zdr::engine {

class EntryPolicy;

// The delete pass: each entry after its content, relative to the open
// folder that holds it. Files the walk lists are removed on a few threads
// and reported in the walk's order (sb_DeletesDone) before anything else
// is reported, asked or removed.
class DeletePass final : public WalkPass {
public:
    DeletePass(RunContext& run, EntryPolicy& policy);
    ~DeletePass() override;
    DeletePass(const DeletePass&) = delete;
    DeletePass& operator=(const DeletePass&) = delete;

    bool fc_ChangesSource() const override { return true; }
    const char* fc_FolderFailedText() const override { return "Fehler bei Löschen Verzeichnis: '"; }
    EntryResult fc_EntryAction(const EntryAt& at, std::string& errorText) override;
    // The delete goes relative to the folder and never follows a link: what
    // it finds may be examined ahead.
    bool fc_ReadsAhead() const override { return true; }
    // What it decides by is the mode's read-only bit (and the policy looks
    // at an entry again before it asks): the attribute store is not read.
    bool fc_ReadsStoredAttributes() const override { return false; }
    // Subfolders are listed ahead while a folder's files go: a listing
    // stands for its folder only while that is still the same folder, and
    // one where another file system is mounted is never listed.
    bool fc_ListsAhead() const override { return true; }
    // Removals on their way are named relative to the listed folder, which
    // closes after it; folders opened up for them get their bits back.
    void sb_ListingDone() override;

    [[nodiscard]] bool fc_DeleteEntry(const EntryAt& at, std::string& errorText);
    // Reports every removal handed on, in order.
    void sb_DeletesDone();

private:
    // tried: the outcome of an attempt made already.
    [[nodiscard]] bool fc_DeleteAsking(const EntryAt& at, int folderFd, std::optional<platform::ErrorCode> tried,
                                       std::string& errorText);
    void sb_DeleteLater(const EntryAt& at);
    // The folder of an entry that could not go, made writable for its owner
    // (folderFd, else the folder that holds fullPath): true when it was not.
    bool fc_OpenUpFolder(int folderFd, const std::string& fullPath);
    void sb_NamedEntryDone(int folderFd);

    RunContext& run_;
    EntryPolicy& policy_;
    // Files whose removal is on its way, in the walk's order.
    struct PendingDelete {
        platform::FileEntry entry;
        std::string path;
        std::int32_t level;
        int folder;
    };
    std::deque<PendingDelete> pendingDeletes_;
    std::unique_ptr<platform::ParallelRemover> remover_;
    platform::WritableFolders writable_;
};

// The attribute pass: compression first, then the entry's bits with the
// task's masks set and cleared.
class AttribPass final : public WalkPass {
public:
    AttribPass(RunContext& run, EntryPolicy& policy) : run_(run), policy_(policy) {}

    bool fc_ChangesSource() const override { return true; }
    const char* fc_FolderFailedText() const override { return "Fehler bei Attribute setzen Verzeichnis: '"; }
    EntryResult fc_EntryAction(const EntryAt& at, std::string& errorText) override;

    [[nodiscard]] bool fc_SetAttributes(const EntryAt& at, std::string& errorText);

private:
    [[nodiscard]] bool fc_ChangeAttributes(const EntryAt& at, const std::string& path, std::string& errorText);

    RunContext& run_;
    EntryPolicy& policy_;
    clsFileCompress compress_;
};

} // namespace zdr::engine
