#include "platform/Compression.h"

#include "platform/DosAttributes.h"
#include "platform/FileEntry.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

namespace zdr::platform {

namespace {

constexpr long kBtrfsMagic = 0x9123683E;

} // namespace

bool volumeCompresses(int fd)
{
    struct statfs fs {};
    std::uint32_t ntfs = 0;
    return (::fstatfs(fd, &fs) == 0 && fs.f_type == kBtrfsMagic) || readNtfsAttributes(fd, ntfs);
}

bool compressionFlag(int fd)
{
    if (std::uint32_t ntfs = 0; readNtfsAttributes(fd, ntfs))
        return (ntfs & attr::kCompressed) != 0;
    int flags = 0; // the kernel reads and writes an int, whatever the call's name says
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL) != 0;
}

bool setCompressionFlag(int fd, bool on, ErrorCode& error)
{
    // NTFS (ntfs-3g): a folder's attribute is what Windows sets; a file is
    // compressed when it is made in a compressed folder and stays as made.
    if (std::uint32_t ntfs = 0; readNtfsAttributes(fd, ntfs)) {
        const std::uint32_t wanted = on ? ntfs | attr::kCompressed : ntfs & ~attr::kCompressed;
        if (!writeNtfsAttributes(fd, wanted, error))
            return false;
        if (!readNtfsAttributes(fd, ntfs) || ((ntfs & attr::kCompressed) != 0) != on) {
            error = error::kNotSupported;
            return false;
        }
        error = error::kSuccess;
        return true;
    }
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        error = lastError();
        return false;
    }
    // "No compression" would win over the flag; it goes when compressing.
    flags = on ? (flags | FS_COMPR_FL) & ~FS_NOCOMP_FL : flags & ~FS_COMPR_FL;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

bool makeAsFolderCompresses(int folderFd, bool compressed, const std::function<bool()>& make)
{
    std::uint32_t folder = 0;
    if (!readNtfsAttributes(folderFd, folder) || ((folder & attr::kCompressed) != 0) == compressed)
        return make();
    const std::uint32_t asked = compressed ? folder | attr::kCompressed : folder & ~attr::kCompressed;
    ErrorCode ignored = 0; // where the folder refuses, the file's own line says what it became
    const bool changed = writeNtfsAttributes(folderFd, asked, ignored);
    const bool made = make();
    if (changed)
        static_cast<void>(writeNtfsAttributes(folderFd, folder, ignored));
    return made;
}

} // namespace zdr::platform
