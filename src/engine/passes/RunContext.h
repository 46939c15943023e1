#pragma once

#include "engine/EngineCounters.h"
#include "engine/EngineTask.h"
#include "engine/EntryFilter.h"
#include "engine/PassAction.h"
#include "engine/ProtocolLines.h"
#include "engine/StatusBits.h"
#include "engine/StepError.h"
#include "platform/FileEntry.h"
#include "platform/FolderLookup.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace zdr::base {
class ClipboardWriter;
class Questioner;
} // namespace zdr::base

namespace zdr::engine {

class FolderCopyObserver;

// One entry as the pass routines, the questions and the error policy see it.
struct EntryAt {
    bool isFile;
    std::int32_t level;
    const platform::FileEntry& entry;
    const std::string& path;       // the folder that holds a file; a folder's own path
    const std::string& targetPath; // the matching target folder; a folder's own target
};

// What became of an entry the walk handed to a pass.
enum class EntryResult {
    GoOn,        // handled, skipped or left: the walk goes on (into a folder's content)
    ContentLeft, // a folder failed and errors are passed over: its content is not walked
    Stop,        // the walk stops
};

// A folder by its identity on the disk.
struct FolderId {
    std::uint64_t device;
    std::uint64_t inode;
    auto operator<=>(const FolderId&) const = default;
};

// What a pass reads of the run: the options and the tasks as the engine's
// face set them. Passes see them const; the driver and an "all" answer
// change them through RunContext::optionsToSet.
struct RunOptions {
    std::uint32_t status = 0;
    std::uint32_t statusEx = 0;
    std::uint8_t folderInfoLevel = 0;
    std::uint32_t blockSize = 0;
    std::vector<EngineTask> tasks{1}; // numbered from 1; slot 0 unused
};

// What a pass counts: the figures and the clock they are timed by.
struct RunCounts {
    using Clock = std::chrono::steady_clock;

    EngineCounters counters;
    std::function<Clock::time_point()> clock = [] { return Clock::now(); };
    Clock::time_point passStart{};
    std::int32_t secondsOff = 0;
    std::int32_t secondsMax = 0;
    std::int64_t lastEstimateSecond = -1;
};

// How a run stops.
struct CancelToken {
    bool cancel = false; // set by fc_Cancel and a cancel answer
    // The program-wide flag: stops a running whole-file copy between its chunks.
    bool copyCancel = false;
};

// What a pass reports on its way: the entry being worked, the protocol.
// Its errors it returns; the task driver gathers them.
struct RunReport {
    std::string fileNameCurrent;
    ProtocolLines protocol;
};

// What every pass of a run shares: the options and the task being worked
// (read only), the counts, the cancel token, the report, and the task's
// folders as opened for the lookups. The passes keep their own state; this
// is all they see of each other.
class RunContext {
public:
    using Clock = RunCounts::Clock;

    RunContext(FolderCopyObserver& eventsTo, base::Questioner& asks) : observer(eventsTo), questioner(asks) {}
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    const RunOptions& options() const { return options_; }
    // For the engine's face, the task driver and an answer that holds for all.
    RunOptions& optionsToSet() { return options_; }
    // The task being worked: a copy of one of the options' tasks.
    const EngineTask& current() const { return current_; }
    EngineTask& currentToSet() { return current_; }
    void selectTask(std::size_t index) { current_ = options_.tasks[index]; }

    bool has(std::uint32_t bit) const { return (options_.status & bit) != 0; }
    // The user reviews the information pass's list before the action: the
    // pass lists every entry it finds, with what the action will do to it.
    bool reviews() const;
    // The information pass gives list rows instead of text lines.
    bool listsRows() const;
    // Protocol records are written: asked for, or the review needs them.
    bool writesProtocol() const;
    bool hasEx(std::uint32_t bit) const { return (options_.statusEx & bit) != 0; }
    Clock::time_point now() const { return counts.clock(); }

    // A record for the protocol, under the current task's number.
    void sb_ProtocolAdd(const ProtocolRecord& record);
    // An entry's line: a copied file's under its target folder, every other
    // under its source folder; folders one level up.
    void sb_ProtocolEntry(const EntryAt& at, const std::string& text);
    // The start and the successful end of an entry in the action passes:
    // its event, its protocol line, its counters.
    void sb_EntryStart(const EntryAt& at);
    void sb_EntryDone(const EntryAt& at, const std::string& text);
    // Recomputes SecondsMax (at most once a second) with the file in
    // progress counted by its whole size.
    void sb_Estimate(std::int64_t currentFileBytes);
    // Progress within one file: the estimate, then the event.
    void sb_ActionFileDoneByte(std::int64_t totalBytes, std::int64_t bytesDone);
    std::int32_t SecondsUsed() const;
    // The attributes a copied or changed entry gets: the source's, with the
    // current task's bits set and then cleared (compression is the volume's
    // business, not an attribute here).
    std::uint32_t fc_TargetAttributes(std::uint32_t sourceAttributes) const;
    // A folder of the source that is the copy itself (the target inside its
    // source, or what the copy made there).
    bool fc_IsOwnTarget(const platform::FileEntry& folder) const
    {
        return !ownTargets.empty() && ownTargets.count({folder.device, folder.inode}) != 0;
    }

    // How finely the volume of a target entry in targetFolder keeps
    // last-write times; a copy run may write there to find out.
    std::int64_t fc_TargetPrecision(const std::string& targetFolder, const platform::FileEntry& target)
    {
        return targets.timePrecision(targetFolder, target.device, has(status::kCopy));
    }

    FolderCopyObserver& observer;
    base::Questioner& questioner;
    base::ClipboardWriter* clipboard = nullptr;
    std::function<void()> doEvents;

    RunCounts counts;
    CancelToken stop;
    RunReport report;

    // the pass being worked
    PassAction pass = PassAction::None;
    std::string action; // the pass's word
    std::int16_t taskNumber = 0;
    EntryFilter filter;
    // The action pass follows a review: it acts only on what the review chose.
    bool reviewed = false;
    // The task's folders, each opened once: entries are looked up and
    // copied relative to them.
    platform::FolderLookup sources;
    platform::FolderLookup targets;
    // The open folder that holds the entry being deleted or changed (-1:
    // reached by its path): a folder swapped for a link meanwhile leads nowhere.
    int entryFolder = -1;
    // The folders of the source that are the copy itself: the target and
    // what was made in it, never walked as source.
    std::set<FolderId> ownTargets;

private:
    RunOptions options_;
    EngineTask current_;
};

} // namespace zdr::engine
