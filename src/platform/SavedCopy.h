#pragma once

#include "platform/ErrorCode.h"
#include "platform/PendingFile.h"

#include <string>

namespace zdr::platform {

// Saves the file or link at from under the new name to, before from is
// replaced: a second name for the same content where the volume allows it
// (complete at once, nothing copied; a replacement that renames a new file
// over from leaves it untouched), else a copy made beside to and put in
// place when complete. An existing to is never replaced (kFileExists).
[[nodiscard]] bool saveCopy(const std::string& from, const std::string& to, ErrorCode& error);
// The same for from named relative to an open folder (path: its full path).
[[nodiscard]] bool saveCopy(const EntryPlace& from, const std::string& path, const std::string& to, ErrorCode& error);

} // namespace zdr::platform
