// The delete and the attribute change of one entry (a folder after its
// content). Both ask after a failure: the read-only question first, when the
// entry is read-only, else whether to try again.
//
// A read-only entry is not deleted until the user allows it (or option
// 0x400 does), as the system where read-only means "keep" would refuse it;
// Linux itself would delete it without a word.
//
// Files the walk lists are removed on a few threads (the waits of the file
// system overlap) and reported in the walk's order before anything else is
// reported, asked or removed: before their folder goes, at the end of each
// listing, and after a cancel, which lets the removals on their way finish.
#include "engine/passes/DeletePass.h"

#include "engine/ErrorTexts.h"
#include "engine/StatusBits.h"
#include "engine/passes/EntryPolicy.h"
#include "platform/FileEntry.h"
#include "platform/Folders.h"
#include "platform/ParallelRemover.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace zdr::engine {

namespace {

// Removals handed on before they are reported: enough for the file system's
// waits to overlap, few enough that a cancel is seen soon.
constexpr std::size_t kDeletesInFlight = 32;

bool readOnly(const platform::FileEntry& entry) { return (entry.attributes & platform::attr::kReadOnly) != 0; }

} // namespace

DeletePass::DeletePass(RunContext& run, EntryPolicy& policy) : run_(run), policy_(policy) {}

DeletePass::~DeletePass() = default;

EntryResult DeletePass::fc_EntryAction(const EntryAt& at, std::string& errorText)
{
    return fc_DeleteEntry(at, errorText) ? EntryResult::GoOn : policy_.fc_EntryFailed(at, errorText);
}

EntryResult AttribPass::fc_EntryAction(const EntryAt& at, std::string& errorText)
{
    return fc_SetAttributes(at, errorText) ? EntryResult::GoOn : policy_.fc_EntryFailed(at, errorText);
}

bool DeletePass::fc_DeleteEntry(const EntryAt& at, std::string& errorText)
{
    // The common case, a file the walk lists in a folder it holds open: its
    // removal is handed on, and reported with the others in their order.
    if (at.isFile && run_.entryFolder >= 0 && (!readOnly(at.entry) || run_.has(status::kOverwriteProtected))) {
        sb_DeleteLater(at);
        return true;
    }
    sb_DeletesDone(); // the earlier ones first
    run_.sb_EntryStart(at);
    return fc_DeleteAsking(at, run_.entryFolder, std::nullopt, errorText);
}

bool DeletePass::fc_DeleteAsking(const EntryAt& at, int folderFd, std::optional<platform::ErrorCode> tried,
                                 std::string& errorText)
{
    // The full path only where it is needed: by a removal without an open
    // folder, and by the questions.
    const auto fullPath = [&at] { return at.isFile ? platform::joinPath(at.path, at.entry.name) : at.path; };
    const bool folder = !at.isFile && !at.entry.isSymlink(); // a link is removed as itself
    // Kept until the first answer: it either allowed the delete or was
    // about something else (the entry is no longer read-only then).
    bool keep = readOnly(at.entry) && !run_.has(status::kOverwriteProtected);
    for (;;) {
        platform::ErrorCode code = platform::error::kAccessDenied;
        if (tried) {
            code = *tried;
            tried.reset();
        } else if (!keep && folderFd >= 0) { // relative to the folder the walk holds open
            static_cast<void>(platform::removeEntry(folderFd, at.entry.name, folder, code));
        } else if (!keep) {
            static_cast<void>(platform::removeEntry(folderFd, fullPath(), folder, code));
        }
        if (code == platform::error::kAccessDenied && !keep && fc_OpenUpFolder(folderFd, fullPath()))
            continue; // its folder had no write bits for its owner: once more
        if (code == platform::error::kSuccess)
            break;
        errorText = fc_EntryErrorText(at.isFile, at.entry.name, code);
        bool allowed = false;
        const EntryPolicy::Decision decision = policy_.fc_AskAgain(at, fullPath(), allowed, errorText);
        if (decision != EntryPolicy::Decision::Retry) {
            sb_NamedEntryDone(folderFd);
            return decision == EntryPolicy::Decision::Skip;
        }
        keep = false;
    }
    sb_NamedEntryDone(folderFd);
    run_.sb_EntryDone(at, readOnly(at.entry) ? "ok (geschützt)" : "ok");
    return true;
}

// An entry reached by its path has no listing whose end gives back the
// bits of its folder: they come back with it.
void DeletePass::sb_NamedEntryDone(int folderFd)
{
    if (folderFd < 0)
        writable_.restoreAll();
}

// A folder of the user's own without write bits still gives up its entries
// while the run works in it (as where these bits come from).
bool DeletePass::fc_OpenUpFolder(int folderFd, const std::string& fullPath)
{
    if (folderFd >= 0)
        return writable_.openUp(folderFd);
    // A named entry: its folder, reached as the walk checked it.
    const int parent =
        ::open(platform::parentPath(fullPath).c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const bool opened = parent >= 0 && writable_.openUp(parent);
    if (parent >= 0)
        ::close(parent);
    return opened;
}

void DeletePass::sb_ListingDone()
{
    sb_DeletesDone();
    // What this run opened up gets its bits back (a folder that goes
    // later is opened up again in its parent).
    writable_.restoreAll();
}

void DeletePass::sb_DeleteLater(const EntryAt& at)
{
    if (!remover_)
        remover_ = std::make_unique<platform::ParallelRemover>(platform::ParallelRemover::threadsFor(run_.entryFolder));
    remover_->submit(run_.entryFolder, at.entry.name);
    pendingDeletes_.push_back({at.entry, at.path, at.level, run_.entryFolder});
    if (pendingDeletes_.size() >= kDeletesInFlight)
        sb_DeletesDone();
}

// Reports every removal handed on, in order, also after a cancel: what is
// gone is counted and written as gone.
void DeletePass::sb_DeletesDone()
{
    platform::ErrorCode code = 0;
    while (!pendingDeletes_.empty() && remover_->next(code)) {
        const PendingDelete pending = std::move(pendingDeletes_.front());
        pendingDeletes_.pop_front();
        const EntryAt at{true, pending.level, pending.entry, pending.path, {}};
        run_.report.fileNameCurrent = pending.entry.name;
        run_.sb_EntryStart(at);
        std::string errorText;
        if (!fc_DeleteAsking(at, pending.folder, code, errorText))
            static_cast<void>(policy_.fc_EntryFailed(at, errorText)); // a file never stops the walk
    }
}

bool AttribPass::fc_SetAttributes(const EntryAt& at, std::string& errorText)
{
    run_.sb_EntryStart(at);
    const std::string path = at.isFile ? platform::joinPath(at.path, at.entry.name) : at.path;
    bool allowed = false; // the read-only question let the change go on
    while (!fc_ChangeAttributes(at, path, errorText)) {
        const EntryPolicy::Decision decision = policy_.fc_AskAgain(at, path, allowed, errorText);
        if (decision != EntryPolicy::Decision::Retry)
            return decision == EntryPolicy::Decision::Skip;
    }
    run_.sb_EntryDone(at, allowed ? "ok (geschützt)" : "ok");
    return true;
}

// Compression first, then the other bits: the entry's own with the task's
// set and then cleared; nothing is written when they are as wanted.
bool AttribPass::fc_ChangeAttributes(const EntryAt& at, const std::string& path, std::string& errorText)
{
    // A link has no attributes of its own here, and what it points to is
    // not the task's.
    if (at.entry.isSymlink())
        return true;
    // Relative to the folder the walk has open: no step of the path is
    // looked up again.
    const clsFileCompress::EntryIn entry = run_.entryFolder >= 0
        ? clsFileCompress::EntryIn{run_.entryFolder, at.entry.name, path}
        : clsFileCompress::EntryIn{AT_FDCWD, path, path};
    if (const StepError compressed = compress_.fc_SetAsAsked(entry, run_.current().task.attributesToSet(),
                                                             run_.current().task.attributesToClear());
        compressed.failed()) {
        errorText = compressed.text();
        return false;
    }
    constexpr std::uint32_t kWritten = platform::attr::kReadOnly | platform::attr::kStoredBits;
    const std::uint32_t wanted = run_.fc_TargetAttributes(at.entry.attributes);
    platform::ErrorCode code = 0;
    if (((wanted ^ at.entry.attributes) & kWritten) == 0
        || platform::setAttributesAt(entry.folder, entry.name, wanted, code))
        return true;
    errorText = fc_EntryErrorText(at.isFile, at.entry.name, code);
    return false;
}

} // namespace zdr::engine
