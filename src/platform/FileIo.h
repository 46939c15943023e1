#pragma once

#include "platform/ErrorCode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::platform {

// Reads a whole file of at most maxSize bytes. A larger file fails and sets
// *tooLarge, anything but a plain file (a pipe, a device; never waited for)
// sets *notAFile, so callers can say so in their own words.
[[nodiscard]] bool readWholeFile(const std::string& path, std::size_t maxSize, std::string& data, ErrorCode& error,
                                 bool* tooLarge = nullptr, bool* notAFile = nullptr);

// Writes data to a temporary file beside path, flushes it to the disk and
// renames it over path, so the old file stays whole until the new one is.
// The temporary file is removed on failure. A path that is a symbolic link
// writes the file it leads to; the new file keeps the old one's mode, owner,
// group and extended attributes (ACLs among them). A file that is not there
// yet is made with newFileMode (less the process's mask).
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view data, ErrorCode& error,
                                       std::uint32_t newFileMode = 0666);

// A name for a temporary file in the folder of path, unique for this process.
std::string temporarySibling(const std::string& path);

} // namespace zdr::platform
