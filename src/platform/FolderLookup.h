#pragma once

#include "platform/FileEntry.h"
#include "platform/ListingPrefetch.h"
#include "platform/PendingFile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zdr::platform {

// Looks entries up by name in one folder at a time, relative to the open
// folder, so a run of lookups in the same folder does not walk its path
// again for each (the comparisons with a target tree, the copies). Another
// folder replaces the open one.
class FolderLookup {
public:
    FolderLookup();
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // As statEntry(folder + "/" + name); from the listing made ahead where
    // there is one.
    [[nodiscard]] bool statEntry(const std::string& folder, const std::string& name, FileEntry& out, ErrorCode& error);
    // Where name in folder is: relative to the open folder, or by its full
    // path when the folder cannot be opened (the call using it says why).
    // A folder below the root that cannot be reached without a link has no
    // place: false with the reason.
    [[nodiscard]] bool place(const std::string& folder, const std::string& name, EntryPlace& out, ErrorCode& error);
    // Forgets the open folder and every listing (they may have changed).
    void close();
    // Folders within root (a task's resolved folder) are reached from it
    // without following a link; empty: every folder by its path.
    void setRoot(const std::string& root);

    // A walk looks its entries up in folder: they are looked up on another
    // thread ahead of the walk (folder first, then its subfolders), until
    // leave(folder).
    void listAhead(const std::string& folder);
    void leave(const std::string& folder);
    // The names in folder that look like a run's temporary siblings, from
    // its fresh listing made ahead; false when there is none (read the
    // folder).
    bool listedTemporaries(const std::string& folder, std::vector<std::string>& names);
    // How finely the volume of folder (device) keeps last-write times
    // (volumeTimePrecision), asked once per volume until close().
    std::int64_t timePrecision(const std::string& folder, std::uint64_t device, bool mayWrite);
    // Whether that volume keeps modes and owners (volumeKeepsModes), asked
    // once per volume until close().
    bool keepsModes(const std::string& folder, std::uint64_t device);

private:
    // The open folder (a path-only descriptor); -1 when it cannot be opened.
    int open(const std::string& folder);
    // The listing of folder made ahead (null: none).
    const FolderListing* listingOf(const std::string& folder);
    void closeFolder();

    int fd_ = -1;
    ErrorCode openError_ = 0; // why fd_ is -1
    std::string folder_;
    std::string root_;
    std::unique_ptr<ListingPrefetch> prefetch_; // made by the first listAhead
    // The listing of the folder looked up last (null: none).
    std::string listedFolder_;
    std::shared_ptr<const FolderListing> listed_;
    std::map<std::uint64_t, std::int64_t> precisions_; // by device
    std::map<std::uint64_t, bool> keepsModes_;
};

} // namespace zdr::platform
