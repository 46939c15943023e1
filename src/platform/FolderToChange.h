#pragma once

#include "platform/ErrorCode.h"
#include "platform/FileEntry.h"

#include <cstdint>
#include <string>

namespace zdr::platform {

// A folder opened once to change it (its bits, owner, time, marks): each
// change goes to the folder that was opened, never to whatever has its name
// by then. A link in its place does not open, so a folder swapped for a link
// meanwhile takes nothing outside.
class FolderToChange {
public:
    FolderToChange() = default;
    ~FolderToChange();
    FolderToChange(const FolderToChange&) = delete;
    FolderToChange& operator=(const FolderToChange&) = delete;

    // Opens name in the open folder parentFd (AT_FDCWD: name is a path) as a
    // folder, not following a link in its place.
    [[nodiscard]] bool open(int parentFd, const std::string& name, ErrorCode& error);
    int fd() const { return fd_; }
    // Which folder it is.
    std::uint64_t device() const { return device_; }
    std::uint64_t inode() const { return inode_; }
    std::uint32_t mode() const { return mode_; }

    // As setAttributes() and its kin for paths.
    [[nodiscard]] bool setAttributes(std::uint32_t attributes, ErrorCode& error);
    [[nodiscard]] bool setPermissions(std::uint32_t mode, ErrorCode& error);
    [[nodiscard]] bool giveOwner(std::uint32_t owner, std::uint32_t group, ErrorCode& error);
    [[nodiscard]] bool setLastWrite(std::int64_t lastWrite, ErrorCode& error);

private:
    int fd_ = -1;
    bool pathOnly_ = false; // opened only to name it (O_PATH): changed through selfPath()
    std::string name_;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint32_t mode_ = 0;
};

} // namespace zdr::platform
