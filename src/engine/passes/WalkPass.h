#pragma once

#include "engine/EngineCounters.h"
#include "engine/passes/RunContext.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace zdr::engine {

// What a pass that walks the source tree (information, copy, delete,
// attributes) does with the entries TreeWalk hands it, and what it adds at
// the walk's fixed points. The defaults do nothing.
class WalkPass {
public:
    virtual ~WalkPass() = default;

    // The pass changes the source's entries (delete, attributes): a folder
    // comes after its content, announced by ActionFolderSet, and the walk
    // never reaches through a link or into another mounted file system.
    // The others handle a folder before its content.
    virtual bool fc_ChangesSource() const = 0;
    // The start of "... Verzeichnis: 'name'" when a folder's action stops the walk.
    virtual const char* fc_FolderFailedText() const = 0;
    // One entry with the error policy.
    [[nodiscard]] virtual EntryResult fc_EntryAction(const EntryAt& at, std::string& errorText) = 0;

    // Entries are examined ahead on a helper thread where what is done with
    // them does not depend on the moment.
    virtual bool fc_ReadsAhead() const { return false; }
    // The entries' attribute store is read (the hidden, system and archive
    // bits); a pass that decides by the mode's read-only bit alone skips it.
    virtual bool fc_ReadsStoredAttributes() const { return true; }
    // The subfolders the walk will enter are listed ahead too.
    virtual bool fc_ListsAhead() const { return false; }
    // In the folders whose targets are looked up, entries are examined and
    // subfolders listed ahead too (the pass mostly compares there), and
    // serve for fc_AheadFor.
    virtual bool fc_ReadsAheadToCompare() const { return false; }
    // How long what was listed and examined ahead serves the walk (zero: as
    // long as its folder is open).
    virtual std::chrono::steady_clock::duration fc_AheadFor() const { return {}; }
    // The target's counterparts of a folder's files are looked up ahead.
    virtual bool fc_LooksUpTargets(const std::string& /*ownTarget*/) const { return false; }
    // The pass makes the target folder of a drive root ("<Arbeitsplatz>").
    virtual bool fc_MakesTargets() const { return false; }
    // An entry of folder path the walk passes over (a source entry renamed
    // after its copy).
    virtual bool fc_PassesOver(const std::string& /*path*/, const std::string& /*name*/) const { return false; }

    // A task's walk begins.
    virtual void sb_TaskStart() {}
    // A folder handled as a whole, after its own action (folder-first passes).
    virtual void sb_FolderOpened(std::int32_t /*level*/, const std::string& /*path*/) {}
    // Before a folder's content goes into ownTarget.
    virtual void sb_EnterTarget(const std::string& /*ownTarget*/) {}
    // After the content of a folder handled as a whole.
    virtual void sb_FolderContentDone(std::int32_t /*level*/, const platform::FileEntry& /*folder*/,
                                      const std::string& /*path*/, const std::string& /*ownTarget*/)
    {
    }
    // After the content of the task's source folder went into target
    // (the selection "*.*": the folder itself is not handled).
    virtual void sb_SourceContentDone(const platform::FileEntry& /*folder*/, const std::string& /*target*/) {}
    // At the end of each listing, before its folder closes.
    virtual void sb_ListingDone() {}
    // After a subfolder's walk (the counters as they were before it).
    virtual void sb_SubfolderDone(std::int32_t /*level*/, const platform::FileEntry& /*entry*/,
                                  const std::string& /*path*/, const std::string& /*subPath*/,
                                  const std::string& /*subTarget*/, const EngineCounters& /*before*/)
    {
    }
};

} // namespace zdr::engine
