#include "platform/VolumeNames.h"

#include "platform/VolumeTimes.h"

#include <sys/statfs.h>

#include <string>

namespace zdr::platform {

namespace {

constexpr std::uint32_t kFat = 0x4d44;
constexpr std::uint32_t kFuse = 0x65735546;

// The kernel's volumes of the Windows family: FAT, exFAT, ntfs3, CIFS, SMB2.
bool windowsFamily(std::uint32_t kind)
{
    return kind == kFat || kind == 0x2011BAB0 || kind == 0x7366746e || kind == 0xFF534D42 || kind == 0xFE534D42;
}

std::uint32_t volumeKind(int folderFd)
{
    struct statfs volume {};
    return ::fstatfs(folderFd, &volume) == 0 ? static_cast<std::uint32_t>(volume.f_type) : 0;
}

} // namespace

bool nameRefusedByWindows(std::string_view name)
{
    if (name.empty())
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos)
            return true;
    }
    // "." and ".." are no names of entries here.
    return (name.back() == '.' || name.back() == ' ') && name != "." && name != "..";
}

bool mayRefuseWindowsNames(int folderFd)
{
    const std::uint32_t kind = volumeKind(folderFd);
    return windowsFamily(kind) || kind == kFuse;
}

bool volumeKeepsModes(int folderFd)
{
    const std::uint32_t kind = volumeKind(folderFd);
    if (windowsFamily(kind))
        return false;
    if (kind != kFuse)
        return true;
    // User-space: exfat-fuse and ntfs-3g (block devices), gvfs.
    const std::string type = mountTypeOf(folderFd);
    return type.rfind("fuseblk", 0) != 0 && type != "fuse.gvfsd-fuse";
}

std::uint64_t largestFileOn(int folderFd) { return volumeKind(folderFd) == kFat ? 0xFFFFFFFFull : 0; }

} // namespace zdr::platform
