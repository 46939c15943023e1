#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace zdr::platform {

// One line of a mount table (/proc/self/mountinfo): the file system's
// device, the folder of it that is shown, and where it is shown.
struct MountEntry {
    dev_t device = 0;
    std::string root;  // within the file system ("/" for all of it)
    std::string point; // the mount point
};

// The entries of a mountinfo text, in its order (later mounts over earlier
// ones); lines that do not parse are left out.
std::vector<MountEntry> parseMountInfo(std::string_view text);
// This process's mount table (empty when it cannot be read).
std::string readMountInfo();

} // namespace zdr::platform
