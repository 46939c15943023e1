#pragma once

#include "platform/ErrorCode.h"
#include "platform/PendingFile.h"

#include <sys/stat.h>

#include <string>

namespace zdr::platform {

// Copies a symbolic link as a link (never what it points to), with its
// last-write time, made beside target and renamed into place. Without
// replace an existing target is not touched (kFileExists).
[[nodiscard]] bool copyLink(const std::string& source, const std::string& target, bool replace, ErrorCode& error);
// The same with source and target named relative to open folders: no step
// of their paths is looked up again.
[[nodiscard]] bool copyLink(const EntryPlace& source, const EntryPlace& target, bool replace, ErrorCode& error);
// The text of the link whose lstat is st.
[[nodiscard]] bool readLinkText(const EntryPlace& link, const struct stat& st, std::string& text, ErrorCode& error);
// Both are links with the same text (a link retargeted since its copy is not).
bool sameLinkText(const std::string& a, const std::string& b);

// Makes target another name of the file existing (a hard link), beside it
// and renamed into place.
[[nodiscard]] bool addHardLink(const std::string& existing, const EntryPlace& target, bool replace, ErrorCode& error);

// Makes the fifo or device node source anew as target, with its owner (as
// root), mode and times, as the link copy does; a socket is not copied
// (kNotSupported), a device node only by root.
[[nodiscard]] bool copySpecial(const EntryPlace& source, const EntryPlace& target, bool replace, ErrorCode& error);

} // namespace zdr::platform
