#include "platform/VolumeNames.h"

#include <sys/statfs.h>

namespace zdr::platform {

namespace {

constexpr std::uint32_t kFat = 0x4d44;

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
    switch (volumeKind(folderFd)) {
    case kFat:
    case 0x2011BAB0: // exFAT
    case 0x7366746e: // ntfs3
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE
        return true;
    default: return false;
    }
}

std::uint64_t largestFileOn(int folderFd) { return volumeKind(folderFd) == kFat ? 0xFFFFFFFFull : 0; }

} // namespace zdr::platform
