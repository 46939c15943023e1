#pragma once

#include "platform/FileEntry.h"

#include <cstdint>
#include <string>

// Internals of the file seam shared by the entry readers: the statx call and
// the DOS attribute store (the "user.DOSATTRIB" extended attribute as Samba
// keeps it).
namespace zdr::platform {

// statx of name relative to dirFd (AT_FDCWD for a full path), not following
// links, filled into out (name untouched). fullPath names the same entry for
// the attribute store, whose calls take paths. Without withStore the store is
// not read and the entry shows the default bits (for a walk that decides by
// the mode's read-only bit alone: one call less per entry).
[[nodiscard]] bool statAt(int dirFd, const char* name, const char* fullPath, FileEntry& out, ErrorCode& error,
                          bool withStore = true);
// The same for name in the open folder dirFd whose path (with its final
// separator) is folder: the full path is only made where the store cannot
// be read relative to dirFd (kernels before 6.13).
[[nodiscard]] bool statIn(int dirFd, const std::string& folder, const char* name, FileEntry& out, ErrorCode& error,
                          bool withStore = true);

// Where a volume keeps its own attributes (NTFS through ntfs-3g or ntfs3,
// FAT through the kernel), the entries read and write those (read-only
// among them), so Windows sees what was set; elsewhere Samba's store.
// Volumes are told apart by device once per thread until this is called
// (a run's start: another stick may have the same device number by then).
void forgetVolumeHomes();

// NTFS's own attribute bits of the entry open as fd (any kind of
// descriptor), as ntfs-3g and ntfs3 show them; false where the volume has
// none. The write replaces every bit the volume lets change.
bool readNtfsAttributes(int fd, std::uint32_t& bits);
[[nodiscard]] bool writeNtfsAttributes(int fd, std::uint32_t bits, ErrorCode& error);

// Writes the bits kReadOnly, kHidden, kSystem, kArchive into the volume's
// own attributes of the entry open as fd (also a descriptor that only names
// it), whose name is name; elsewhere hidden, system and archive into the
// store, removing it when they equal the default (archive for files), so
// untouched files keep no extended attribute. Succeeds silently where the
// file system has no extended attributes and nothing is to be kept.
[[nodiscard]] bool writeDosAttributes(int fd, const std::string& name, bool directory, std::uint32_t bits,
                                      ErrorCode& error);
// The same for a new file (no store yet) open as fd, whose name is name.
[[nodiscard]] bool writeNewDosAttributes(int fd, const std::string& name, std::uint32_t bits, ErrorCode& error);

// Parses a stored value: the text form "0x22" or the binary form with its
// version header. Unknown forms give 0.
std::uint32_t parseDosAttrib(const unsigned char* data, std::size_t size);

} // namespace zdr::platform
