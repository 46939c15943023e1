#pragma once

#include "platform/ErrorCode.h"

namespace zdr::platform {

// The file system's own compression of a file or folder, open as fd. Only
// volumes that compress what is written under the flag count (btrfs, NTFS
// through ntfs-3g, where it is NTFS's compressed attribute); others may keep
// the flag without acting on it.
bool volumeCompresses(int fd);
// Reads the flag; false when it cannot be read (then it is taken as off).
bool compressionFlag(int fd);
// Sets or clears the flag; new data written afterwards follows it.
bool setCompressionFlag(int fd, bool on, ErrorCode& error);

} // namespace zdr::platform
