#pragma once

#include "platform/FileEntry.h"

#include <cstdint>
#include <string>

namespace zdr::engine {

// Switches the file system's compression of one file or folder on or off.
// On Linux that is the volume's compression flag where the volume acts on it
// (btrfs); elsewhere it fails with the program's text.
class clsFileCompress {
public:
    // uncompress false: compress; true: uncompress. Nothing is done (and
    // nothing fails) when the entry is already as asked.
    [[nodiscard]] bool fc_SetCompression(const std::string& path, bool uncompress, std::string& errorText) const;
    // The same for an entry that is open as fd.
    [[nodiscard]] bool fc_SetCompression(int fd, bool uncompress, std::string& errorText) const;
    // An entry named relative to an open folder (a link is not followed);
    // path names it in the error text.
    struct EntryIn {
        int folder;
        std::string name;
        std::string path;
    };
    [[nodiscard]] bool fc_SetCompression(const EntryIn& entry, bool uncompress, std::string& errorText) const;

    // As a task's attribute masks ask: compressed when setMask has the
    // compressed bit, then uncompressed when clearMask has it (clearing
    // comes second). entry: a path (a link is not followed), an open fd or an
    // EntryIn.
    template <class Entry>
    [[nodiscard]] bool fc_SetAsAsked(const Entry& entry, std::uint32_t setMask, std::uint32_t clearMask,
                                     std::string& errorText) const
    {
        using platform::attr::kCompressed;
        return ((setMask & kCompressed) == 0 || fc_SetCompression(entry, false, errorText))
            && ((clearMask & kCompressed) == 0 || fc_SetCompression(entry, true, errorText));
    }
};

} // namespace zdr::engine
