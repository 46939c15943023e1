#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace zdr::platform {

// Attribute bits of the system (the Windows values the project file and the
// option masks use).
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
inline constexpr std::uint32_t kTemporary = 0x100;
inline constexpr std::uint32_t kReparsePoint = 0x400;
inline constexpr std::uint32_t kCompressed = 0x800;
// The bits kept in the DOS attribute store beside the mode bits.
inline constexpr std::uint32_t kStoredBits = kHidden | kSystem | kArchive;
} // namespace attr

// One directory entry as the walk sees it: what one statx call gives.
// Times are nanoseconds since the Unix epoch (UTC), the file system's own
// resolution, so equal copies compare exactly equal.
struct FileEntry {
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;
    std::int64_t lastAccess = 0;
    std::int64_t creation = 0;
    // When its data, mode, owner, links or attributes last changed (ctime).
    std::int64_t change = 0;
    // Which object on which file system: tells a folder from its copy when
    // the copy lies inside the tree being walked.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // The permission bits (07777): a copied folder keeps them.
    std::uint32_t mode = 0;
    // Owner and group: root's copy gives them on.
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // The kind of entry as the mode's file type bits (S_IFREG, S_IFIFO, ...),
    // and its number of names: a copy keeps fifos, devices and hard links.
    std::uint32_t fileType = 0;
    std::uint32_t links = 1;
    // Another file system is mounted here: walks that change things stop at it.
    bool mountRoot = false;

    bool isDirectory() const { return (attributes & attr::kDirectory) != 0; }
    // A symbolic link is reported as itself, never followed.
    bool isSymlink() const { return (attributes & attr::kReparsePoint) != 0; }
    // A fifo, device node or socket (an entry read before the kind was known counts as a file).
    bool isSpecial() const;
    bool isSocket() const;
};

// Reads one entry by its full path (the "search on a named entry").
[[nodiscard]] bool statEntry(const std::string& path, FileEntry& out, ErrorCode& error);
// The same for name in the open folder folderFd, whose full path is path
// (the attribute store is read by it where the kernel cannot read it
// relative to the folder).
[[nodiscard]] bool statEntryAt(int folderFd, const std::string& name, const std::string& path, FileEntry& out,
                               ErrorCode& error);

// Writes the attribute bits kReadOnly, kHidden, kSystem and kArchive.
// A file's read-only is the absence of write bits; a folder's lives in the
// DOS attribute store with the other three (its write bits stay). One
// change or none. Directory and compression bits are ignored here.
[[nodiscard]] bool setAttributes(const std::string& path, std::uint32_t attributes, ErrorCode& error);
// The same for name in the open folder folderFd.
[[nodiscard]] bool setAttributesAt(int folderFd, const std::string& name, std::uint32_t attributes, ErrorCode& error);

// The permission bits an entry of mode gets for attributes: read-only takes
// every write bit; one that is not read-only keeps its bits, or gets the
// owner's write bit where it had none.
std::uint32_t modeFor(std::uint32_t mode, std::uint32_t attributes);

// A copy gives its entry the source's owner and group: where the process
// may (as root) and they are not its own.
bool ownerToGive(std::uint32_t owner, std::uint32_t group);

// The name in /proc of the open descriptor fd: it leads to the entry that
// was opened, whatever has its path by now, also for a descriptor that only
// names it (O_PATH), which takes no calls of its own.
std::string selfPath(int fd);

// A time in nanoseconds since the Unix epoch as the kernel's calls take it
// (before 1970 too: the part below the second is never negative).
timespec toTimespec(std::int64_t nanoseconds);

} // namespace zdr::platform
