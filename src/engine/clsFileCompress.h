#pragma once

#include <string>

namespace zdr::engine {

// Switches the file system's compression of one file or folder on or off.
// On Linux that is the volume's compression flag where the volume acts on it
// (btrfs); elsewhere it fails with the program's text.
class clsFileCompress {
public:
    // uncompress false: compress; true: uncompress. Nothing is done (and
    // nothing fails) when the entry is already as asked.
    bool fc_SetCompression(const std::string& path, bool uncompress, std::string& errorText) const;
    // The same for an entry that is open as fd.
    bool fc_SetCompression(int fd, bool uncompress, std::string& errorText) const;
};

} // namespace zdr::engine
