#include "platform/FileEntry.h"

#include "platform/DosAttributes.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace zdr::platform {

namespace {

// The store first, the write bits after it: Linux lets nobody but root
// write the store of an entry its owner cannot write. One change, or none:
// an entry that stays (or is) read-only is its owner's to write for the
// moment the store takes, and gets its bits back when the store refuses.
bool changeAttributes(int fd, const std::string& name, const struct stat& st, std::uint32_t attributes,
                      ErrorCode& error)
{
    const bool directory = S_ISDIR(st.st_mode);
    const auto old = static_cast<mode_t>(st.st_mode & 07777);
    // A folder keeps "read-only" in the store and its write bits as they are.
    const auto mode =
        directory && (attributes & attr::kReadOnly) != 0 ? old : static_cast<mode_t>(modeFor(old, attributes));
    const uid_t user = geteuid();
    const bool owner = user == 0 || user == st.st_uid;
    if (mode != old && !owner) { // the bits would refuse after the store had changed
        error = error::kAccessDenied;
        return false;
    }
    const std::string self = selfPath(fd);
    const std::uint32_t bits = attributes & (attr::kStoredBits | attr::kReadOnly);
    mode_t now = old;
    bool ok = writeDosAttributes(fd, name, directory, bits, error);
    if (!ok && error == error::kAccessDenied && owner && (old & S_IWUSR) == 0
        && ::chmod(self.c_str(), old | S_IWUSR) == 0) {
        now = old | S_IWUSR;
        ok = writeDosAttributes(fd, name, directory, bits, error);
    }
    if (ok && mode != now && ::chmod(self.c_str(), mode) != 0) {
        error = lastError();
        ok = false;
    }
    if (!ok && now != old)
        static_cast<void>(::chmod(self.c_str(), old));
    return ok;
}

} // namespace

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
    error = error::kSuccess;
    const bool ok = S_ISLNK(st.st_mode) // links have no attributes of their own here
        || changeAttributes(fd, name, st, attributes, error);
    ::close(fd);
    return ok;
}

bool FileEntry::isSpecial() const
{
    return S_ISFIFO(fileType) || S_ISCHR(fileType) || S_ISBLK(fileType) || S_ISSOCK(fileType);
}

bool FileEntry::isSocket() const { return S_ISSOCK(fileType); }

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
