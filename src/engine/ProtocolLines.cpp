#include "engine/ProtocolLines.h"

#include "base/Text.h"
#include "engine/FolderCopyObserver.h"
#include "platform/Paths.h"

namespace zdr::engine {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr char kSep = platform::kSeparator;

std::string blanks(std::int32_t count) { return std::string(static_cast<std::size_t>(count > 0 ? count : 0), ' '); }

// A name or folder as printed: control characters escaped, so a line stays
// one line. The text itself where it has none.
std::string_view printed(std::string_view text, std::string& escaped)
{
    if (!base::hasControls(text))
        return text;
    escaped = base::escapeControls(text);
    return escaped;
}

// r with its name and folder as printed; the record's own values stay the
// keys of the list entries.
struct Printed {
    Printed(const Printed&) = delete;
    Printed& operator=(const Printed&) = delete;
    explicit Printed(const ProtocolRecord& r) : record(r)
    {
        record.name = printed(r.name, name_);
        record.folder = printed(r.folder, folder_);
    }
    ProtocolRecord record;

private:
    std::string name_;
    std::string folder_;
};

std::string fileLine(const ProtocolRecord& r)
{
    std::string line = blanks(2 * (r.level + 1));
    line += r.name;
    line += "  ----  ";
    line += r.text;
    return line;
}

protocol::ProtocolEntry entry(const ProtocolRecord& r, std::string_view type, std::string info, std::string_view folder,
                              std::string_view target, std::int16_t taskNumber)
{
    protocol::ProtocolEntry e;
    e.par_Type = type;
    e.par_Name = r.name;
    e.par_Info = std::move(info);
    e.par_Folder = folder;
    e.par_Target = target;
    e.par_SynchActionInTarget = r.targetSide;
    e.par_Level = static_cast<std::int16_t>(r.level);
    e.par_SystemActionTypeIndex = taskNumber;
    return e;
}

// The folder report: one row per folder of the reported levels, marked
// ">>" where its subfolders follow and "<<" where they end.
protocol::ProtocolEntry folderReportEntry(const ProtocolRecord& r, const ProtocolRecord& shown, bool sameFolder,
                                          std::int16_t taskNumber)
{
    const std::string level = std::to_string(r.level);
    if (sameFolder) {
        std::string info = std::string(shown.folder) + kSep + std::string(shown.name) + kSep + "     (" + level + ")";
        return entry(r, protocol::entryKindWord(r.type), std::move(info), blanks(5 * r.level) + std::string(r.text),
                     r.folder, taskNumber);
    }
    if (r.report == FolderReport::Start) {
        std::string info = std::string(shown.folder) + kSep + "     (" + std::to_string(r.level - 1) + ")  >>";
        return entry(r, protocol::entryKindWord(r.type), std::move(info), blanks(5 * (r.level - 1)) + "(", r.folder,
                     taskNumber);
    }
    std::string info =
        r.folder.empty() ? std::string(shown.name) : std::string(shown.folder) + kSep + std::string(shown.name);
    info += kSep;
    info += "     (" + level + ")  <<";
    const std::string_view target = r.folder.empty() ? r.name : r.folder;
    return entry(r, protocol::entryKindWord(r.type), std::move(info), blanks(5 * r.level) + ") " + std::string(r.text),
                 target, taskNumber);
}

} // namespace

void ProtocolLines::clear()
{
    text_.clear();
    lastFolder_.clear();
}

bool ProtocolLines::withdraw(std::size_t at, std::string_view line)
{
    if (at > text_.size() || text_.compare(at, line.size(), line) != 0)
        return false;
    text_.erase(at, line.size());
    lastFolder_.clear();
    return true;
}

void ProtocolLines::append(const std::string& line, FolderCopyObserver& observer)
{
    if (line.empty())
        return;
    const bool wasEmpty = text_.empty();
    text_ += line;
    if (wasEmpty)
        observer.ActionProtocolExists();
}

void ProtocolLines::add(const ProtocolRecord& r, bool onlyDifferent, std::int16_t taskNumber,
                        FolderCopyObserver& observer)
{
    const bool sameFolder = r.folder == lastFolder_;
    const bool isFile = r.type == protocol::EntryKind::File;
    const std::string_view type = protocol::entryKindWord(r.type);
    const Printed printedRecord(r);
    const ProtocolRecord& shown = printedRecord.record;
    const bool info = r.action == PassAction::Info && r.report == FolderReport::None;

    if (r.error && info && onlyDifferent) {
        // A failure in the list of what is to be copied: its own row, marked.
        observer.ActionProtocolErr(
            entry(r, type, isFile ? fileLine(shown) : std::string(shown.folder), r.folder, r.target, taskNumber));
    } else if (r.report != FolderReport::None) {
        observer.ActionProtocolAdd(folderReportEntry(r, shown, sameFolder, taskNumber));
    } else if (info && onlyDifferent) {
        if (isFile) {
            if (!sameFolder)
                observer.ActionProtocolAdd(
                    entry(r, "INFO", "(" + std::string(shown.folder) + ")", r.folder, {}, taskNumber));
            observer.ActionProtocolAdd(entry(r, type, fileLine(shown), r.folder, r.target, taskNumber));
        } else {
            observer.ActionProtocolAdd(entry(r, type, std::string(shown.folder), r.folder, r.target, taskNumber));
        }
    } else {
        std::string line;
        if (isFile) {
            if (!onlyDifferent && !sameFolder)
                line = kCrLf + ("(" + std::string(shown.folder) + ")");
            line += kCrLf + fileLine(shown);
        } else if (onlyDifferent || (info && r.level <= 2)) {
            line = kCrLf + std::string(shown.folder);
        } else if (!sameFolder) {
            line = kCrLf + blanks(2 * r.level) + kSep + std::string(shown.name) + kSep + "  ----  "
                + std::string(r.text) + blanks(14) + std::string(shown.folder);
        }
        if (r.error)
            observer.ActionProtocolErr(entry(r, type, line, r.folder, r.target, taskNumber));
        else
            append(line, observer);
    }
    lastFolder_ = r.folder;
}

} // namespace zdr::engine
