// The rename after the copy: a copied file, or a folder after its content,
// renamed in the source or in the target as the task's rename parameter
// asks (in the walk), or the copied rows of the reviewed protocol from the
// last to the first (children before their folders).
//
// A rename never replaces an entry that is there: a name that is taken is
// a failure with its line.
#include "engine/passes/RenamePass.h"

#include "base/ParameterCodes.h"
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/RenamePattern.h"
#include "engine/StatusBits.h"
#include "platform/Paths.h"
#include "platform/PendingFile.h"

#include <algorithm>

namespace zdr::engine {

namespace {

namespace flag = base::renameFlag;

// rowLevel: a file's level, a folder's parent's (the entries directly in
// the task's source folder are at level 1; the source folder itself, copied
// as a whole, is at 0). The task's own source folder is never renamed: the
// next run would not find it.
bool renameWanted(std::uint32_t flags, bool isFile, std::int32_t rowLevel)
{
    return (flags & (isFile ? flag::kFiles : flag::kFolders)) != 0 && (flags & (flag::kSource | flag::kTarget)) != 0
        && ((flags & flag::kFirstLevel) == 0 || rowLevel <= 1)
        && (isFile || rowLevel >= 1 || (flags & flag::kSource) == 0);
}

} // namespace

StepError RenamePass::fc_Rename(const std::string& code, bool isFile, bool inSource, const std::string& fullPath,
                                const std::string& name, std::uint64_t numbered, std::string& newName)
{
    const std::string failed =
        std::string("Fehler bei Umbenennung ") + (isFile ? "Datei" : "Verzeichnis") + ": " + fullPath;
    if (!run_.current().RenameProblem.empty())
        return StepError(failed + " - " + run_.current().RenameProblem);
    bool numberUsed = false;
    newName = fc_RenameName(code, {name, isFile, base::LocalDateTime::now(), numbered}, numberUsed);
    platform::ErrorCode error = platform::error::kInvalidName;
    if (fc_RenameNameValid(newName) && newName == name)
        return {};
    // In its folder as the task's folder reaches it: a folder on the way
    // swapped for a link meanwhile leads nowhere.
    platform::EntryPlace place;
    if (fc_RenameNameValid(newName)
        && (inSource ? run_.sources : run_.targets)
               .place(platform::parentPath(fullPath), platform::fileName(fullPath), place, error)
        && platform::moveIntoPlace(
            place.folder, place.name,
            place.folder == AT_FDCWD ? platform::joinPath(platform::parentPath(fullPath), newName) : newName, false,
            error))
        return {};
    return StepError(fc_TextWithCode(failed, error));
}

StepError RenamePass::fc_RenameAfterCopy(const EntryAt& at)
{
    const std::uint32_t flags = run_.current().RenameFlags;
    if (run_.stop.cancel || !renameWanted(flags, at.isFile, at.isFile ? at.level : at.level - 1))
        return {};
    const bool inSource = (flags & flag::kSource) != 0;
    const std::string& folder = inSource ? at.path : at.targetPath;
    const std::string full = at.isFile ? platform::joinPath(folder, at.entry.name) : folder;
    std::uint64_t& numbered = renameNumbers_[run_.taskNumber];
    std::string newName;
    StepError error = fc_Rename(run_.current().RenameCode, at.isFile, inSource, full, at.entry.name, numbered, newName);
    if (error.failed()) {
        // Copied, but not renamed: its line says so and the pass fails with it.
        if (run_.has(status::kCreateProtocol))
            run_.sb_ProtocolEntry(at, "nicht umbenannt (" + error.text() + ")");
        return error;
    }
    if (fc_RenameNumbers(run_.current().RenameCode))
        ++numbered;
    if (run_.has(status::kCreateProtocol))
        run_.sb_ProtocolEntry(at, "umbenannt in: " + newName);
    // The lookups keep folders by their old paths.
    if (inSource) {
        renamedSources_.insert(platform::joinPath(platform::parentPath(full), newName));
        run_.sources.close();
    } else {
        run_.targets.close();
    }
    return {};
}

StepError RenamePass::fc_ProtocolRename(const std::set<std::string>& copiedRows)
{
    if (run_.stop.cancel
        || std::none_of(run_.options().tasks.begin() + 1, run_.options().tasks.end(),
                        [](const EngineTask& t) { return t.RenameFlags != 0; }))
        return {};
    // The copied rows that their task renames, from the last to the first.
    std::vector<protocol::WorkListStep> rows;
    protocol::WorkListStep step;
    step.index = -1;
    for (;;) {
        step.direction = "PREVIOUS";
        step.action = "RENAME";
        run_.observer.ActionEntryGetNext(step);
        if (step.index <= 0)
            break;
        const bool isFile = protocol::entryKindOfWord(step.type) == protocol::EntryKind::File;
        const std::string source = isFile ? platform::joinPath(step.sourcePath, step.source) : step.sourcePath;
        if (copiedRows.count(source) != 0
            && renameWanted(run_.options().tasks[static_cast<std::size_t>(step.taskIndex)].RenameFlags, isFile,
                            step.level))
            rows.push_back(step);
    }
    // Numbers are given in the order of the list.
    std::vector<std::uint64_t> numbers(rows.size());
    for (std::size_t i = rows.size(); i-- > 0;) {
        std::uint64_t& next = renameNumbers_[rows[i].taskIndex];
        numbers[i] = next;
        if (fc_RenameNumbers(run_.options().tasks[static_cast<std::size_t>(rows[i].taskIndex)].RenameCode))
            ++next;
    }
    for (std::size_t i = 0; i < rows.size() && !run_.stop.cancel; ++i) {
        const protocol::WorkListStep& row = rows[i];
        run_.taskNumber = row.taskIndex;
        run_.selectTask(static_cast<std::size_t>(row.taskIndex));
        const bool isFile = protocol::entryKindOfWord(row.type) == protocol::EntryKind::File;
        const bool inSource = (run_.current().RenameFlags & flag::kSource) != 0;
        const std::string& folder = inSource ? row.sourcePath : row.targetPath;
        const std::string full = isFile ? platform::joinPath(folder, row.source) : folder;
        std::string newName;
        StepError error =
            fc_Rename(run_.current().RenameCode, isFile, inSource, full, platform::fileName(full), numbers[i], newName);
        const bool renamed = !error.failed();
        if (run_.has(status::kCreateProtocol) || !renamed)
            run_.sb_ProtocolAdd({.action = run_.pass,
                                 .level = row.level,
                                 .type = isFile ? protocol::EntryKind::File : protocol::EntryKind::Folder,
                                 .name = row.source,
                                 .text = renamed ? "umbenannt in: " + newName : "nicht umbenannt",
                                 .folder = row.sourcePath,
                                 .target = renamed ? std::string_view() : std::string_view(error.text()),
                                 .error = !renamed});
        if (!renamed)
            return error;
    }
    return {};
}

} // namespace zdr::engine
