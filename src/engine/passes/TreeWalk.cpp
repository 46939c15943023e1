// The tree walk: which entries of a task's source take part and in which
// order they reach the entry routines of the pass.
//
// A folder handled as a whole (the source with selection ".", and every
// folder below level 1) goes: the folder itself (information and copy) ->
// its entries, subfolders walked as they come -> the folder itself again
// (delete and attributes, after its content).
#include "engine/passes/TreeWalk.h"

#include "base/Message.h"
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/passes/EntryPolicy.h"
#include "engine/passes/WalkPass.h"
#include "platform/DirectoryReader.h"
#include "platform/FileEntry.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

#include <cmath>

namespace zdr::engine {

namespace {

// Each level keeps its folder open and its frame on the stack; deeper trees
// are reported at this depth instead of running out of either.
constexpr std::int32_t kMaxLevel = 512;

// A named entry must stay inside the source folder.
bool namesInside(const std::string& relative)
{
    if (relative.empty())
        return false;
    for (const std::string& part : base::split(relative, platform::kSeparatorText)) {
        if (part.empty() || part == "." || part == "..")
            return false;
    }
    return true;
}

// Every step of relative before its last is a folder of its own, not a
// link to one.
bool throughFoldersOnly(const std::string& folder, const std::string& relative, platform::ErrorCode& error)
{
    std::string path = folder;
    const std::vector<std::string> steps = base::split(relative, platform::kSeparatorText);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        path = platform::joinPath(path, steps[i]);
        platform::FileEntry entry;
        if (!platform::statEntry(path, entry, error))
            return false;
        if (!entry.isDirectory()) {
            error = platform::error::kCantResolveFilename;
            return false;
        }
    }
    return true;
}

std::string joinTarget(const std::string& targetPath, const std::string& name)
{
    return targetPath.empty() ? std::string() : platform::joinPath(targetPath, name);
}

} // namespace

bool TreeWalk::fc_WalkTask(WalkPass& pass, const std::string& targetPath, std::string& errorText)
{
    pass_ = &pass;
    platform::FileEntry self;
    if (run_.current().Source == kSourceComputer) {
        self.name = run_.current().Source;
        self.attributes = platform::attr::kDirectory;
    } else {
        platform::ErrorCode code = 0;
        if (!platform::statEntry(run_.current().Source, self, code)) {
            sb_SearchFailed(1, false, run_.current().Source, code, errorText);
            return false;
        }
    }
    // A target inside the source (and a copy of the source folder there from
    // an earlier run) is not walked as source.
    pass.sb_TaskStart();
    run_.ownTargets.clear();
    run_.sources.close();
    run_.targets.close();
    // Below the task's folders no link is followed, on either side.
    run_.sources.setRoot(run_.current().Source == kSourceComputer ? std::string() : run_.current().Source);
    run_.targets.setRoot(targetPath);
    const std::string copyOfSource =
        run_.current().Selection.front() == kSelectionAll ? platform::joinPath(targetPath, self.name) : std::string();
    for (const std::string& folder : {targetPath, copyOfSource}) {
        platform::FileEntry entry;
        platform::ErrorCode ignored = 0;
        if (!targetPath.empty() && !folder.empty() && platform::statEntry(folder, entry, ignored)
            && entry.isDirectory())
            run_.ownTargets.insert({entry.device, entry.inode});
    }
    return fc_FolderWalk(0, self, run_.current().Source, targetPath, nullptr, errorText);
}

bool TreeWalk::fc_FolderWalk(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                             const std::string& targetPath, const platform::DirectoryReader* parent,
                             std::string& errorText)
{
    ++level;
    const bool whole = level > 1 || run_.current().Selection.front() == kSelectionAll;
    const bool changes = pass_->fc_ChangesSource();
    const std::int64_t leftBefore = run_.counts.counters.CountFiles_Left + run_.counts.counters.CountFolder_Left;
    if (changes)
        run_.observer.ActionFolderSet(path);
    // The source folder handled as a whole goes into the target under its own name.
    const std::string ownTarget = level == 1 && whole ? joinTarget(targetPath, folder.name) : targetPath;
    if (whole && !changes) {
        // Nothing of a folder the review did not choose goes without it.
        if (run_.reviewed && !fc_Chosen({false, level, folder, path, ownTarget}))
            return !run_.stop.cancel;
        const EntryResult result = pass_->fc_EntryAction({false, level, folder, path, ownTarget}, errorText);
        if (result == EntryResult::Stop) {
            errorText = pass_->fc_FolderFailedText() + folder.name + "'";
            return false;
        }
        if (result == EntryResult::ContentLeft) // it failed and errors are passed over: its content has nowhere to go
            return !run_.stop.cancel;
        pass_->sb_FolderOpened(level, path);
    }

    const bool listing = whole || (level == 1 && run_.current().Selection.front() == kSelectionContent);
    // The files' counterparts in the target are looked up on a thread ahead
    // of the walk (and what the target folder holds is known before the
    // pass enters it).
    const bool lookups = listing && !ownTarget.empty() && pass_->fc_LooksUpTargets(ownTarget);
    if (lookups)
        run_.targets.listAhead(ownTarget);
    pass_->sb_EnterTarget(ownTarget);
    bool goOn = true;
    if (listing) {
        platform::DirectoryReader reader;
        // Entries are examined ahead on a helper thread where what is done
        // with them does not depend on the moment: the information pass only
        // looks, the delete goes relative to the folder and never follows a
        // link. A copy opens its source by name after the examination; only
        // one that mostly compares takes examinations made ahead, and only
        // fresh ones.
        const bool toCompare = lookups && pass_->fc_ReadsAheadToCompare();
        reader.setReadAhead(pass_->fc_ReadsAhead() || toCompare);
        reader.setReadsStore(pass_->fc_ReadsStoredAttributes());
        reader.setAheadFor(pass_->fc_AheadFor());
        // The subfolders the walk will enter are listed ahead too, on the
        // helpers, while it reports the files.
        if (pass_->fc_ListsAhead() || toCompare)
            reader.setListAhead([this](const std::string& name) { return run_.filter.folderPasses(name); });
        platform::ErrorCode code = 0;
        bool opened = false;
        if (level > kMaxLevel)
            code = platform::error::kFilenameTooLong;
        else
            opened =
                parent != nullptr && level > 1 ? reader.openChild(*parent, folder.name, code) : reader.open(path, code);
        if (!opened)
            sb_SearchFailed(level, false, path, code, errorText);
        else
            goOn = fc_WalkListing(level, reader, path, ownTarget, errorText);
        if (lookups)
            run_.targets.leave(ownTarget);
    } else if (run_.current().Source == kSourceComputer) {
        goOn = fc_WalkDrives(level, targetPath, errorText);
    } else {
        goOn = fc_WalkNamed(level, path, targetPath, errorText);
    }
    if (!goOn)
        return false;

    if (whole)
        pass_->sb_FolderContentDone(level, folder, path, ownTarget);
    else if (listing)
        pass_->sb_SourceContentDone(folder, ownTarget);
    // Removed or changed relative to the folder that holds it, where the walk has it open.
    run_.entryFolder = parent != nullptr ? parent->fd() : -1;
    if (!whole || !changes)
        return !run_.stop.cancel;
    const EntryAt self{false, level, folder, path, targetPath};
    if (run_.reviewed) {
        if (!fc_Chosen(self))
            return !run_.stop.cancel;
        // A folder that keeps an entry left out is not removed as a whole.
        if (run_.pass == PassAction::Delete
            && run_.counts.counters.CountFiles_Left + run_.counts.counters.CountFolder_Left != leftBefore) {
            sb_Left(self, "enthält ausgelassene Einträge");
            return !run_.stop.cancel;
        }
    }
    if (pass_->fc_EntryAction(self, errorText) == EntryResult::Stop)
        errorText = pass_->fc_FolderFailedText() + folder.name + "'";
    return !run_.stop.cancel;
}

bool TreeWalk::fc_WalkListing(std::int32_t level, platform::DirectoryReader& reader, const std::string& path,
                              const std::string& targetPath, std::string& errorText)
{
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    bool goOn = true;
    for (;;) {
        if (!reader.next(entry, code)) {
            if (code != 0 && !reader.isOpen()) // the listing itself broke off
                sb_SearchFailed(level, false, path, code, errorText);
            else if (code != 0) {
                sb_EntryUnreadable(level + (entry.isDirectory() ? 1 : 0), !entry.isDirectory(), path, entry.name, code);
                continue;
            }
            break;
        }
        if (!fc_WalkEntry(level, entry, path, targetPath, &reader, errorText)) {
            goOn = false;
            break;
        }
    }
    // Removals on their way are named relative to this folder, which closes after it.
    pass_->sb_ListingDone();
    return goOn && !run_.stop.cancel;
}

// Level 1 with a list of named entries: each is looked up on its own; one
// that is missing is reported and the others are still walked.
bool TreeWalk::fc_WalkNamed(std::int32_t level, const std::string& path, const std::string& targetPath,
                            std::string& errorText)
{
    for (const std::string& element : run_.current().Selection) {
        const std::string relative = platform::withoutTrailingSeparator(platform::entryToRelativePath(element));
        const std::string full = platform::joinPath(path, relative);
        // What a name that cannot be reached stands for: "\\Sub" is a folder.
        const auto failed = [&](bool isFile, platform::ErrorCode code) {
            sb_SearchFailed(isFile ? level : level + 1, isFile, full, code, errorText);
        };
        const bool namesFile = !base::startsWith(element, "\\") && !base::endsWith(element, "\\");
        if (!namesInside(relative)) {
            failed(namesFile, platform::error::kInvalidName);
            continue;
        }
        platform::FileEntry entry;
        platform::ErrorCode code = 0;
        // A delete or a change never reaches through a link to another place.
        if (pass_->fc_ChangesSource() && !throughFoldersOnly(path, relative, code)) {
            platform::ErrorCode ignored = 0;
            failed(platform::statEntry(full, entry, ignored) ? !entry.isDirectory() : namesFile, code);
            continue;
        }
        if (!platform::statEntry(full, entry, code)) {
            failed(namesFile, code);
            continue;
        }
        if (!fc_WalkEntry(level, entry, platform::parentPath(full), targetPath, nullptr, errorText))
            return false;
    }
    return true;
}

// Source "<Arbeitsplatz>": each selected element is the root of a drive,
// walked into a target folder named after the drive.
bool TreeWalk::fc_WalkDrives(std::int32_t level, const std::string& targetPath, std::string& errorText)
{
    for (const std::string& element : run_.current().Selection) {
        const std::string root = platform::withoutTrailingSeparator(element);
        platform::DirectoryReader reader;
        // A root is a full path, never one below the current folder.
        platform::ErrorCode code = platform::isAbsolute(root) ? 0 : platform::error::kPathNotFound;
        if (code != 0 || !reader.open(root, code)) {
            sb_SearchFailed(level, false, root, code, errorText);
            continue;
        }
        const platform::DriveInfo drive = platform::driveInfo(root);
        const std::string driveTarget = joinTarget(targetPath,
                                                   drive.label.empty() ? "(Laufwerk " + drive.letter + ")"
                                                                       : "(" + drive.label + " " + drive.letter + ")");
        // Only the copy makes it: the other passes leave the target alone.
        if (pass_->fc_MakesTargets() && !driveTarget.empty() && !platform::pathExists(driveTarget)
            && !platform::makeDirectory(driveTarget, code)) {
            errorText = "Fehler bei Verzeichnis: " + driveTarget + " - " + base::fc_GetApiErrorText(code);
            return false;
        }
        if (!fc_WalkListing(level, reader, root, driveTarget, errorText))
            return false;
    }
    return true;
}

bool TreeWalk::fc_WalkEntry(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                            const std::string& targetPath, const platform::DirectoryReader* reader,
                            std::string& errorText)
{
    // A source entry renamed after its copy, met again under its new name.
    if (pass_->fc_PassesOver(path, entry.name))
        return true;
    if (entry.isDirectory()) {
        // The target inside its own source is the copy, not part of what is copied.
        if (!run_.filter.folderPasses(entry.name) || run_.fc_IsOwnTarget(entry))
            return true;
        if (entry.mountRoot && pass_->fc_ChangesSource())
            return fc_MountedFolder(level, entry, path, errorText);
        return fc_WalkSubfolder(level, entry, path, targetPath, reader, errorText);
    }
    if (!run_.filter.filePasses(entry))
        return true;
    if (run_.reviewed && !fc_Chosen({true, level, entry, path, targetPath}))
        return !run_.stop.cancel;
    errorText.clear();
    run_.report.fileNameCurrent = entry.name;
    run_.entryFolder = reader != nullptr ? reader->fd() : -1;
    return pass_->fc_EntryAction({true, level, entry, path, targetPath}, errorText) != EntryResult::Stop
        && !run_.stop.cancel;
}

bool TreeWalk::fc_WalkSubfolder(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                const std::string& targetPath, const platform::DirectoryReader* reader,
                                std::string& errorText)
{
    const EngineCounters before = run_.counts.counters;
    const std::string subPath = platform::joinPath(path, entry.name);
    const std::string subTarget = joinTarget(targetPath, entry.name);
    if (!fc_FolderWalk(level, entry, subPath, subTarget, reader, errorText))
        return false;

    pass_->sb_SubfolderDone(level, entry, path, subPath, subTarget, before);
    return !run_.stop.cancel;
}

// Another file system mounted inside the tree: a delete or a change stops
// at it (it is not the task's), and says so as for a folder that failed.
bool TreeWalk::fc_MountedFolder(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                std::string& errorText)
{
    const EntryAt at{false, level + 1, entry, platform::joinPath(path, entry.name), {}};
    run_.sb_EntryStart(at);
    errorText = "Fehler bei Verzeichnis: " + entry.name + " - ein anderes Laufwerk ist hier eingebunden";
    // A failed folder stops the walk unless errors are passed over.
    return policy_.fc_EntryFailed(at, errorText) != EntryResult::Stop && !run_.stop.cancel;
}

// After a review the action touches only what it chose: an entry unticked
// there, or not in its list at all (it came later), is left and named.
bool TreeWalk::fc_Chosen(const EntryAt& at)
{
    const protocol::EntryKind kind = at.isFile ? protocol::EntryKind::File : protocol::EntryKind::Folder;
    switch (
        run_.observer.ActionEntryChosen(kind, at.path, at.isFile ? at.entry.name : std::string(), run_.taskNumber)) {
    case protocol::EntryChoice::Chosen: return true;
    case protocol::EntryChoice::Unticked: sb_Left(at, "abgewählt"); break;
    case protocol::EntryChoice::NotListed: sb_Left(at, "nicht in der geprüften Liste"); break;
    }
    return false;
}

void TreeWalk::sb_Left(const EntryAt& at, const char* why)
{
    EngineCounters& c = run_.counts.counters;
    if (at.isFile) {
        run_.observer.ActionFileStart(at.entry.name, static_cast<std::int64_t>(at.entry.size));
        ++c.CountFiles_Left;
        run_.observer.ActionFileNot(kLeftByChoice);
    } else {
        run_.observer.ActionFolderStart(at.path);
        ++c.CountFolder_Left;
        run_.observer.ActionFolderNot(kLeftByChoice);
    }
    const char* what = run_.pass == PassAction::Copy ? "nicht kopiert ("
        : run_.pass == PassAction::Delete            ? "nicht gelöscht ("
                                                     : "nicht gesetzt (";
    run_.sb_ProtocolEntry(at, std::string(what) + why + ")");
}

// An entry the walk meant to handle and cannot reach: a folder that cannot
// be opened or listed, a named entry that is not there (or only through a
// link). It is counted as not handled and gets its error line; the walk goes
// on with the rest. Access denied is common enough to be only counted and
// written; other failures are also shown.
void TreeWalk::sb_SearchFailed(std::int32_t level, bool isFile, const std::string& fullPath, std::uint32_t code,
                               std::string& errorText)
{
    if (code == 0)
        return;
    sb_EntryUnreadable(level, isFile, platform::parentPath(fullPath), platform::fileName(fullPath), code);
    if (code == platform::error::kAccessDenied) {
        errorText = kNoAccess;
        return;
    }
    run_.questioner.ask({.text = "Fehler bei: '" + fullPath + "'\r\n\r\n" + base::fc_GetApiErrorText(code),
                         .title = "Fehler ...",
                         .icon = base::Icon::Critical,
                         .buttons = base::Buttons::Ok});
}

// An entry that cannot be examined or reached: counted as not handled and
// named in the protocol, as a line of the text protocol and as an error row
// (which "nächster Fehler..." finds). level: as the entry routines get it.
void TreeWalk::sb_EntryUnreadable(std::int32_t level, bool isFile, const std::string& path, const std::string& name,
                                  std::uint32_t code)
{
    policy_.sb_Unreachable(platform::joinPath(path, name), base::fc_GetApiErrorText(code));
    if (isFile) {
        ++run_.counts.counters.CountFiles_Not;
        run_.observer.ActionFileNot(0);
    } else {
        ++run_.counts.counters.CountFolder_Not;
        run_.observer.ActionFolderNot(0);
    }
    if (!run_.writesProtocol())
        return;
    const std::string reason = base::fc_GetApiErrorText(code);
    const std::string text = "Fehler: " + reason;
    const std::int32_t lineLevel = isFile ? level : level - 1;
    // The list of a "differing files" information pass holds only what is to
    // be copied; everywhere else the text protocol gets the line, a folder
    // marked as one by its separator.
    if (!run_.listsRows()) {
        run_.report.protocol.forgetLastFolder();
        run_.sb_ProtocolAdd({.action = run_.pass,
                             .level = lineLevel,
                             .type = protocol::EntryKind::File,
                             .name = isFile ? name : name + platform::kSeparator,
                             .text = text,
                             .folder = path,
                             .target = {}});
    }
    const std::string folder = isFile ? path : platform::joinPath(path, name);
    run_.sb_ProtocolAdd({.action = run_.pass,
                         .level = lineLevel,
                         .type = isFile ? protocol::EntryKind::File : protocol::EntryKind::Folder,
                         .name = name,
                         .text = text,
                         .folder = folder,
                         .target = reason,
                         .error = true});
}

} // namespace zdr::engine
