#include "platform/FileEntry.h"

#include "platform/DosAttributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zdr::platform {

bool statEntry(const std::string& path, FileEntry& out, ErrorCode& error)
{
    const std::size_t slash = path.rfind('/');
    out.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return statAt(AT_FDCWD, path.c_str(), path.c_str(), out, error);
}

bool setAttributes(const std::string& path, std::uint32_t attributes, ErrorCode& error)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        error = lastError();
        return false;
    }
    if (!S_ISLNK(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        if ((attributes & attr::kReadOnly) != 0)
            mode &= ~static_cast<mode_t>(0222);
        else if ((mode & 0222) == 0)
            mode |= S_IWUSR;
        if (mode != (st.st_mode & 07777) && chmod(path.c_str(), mode) != 0) {
            error = lastError();
            return false;
        }
    }
    return writeDosAttributes(path, attributes & attr::kStoredBits, error);
}

bool setPermissions(const std::string& path, std::uint32_t mode, ErrorCode& error)
{
    if (chmod(path.c_str(), static_cast<mode_t>(mode & 07777)) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

bool giveOwner(const std::string& path, std::uint32_t owner, std::uint32_t group, ErrorCode& error)
{
    static const uid_t user = geteuid();
    static const gid_t own = getegid();
    error = error::kSuccess;
    if (user != 0 || (owner == user && group == own))
        return true;
    if (fchownat(AT_FDCWD, path.c_str(), owner, group, AT_SYMLINK_NOFOLLOW) != 0) {
        error = lastError();
        return false;
    }
    return true;
}

timespec toTimespec(std::int64_t nanoseconds)
{
    constexpr std::int64_t kNs = 1000000000;
    std::int64_t seconds = nanoseconds / kNs;
    std::int64_t rest = nanoseconds % kNs;
    if (rest < 0) {
        rest += kNs;
        --seconds;
    }
    return {static_cast<time_t>(seconds), static_cast<long>(rest)};
}

bool setLastWrite(const std::string& path, std::int64_t lastWrite, ErrorCode& error)
{
    const timespec times[2] = {{0, UTIME_OMIT}, toTimespec(lastWrite)};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

} // namespace zdr::platform
