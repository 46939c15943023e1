#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zdr::platform {

// Makes one folder (its parent must exist) with the permission bits mode,
// less the process's mask. An existing entry of that name is a failure
// (error 80 for a file or folder there already).
[[nodiscard]] bool makeDirectory(const std::string& path, ErrorCode& error, std::uint32_t mode = 0777);

// The same, with name relative to an open folder (AT_FDCWD: a path).
[[nodiscard]] bool makeDirectoryAt(int folderFd, const std::string& name, ErrorCode& error, std::uint32_t mode = 0777);

// Removes one empty folder; a folder with content is left alone (error 145).
[[nodiscard]] bool removeDirectory(const std::string& path, ErrorCode& error);

// Removes one entry named relative to an open folder (folderFd -1: name is
// a path): a file or a link (never what it points to) or, with folder set,
// an empty folder.
[[nodiscard]] bool removeEntry(int folderFd, const std::string& name, bool folder, ErrorCode& error);

// Writes out what is cached for the file systems that hold these folders
// (each file system once), so what was written there is on the storage.
// A folder that cannot be opened is passed over; a failed flush (a write
// error of the device) is the failure.
[[nodiscard]] bool flushFileSystems(const std::vector<std::string>& folders, ErrorCode& error);

// Opens a folder as a path-only descriptor without following a link below
// root: a folder within root is reached from root one step at a time, so a
// link on its way (one in a copy's target tree) leads nowhere (error 1921);
// any other folder, and every folder when root is empty, by its path.
// Returns -1 with error when it cannot be opened.
// readable: a descriptor the folder's names can be read from (O_RDONLY)
// instead of a path-only one.
int openFolderBelow(const std::string& root, const std::string& folder, ErrorCode& error, bool readable = false);
// The same for the steps of rest below the open folder base (which stays
// open), one at a time, never through a link.
int openFolderStepsAt(int base, std::string_view rest, ErrorCode& error, bool readable = false);

} // namespace zdr::platform
