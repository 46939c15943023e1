#pragma once

#include "engine/StepError.h"
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
    [[nodiscard]] StepError fc_SetCompression(const std::string& path, bool uncompress) const;
    // The same for an entry that is open as fd.
    [[nodiscard]] StepError fc_SetCompression(int fd, bool uncompress) const;
    // An entry named relative to an open folder (a link is not followed);
    // path names it in the error text.
    struct EntryIn {
        int folder;
        std::string name;
        std::string path;
    };
    [[nodiscard]] StepError fc_SetCompression(const EntryIn& entry, bool uncompress) const;

    // As a task's attribute masks ask: compressed when setMask has the
    // compressed bit, then uncompressed when clearMask has it (clearing
    // comes second). entry: a path (a link is not followed), an open fd or an
    // EntryIn.
    template <class Entry>
    [[nodiscard]] StepError fc_SetAsAsked(const Entry& entry, std::uint32_t setMask, std::uint32_t clearMask) const
    {
        using platform::attr::kCompressed;
        if ((setMask & kCompressed) != 0) {
            if (StepError compressed = fc_SetCompression(entry, false); compressed.failed())
                return compressed;
        }
        if ((clearMask & kCompressed) != 0)
            return fc_SetCompression(entry, true);
        return {};
    }
};

} // namespace zdr::engine
