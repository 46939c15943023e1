#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// How finely a volume keeps last-write times. A copy onto a volume that
// keeps whole seconds can never carry its source's fraction of a second,
// so comparisons with what is there must not ask for more than that.
namespace zdr::platform {

// Nanoseconds; kExactTimes: the volume keeps what it is given.
inline constexpr std::int64_t kExactTimes = 1;

// The precision of the volume of the open folder folderFd (any kind of
// descriptor): from the kind of file system, for a user-space one from its
// driver (the mount table, NTFS's own attributes); where that says nothing
// and mayWrite is set, from a time written into a file made and removed
// in the folder and read back. kExactTimes when nothing tells.
std::int64_t volumeTimePrecision(int folderFd, bool mayWrite);

// The file system type the mount table text mountinfo (as
// /proc/self/mountinfo) gives for the device major:minor ("fuseblk",
// "fuse.gvfsd-fuse"); empty when it lists none.
std::string mountTypeOf(std::string_view mountinfo, unsigned major, unsigned minor);
// The same for the mount of the volume of the open entry fd, from the
// process's mount table.
std::string mountTypeOf(int fd);
// The precision a user-space driver keeps, by its mount type (exfat-fuse,
// ntfs-3g where the mount carries a subtype; gvfs); 0 when not known.
std::int64_t userSpacePrecision(std::string_view mountType);
// The precision a time written and read back shows; kExactTimes when read
// is written or nothing plausible.
std::int64_t precisionFromReadBack(std::int64_t written, std::int64_t read);

} // namespace zdr::platform
