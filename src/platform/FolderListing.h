#pragma once

#include "platform/FileEntry.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zdr::platform {

// The entries of one target folder, as listed at one moment, each with what
// a lookup of it gave. Made ahead of a walk (ListingPrefetch); a shortcut
// only: a name it does not hold, and everything once it is not fresh any
// more, is looked up again.
struct FolderListing {
    enum class Answer { Unknown, Found, Missing };

    std::chrono::steady_clock::time_point taken;
    std::vector<FileEntry> entries; // name set also where the lookup failed
    std::vector<ErrorCode> errors;  // of each entry; 0: found
    std::vector<std::uint32_t> byName;
    // The names that look like temporary siblings of a run (Leftovers).
    std::vector<std::string> temporaries;

    // Younger than a second: older ones were perhaps changed since (a
    // question waited for the user, a large subfolder was copied).
    bool fresh() const;
    // Unknown (the caller looks for itself) for a name that came after the
    // listing, and for every name once it is not fresh. Found: out is
    // filled; Missing: error says why.
    Answer find(const std::string& name, FileEntry& out, ErrorCode& error) const;
    // Sorts byName; after the entries are in.
    void index();
};

} // namespace zdr::platform
