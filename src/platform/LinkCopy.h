#pragma once

#include "platform/ErrorCode.h"
#include "platform/PendingFile.h"

#include <string>

namespace zdr::platform {

// Copies a symbolic link as a link (never what it points to), with its
// last-write time, made beside target and renamed into place. Without
// replace an existing target is not touched (kFileExists).
bool copyLink(const std::string& source, const std::string& target, bool replace, ErrorCode& error);
// The same with source and target named relative to open folders: no step
// of their paths is looked up again.
bool copyLink(const EntryPlace& source, const EntryPlace& target, bool replace, ErrorCode& error);

} // namespace zdr::platform
