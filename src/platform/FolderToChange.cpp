#include "platform/FolderToChange.h"

#include "platform/DosAttributes.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace zdr::platform {

namespace {

bool fail(ErrorCode& error)
{
    error = lastError();
    return false;
}

} // namespace

FolderToChange::~FolderToChange()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderToChange::open(int parentFd, const std::string& name, ErrorCode& error)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // A folder its user may not read (only write and enter) is still changed:
    // through a descriptor that only names it.
    pathOnly_ = fd_ < 0 && errno == EACCES;
    if (pathOnly_)
        fd_ = ::openat(parentFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        const int why = errno;
        // A link in its place is the folder's own entry, never a way out.
        const bool link = fd_ < 0 && (why == ENOTDIR || why == ELOOP)
            && ::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        error = link ? error::kCantResolveFilename : fromErrno(why);
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    name_ = fileName(name);
    device_ = st.st_dev;
    inode_ = st.st_ino;
    mode_ = st.st_mode & 07777;
    error = error::kSuccess;
    return true;
}

bool FolderToChange::setAttributes(std::uint32_t attributes, ErrorCode& error)
{
    const std::uint32_t mode = modeFor(mode_, attributes);
    if (mode != mode_ && !setPermissions(mode, error))
        return false;
    return writeDosAttributes(fd_, name_, true, attributes, error);
}

bool FolderToChange::setPermissions(std::uint32_t mode, ErrorCode& error)
{
    const auto bits = static_cast<mode_t>(mode & 07777);
    if ((pathOnly_ ? ::chmod(selfPath(fd_).c_str(), bits) : ::fchmod(fd_, bits)) != 0)
        return fail(error);
    mode_ = mode & 07777;
    error = error::kSuccess;
    return true;
}

bool FolderToChange::giveOwner(std::uint32_t owner, std::uint32_t group, ErrorCode& error)
{
    error = error::kSuccess;
    if (!ownerToGive(owner, group))
        return true;
    return ::fchownat(fd_, "", owner, group, AT_EMPTY_PATH) == 0 || fail(error);
}

bool FolderToChange::setLastWrite(std::int64_t lastWrite, ErrorCode& error)
{
    const timespec times[2] = {{0, UTIME_OMIT}, toTimespec(lastWrite)};
    if ((pathOnly_ ? ::utimensat(AT_FDCWD, selfPath(fd_).c_str(), times, 0) : ::futimens(fd_, times)) != 0)
        return fail(error);
    error = error::kSuccess;
    return true;
}

} // namespace zdr::platform
