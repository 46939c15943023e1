#pragma once

#include "platform/FileEntry.h"

#include <string>

namespace zdr::platform {

// Looks entries up by name in one folder at a time, relative to the open
// folder, so a run of lookups in the same folder does not walk its path
// again for each (the comparisons with a target tree). Another folder
// replaces the open one.
class FolderLookup {
public:
    FolderLookup() = default;
    ~FolderLookup();
    FolderLookup(const FolderLookup&) = delete;
    FolderLookup& operator=(const FolderLookup&) = delete;

    // As statEntry(folder + "/" + name).
    bool statEntry(const std::string& folder, const std::string& name, FileEntry& out, ErrorCode& error);
    // Forgets the open folder (it may have been replaced).
    void close();

private:
    int fd_ = -1;
    std::string folder_;
};

} // namespace zdr::platform
