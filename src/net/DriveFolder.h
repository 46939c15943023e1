#pragma once

#include <optional>
#include <string>
#include <string_view>

// Drive names ("X:") on Linux: each connected drive is a symbolic link named
// after the drive in a per-user folder ($XDG_RUNTIME_DIR/zendor-drives),
// pointing at the mounted share. Task folders that begin with a drive name
// reach the file system through that link.
namespace zdr::net {

// "X:" with a letter A-Z (either case).
bool isDriveName(std::string_view name);

// The per-user drives folder (not created): $XDG_RUNTIME_DIR/zendor-drives,
// else /run/user/<uid>/zendor-drives when that runtime folder is ours, else
// /tmp/zendor-drives-<uid>.
std::string drivesFolderPath();

// Creates the drives folder with mode 0700 when missing and checks that it is
// a real folder of this user that nobody else can enter. Error: a German text.
bool ensureDrivesFolder(const std::string& folder, std::string& error);

// Path of the link for a drive name in a drives folder ("x:" → folder/X:).
std::string driveLinkPath(const std::string& folder, std::string_view driveName);

// "X:" or "X:/rest" (also "X:\rest") → link target + "/rest", when the drive
// is connected; any other path, or a drive without a link, comes back as is.
std::string resolveDrivePath(std::string_view path);
std::string resolveDrivePath(std::string_view path, const std::string& drivesFolder);

} // namespace zdr::net
