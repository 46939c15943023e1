// The copy of one entry in the copy pass: a file (three ways: plain, with
// progress, in verified byte blocks) or a folder (made in the target).
//
// A file is copied into an unnamed new file beside its target, given the
// source's times and attributes, and only then put in place, so a failure
// or a cancel at any point leaves the old target as it was and nothing
// behind; the source is only read.
#include "base/mdlErrSys.h"
#include "engine/ErrorTexts.h"
#include "engine/FileCompare.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/clsFileCopyEvt.h"
#include "engine/clsFolderCopy.h"
#include "platform/ContentCopy.h"
#include "platform/FileEntry.h"
#include "platform/Folders.h"
#include "platform/LinkCopy.h"
#include "platform/Paths.h"
#include "platform/PendingFile.h"

namespace zdr::engine {

namespace {

// Files up to this size are copied in one call without progress events.
constexpr std::uint64_t kPlainCopyLimit = 1000 * 1024;
// Progress and the cancel flag between these steps of a larger copy.
constexpr std::uint64_t kProgressStep = 4 * 1024 * 1024;
// The pause after each block of the block copy.
constexpr std::int32_t kBlockPauseMs = 20;

} // namespace

bool clsFolderCopy::fc_FileCopy(const EntryAt& at, std::string& errorText)
{
    return at.isFile ? fc_CopyFile(at, errorText) : fc_CopyFolder(at, errorText);
}

// The target's attributes: the source's, with the task's bits set and then
// cleared (compression is the volume's business, not an attribute here).
std::uint32_t clsFolderCopy::fc_TargetAttributes(std::uint32_t sourceAttributes) const
{
    const std::uint32_t set = run_.current.AttributesSet & ~platform::attr::kCompressed;
    const std::uint32_t clear = run_.current.AttributesClear & ~platform::attr::kCompressed;
    return (sourceAttributes | set) & ~clear;
}

template <class Entry>
void clsFolderCopy::sb_CompressAsAsked(const Entry& entry)
{
    std::string problem;
    if (!compress_.fc_SetAsAsked(entry, run_.current.AttributesSet, run_.current.AttributesClear, problem))
        compressProblem_ = problem;
}

std::string clsFolderCopy::fc_DoneText(const char* text, const char* textWithNote) const
{
    if (compressProblem_.empty())
        return text;
    return std::string(textWithNote) + compressProblem_ + ")";
}

bool clsFolderCopy::fc_CopyFile(const EntryAt& at, std::string& errorText)
{
    const platform::FileEntry& entry = at.entry;
    const double sizeKB = static_cast<double>(entry.size) / 1024;
    run_.sb_EntryStart(at);
    const std::string source = platform::joinPath(at.path, entry.name);
    const std::string target = platform::joinPath(at.targetPath, entry.name);
    platform::FileEntry existing;
    platform::ErrorCode code = 0;
    // In a folder this run made nothing is there yet; one that comes in
    // meanwhile is still never replaced unasked (the copy then fails).
    const bool exists =
        madeFolders_.count(at.targetPath) == 0 && run_.targets.statEntry(at.targetPath, entry.name, existing, code);
    // "Only newer files" protects a newer target also without "differing files".
    if (exists && (run_.has(status::kOnlyDifferent) || run_.has(status::kOnlyNewer))
        && fc_FilesEqual(entry, existing, run_.has(status::kOnlyNewer))) {
        ++run_.counters.CountFiles_ExistsTimeOk;
        run_.counters.SizeTotal_ExistsTimeOk += sizeKB;
        run_.observer.ActionFileNot(1);
        return true;
    }
    // The target is the source itself (a copy into its own folder): never
    // replace a file by a copy of itself.
    const bool itself = exists && existing.device == entry.device && existing.inode == entry.inode;
    bool skip = false;
    if (exists && !itself && !fc_AskUser(at, &existing, skip, errorText)) {
        sb_CountLeft(at); // skipped, or the run was cancelled in the question
        return true;
    }
    // A target about to be replaced is saved first; when that fails it stays.
    bool backup = exists && !itself && run_.hasEx(statusEx::kSaveFiles);
    for (;;) {
        if (itself)
            errorText = fc_EntryErrorText(true, entry.name, platform::error::kSharingViolation);
        else if (!backup || fc_BackupZip(at, errorText)) {
            backup = false;
            if (fc_CopyContent(at, source, target, exists, errorText))
                break;
        }
        if (run_.copyCancel || !fc_AskUser(at, nullptr, skip, errorText)) {
            if (!errorText.empty() && run_.has(status::kCreateProtocol))
                run_.sb_ProtocolAdd({.action = run_.action,
                                     .level = at.level,
                                     .type = "FILE",
                                     .name = entry.name,
                                     .text = "ok",
                                     .folder = at.path,
                                     .target = errorText,
                                     .error = true});
            return false;
        }
        errorText.clear();
    }
    run_.sb_EntryDone(at,
                      exists ? fc_DoneText("ok (überschrieben)", "ok (überschrieben; ") : fc_DoneText("ok", "ok ("));
    if (!fc_FromProtocol())
        sb_RenameAfterCopy(at);
    return true;
}

// The content, compression, times and attributes of one file, put in place
// when all is done. replace: an existing target may be replaced.
bool clsFolderCopy::fc_CopyContent(const EntryAt& at, const std::string& source, const std::string& target,
                                   bool replace, std::string& errorText)
{
    const bool blocks = run_.has(status::kBlockBytes);
    const std::string inBlocks = "\r\nBei Aktion 'Kopieren (Byte Blöcke)': '" + source + "' nach '" + target + "'";
    platform::ErrorCode code = 0;
    bool ok = true;
    compressProblem_.clear();
    // Both folders are reached from the task's folders without a link.
    platform::EntryPlace from;
    platform::EntryPlace to;
    if (!run_.sources.place(at.path, at.entry.name, from, code)
        || !run_.targets.place(at.targetPath, at.entry.name, to, code)) {
        ok = false;
    } else if (at.entry.isSymlink()) {
        ok = platform::copyLink(source, target, replace, code);
    } else {
        // Named relative to their folders, each opened once.
        platform::PendingFile file;
        ok = file.open(from, to, code);
        // Before the content, so a volume that compresses does so with
        // what is written; one that cannot still gets the copy.
        if (ok)
            sb_CompressAsAsked(file.fd());
        if (ok && blocks) {
            if (!fileCopyEvt_) {
                fileCopyEvt_ = std::make_unique<clsFileCopyEvt>();
                fileCopyEvt_->Progress = [this](std::int64_t total, std::int64_t written) {
                    sb_ActionFileDoneByte(total, written);
                };
                fileCopyEvt_->DoEvents = [this] {
                    if (run_.doEvents)
                        run_.doEvents();
                };
            }
            if (!fileCopyEvt_->fc_CopyFile(file, run_.blockSize, kBlockPauseMs, run_.has(status::kYield), errorText,
                                           true)) {
                errorText += inBlocks;
                return false;
            }
        } else if (ok) {
            const auto total = static_cast<std::int64_t>(file.size());
            const bool withProgress = file.size() > kPlainCopyLimit;
            ok = platform::copyContent(
                file.sourceFd(), file.fd(), file.size(), withProgress ? kProgressStep : file.size(),
                [&](std::uint64_t done) {
                    if (withProgress)
                        sb_ActionFileDoneByte(total, static_cast<std::int64_t>(done));
                    return !run_.copyCancel;
                },
                code);
        }
        ok = ok && file.finish(fc_TargetAttributes(at.entry.attributes), code) && file.commit(replace, code);
    }
    if (ok)
        return true;
    if (blocks)
        errorText = "Fehler: '" + base::fc_GetApiErrorText(code) + "'" + inBlocks;
    else
        errorText = fc_EntryErrorText(true, at.entry.name, code);
    return false;
}

bool clsFolderCopy::fc_CopyFolder(const EntryAt& at, std::string& errorText)
{
    run_.sb_EntryStart(at);
    platform::FileEntry folder;
    platform::ErrorCode code = 0;
    bool made = false;
    // First among its folder's entries (looked up ahead of the walk), then
    // as it is after each attempt.
    bool found =
        run_.targets.statEntry(platform::parentPath(at.targetPath), platform::fileName(at.targetPath), folder, code);
    // A link in the target tree (or on its way there) is the target's own
    // entry, never a way out of it: the folder cannot go there.
    if ((found && folder.isSymlink()) || (!found && code == platform::error::kCantResolveFilename)) {
        errorText = fc_EntryErrorText(false, at.entry.name, platform::error::kCantResolveFilename);
        return false;
    }
    while (!(found && folder.isDirectory())) {
        // The owner may do everything while the content goes in; the
        // source's own bits follow after it.
        // Made in its parent as opened from the task's target, so a link
        // swapped in on the way meanwhile leads nowhere.
        platform::EntryPlace place;
        made = run_.targets.place(platform::parentPath(at.targetPath), platform::fileName(at.targetPath), place, code)
            && platform::makeDirectoryAt(place.folder, place.name, code, at.entry.mode | 0700);
        if (!made) {
            errorText = fc_EntryErrorText(false, at.entry.name, code);
            bool skip = false;
            if (!fc_AskUser(at, nullptr, skip, errorText))
                return false;
            errorText.clear();
        }
        found = platform::statEntry(at.targetPath, folder, code); // made: read back for its identity
    }
    const FolderId id{folder.device, folder.inode};
    ownTargets_.insert(id); // the copy's own folder is never walked as source
    if (made) {
        // Until its content is in and it has its bits and time: a run that
        // is killed meanwhile leaves it for the next one to finish.
        platform::markUnfinished(at.targetPath);
        madeFolders_[at.targetPath] = id;
    } else if (platform::unfinishedByGoneRun(at.targetPath)) {
        resumedFolders_.insert(at.targetPath);
    }
    if ((made || resumedFolders_.count(at.targetPath) != 0) && fc_FromProtocol())
        rowFolders_.emplace_back(at.targetPath, at.path);
    if (!made && run_.has(status::kOnlyDifferent)) {
        ++run_.counters.CountFolder_ExistsTimeOk;
        run_.observer.ActionFolderNot(1);
        return true;
    }
    compressProblem_.clear();
    sb_CompressAsAsked(at.targetPath);
    // A new folder takes the source's hidden and system bits; the task's
    // bits go on every folder. Read-only waits until the content is in.
    const std::uint32_t wanted = fc_TargetAttributes(made ? at.entry.attributes : folder.attributes);
    if ((wanted & platform::attr::kStoredBits) != (folder.attributes & platform::attr::kStoredBits)
        && !platform::setAttributes(at.targetPath, wanted & ~platform::attr::kReadOnly, code)) {
        errorText = fc_EntryErrorText(false, at.entry.name, code);
        return false;
    }
    const std::size_t lineAt = run_.protocol.text().size();
    run_.sb_EntryDone(at, made ? fc_DoneText("ok", "ok (") : fc_DoneText("ok (vorhanden)", "ok (vorhanden; "));
    if (made && run_.protocol.text().size() > lineAt)
        madeFolderLines_[at.targetPath] = {lineAt, run_.protocol.text().substr(lineAt)};
    return true;
}

// After a copied folder's content: a folder this run made gets the source's
// permission bits and last-write time (the content moved it); every folder
// gets the read-only bit the task asks for.
void clsFolderCopy::sb_TargetFolderDone(const std::string& targetPath, const platform::FileEntry& source)
{
    platform::ErrorCode ignored = 0; // the folder and its content are there; these are finishing touches
    const bool resumed = resumedFolders_.erase(targetPath) != 0;
    if (madeFolders_.count(targetPath) != 0 || resumed) {
        platform::clearUnfinished(targetPath); // before the bits, which may take the owner's writing
        std::uint32_t mode = source.mode;
        if ((fc_TargetAttributes(source.attributes) & platform::attr::kReadOnly) != 0)
            mode &= ~0222u;
        else if ((mode & 0222) == 0)
            mode |= 0200;
        // As root's copy of a file is its owner's (before the bits, which a
        // change of owner may clear).
        platform::giveOwner(targetPath, source.owner, source.group, ignored);
        platform::setPermissions(targetPath, mode, ignored);
        platform::setLastWrite(targetPath, source.lastWrite, ignored);
    } else if ((fc_TargetAttributes(0) & platform::attr::kReadOnly) != 0) {
        platform::FileEntry folder;
        if (platform::statEntry(targetPath, folder, ignored))
            platform::setAttributes(targetPath, folder.attributes | platform::attr::kReadOnly, ignored);
    }
}

void clsFolderCopy::sb_RowFoldersDone()
{
    for (auto it = rowFolders_.rbegin(); it != rowFolders_.rend(); ++it) {
        platform::FileEntry source;
        platform::ErrorCode ignored = 0;
        if (platform::statEntry(it->second, source, ignored))
            sb_TargetFolderDone(it->first, source);
    }
    rowFolders_.clear();
}

bool clsFolderCopy::fc_IsOwnTarget(const platform::FileEntry& folder) const
{
    return !ownTargets_.empty() && ownTargets_.count({folder.device, folder.inode}) != 0;
}

} // namespace zdr::engine
