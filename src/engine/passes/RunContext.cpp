#include "engine/passes/RunContext.h"

#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/TimeEstimate.h"

namespace zdr::engine {

bool RunContext::reviews() const
{
    return has(status::kAskBeforeAction) && has(status::kWithInfo)
        && (has(status::kCopy) || has(status::kDelete) || has(status::kAttrib));
}

bool RunContext::listsRows() const { return pass == PassAction::Info && (has(status::kOnlyDifferent) || reviews()); }

bool RunContext::writesProtocol() const
{
    return has(status::kCreateProtocol) || (pass == PassAction::Info && reviews());
}

void RunContext::sb_ProtocolAdd(const ProtocolRecord& record)
{
    report.protocol.add(record, has(status::kOnlyDifferent) || listsRows(), taskNumber, observer);
}

void RunContext::sb_ProtocolEntry(const EntryAt& at, const std::string& text)
{
    // A copied file's lines stand under its target folder, as its "ok" does.
    const bool targetSide = at.isFile && pass == PassAction::Copy;
    // A folder handled after its content follows its files' lines: its own
    // line must not pass for their heading and be left out.
    if (!at.isFile && (pass == PassAction::Delete || pass == PassAction::Attrib))
        report.protocol.forgetLastFolder();
    sb_ProtocolAdd({.action = pass,
                    .level = at.isFile ? at.level : at.level - 1,
                    .type = at.isFile ? protocol::EntryKind::File : protocol::EntryKind::Folder,
                    .name = at.entry.name,
                    .text = text,
                    .folder = targetSide ? at.targetPath : at.path});
}

void RunContext::sb_EntryStart(const EntryAt& at)
{
    if (at.isFile)
        observer.ActionFileStart(at.entry.name, static_cast<std::int64_t>(at.entry.size));
    else
        observer.ActionFolderStart(at.path);
}

void RunContext::sb_EntryDone(const EntryAt& at, const std::string& text)
{
    if (has(status::kCreateProtocol))
        sb_ProtocolEntry(at, text);
    if (at.isFile) {
        ++counts.counters.CountFiles_Done;
        counts.counters.SizeTotal_Done += static_cast<double>(at.entry.size) / 1024;
        sb_Estimate(0);
        observer.ActionFileDone();
    } else {
        ++counts.counters.CountFolder_Done;
        observer.ActionFolderDone();
    }
}

std::uint32_t RunContext::fc_TargetAttributes(std::uint32_t sourceAttributes) const
{
    const std::uint32_t set = current_.task.attributesToSet() & ~platform::attr::kCompressed;
    const std::uint32_t clear = current_.task.attributesToClear() & ~platform::attr::kCompressed;
    return (sourceAttributes | set) & ~clear;
}

std::int32_t RunContext::SecondsUsed() const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now() - counts.passStart).count();
    return static_cast<std::int32_t>(elapsed) - counts.secondsOff;
}

void RunContext::sb_Estimate(std::int64_t currentFileBytes)
{
    const std::int64_t presentSecond =
        std::chrono::duration_cast<std::chrono::seconds>(now().time_since_epoch()).count();
    const auto sincePassStart = std::chrono::duration_cast<std::chrono::seconds>(now() - counts.passStart).count();
    // At most once a second, and then only every fifth second once there is an estimate.
    if (presentSecond != counts.lastEstimateSecond && (sincePassStart % 5 == 0 || counts.secondsMax == 0)) {
        counts.secondsMax = fc_EstimateSeconds(sincePassStart - counts.secondsOff, counts.counters, currentFileBytes,
                                               has(status::kInfoOnlyCount));
        counts.lastEstimateSecond = presentSecond;
    }
}

void RunContext::sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone)
{
    sb_Estimate(totalBytes);
    observer.ActionFileDoneByte(totalBytes, bytesDone);
}

} // namespace zdr::engine
