// The information pass per entry: counts and measures every folder and file
// the walk hands over and, when only differing entries are to be copied,
// compares it with its counterpart in the target.
#include "engine/FileCompare.h"
#include "engine/FolderCopyObserver.h"
#include "engine/SizeText.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

#include <algorithm>

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

void clsFolderCopy::sb_CountAttributes(std::uint32_t a, bool isFile)
{
    using namespace platform::attr;
    EngineCounters& c = counters_;
    (isFile ? c.CountFiles_Protected : c.CountFolder_Protected) += (a & kReadOnly) != 0;
    (isFile ? c.CountFiles_System : c.CountFolder_System) += (a & kSystem) != 0;
    (isFile ? c.CountFiles_Hidden : c.CountFolder_Hidden) += (a & kHidden) != 0;
    (isFile ? c.CountFiles_Compressed : c.CountFolder_Compressed) += (a & kCompressed) != 0;
}

// The target comparison of a file (option 0x10000). Returns true when the
// entry is finished (the target is equal), false when it is to be copied;
// the protocol line has then been written.
bool clsFolderCopy::fc_InfoFileCompared(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                        const std::string& targetPath)
{
    EngineCounters& c = counters_;
    const double sizeKB = static_cast<double>(entry.size) / 1024;
    platform::FileEntry target;
    platform::ErrorCode code = 0;
    std::string text;
    if (!targetPath.empty() && targets_.statEntry(targetPath, entry.name, target, code)) {
        if (fc_FilesEqual(entry, target, has(status::kOnlyNewer))) {
            ++c.CountFiles_ExistsTimeOk;
            observer_.ActionFileNot(1);
            return true;
        }
        c.SizeTotal_NeedHD += (static_cast<double>(entry.size) - static_cast<double>(target.size)) / 1024;
        text = fc_DifferenceText(entry, target, has(status::kOnlyNewer));
    } else {
        c.SizeTotal_NeedHD += sizeKB;
        text = " (x  =>  .)  =>  " + fc_SizeText(sizeKB);
    }
    ++c.CountFiles_ToDo;
    c.SizeTotal_ToDo += sizeKB;
    if (has(status::kCreateProtocol)) {
        sb_ProtocolAdd({.action = "INFO",
                        .level = level,
                        .type = "FILE",
                        .name = entry.name,
                        .text = text,
                        .folder = path,
                        .target = targetPath});
    }
    return false;
}

bool clsFolderCopy::fc_InfoEntry(bool isFile, std::int32_t level, const platform::FileEntry& entry,
                                 const std::string& path, const std::string& targetPath, std::string& /*errorText*/)
{
    EngineCounters& c = counters_;
    c.LevelMax = std::max(c.LevelMax, level);
    const bool lines = has(status::kCreateProtocol) && !has(status::kFolderEntriesInfo);
    if (isFile) {
        const bool events = !has(status::kNoFileInfo);
        if (events)
            observer_.ActionFileStart(entry.name, static_cast<std::int64_t>(entry.size));
        ++c.CountFiles;
        // Measured whether or not it is to be copied.
        c.FullPathMaxLetters = std::max(c.FullPathMaxLetters, letters(entry.name) + letters(path));
        const bool compared = has(status::kOnlyDifferent);
        if (compared && fc_InfoFileCompared(level, entry, path, targetPath))
            return true;
        c.SizeTotal += static_cast<double>(entry.size) / 1024;
        sb_CountAttributes(entry.attributes, true);
        if (events)
            observer_.ActionFileDone();
        if (lines && !compared)
            sb_ProtocolAdd({.action = "INFO",
                            .level = level,
                            .type = "FILE",
                            .name = entry.name,
                            .text = "ok",
                            .folder = path,
                            .target = targetPath});
        return true;
    }

    observer_.ActionFolderStart(path);
    ++c.CountFolder;
    c.FullPathMaxLetters = std::max(c.FullPathMaxLetters, letters(path));
    if (has(status::kOnlyDifferent)) {
        // A link there is not the folder: its content would be compared
        // (and then copied) outside the target.
        platform::FileEntry target;
        platform::ErrorCode code = 0;
        if (!targetPath.empty()
            && targets_.statEntry(platform::parentPath(targetPath), platform::fileName(targetPath), target, code)
            && target.isDirectory()) {
            ++c.CountFolder_ExistsTimeOk;
            observer_.ActionFolderNot(1);
            return true;
        }
        ++c.CountFolder_ToDo;
    }
    sb_CountAttributes(entry.attributes, false);
    if (lines)
        sb_ProtocolAdd({.action = "INFO",
                        .level = level - 1,
                        .type = "FOLDER",
                        .name = entry.name,
                        .text = "ok",
                        .folder = path,
                        .target = targetPath});
    observer_.ActionFolderDone();
    return true;
}

} // namespace zdr::engine
