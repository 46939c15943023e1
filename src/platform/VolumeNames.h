#pragma once

#include <cstdint>
#include <string_view>

// What the volumes of the Windows family (FAT, exFAT, NTFS, SMB shares) can
// hold, for the texts that say why a copy onto one failed.
namespace zdr::platform {

// A name those volumes refuse: one of "*/:<>?\| or a control character in
// it, or a dot or space at its end.
bool nameRefusedByWindows(std::string_view name);

// The volume of the open folder folderFd may refuse such names: FAT, exFAT,
// NTFS through the kernel, SMB shares, and user-space volumes (exfat-fuse,
// ntfs-3g with windows_names, gvfs).
bool mayRefuseWindowsNames(int folderFd);

// The volume of folderFd keeps the modes and owners it is given: not FAT,
// exFAT, NTFS (ntfs3, ntfs-3g), SMB shares or gvfs, whose modes come from
// how they were mounted.
bool volumeKeepsModes(int folderFd);

// The largest file the volume of folderFd holds; 0 when it sets no limit
// below what the system handles (FAT: 4 GiB less one byte).
std::uint64_t largestFileOn(int folderFd);

} // namespace zdr::platform
