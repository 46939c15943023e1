#pragma once

#include "platform/FileEntry.h"

#include <string>

namespace zdr::platform {

// Lists one folder: one readdir pass and one statx per entry, relative to the
// open folder so no full path is built. "." and ".." are never entries.
class DirectoryReader {
public:
    DirectoryReader() = default;
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    bool open(const std::string& path, ErrorCode& error);
    // Next entry; false at the end (error 0) or on a failure (error set; for
    // an entry that cannot be examined its name is in out.name and the next
    // call goes on after it). An entry that vanished since the listing is
    // skipped.
    bool next(FileEntry& out, ErrorCode& error);
    void close();
    bool isOpen() const { return dir_ != nullptr; }

private:
    void* dir_ = nullptr; // DIR*, kept opaque so <dirent.h> stays out of callers
    std::string folder_;  // the folder with its separator, reused for entry paths
};

} // namespace zdr::platform
