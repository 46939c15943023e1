#pragma once

#include "engine/passes/RunContext.h"

#include <cstdint>
#include <string>

namespace zdr::platform {
class DirectoryReader;
}

namespace zdr::engine {

class EntryPolicy;
class WalkPass;

// The tree walk of one task: which entries of its source take part and in
// which order they reach the pass. The selection forms, the folder and
// file rules, the entries it cannot reach.
class TreeWalk {
public:
    TreeWalk(RunContext& run, EntryPolicy& policy) : run_(run), policy_(policy) {}

    // The current task's source for pass, its counterparts in targetPath
    // (empty: the pass works in the source only); false (errorText says why):
    // the source cannot be examined or the walk stopped.
    [[nodiscard]] bool fc_WalkTask(WalkPass& pass, const std::string& targetPath, std::string& errorText);

private:
    [[nodiscard]] bool fc_FolderWalk(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                                     const std::string& targetPath, const platform::DirectoryReader* parent,
                                     std::string& errorText);
    [[nodiscard]] bool fc_WalkListing(std::int32_t level, platform::DirectoryReader& reader, const std::string& path,
                                      const std::string& targetPath, std::string& errorText);
    [[nodiscard]] bool fc_WalkNamed(std::int32_t level, const std::string& path, const std::string& targetPath,
                                    std::string& errorText);
    [[nodiscard]] bool fc_WalkDrives(std::int32_t level, const std::string& targetPath, std::string& errorText);
    [[nodiscard]] bool fc_WalkEntry(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                    const std::string& targetPath, const platform::DirectoryReader* reader,
                                    std::string& errorText);
    [[nodiscard]] bool fc_WalkSubfolder(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                        const std::string& targetPath, const platform::DirectoryReader* reader,
                                        std::string& errorText);
    [[nodiscard]] bool fc_MountedFolder(std::int32_t level, const platform::FileEntry& entry, const std::string& path,
                                        std::string& errorText);
    bool fc_Chosen(const EntryAt& at);
    void sb_Left(const EntryAt& at, const char* why);
    void sb_SearchFailed(std::int32_t level, bool isFile, const std::string& fullPath, std::uint32_t code,
                         std::string& errorText);
    void sb_EntryUnreadable(std::int32_t level, bool isFile, const std::string& path, const std::string& name,
                            std::uint32_t code);

    RunContext& run_;
    EntryPolicy& policy_;
    WalkPass* pass_ = nullptr; // of the task being walked
};

} // namespace zdr::engine
