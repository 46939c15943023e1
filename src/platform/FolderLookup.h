#pragma once

#include "platform/FileEntry.h"
#include "platform/PendingFile.h"

#include <string>

namespace zdr::platform {

// Looks entries up by name in one folder at a time, relative to the open
// folder, so a run of lookups in the same folder does not walk its path
// again for each (the comparisons with a target tree, the copies). Another
// folder replaces the open one.
class FolderLookup {
public:
    FolderLookup() = default;
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // As statEntry(folder + "/" + name).
    bool statEntry(const std::string& folder, const std::string& name, FileEntry& out, ErrorCode& error);
    // Where name in folder is: relative to the open folder, or by its full
    // path when the folder cannot be opened (the call using it says why).
    EntryPlace place(const std::string& folder, const std::string& name);
    // Forgets the open folder (it may have been replaced).
    void close();

private:
    // The open folder (a path-only descriptor); -1 when it cannot be opened.
    int open(const std::string& folder);

    int fd_ = -1;
    std::string folder_;
};

} // namespace zdr::platform
