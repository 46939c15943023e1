#pragma once

#include "platform/ErrorCode.h"

#include <functional>

namespace zdr::platform {

// The file system's own compression of a file or folder, open as fd. Only
// volumes that compress what is written under the flag count (btrfs, NTFS
// through ntfs-3g, where it is NTFS's compressed attribute); others may keep
// the flag without acting on it.
bool volumeCompresses(int fd);
// Reads the flag; false when it cannot be read (then it is taken as off).
bool compressionFlag(int fd);
// Sets or clears the flag; new data written afterwards follows it.
[[nodiscard]] bool setCompressionFlag(int fd, bool on, ErrorCode& error);

// NTFS through ntfs-3g makes a file compressed or not as its folder is
// when the file is made, and never changes a file's later: make() (which
// makes a file in the folder open as folderFd) runs with the folder set
// as compressed asks, and the folder is put back after it. On any other
// volume make() just runs.
bool makeAsFolderCompresses(int folderFd, bool compressed, const std::function<bool()>& make);

} // namespace zdr::platform
