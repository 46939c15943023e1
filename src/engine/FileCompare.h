#pragma once

#include "base/DateText.h"
#include "platform/FileEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zdr::engine {

// The unit of the file time: last-write times are compared in it.
inline constexpr std::int64_t kFileTimeUnit = 100;

// The last-write times a and b are the same at precision: the target
// volume's, in nanoseconds (platform::volumeTimePrecision); below the file
// time's unit they are compared in whole units, above it they must lie
// less than one precision apart.
bool fc_SameTime(std::int64_t a, std::int64_t b, std::int64_t precision);
// The source's time is not later than the target's at precision.
bool fc_NotLater(std::int64_t source, std::int64_t target, std::int64_t precision);

// True when nothing is to be done for source against its existing target.
// onlyNewer (option 0x80): the source is not later than the target.
// Otherwise: read-only, hidden, system and compressed bits, the size and the
// last-write time (at the target volume's precision) are all the same.
bool fc_FilesEqual(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer,
                   std::int64_t precision = kFileTimeUnit);

// What a copy keeps beyond data and times that differs between source and
// its target, which are equal by fc_FilesEqual: the words "Rechte",
// "Besitzer" (as root), "ACL", "erweiterte Attribute"; for a link only
// "Linkziel". wantedMode is the mode the target should have; modesKept:
// the target's volume keeps modes and owners (FAT, exFAT, NTFS, shares do
// not: there they are no difference).
std::vector<std::string> fc_KeptDifferences(const platform::FileEntry& source, const platform::FileEntry& target,
                                            const std::string& sourceFile, const std::string& targetFile,
                                            std::uint32_t wantedMode, bool modesKept);

// A file time (nanoseconds since the Unix epoch, universal time) as a date
// and time to the second: in local time when local is true, else as it is.
base::LocalDateTime fc_FileTimeToDate(std::int64_t fileTime, bool local);

// The words of the set attribute bits, joined by ", " ("schreigeschützt, versteckt").
std::string fc_AttributeText(std::uint32_t attributes);

// Why a file found in the target differs (the protocol text of the
// information pass): dates, then attributes and sizes (or with onlyNewer the
// source's size only).
std::string fc_DifferenceText(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer,
                              std::int64_t precision = kFileTimeUnit);

} // namespace zdr::engine
