#pragma once

#include "base/DateText.h"
#include "platform/FileEntry.h"

#include <cstdint>
#include <string>

namespace zdr::engine {

// True when nothing is to be done for source against its existing target.
// onlyNewer (option 0x80): the source is not later than the target.
// Otherwise: read-only, hidden, system and compressed bits, the size and the
// last-write time (to the nanosecond) are all the same.
bool fc_FilesEqual(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer);

// A file time (nanoseconds since the Unix epoch, universal time) as a date
// and time to the second: in local time when local is true, else as it is.
base::LocalDateTime fc_FileTimeToDate(std::int64_t fileTime, bool local);

// The words of the set attribute bits, joined by ", " ("schreigeschützt, versteckt").
std::string fc_AttributeText(std::uint32_t attributes);

// Why a file found in the target differs (the protocol text of the
// information pass): dates, then attributes and sizes (or with onlyNewer the
// source's size only).
std::string fc_DifferenceText(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer);

} // namespace zdr::engine
