#pragma once

#include "engine/passes/RunContext.h"
#include "platform/Paths.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace zdr::engine {

// The rename after the copy: a copied file, or a folder after its content,
// renamed in the source or in the target as the task's rename parameter
// asks (in the walk), or the copied rows of the reviewed protocol from the
// last to the first. Keeps the running numbers of each task and the source
// entries its walk renamed.
class RenamePass {
public:
    explicit RenamePass(RunContext& run) : run_(run) {}

    // A new run numbers from the start again.
    void sb_RunStart() { renameNumbers_.clear(); }
    // A task's walk begins: nothing of it is renamed yet.
    void sb_TaskStart() { renamedSources_.clear(); }
    // A copied file, or a folder after its content: renamed in the source or
    // the target when the task asks for it. A failure has its line and fails
    // the pass.
    [[nodiscard]] StepError fc_RenameAfterCopy(const EntryAt& at);
    // A source entry (name in folder path) renamed after its copy, met
    // again under its new name. The path is only joined when a rename was
    // made: the walk asks for every entry.
    bool fc_RenamedSource(const std::string& path, const std::string& name) const
    {
        return !renamedSources_.empty() && renamedSources_.count(platform::joinPath(path, name)) != 0;
    }
    // The copied rows of the protocol-driven copy (copiedRows: their source
    // paths), from the last to the first; a failed rename ends the run.
    [[nodiscard]] StepError fc_ProtocolRename(const std::set<std::string>& copiedRows);

private:
    // Renames the entry at fullPath (in the source or the target) to what
    // code makes of name (newName).
    [[nodiscard]] StepError fc_Rename(const std::string& code, bool isFile, bool inSource, const std::string& fullPath,
                                      const std::string& name, std::uint64_t numbered, std::string& newName);

    RunContext& run_;
    std::map<std::int16_t, std::uint64_t> renameNumbers_; // numbers given, by task
    // Source entries renamed in this task's walk, by their new paths: the
    // listing still going on may show them again.
    std::set<std::string> renamedSources_;
};

} // namespace zdr::engine
