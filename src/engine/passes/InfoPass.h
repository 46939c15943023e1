#pragma once

#include "engine/EngineCounters.h"
#include "engine/passes/RunContext.h"
#include "engine/passes/WalkPass.h"

#include <cstdint>
#include <string>

namespace zdr::engine {

// The information pass: counts and measures every folder and file the walk
// hands over and, when only differing entries are to be copied, compares it
// with its counterpart in the target; with option 0x20000 it reports the
// size and content of the folders down to the folder information level.
class InfoPass final : public WalkPass {
public:
    explicit InfoPass(RunContext& run) : run_(run) {}

    bool fc_ChangesSource() const override { return false; }
    const char* fc_FolderFailedText() const override { return "Fehler bei Info Verzeichnis: '"; }
    EntryResult fc_EntryAction(const EntryAt& at, std::string& /*errorText*/) override
    {
        return fc_InfoEntry(at) ? EntryResult::GoOn : EntryResult::Stop;
    }
    // The information pass only looks: what it sees may be examined and
    // listed ahead.
    bool fc_ReadsAhead() const override { return true; }
    bool fc_ListsAhead() const override { return true; }
    bool fc_LooksUpTargets(const std::string& ownTarget) const override;

    // One entry of the walk; a folder before its content.
    bool fc_InfoEntry(const EntryAt& at);
    const char* fc_ReviewText() const;
    // The row that opens the report of a folder's content.
    void sb_FolderOpened(std::int32_t level, const std::string& path) override;
    // After a subfolder's content (counters as they were before it): its
    // report, and the roll-back of a filtered folder with nothing to copy.
    void sb_SubfolderDone(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                          const std::string& subPath, const std::string& subTarget,
                          const EngineCounters& before) override;
    // The end of the pass with the error the driver gathered (empty: none):
    // the last report row, ActionReady and, after a folder report, the
    // protocol shown.
    void sb_PassDone(const std::string& errorText);

private:
    bool fc_InfoFileCompared(const EntryAt& at);
    void sb_CountAttributes(std::uint32_t attributes, bool isFile);
    bool reportsFolder(std::int32_t level) const;

    RunContext& run_;
};

} // namespace zdr::engine
