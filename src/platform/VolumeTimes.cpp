#include "platform/VolumeTimes.h"

#include "platform/FileEntry.h"
#include "platform/FileIo.h"
#include "platform/MountTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace zdr::platform {

namespace {

constexpr std::int64_t kSecond = 1000000000;

// Kernel file systems that keep less than the nanosecond (statfs magic numbers).
std::int64_t kernelPrecision(std::uint32_t magic)
{
    switch (magic) {
    case 0x4d44: return 2 * kSecond;       // FAT: two seconds
    case 0x2011BAB0: return kSecond / 100; // exFAT: ten milliseconds
    case 0x5346544e:                       // NTFS (old driver)
    case 0x7366746e:                       // NTFS (ntfs3)
    case 0xFF534D42:                       // CIFS
    case 0xFE534D42: return 100;           // SMB2: the protocol's 100-ns units
    default: return 0;
    }
}

std::int64_t writtenAndReadBack(int folderFd)
{
    // An odd second and a fraction below the half: volumes that round to
    // the nearest second still show their own unit.
    constexpr std::int64_t kWritten = 1600000001 * kSecond + 123456789;
    const std::string name = temporarySibling("zeitprobe"); // a killed run's one is tidied as any
    const int fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return 0;
    const bool closed = ::close(fd) == 0;
    const timespec times[2] = {toTimespec(kWritten), toTimespec(kWritten)};
    struct stat st {};
    const bool read = closed && ::utimensat(folderFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0
        && ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    ::unlinkat(folderFd, name.c_str(), 0);
    if (!read)
        return 0;
    return precisionFromReadBack(kWritten, static_cast<std::int64_t>(st.st_mtim.tv_sec) * kSecond + st.st_mtim.tv_nsec);
}

} // namespace

std::string mountTypeOf(std::string_view mountinfo, unsigned major, unsigned minor)
{
    const std::string device = std::to_string(major) + ":" + std::to_string(minor);
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root point options [optional...] - type source ...
        std::istringstream fields(line);
        std::string id, parent, numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != device)
            continue;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        std::istringstream rest(line.substr(dash + 3));
        std::string type;
        if (rest >> type)
            return type;
    }
    return {};
}

std::string mountTypeOf(int fd)
{
    struct stat entry {};
    if (::fstat(fd, &entry) != 0)
        return {};
    return mountTypeOf(readMountInfo(), major(entry.st_dev), minor(entry.st_dev));
}

std::int64_t userSpacePrecision(std::string_view mountType)
{
    if (mountType == "fuse.gvfsd-fuse")
        return kSecond; // gvfs's SMB backend keeps whole seconds
    const std::size_t dot = mountType.find('.');
    if (dot == std::string_view::npos)
        return 0;
    const std::string_view subtype = mountType.substr(dot + 1);
    if (subtype == "exfat")
        return kSecond; // exfat-fuse drops the volume's ten milliseconds
    if (subtype == "ntfs" || subtype == "ntfs-3g")
        return 100;
    if (subtype == "vfat" || subtype == "fat" || subtype == "msdos")
        return 2 * kSecond;
    return 0;
}

std::int64_t precisionFromReadBack(std::int64_t written, std::int64_t read)
{
    if (read == written)
        return kExactTimes;
    const std::int64_t apart = std::llabs(written - read);
    for (const std::int64_t unit :
         {2 * kSecond, kSecond, kSecond / 100, kSecond / 1000, std::int64_t{1000}, std::int64_t{100}}) {
        if (read % unit == 0)
            return apart <= unit ? unit : kExactTimes;
    }
    return kExactTimes;
}

std::int64_t volumeTimePrecision(int folderFd, bool mayWrite)
{
    struct statfs volume {};
    if (::fstatfs(folderFd, &volume) != 0)
        return kExactTimes;
    if (const std::int64_t known = kernelPrecision(static_cast<std::uint32_t>(volume.f_type)))
        return known;
    if (static_cast<std::uint32_t>(volume.f_type) != 0x65735546) // not FUSE: the kernel keeps nanoseconds
        return kExactTimes;
    if (const std::int64_t known = userSpacePrecision(mountTypeOf(folderFd)))
        return known;
    // ntfs-3g shows NTFS's own attributes; its mounts carry no subtype.
    char attributes[4];
    if (::getxattr(selfPath(folderFd).c_str(), "system.ntfs_attrib_be", attributes, sizeof attributes) > 0)
        return 100;
    if (mayWrite)
        if (const std::int64_t shown = writtenAndReadBack(folderFd))
            return shown;
    return kExactTimes;
}

} // namespace zdr::platform
