// The copy pass: per entry a file (three ways: plain, with progress, in
// verified byte blocks) or a folder (made in the target), from the walk or
// from the rows of the reviewed protocol; at the end the backup archive is
// packed and what was written is flushed to the disk.
//
// A file is copied into an unnamed new file beside its target, given the
// source's times and attributes, and only then put in place, so a failure
// or a cancel at any point leaves the old target as it was and nothing
// behind; the source is only read.
#include "engine/passes/CopyPass.h"

#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "engine/ErrorTexts.h"
#include "engine/FileCompare.h"
#include "engine/FolderCopyObserver.h"
#include "engine/RenamePattern.h"
#include "engine/StatusBits.h"
#include "engine/clsFileCopyEvt.h"
#include "engine/passes/BackupStore.h"
#include "engine/passes/EntryPolicy.h"
#include "engine/passes/RenamePass.h"
#include "net/DriveFolder.h"
#include "platform/Compression.h"
#include "platform/ContentCopy.h"
#include "platform/FileEntry.h"
#include "platform/FolderToChange.h"
#include "platform/Folders.h"
#include "platform/LinkCopy.h"
#include "platform/Metadata.h"
#include "platform/Paths.h"
#include "platform/PendingFile.h"
#include "platform/VolumeNames.h"
#include "protocol/ProtocolEntry.h"

#include <sys/stat.h>

namespace zdr::engine {

namespace {

// Letter case folded as the volumes of the Windows family fold it, for the
// letters of the names users have (ASCII and the German umlauts).
std::string foldCase(const std::string& name)
{
    std::string folded = name;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        char& c = folded[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (c == '\xC3' && i + 1 < folded.size()
                 && (folded[i + 1] == '\x84' || folded[i + 1] == '\x96' || folded[i + 1] == '\x9C')) {
            folded[i + 1] = static_cast<char>(folded[i + 1] + 0x20); // Ä Ö Ü
            ++i;
        }
    }
    return folded;
}

} // namespace

namespace {

// Files up to this size are copied in one call without progress events.
constexpr std::uint64_t kPlainCopyLimit = 1000 * 1024;
// Progress and the cancel flag between these steps of a larger copy.
constexpr std::uint64_t kProgressStep = 4 * 1024 * 1024;
// The pause after each block of the block copy.
constexpr std::int32_t kBlockPauseMs = 20;

// The compression the task asks for; a volume that cannot leaves the copy
// as it is and the failure in problem for the entry's line.
template <class Entry>
void compressAsAsked(const clsFileCompress& compress, const EngineTask& task, const Entry& entry, std::string& problem)
{
    if (const StepError failed =
            compress.fc_SetAsAsked(entry, task.task.attributesToSet(), task.task.attributesToClear());
        failed.failed())
        problem = failed.text();
}

// The entry's line: text, and the compression failure when there was one.
std::string doneText(const char* text, const char* textWithNote, const std::string& compressProblem)
{
    if (compressProblem.empty())
        return text;
    return std::string(textWithNote) + compressProblem + ")";
}

} // namespace

CopyPass::CopyPass(RunContext& run, EntryPolicy& policy, RenamePass& rename, BackupStore& backup)
    : run_(run), policy_(policy), rename_(rename), backup_(backup)
{
}

CopyPass::~CopyPass() = default;

void CopyPass::sb_Cancel()
{
    if (fileCopyEvt_)
        fileCopyEvt_->StopCopyFile(true); // a block copy after its current block
}

bool CopyPass::fc_FileCopy(const EntryAt& at, std::string& errorText)
{
    return at.isFile ? fc_CopyFile(at, errorText) : fc_CopyFolder(at, errorText);
}

bool CopyPass::fc_Unchanged(const EntryAt& at, const platform::FileEntry& existing) const
{
    // "Only newer files" protects a newer target also without "differing files".
    if (!fc_ReadsAheadToCompare()
        || !fc_FilesEqual(at.entry, existing, run_.has(status::kOnlyNewer),
                          run_.fc_TargetPrecision(at.targetPath, existing)))
        return false;
    // A link retargeted keeps its time: its text tells.
    return !at.entry.isSymlink() || !existing.isSymlink()
        || platform::sameLinkText(platform::joinPath(at.path, at.entry.name),
                                  platform::joinPath(at.targetPath, at.entry.name));
}

bool CopyPass::fc_KeepMetadataOnly(const EntryAt& at, const std::vector<std::string>& words, std::string& errorText)
{
    platform::EntryPlace from;
    platform::EntryPlace to;
    platform::ErrorCode code = 0;
    platform::KeptAttributes kept;
    const std::uint32_t mode = platform::modeFor(at.entry.mode, run_.fc_TargetAttributes(at.entry.attributes));
    if (!run_.sources.place(at.path, at.entry.name, from, code)
        || !run_.targets.place(at.targetPath, at.entry.name, to, code)
        || !platform::keepMetadata(from.folder, from.name, to.folder, to.name, mode, false, kept, code)) {
        errorText = fc_EntryErrorText(true, at.entry.name, code);
        return false;
    }
    std::string text = "ok (übernommen: " + base::join(words, ", ");
    if (!kept.notKept.empty())
        text += "; " + platform::notKeptText(kept.notKept);
    run_.sb_EntryDone(at, text + ")");
    return true;
}

bool CopyPass::fc_CopyFile(const EntryAt& at, std::string& errorText)
{
    platform::FileEntry existing;
    platform::ErrorCode code = 0;
    // In a folder this run made nothing is there yet; one that comes in
    // meanwhile is still never replaced unasked (the copy then fails).
    const bool made = madeFolders_.count(at.targetPath) != 0;
    const bool exists = !made && run_.targets.statEntry(at.targetPath, at.entry.name, existing, code);
    if (made || !fc_ReadsAheadToCompare() || (exists && fc_Unchanged(at, existing)))
        return fc_CopyFileFound(at, exists, existing, errorText);
    // Examined ahead of the walk (where the target is looked up), the file
    // is as it was then: one to be copied is examined again and goes as it
    // is now (one gone since is passed over, as the walk passes over a file
    // gone since its listing).
    platform::FileEntry now;
    if (!run_.sources.statEntry(at.path, at.entry.name, now, code))
        return code == platform::error::kFileNotFound || fc_CopyFileFound(at, exists, existing, errorText);
    if (now.isDirectory()) // no longer a file: it fails as such
        return fc_CopyFileFound(at, exists, existing, errorText);
    return fc_CopyFileFound({at.isFile, at.level, now, at.path, at.targetPath}, exists, existing, errorText);
}

bool CopyPass::fc_CopyFileFound(const EntryAt& at, bool exists, const platform::FileEntry& existing,
                                std::string& errorText)
{
    const platform::FileEntry& entry = at.entry;
    const double sizeKB = static_cast<double>(entry.size) / 1024;
    run_.sb_EntryStart(at);
    if (exists && fc_Unchanged(at, existing)) {
        sb_NoteName(at); // its copy is there by this name (a rerun)
        // Equal data, but what else a copy keeps may have changed: only that goes.
        if (run_.has(status::kOnlyDifferent) && !run_.has(status::kOnlyNewer) && !entry.isSymlink()) {
            const std::vector<std::string> words = fc_KeptDifferences(
                entry, existing, platform::joinPath(at.path, entry.name), platform::joinPath(at.targetPath, entry.name),
                platform::modeFor(entry.mode, run_.fc_TargetAttributes(entry.attributes)),
                run_.targets.keepsModes(at.targetPath, existing.device));
            if (!words.empty())
                return fc_KeepMetadataOnly(at, words, errorText);
        }
        // Its copy is there: a name of it new since becomes a name of that copy.
        if (entry.links > 1 && !entry.isSymlink())
            hardLinks_.try_emplace({entry.device, entry.inode}, platform::joinPath(at.targetPath, entry.name),
                                   FolderId{existing.device, existing.inode});
        ++run_.counts.counters.CountFiles_ExistsTimeOk;
        run_.counts.counters.SizeTotal_ExistsTimeOk += sizeKB;
        run_.observer.ActionFileNot(1);
        return true;
    }
    // The target is the source itself (a copy into its own folder): never
    // replace a file by a copy of itself.
    const bool itself = exists && existing.device == entry.device && existing.inode == entry.inode;
    // Nor a file this run copied by a name the volume takes for this one.
    const std::string twin = fc_CaseTwin(at, exists, existing);
    std::string compressProblem;
    if (exists && !itself && twin.empty()
        && policy_.fc_AskUser(at, &existing, errorText) != EntryPolicy::Decision::GoOn) {
        policy_.sb_CountLeft(at, errorText); // skipped, or the run was cancelled in the question
        return true;
    }
    // A target about to be replaced is saved first; when that fails it stays.
    bool backup = exists && !itself && twin.empty() && run_.hasEx(statusEx::kSaveFiles);
    for (;;) {
        if (itself)
            errorText = fc_EntryErrorText(true, entry.name, platform::error::kSharingViolation);
        else if (!twin.empty())
            errorText = fc_CaseTwinText(entry.name, twin);
        else if (const StepError saved = backup ? backup_.fc_BackupZip(at) : StepError(); saved.failed())
            errorText = saved.text();
        else {
            backup = false;
            if (fc_CopyContent(at, exists, compressProblem, errorText))
                break;
        }
        if (run_.stop.copyCancel || policy_.fc_AskUser(at, nullptr, errorText) != EntryPolicy::Decision::Retry) {
            if (!errorText.empty() && run_.has(status::kCreateProtocol))
                run_.sb_ProtocolAdd({.action = run_.pass,
                                     .level = at.level,
                                     .type = protocol::EntryKind::File,
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
                      exists ? doneText("ok (überschrieben)", "ok (überschrieben; ", compressProblem)
                             : doneText("ok", "ok (", compressProblem));
    sb_NoteName(at);
    if (!fc_FromProtocol())
        policy_.sb_KeepFailure(rename_.fc_RenameAfterCopy(at));
    return true;
}

void CopyPass::sb_NoteName(const EntryAt& at)
{
    if (copiedFolder_ != at.targetPath) {
        copiedFolder_ = at.targetPath;
        copiedNames_.clear();
    }
    copiedNames_.insert_or_assign(foldCase(at.entry.name), at.entry.name);
}

std::string CopyPass::fc_CaseTwin(const EntryAt& at, bool exists, const platform::FileEntry& existing)
{
    if (copiedFolder_ != at.targetPath)
        return {};
    const auto copied = copiedNames_.find(foldCase(at.entry.name));
    if (copied == copiedNames_.end() || copied->second == at.entry.name)
        return {};
    // Where the volume tells them apart this name finds nothing (or a file
    // of its own); where it does not, the other copy.
    platform::FileEntry other;
    platform::ErrorCode code = 0;
    if (!exists || !run_.targets.statEntry(at.targetPath, copied->second, other, code)
        || other.device != existing.device || other.inode != existing.inode)
        return {};
    return copied->second;
}

// The content, compression, times and attributes of one file, put in place
// when all is done. replace: an existing target may be replaced.
bool CopyPass::fc_CopyContent(const EntryAt& at, bool replace, std::string& note, std::string& errorText)
{
    const bool blocks = run_.has(status::kBlockBytes);
    // Full paths only where they are needed: a link, and the block copy's texts.
    const auto source = [&] { return platform::joinPath(at.path, at.entry.name); };
    const auto target = [&] { return platform::joinPath(at.targetPath, at.entry.name); };
    const auto inBlocks = [&] {
        return "\r\nBei Aktion 'Kopieren (Byte Blöcke)': '" + source() + "' nach '" + target() + "'";
    };
    platform::ErrorCode code = 0;
    bool ok = true;
    note.clear();
    // Both folders are reached from the task's folders without a link; the
    // source's is the one the walk has open and listed, where it has one.
    platform::EntryPlace from;
    platform::EntryPlace to;
    const bool walked = run_.entryFolder >= 0 && !fc_FromProtocol();
    if (walked)
        from = {run_.entryFolder, at.entry.name};
    if (!(walked || run_.sources.place(at.path, at.entry.name, from, code))
        || !run_.targets.place(at.targetPath, at.entry.name, to, code)) {
        ok = false;
    } else if (at.entry.isSymlink()) {
        ok = platform::copyLink(from, to, replace, code);
    } else if (at.entry.isSocket()) {
        // It belongs to the program that listens on it; there is nothing to copy.
        errorText = "Fehler bei Datei: " + at.entry.name
            + " - Das ist ein Socket (die Verbindungsstelle eines laufenden Programms); er kann nicht kopiert werden.";
        return false;
    } else if (at.entry.isSpecial()) {
        ok = platform::copySpecial(from, to, replace, code);
    } else if (!fc_LinkToCopy(at, to, replace, note)) {
        // The volume's kind, once per target folder.
        if (to.folder >= 0 && volumeFolder_ != at.targetPath) {
            volumeFolder_ = at.targetPath;
            userSpaceVolume_ = platform::onUserSpaceVolume(to.folder);
            refusesWindowsNames_ = platform::mayRefuseWindowsNames(to.folder);
            largestFile_ = platform::largestFileOn(to.folder);
            folderPassesOnAcl_ = platform::passesOnAcl(to.folder);
        }
        // FAT takes no file of 4 GiB: it fails before a byte is written.
        if (to.folder >= 0 && largestFile_ != 0 && at.entry.size > largestFile_) {
            errorText = fc_TooLargeText(at.entry.name, largestFile_);
            return false;
        }
        // Named relative to their folders, each opened once.
        platform::PendingFile file;
        const auto open = [&] { return file.open(from, at.entry, to, code); };
        const std::uint32_t set = run_.current().task.attributesToSet() & platform::attr::kCompressed;
        const std::uint32_t cleared = run_.current().task.attributesToClear() & platform::attr::kCompressed;
        ok = (set | cleared) != 0 && to.folder >= 0 ? platform::makeAsFolderCompresses(to.folder, cleared == 0, open)
                                                    : open();
        if (ok && to.folder >= 0) {
            file.setUserSpaceVolume(userSpaceVolume_);
            file.setFolderPassesOnAcl(folderPassesOnAcl_);
        }
        // Before the content, so a volume that compresses does so with
        // what is written; one that cannot still gets the copy.
        if (ok)
            compressAsAsked(compress_, run_.current(), file.fd(), note);
        if (ok && blocks) {
            if (!fileCopyEvt_) {
                fileCopyEvt_ = std::make_unique<clsFileCopyEvt>();
                fileCopyEvt_->Progress = [this](std::int64_t total, std::int64_t written) {
                    run_.sb_ActionFileDoneByte(total, written);
                };
                fileCopyEvt_->DoEvents = [this] {
                    if (run_.doEvents)
                        run_.doEvents();
                };
            }
            if (const StepError copied = fileCopyEvt_->fc_CopyFile(file, run_.options().blockSize, kBlockPauseMs,
                                                                   run_.has(status::kYield), true);
                copied.failed()) {
                errorText = copied.text() + inBlocks();
                return false;
            }
        } else if (ok) {
            const auto total = static_cast<std::int64_t>(file.size());
            const bool withProgress = file.size() > kPlainCopyLimit;
            ok = platform::copyContent(
                file.sourceFd(), file.fd(), file.size(), withProgress ? kProgressStep : file.size(),
                [&](std::uint64_t done) {
                    if (withProgress)
                        run_.sb_ActionFileDoneByte(total, static_cast<std::int64_t>(done));
                    return !run_.stop.copyCancel;
                },
                code);
        }
        ok = ok && file.finish(run_.fc_TargetAttributes(at.entry.attributes), code) && file.commit(replace, code);
        if (ok && !file.notKept().empty())
            note += (note.empty() ? "" : "; ") + platform::notKeptText(file.notKept());
        // Its other names in this task become names of this copy.
        platform::FileEntry copy;
        if (ok && at.entry.links > 1 && run_.targets.statEntry(at.targetPath, at.entry.name, copy, code))
            hardLinks_[{at.entry.device, at.entry.inode}] = {platform::joinPath(at.targetPath, at.entry.name),
                                                             {copy.device, copy.inode}};
    }
    if (ok) {
        changedFolders_.try_emplace(at.targetPath, at.path);
        return true;
    }
    if (blocks)
        errorText = "Fehler: '" + base::fc_GetApiErrorText(code) + "'" + inBlocks();
    else if (const auto copied = copiedNames_.find(foldCase(at.entry.name)); code == platform::error::kFileExists
             && copiedFolder_ == at.targetPath && copied != copiedNames_.end() && copied->second != at.entry.name)
        errorText = fc_CaseTwinText(at.entry.name, copied->second); // not there when looked up, there when put in place
    else
        errorText = fc_TargetErrorText(true, at.entry.name, code, to.folder >= 0 && refusesWindowsNames_);
    return false;
}

bool CopyPass::fc_LinkToCopy(const EntryAt& at, const platform::EntryPlace& to, bool replace, std::string& note)
{
    if (at.entry.links < 2)
        return false;
    const auto it = hardLinks_.find({at.entry.device, at.entry.inode});
    platform::FileEntry copy;
    platform::ErrorCode code = 0;
    // Only to the copy this task made, as long as it is there; else it is copied.
    if (it == hardLinks_.end() || !platform::statEntry(it->second.first, copy, code)
        || !(FolderId{copy.device, copy.inode} == it->second.second)
        || !platform::addHardLink(it->second.first, to, replace, code))
        return false;
    note = "fester Link";
    return true;
}

bool CopyPass::fc_CopyFolder(const EntryAt& at, std::string& errorText)
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
    platform::EntryPlace place;
    while (!(found && folder.isDirectory())) {
        // The owner may do everything while the content goes in; the
        // source's own bits follow after it.
        // Made in its parent as opened from the task's target, so a link
        // swapped in on the way meanwhile leads nowhere.
        made = run_.targets.place(platform::parentPath(at.targetPath), platform::fileName(at.targetPath), place, code)
            && (platform::makeDirectoryAt(place.folder, place.name, code, at.entry.mode | 0700)
                || (code == platform::error::kAccessDenied && place.folder != AT_FDCWD
                    && writable_.openUp(place.folder)
                    && platform::makeDirectoryAt(place.folder, place.name, code, at.entry.mode | 0700)));
        if (!made) {
            errorText = fc_TargetErrorText(false, at.entry.name, code,
                                           place.folder >= 0 && platform::mayRefuseWindowsNames(place.folder));
            if (policy_.fc_AskUser(at, nullptr, errorText) != EntryPolicy::Decision::Retry)
                return false;
            errorText.clear();
        }
        // Made: read back in the folder it was made in (also where its full
        // path is longer than the system takes).
        found = made ? platform::statEntryAt(place.folder, place.name, at.targetPath, folder, code)
                     : platform::statEntry(at.targetPath, folder, code);
    }
    // Opened from its parent as the task's target reaches it: its marks and
    // bits go to it, never to a link swapped in for it. A folder this run
    // made at once (its mark), one that was there when it is changed.
    platform::FolderToChange target;
    const auto opened = [&] {
        if (target.fd() >= 0 || fc_OpenTargetFolder(at.targetPath, target, code))
            return true;
        errorText = fc_EntryErrorText(false, at.entry.name, code);
        return false;
    };
    if (made && !opened())
        return false;
    const FolderId id = made ? FolderId{target.device(), target.inode()} : FolderId{folder.device, folder.inode};
    run_.ownTargets.insert(id); // the copy's own folder is never walked as source
    if (made) {
        // Until its content is in and it has its bits and time: a run that
        // is killed meanwhile leaves it for the next one to finish.
        platform::markUnfinished(target.fd());
        madeFolders_[at.targetPath] = id;
    } else if (platform::unfinishedByGoneRun(at.targetPath)) {
        resumedFolders_.insert(at.targetPath);
    }
    if ((made || resumedFolders_.count(at.targetPath) != 0) && fc_FromProtocol())
        rowFolders_.emplace_back(at.targetPath, at.path);
    if (!made && run_.has(status::kOnlyDifferent)) {
        const std::uint32_t mode = platform::modeFor(at.entry.mode, run_.fc_TargetAttributes(at.entry.attributes));
        const std::vector<std::string> words = run_.has(status::kOnlyNewer)
            ? std::vector<std::string>()
            : fc_KeptDifferences(at.entry, folder, at.path, at.targetPath, mode,
                                 run_.targets.keepsModes(at.targetPath, folder.device));
        if (words.empty()) {
            ++run_.counts.counters.CountFolder_ExistsTimeOk;
            run_.observer.ActionFolderNot(1);
            return true;
        }
        // Its owner, ACLs and attributes now, its bits (which may take the
        // owner's writing) when its content is in.
        platform::EntryPlace there;
        platform::KeptAttributes kept;
        if (!run_.targets.place(platform::parentPath(at.targetPath), platform::fileName(at.targetPath), there, code)
            || !platform::keepMetadata(AT_FDCWD, at.path, there.folder, there.name, mode | 0700, true, kept, code)) {
            errorText = fc_EntryErrorText(false, at.entry.name, code);
            return false;
        }
        folderAttributes_[at.targetPath] = kept;
        if (fc_FromProtocol())
            rowFolders_.emplace_back(at.targetPath, at.path);
        std::string text = "ok (übernommen: " + base::join(words, ", ");
        if (!kept.notKept.empty())
            text += "; " + platform::notKeptText(kept.notKept);
        run_.sb_EntryDone(at, text + ")");
        return true;
    }
    std::string note;
    const EngineTask& task = run_.current();
    if (((task.task.attributesToSet() | task.task.attributesToClear()) & platform::attr::kCompressed) != 0) {
        if (!opened())
            return false;
        compressAsAsked(compress_, task, target.fd(), note);
    }
    if (made) {
        // The folder it is in changed, unless that is only where the task puts the source folder.
        if (at.level > 1)
            changedFolders_.try_emplace(platform::parentPath(at.targetPath), platform::parentPath(at.path));
        // Its ACLs and attributes now (a default ACL goes on to what the
        // copy puts in it), its owner's bits of them after the content.
        platform::ExtendedAttributes wanted;
        platform::KeptAttributes kept;
        if (platform::readExtendedAttributes(at.path, wanted) && kept.apply(target.fd(), wanted, true)
            && !kept.notKept.empty()) {
            note += (note.empty() ? "" : "; ") + platform::notKeptText(kept.notKept);
            folderAttributes_[at.targetPath] = kept;
        }
    }
    // A new folder takes the source's hidden and system bits; the task's
    // bits go on every folder. Read-only waits until the content is in.
    const std::uint32_t wanted = run_.fc_TargetAttributes(made ? at.entry.attributes : folder.attributes);
    if ((wanted & platform::attr::kStoredBits) != (folder.attributes & platform::attr::kStoredBits)) {
        if (!opened())
            return false;
        if (!target.setAttributes(wanted & ~platform::attr::kReadOnly, code)) {
            errorText = fc_EntryErrorText(false, at.entry.name, code);
            return false;
        }
    }
    const std::size_t lineAt = run_.report.protocol.text().size();
    run_.sb_EntryDone(at, made ? doneText("ok", "ok (", note) : doneText("ok (vorhanden)", "ok (vorhanden; ", note));
    if (made && run_.report.protocol.text().size() > lineAt)
        madeFolderLines_[at.targetPath] = {lineAt, run_.report.protocol.text().substr(lineAt)};
    return true;
}

// After a copied folder's content: a folder this run made gets the source's
// permission bits and last-write time (the content moved it), as does one
// whose content it changed; every folder gets the read-only bit the task
// asks for.
void CopyPass::sb_TargetFolderDone(const std::string& targetPath, const platform::FileEntry& source)
{
    platform::ErrorCode ignored = 0; // the folder and its content are there; these are finishing touches
    platform::EntryPlace place;
    struct stat left {};
    if (!writable_.empty() && run_.targets.place(targetPath, ".", place, ignored) && place.folder != AT_FDCWD
        && ::fstat(place.folder, &left) == 0)
        writable_.restore(left.st_dev, left.st_ino);
    const bool resumed = resumedFolders_.erase(targetPath) != 0;
    const bool changed = changedFolders_.erase(targetPath) != 0;
    const auto made = madeFolders_.find(targetPath);
    const bool own = made != madeFolders_.end() || resumed;
    if (!own && !changed && folderAttributes_.count(targetPath) == 0
        && (run_.fc_TargetAttributes(0) & platform::attr::kReadOnly) == 0)
        return;
    // The folder as the task's target reaches it, and when this run made
    // it, that very folder: one swapped for a link (or for another folder)
    // meanwhile gets nothing.
    platform::FolderToChange target;
    if (!fc_OpenTargetFolder(targetPath, target, ignored)
        || (made != madeFolders_.end() && !(made->second == FolderId{target.device(), target.inode()})))
        return;
    if (own) {
        platform::clearUnfinished(target.fd()); // before the bits, which may take the owner's writing
        std::uint32_t mode = platform::modeFor(source.mode, run_.fc_TargetAttributes(source.attributes));
        if (const auto kept = folderAttributes_.find(targetPath); kept != folderAttributes_.end()) {
            mode = kept->second.mode(mode);
            folderAttributes_.erase(kept);
        }
        // As root's copy of a file is its owner's (before the bits, which a
        // change of owner may clear).
        static_cast<void>(target.giveOwner(source.owner, source.group, ignored));
        static_cast<void>(target.setPermissions(mode, ignored));
        static_cast<void>(target.setLastWrite(source.lastWrite, ignored));
        return;
    }
    // One whose mode, ACL or attributes a rerun brought over: its true bits
    // now, and its time as its source's, as a folder made.
    const auto kept = folderAttributes_.find(targetPath);
    const bool brought = kept != folderAttributes_.end();
    if (brought) {
        static_cast<void>(target.setPermissions(
            kept->second.mode(platform::modeFor(source.mode, run_.fc_TargetAttributes(source.attributes))), ignored));
        folderAttributes_.erase(kept);
    }
    if ((run_.fc_TargetAttributes(0) & platform::attr::kReadOnly) != 0)
        static_cast<void>(target.setPermissions(target.mode() & ~0222u, ignored));
    if (changed || brought)
        static_cast<void>(target.setLastWrite(source.lastWrite, ignored));
}

bool CopyPass::fc_OpenTargetFolder(const std::string& targetPath, platform::FolderToChange& target,
                                   platform::ErrorCode& code)
{
    platform::EntryPlace place;
    return run_.targets.place(platform::parentPath(targetPath), platform::fileName(targetPath), place, code)
        && target.open(place.folder, place.name, code);
}

void CopyPass::sb_RowFoldersDone()
{
    for (auto it = rowFolders_.rbegin(); it != rowFolders_.rend(); ++it) {
        platform::FileEntry source;
        platform::ErrorCode ignored = 0;
        if (platform::statEntry(it->second, source, ignored))
            sb_TargetFolderDone(it->first, source);
    }
    rowFolders_.clear();
    // The folders whose content the rows changed.
    const std::map<std::string, std::string> changed = std::move(changedFolders_);
    changedFolders_.clear();
    for (const auto& [target, from] : changed) {
        platform::FileEntry source;
        platform::ErrorCode ignored = 0;
        if (platform::statEntry(from, source, ignored) && source.isDirectory()) {
            changedFolders_.try_emplace(target, from);
            sb_TargetFolderDone(target, source);
        }
    }
}

void CopyPass::sb_PassStart()
{
    tidied_.clear();
    tidiedSomething_ = false;
    resumedFolders_.clear();
    rowFolders_.clear();
    changedFolders_.clear();
    backup_.sb_PassStart();
}

// A target inside the source (and a copy of the source folder there from
// an earlier run) is not walked as source.
void CopyPass::sb_TaskStart()
{
    madeFolders_.clear();
    madeFolderLines_.clear();
    hardLinks_.clear();
    folderAttributes_.clear();
    volumeFolder_.clear();
    rename_.sb_TaskStart();
}

EntryResult CopyPass::fc_EntryAction(const EntryAt& at, std::string& errorText)
{
    return fc_FileCopy(at, errorText) ? EntryResult::GoOn : policy_.fc_EntryFailed(at, errorText);
}

bool CopyPass::fc_ReadsAheadToCompare() const
{
    return run_.has(status::kOnlyDifferent) || run_.has(status::kOnlyNewer);
}

bool CopyPass::fc_PassesOver(const std::string& path, const std::string& name) const
{
    return rename_.fc_RenamedSource(path, name);
}

void CopyPass::sb_EnterTarget(const std::string& ownTarget)
{
    volumeFolder_.clear();
    if (!ownTarget.empty())
        sb_TidyTarget(ownTarget);
}

void CopyPass::sb_FolderContentDone(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                                    const std::string& ownTarget)
{
    sb_TargetFolderDone(ownTarget, folder);
    if (level == 1) // the source folder itself; its subfolders are renamed as the walk comes back from them
        policy_.sb_KeepFailure(rename_.fc_RenameAfterCopy({false, level, folder, path, ownTarget}));
}

void CopyPass::sb_SourceContentDone(const platform::FileEntry& folder, const std::string& target)
{
    platform::FolderToChange opened;
    platform::ErrorCode ignored = 0;
    if (changedFolders_.erase(target) != 0 && opened.open(AT_FDCWD, target, ignored))
        static_cast<void>(opened.setLastWrite(folder.lastWrite, ignored));
}

void CopyPass::sb_TidyBackupFolders()
{
    if (!run_.hasEx(statusEx::kSaveFiles))
        return;
    std::set<std::string> backupFolders;
    for (std::size_t i = 1; i < run_.options().tasks.size(); ++i)
        if (!run_.options().tasks[i].BackupFolder.empty())
            backupFolders.insert(
                net::resolveDrivePath(platform::withoutTrailingSeparator(run_.options().tasks[i].BackupFolder)));
    for (const std::string& folder : backupFolders)
        backup_.sb_TidyBackupFolder(folder);
}

CopyPass::PassEnd CopyPass::fc_PassEnd()
{
    // Also after a cancel: every folder opened up for the run gets its bits back.
    writable_.restoreAll();
    // The archive holds the only copy of what was replaced: it is packed
    // however the copy ended. A failure to pack outweighs the others.
    PassEnd end;
    end.pack = backup_.fc_BackupZipClose();
    // "Done" means on the disk: what this pass wrote reaches the storage
    // before its end is reported (a stick pulled then holds it all). A pass
    // that found everything as it was wrote nothing to flush.
    const EngineCounters& c = run_.counts.counters;
    const bool wrote = c.CountFiles_Done + c.CountFolder_Done > c.CountFiles_Not + c.CountFolder_Not
        || backup_.fc_Wrote() || tidiedSomething_;
    if (wrote)
        end.flush = fc_FlushTargets();
    return end;
}

void CopyPass::sb_SubfolderDone(std::int32_t level, const platform::FileEntry& entry, const std::string& /*path*/,
                                const std::string& subPath, const std::string& subTarget, const EngineCounters& before)
{
    // A folder with a failure inside is never taken back: its error rows and
    // counts stay, whatever else it holds.
    const bool copiedNothing = run_.current().Filtered && !run_.counts.counters.failedSince(before)
        && run_.counts.counters.CountFiles_Done == before.CountFiles_Done;
    if (copiedNothing) {
        // No file was copied into this folder: take it back, and remove the
        // target folder when this run made it (one that was there before
        // stays, empty or not).
        EngineCounters restored = before;
        restored.CountFiles_ExistsTimeOk = run_.counts.counters.CountFiles_ExistsTimeOk;
        restored.SizeTotal_ExistsTimeOk = run_.counts.counters.SizeTotal_ExistsTimeOk;
        // Its folders need nothing: each is passed over, so the figures add up.
        restored.CountFolder_ExistsTimeOk += (run_.counts.counters.CountFolder_Done - before.CountFolder_Done)
            + (run_.counts.counters.CountFolder_ExistsTimeOk - before.CountFolder_ExistsTimeOk);
        run_.counts.counters = restored;
        const auto made = madeFolders_.find(subTarget);
        // Only an empty folder goes, the one this run made, in its parent as
        // the task's target reaches it; a failure changes nothing. (Whether
        // it was there is the list's business: the counters of an emptied
        // subfolder count that one as there.)
        platform::FolderToChange folder;
        platform::ErrorCode ignored = 0;
        platform::EntryPlace place;
        if (made != madeFolders_.end() && fc_OpenTargetFolder(subTarget, folder, ignored)
            && made->second == FolderId{folder.device(), folder.inode()}
            && run_.targets.place(platform::parentPath(subTarget), platform::fileName(subTarget), place, ignored)
            && platform::removeEntry(place.folder, place.name, true, ignored)) {
            run_.ownTargets.erase(made->second);
            madeFolders_.erase(made);
            run_.targets.close();
            // Its "ok" would name a folder that is not there.
            if (const auto line = madeFolderLines_.find(subTarget); line != madeFolderLines_.end())
                run_.report.protocol.withdraw(line->second.first, line->second.second);
        }
        run_.observer.ActionFolderDone();
    } else if (!run_.stop.cancel) {
        policy_.sb_KeepFailure(rename_.fc_RenameAfterCopy({false, level + 1, entry, subPath, subTarget}));
    }
    madeFolderLines_.erase(subTarget);
}

void CopyPass::sb_TidyTarget(const std::string& targetPath)
{
    if (madeFolders_.count(targetPath) != 0 || !tidied_.insert(targetPath).second)
        return; // new, or done already
    // Only in the folder as the task's target reaches it: the one its
    // lookups open anyway.
    platform::EntryPlace place;
    platform::ErrorCode code = 0;
    if (!run_.targets.place(targetPath, ".", place, code) || place.folder == AT_FDCWD)
        return;
    // A folder of the user's own without write bits still takes files while
    // the run works in it; one a killed run left so gets its bits back.
    static_cast<void>(writable_.openUp(place.folder));
    // The names of the target's listing made ahead where there is one.
    std::vector<std::string> listed;
    const bool fromListing = run_.targets.listedTemporaries(targetPath, listed);
    if (fromListing && listed.empty())
        return;
    const std::vector<std::string> removed = fromListing ? platform::removeStaleTemporaries(place.folder, listed)
                                                         : platform::removeStaleTemporaries(place.folder);
    for (const std::string& name : removed) {
        tidiedSomething_ = true;
        if (run_.has(status::kCreateProtocol))
            run_.sb_ProtocolAdd({.action = run_.pass,
                                 .type = protocol::EntryKind::File,
                                 .name = name,
                                 .text = "entfernt (Rest eines abgebrochenen Vorgangs)",
                                 .folder = targetPath});
    }
}

// The target and backup folders of every task, each file system once: the
// pass's last phase.
StepError CopyPass::fc_FlushTargets()
{
    std::vector<std::string> folders;
    for (std::size_t i = 1; i < run_.options().tasks.size(); ++i) {
        folders.push_back(net::resolveDrivePath(run_.options().tasks[i].Target));
        if (!run_.options().tasks[i].BackupFolder.empty())
            folders.push_back(net::resolveDrivePath(run_.options().tasks[i].BackupFolder));
    }
    run_.observer.ActionInfo("Daten werden auf den Datenträger geschrieben ...");
    platform::ErrorCode code = 0;
    if (platform::flushFileSystems(folders, code)) {
        run_.observer.ActionInfo("Daten auf den Datenträger geschrieben.");
        return {};
    }
    return StepError("Fehler beim Schreiben auf den Datenträger - " + base::fc_GetApiErrorText(code));
}

bool CopyPass::fc_FromProtocol() const { return run_.has(status::kOnlyDifferent) && run_.has(status::kWithInfo); }

// The copy of a "differing files" run after its information pass: the
// ticked protocol rows are pulled one by one instead of walking again. Then
// the backup archive is packed (extra options 0x1 and 0x2) and the copied
// rows are renamed (the rows again, backwards); a failure of either ends
// the run.
bool CopyPass::fc_ProtocolCopy(std::string& errorText)
{
    run_.observer.ActionStartAufgabe(run_.action, 1, 1, 2);
    copiedRows_.clear();
    protocol::WorkListStep step;
    step.index = 0;
    for (;;) {
        step.direction = "NEXT";
        step.action = "COPY";
        run_.observer.ActionEntryGetNext(step);
        // What the review unticked is left, counted apart from errors.
        run_.counts.counters.CountFiles_Left += step.uncheckedFiles;
        run_.counts.counters.CountFolder_Left += step.uncheckedFolders;
        if (step.index <= 0 || run_.stop.cancel)
            break;
        sb_ProtocolEntryCopy(step, errorText);
    }
    sb_RowFoldersDone();
    if (const StepError packed = backup_.fc_BackupZipClose(); packed.failed()) {
        errorText = packed.text();
        return false;
    }
    if (const StepError renamed = rename_.fc_ProtocolRename(copiedRows_); renamed.failed()) {
        errorText = renamed.text();
        return false;
    }
    return true;
}

// A row comes from the protocol window: it must name a plain entry inside
// its task's source and target folders, or the copy (and the rename after
// it) could reach outside them.
bool CopyPass::fc_RowInside(const protocol::WorkListStep& step, std::string& errorText) const
{
    const bool isFile = protocol::entryKindOfWord(step.type) == protocol::EntryKind::File;
    const EngineTask& task = run_.options().tasks[static_cast<std::size_t>(step.taskIndex)];
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
void CopyPass::sb_ProtocolEntryCopy(const protocol::WorkListStep& step, std::string& errorText)
{
    const std::optional<protocol::EntryKind> type = protocol::entryKindOfWord(step.type);
    const bool isFile = type == protocol::EntryKind::File;
    if (!type || step.taskIndex < 1 || static_cast<std::size_t>(step.taskIndex) >= run_.options().tasks.size())
        return;
    run_.taskNumber = step.taskIndex;
    run_.selectTask(static_cast<std::size_t>(step.taskIndex));
    run_.sources.setRoot(run_.current().Source == kSourceComputer ? std::string() : run_.current().Source);
    run_.targets.setRoot(run_.current().Target);
    const std::string source = isFile ? platform::joinPath(step.sourcePath, step.source) : step.sourcePath;
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    if (!platform::statEntry(source, entry, code)) {
        // Gone since the information pass: the copy fails on it and says why.
        entry = {};
        entry.name = platform::fileName(source);
    }
    run_.report.fileNameCurrent = entry.name;
    errorText.clear();
    // A folder's row carries the level of its parent, as its line does.
    const EntryAt at{isFile, isFile ? step.level : step.level + 1, entry, step.sourcePath, step.targetPath};
    const std::int64_t notBefore = run_.counts.counters.CountFiles_Not + run_.counts.counters.CountFolder_Not;
    const bool inside = fc_RowInside(step, errorText);
    if (inside && isFile)
        sb_TidyTarget(step.targetPath);
    // A failed row has its line and counts; the rows go on (only a cancel stops them).
    if (!inside || !fc_FileCopy(at, errorText))
        static_cast<void>(policy_.fc_EntryFailed(at, errorText));
    else if (run_.counts.counters.CountFiles_Not + run_.counts.counters.CountFolder_Not == notBefore)
        copiedRows_.insert(source);
}

} // namespace zdr::engine
