#include "platform/Compression.h"

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
    return ::fstatfs(fd, &fs) == 0 && fs.f_type == kBtrfsMagic;
}

bool compressionFlag(int fd)
{
    int flags = 0; // the kernel reads and writes an int, whatever the call's name says
    return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL) != 0;
}

bool setCompressionFlag(int fd, bool on, ErrorCode& error)
{
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

} // namespace zdr::platform
