#include "engine/passes/InfoPass.h"

#include "base/Text.h"
#include "engine/FileCompare.h"
#include "engine/FolderCopyObserver.h"
#include "engine/SizeText.h"
#include "engine/StatusBits.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cmath>

namespace zdr::engine {

namespace {

// Characters, not bytes: a UTF-8 sequence is one letter.
std::int32_t letters(const std::string& text)
{
    std::int32_t n = 0;
    for (char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

} // namespace

void InfoPass::sb_CountAttributes(std::uint32_t a, bool isFile)
{
    using namespace platform::attr;
    EngineCounters& c = run_.counts.counters;
    (isFile ? c.CountFiles_Protected : c.CountFolder_Protected) += (a & kReadOnly) != 0;
    (isFile ? c.CountFiles_System : c.CountFolder_System) += (a & kSystem) != 0;
    (isFile ? c.CountFiles_Hidden : c.CountFolder_Hidden) += (a & kHidden) != 0;
    (isFile ? c.CountFiles_Compressed : c.CountFolder_Compressed) += (a & kCompressed) != 0;
}

// The target comparison of a file (option 0x10000). Returns true when the
// entry is finished (the target is equal), false when it is to be copied;
// the protocol line has then been written.
bool InfoPass::fc_InfoFileCompared(const EntryAt& at)
{
    const platform::FileEntry& entry = at.entry;
    const std::string& targetPath = at.targetPath;
    EngineCounters& c = run_.counts.counters;
    const double sizeKB = static_cast<double>(entry.size) / 1024;
    platform::FileEntry target;
    platform::ErrorCode code = 0;
    std::string text;
    if (!targetPath.empty() && run_.targets.statEntry(targetPath, entry.name, target, code)) {
        const std::int64_t precision = run_.fc_TargetPrecision(targetPath, target);
        const bool equal = fc_FilesEqual(entry, target, run_.has(status::kOnlyNewer), precision);
        // Equal by data and time: what else a copy keeps (a link's target
        // among it) may still differ, and only that is to be brought over.
        std::vector<std::string> words;
        // A newer target is kept as it is ("only newer"), but not a link retargeted.
        if (equal && (!run_.has(status::kOnlyNewer) || entry.isSymlink()))
            words = fc_KeptDifferences(entry, target, platform::joinPath(at.path, entry.name),
                                       platform::joinPath(targetPath, entry.name),
                                       platform::modeFor(entry.mode, run_.fc_TargetAttributes(entry.attributes)),
                                       run_.targets.keepsModes(targetPath, target.device));
        if (equal && words.empty()) {
            ++c.CountFiles_ExistsTimeOk;
            run_.observer.ActionFileNot(1);
            return true;
        }
        c.SizeTotal_NeedHD += (static_cast<double>(entry.size) - static_cast<double>(target.size)) / 1024;
        text = equal ? "'" + base::join(words, ", ") + "' ungleich"
                     : fc_DifferenceText(entry, target, run_.has(status::kOnlyNewer), precision);
    } else {
        c.SizeTotal_NeedHD += sizeKB;
        text = " (x  =>  .)  =>  " + fc_SizeText(sizeKB);
    }
    ++c.CountFiles_ToDo;
    c.SizeTotal_ToDo += sizeKB;
    if (run_.writesProtocol()) {
        run_.sb_ProtocolAdd({.action = PassAction::Info,
                             .level = at.level,
                             .type = protocol::EntryKind::File,
                             .name = entry.name,
                             .text = text,
                             .folder = at.path,
                             .target = targetPath});
    }
    return false;
}

// A row of the review says what the action will do with the entry.
const char* InfoPass::fc_ReviewText() const
{
    if (!run_.reviews())
        return "ok";
    if (run_.has(status::kCopy))
        return "wird kopiert";
    if (run_.has(status::kDelete))
        return "wird gelöscht";
    return "Attribute werden gesetzt";
}

bool InfoPass::fc_InfoEntry(const EntryAt& at)
{
    const bool isFile = at.isFile;
    const std::int32_t level = at.level;
    const platform::FileEntry& entry = at.entry;
    const std::string& path = at.path;
    const std::string& targetPath = at.targetPath;
    EngineCounters& c = run_.counts.counters;
    c.LevelMax = std::max(c.LevelMax, level);
    const bool lines = run_.writesProtocol() && !run_.has(status::kFolderEntriesInfo);
    if (isFile) {
        const bool events = !run_.has(status::kNoFileInfo);
        if (events)
            run_.observer.ActionFileStart(entry.name, static_cast<std::int64_t>(entry.size));
        ++c.CountFiles;
        // Measured whether or not it is to be copied.
        c.FullPathMaxLetters = std::max(c.FullPathMaxLetters, letters(entry.name) + letters(path));
        const bool compared = run_.has(status::kOnlyDifferent);
        if (compared && fc_InfoFileCompared(at))
            return true;
        c.SizeTotal += static_cast<double>(entry.size) / 1024;
        sb_CountAttributes(entry.attributes, true);
        if (events)
            run_.observer.ActionFileDone();
        if (lines && !compared)
            run_.sb_ProtocolAdd({.action = PassAction::Info,
                                 .level = level,
                                 .type = protocol::EntryKind::File,
                                 .name = entry.name,
                                 .text = fc_ReviewText(),
                                 .folder = path,
                                 .target = targetPath});
        return true;
    }

    run_.observer.ActionFolderStart(path);
    ++c.CountFolder;
    c.FullPathMaxLetters = std::max(c.FullPathMaxLetters, letters(path));
    std::string folderText = "ok";
    if (run_.has(status::kOnlyDifferent)) {
        // A link there is not the folder: its content would be compared
        // (and then copied) outside the target.
        platform::FileEntry target;
        platform::ErrorCode code = 0;
        if (!targetPath.empty()
            && run_.targets.statEntry(platform::parentPath(targetPath), platform::fileName(targetPath), target, code)
            && target.isDirectory()) {
            // There: only what a copy keeps beyond it may be to bring over.
            const std::vector<std::string> words = run_.has(status::kOnlyNewer)
                ? std::vector<std::string>()
                : fc_KeptDifferences(entry, target, path, targetPath,
                                     platform::modeFor(entry.mode, run_.fc_TargetAttributes(entry.attributes)),
                                     run_.targets.keepsModes(targetPath, target.device));
            if (words.empty()) {
                ++c.CountFolder_ExistsTimeOk;
                run_.observer.ActionFolderNot(1);
                return true;
            }
            folderText = "'" + base::join(words, ", ") + "' ungleich";
        }
        ++c.CountFolder_ToDo;
    }
    sb_CountAttributes(entry.attributes, false);
    if (lines)
        run_.sb_ProtocolAdd({.action = PassAction::Info,
                             .level = level - 1,
                             .type = protocol::EntryKind::Folder,
                             .name = entry.name,
                             .text = folderText,
                             .folder = path,
                             .target = targetPath});
    run_.observer.ActionFolderDone();
    return true;
}

bool InfoPass::reportsFolder(std::int32_t level) const
{
    return run_.has(status::kFolderEntriesInfo) && level <= run_.options().folderInfoLevel;
}

void InfoPass::sb_FolderOpened(std::int32_t level, const std::string& path)
{
    if (reportsFolder(level))
        run_.sb_ProtocolAdd({.action = PassAction::Info,
                             .level = level,
                             .type = protocol::EntryKind::Folder,
                             .name = {},
                             .text = {},
                             .folder = path,
                             .report = FolderReport::Start});
}

bool InfoPass::fc_LooksUpTargets(const std::string& /*ownTarget*/) const { return run_.has(status::kOnlyDifferent); }

void InfoPass::sb_SubfolderDone(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                const std::string& subPath, const std::string& /*subTarget*/,
                                const EngineCounters& before)
{
    EngineCounters& c = run_.counts.counters;
    if (reportsFolder(level)) {
        const double sizeKB = c.SizeTotal - before.SizeTotal;
        const std::int64_t folders = c.CountFolder - before.CountFolder;
        const std::int64_t files = c.CountFiles - before.CountFiles;
        run_.observer.ActionFolderEntriesInfo(subPath, std::llround(sizeKB), folders, files);
        const std::string text = fc_SizeText(sizeKB, "MB", "0,000.00") + " - ("
            + "Unterverz.: " + std::to_string(folders - 1) + ", Dateien: " + std::to_string(files) + ")";
        run_.sb_ProtocolAdd({.action = PassAction::Info,
                             .level = level,
                             .type = protocol::EntryKind::Folder,
                             .name = entry.name,
                             .text = text,
                             .folder = path,
                             .report = FolderReport::End});
    }
    // A folder with a failure inside is never taken back: its error rows and
    // counts stay, whatever else it holds.
    if (run_.current().Filtered && run_.has(status::kOnlyDifferent) && !c.failedSince(before)
        && c.CountFiles_ToDo == before.CountFiles_ToDo) {
        // Nothing to copy in here: the folder is no work for the copy (its
        // row goes), it is passed over as one that needs nothing. What was
        // found, measured and found equal in it stays counted, so the figures
        // after the pass add up.
        const std::int64_t wasToDo = c.CountFolder_ToDo - before.CountFolder_ToDo;
        if (run_.writesProtocol() && wasToDo != 0)
            run_.observer.ActionProtocolDel(subPath);
        c.CountFolder_ToDo = before.CountFolder_ToDo;
        c.CountFolder_ExistsTimeOk += wasToDo;
        run_.observer.ActionFolderDone();
    }
}

void InfoPass::sb_PassDone(const std::string& errorText)
{
    const bool protocolPresent = !run_.report.protocol.text().empty();
    if (!errorText.empty() || run_.stop.cancel) {
        run_.observer.ActionReady(false, errorText, protocolPresent);
        return;
    }
    if (run_.has(status::kFolderEntriesInfo)) {
        const std::string text = fc_SizeText(run_.counts.counters.SizeTotal, "MB", "0,000.00") + " - ("
            + "Unterverz.: " + std::to_string(run_.counts.counters.CountFolder - 1)
            + ", Dateien: " + std::to_string(run_.counts.counters.CountFiles) + ")";
        run_.sb_ProtocolAdd({.action = PassAction::Info,
                             .level = 0,
                             .type = protocol::EntryKind::Folder,
                             .name = run_.current().Source,
                             .text = text,
                             .folder = {},
                             .report = FolderReport::End});
    }
    run_.observer.ActionReady(true, {}, !run_.report.protocol.text().empty());
    if (run_.has(status::kFolderEntriesInfo)) {
        bool shown = false;
        run_.observer.ActionProtocolShow(shown);
    }
}

} // namespace zdr::engine
