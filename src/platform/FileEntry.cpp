#include "platform/FileEntry.h"

#include "platform/DosAttributes.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace zdr::platform {

bool statEntry(const std::string& path, FileEntry& out, ErrorCode& error)
{
    const std::size_t slash = path.rfind('/');
    out.name = slash == std::string::npos ? path : path.substr(slash + 1);
    return statAt(AT_FDCWD, path.c_str(), path.c_str(), out, error);
}

bool statEntryAt(int folderFd, const std::string& name, const std::string& path, FileEntry& out, ErrorCode& error)
{
    out.name = fileName(name);
    return statAt(folderFd, name.c_str(), path.c_str(), out, error);
}

bool setAttributes(const std::string& path, std::uint32_t attributes, ErrorCode& error)
{
    return setAttributesAt(AT_FDCWD, path, attributes, error);
}

bool setAttributesAt(int folderFd, const std::string& name, std::uint32_t attributes, ErrorCode& error)
{
    // Opened once, not following a link: an entry swapped for a link
    // meanwhile is changed as the link it now is (not at all), never
    // wherever the link leads.
    const int fd = ::openat(folderFd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        error = lastError();
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bool ok = true;
    error = error::kSuccess;
    if (!S_ISLNK(st.st_mode)) { // links have no attributes of their own here
        const auto mode = static_cast<mode_t>(modeFor(st.st_mode, attributes));
        if (mode != (st.st_mode & 07777) && ::chmod(selfPath(fd).c_str(), mode) != 0) {
            error = lastError();
            ok = false;
        }
        ok = ok && writeDosAttributes(fd, name, S_ISDIR(st.st_mode), attributes & attr::kStoredBits, error);
    }
    ::close(fd);
    return ok;
}

std::uint32_t modeFor(std::uint32_t mode, std::uint32_t attributes)
{
    mode &= 07777;
    if ((attributes & attr::kReadOnly) != 0)
        return mode & ~0222u;
    return (mode & 0222) == 0 ? mode | S_IWUSR : mode;
}

bool ownerToGive(std::uint32_t owner, std::uint32_t group)
{
    static const uid_t user = geteuid();
    static const gid_t own = getegid();
    return user == 0 && (owner != user || group != own);
}

std::string selfPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

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

} // namespace zdr::platform
