#include "platform/PendingFile.h"

#include "platform/DosAttributes.h"
#include "platform/FileEntry.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/WriteSeam.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace zdr::platform {

namespace {

bool fail(ErrorCode& error)
{
    error = lastError();
    return false;
}

int openSource(int folder, const std::string& name, int flags = 0)
{
    const int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | flags; // a fifo must not block the run
    const int fd = ::openat(folder, name.c_str(), kFlags | O_NOATIME);
    // Only the owner (or root) may read without moving the access time.
    return fd < 0 && errno == EPERM ? ::openat(folder, name.c_str(), kFlags) : fd;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// What open() would have learnt of a regular file, from what the caller saw.
struct stat statOf(const FileEntry& seen)
{
    struct stat st {};
    st.st_mode = S_IFREG | static_cast<mode_t>(seen.mode & 07777);
    st.st_size = static_cast<off_t>(seen.size);
    st.st_atim = toTimespec(seen.lastAccess);
    st.st_mtim = toTimespec(seen.lastWrite);
    st.st_uid = seen.owner;
    st.st_gid = seen.group;
    st.st_dev = static_cast<dev_t>(seen.device);
    st.st_ino = static_cast<ino_t>(seen.inode);
    st.st_nlink = 1;
    return st;
}

// Links the open unnamed file as name in folder (where nothing of that name
// may be): the descriptor itself where the kernel allows it (its opener may
// since Linux 6.10, root always), else through its name in /proc.
bool linkUnnamed(int fd, int folder, const std::string& name)
{
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno != EPERM && errno != ENOENT && errno != EINVAL)
        return false;
    return ::linkat(AT_FDCWD, selfPath(fd).c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The process's file mode mask, read once (setting it to learn it would
// race with other threads).
mode_t processUmask()
{
    static const mode_t mask = [] {
        mode_t value = 022;
        if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
            char line[128];
            unsigned parsed = 0;
            while (std::fgets(line, sizeof line, status) != nullptr) {
                if (std::sscanf(line, "Umask: %o", &parsed) == 1) {
                    value = static_cast<mode_t>(parsed);
                    break;
                }
            }
            std::fclose(status);
        }
        return value;
    }();
    return mask;
}

} // namespace

bool onUserSpaceVolume(int fd)
{
    constexpr long kFuseMagic = 0x65735546;
    struct statfs volume {};
    return ::fstatfs(fd, &volume) == 0 && static_cast<long>(volume.f_type) == kFuseMagic;
}

bool moveIntoPlace(int folder, const std::string& from, const std::string& to, bool replace, ErrorCode& error)
{
    if (replace ? ::renameat(folder, from.c_str(), folder, to.c_str()) == 0
                : ::syscall(SYS_renameat2, folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) {
        error = error::kSuccess;
        return true;
    }
    if (replace || errno != EINVAL)
        return fail(error);
    // A file system that cannot refuse a rename over an existing name: a
    // hard link can, and the old name goes after it.
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
        ::unlinkat(folder, from.c_str(), 0);
        error = error::kSuccess;
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return fail(error);
    // Nor hard links (network shares): look first; only a file that comes
    // in between the two calls could still be replaced.
    struct stat st {};
    if (::fstatat(folder, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        error = error::kFileExists;
        return false;
    }
    if (errno != ENOENT || ::renameat(folder, from.c_str(), folder, to.c_str()) != 0)
        return fail(error);
    error = error::kSuccess;
    return true;
}

PendingFile::~PendingFile() { discard(); }

void PendingFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (source_ >= 0)
        ::close(source_);
    if (!temporary_.empty())
        ::unlinkat(targetFolder_, temporary_.c_str(), 0);
    fd_ = source_ = -1;
    temporary_.clear();
}

bool PendingFile::open(const std::string& source, const std::string& target, ErrorCode& error)
{
    return open(EntryPlace{AT_FDCWD, source}, EntryPlace{AT_FDCWD, target}, error);
}

bool PendingFile::open(const EntryPlace& source, const EntryPlace& target, ErrorCode& error)
{
    discard();
    seen_ = false;
    source_ = openSource(source.folder, source.name);
    if (source_ < 0 || ::fstat(source_, &sourceStat_) != 0)
        return fail(error);
    if (!S_ISREG(sourceStat_.st_mode)) {
        error = S_ISDIR(sourceStat_.st_mode) ? error::kDirectory : error::kNotSupported;
        return false;
    }
    return makeTarget(target, error);
}

bool PendingFile::open(const EntryPlace& source, const FileEntry& seen, const EntryPlace& target, ErrorCode& error)
{
    discard();
    // What was seen is what is copied: finish() compares it with the file read.
    seen_ = true;
    sourceStat_ = statOf(seen);
    source_ = openSource(source.folder, source.name, O_NOFOLLOW);
    if (source_ < 0)
        return fail(error);
    return makeTarget(target, error);
}

bool PendingFile::makeTarget(const EntryPlace& target, ErrorCode& error)
{
    targetFolder_ = target.folder;
    target_ = target.name;
    const std::string folder = parentPath(target_);
    // Writable by its owner until finish(): Linux lets only root write the
    // attribute store of a file its owner cannot write.
    const mode_t mode = (sourceStat_.st_mode & 0777) | S_IWUSR;
    fd_ = ::openat(targetFolder_, folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        temporary_ = temporarySibling(target_);
        fd_ = ::openat(targetFolder_, temporary_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
        if (fd_ < 0)
            temporary_.clear();
    }
    if (fd_ < 0)
        return fail(error);
    error = error::kSuccess;
    return true;
}

bool PendingFile::finish(std::uint32_t attributes, ErrorCode& error)
{
    struct stat now {};
    if (::fstat(source_, &now) != 0)
        return fail(error);
    if (seen_ && !S_ISREG(now.st_mode)) { // not examined on opening
        error = S_ISDIR(now.st_mode) ? error::kDirectory : error::kNotSupported;
        return false;
    }
    if (now.st_nlink == 0) {
        error = error::kFileNotFound;
        return false;
    }
    // Another file in its place since it was seen counts as changed.
    const bool other = seen_ && (now.st_dev != sourceStat_.st_dev || now.st_ino != sourceStat_.st_ino);
    if (other || now.st_size != sourceStat_.st_size || !sameTime(now.st_mtim, sourceStat_.st_mtim)) {
        error = error::kSharingViolation;
        return false;
    }
    // The owner where the volume keeps it; a share that does not is no reason to fail.
    if (ownerToGive(sourceStat_.st_uid, sourceStat_.st_gid))
        static_cast<void>(::fchown(fd_, sourceStat_.st_uid, sourceStat_.st_gid));
    // The store before the bits, which may take the owner's writing.
    if (!writeNewDosAttributes(fd_, target_, attributes, error))
        return false;
    // After the owner and the content, either of which takes capabilities.
    const bool changed = keepExtendedAttributes();
    const auto mode = static_cast<mode_t>(modeFor(kept_.mode(sourceStat_.st_mode), attributes));
    // The new file was made with the source's bits and the owner's writing,
    // less the mask; an ACL set or taken away since changed them.
    if ((changed || mode != (((sourceStat_.st_mode & 0777) | S_IWUSR) & ~processUmask())) && ::fchmod(fd_, mode) != 0)
        return fail(error);
    // Last: every write before moves the last-write time.
    const timespec times[2] = {sourceStat_.st_atim, sourceStat_.st_mtim};
    if (::futimens(fd_, times) != 0)
        return fail(error);
    error = error::kSuccess;
    return true;
}

bool PendingFile::keepExtendedAttributes()
{
    ExtendedAttributes wanted;
    static_cast<void>(readExtendedAttributes(source_, wanted));
    // A new file has only what its folder passes on: nothing, most often.
    return kept_.apply(fd_, wanted, false, !folderAcl_);
}

bool PendingFile::commit(bool replace, ErrorCode& error)
{
    // gvfs writes a file to its share when it is closed, and the server then
    // gives it the time of that write: there the time is set again, by name,
    // once the file is closed and in place (what the share keeps of it).
    const bool userSpace = userSpace_ < 0 ? onUserSpaceVolume(fd_) : userSpace_ == 1;
    bool ok = false;
    if (!temporary_.empty()) {
        // Shares and user-space volumes often write the data at the close:
        // a close that fails is a copy that failed, never put in place.
        ok = closeNew(error) && moveIntoPlace(targetFolder_, temporary_, target_, replace, error);
        if (ok)
            temporary_.clear();
    } else if (!replace) {
        ok = linkUnnamed(fd_, targetFolder_, target_);
        if (!ok)
            error = lastError();
        else if (!closeNew(error)) { // linked a moment ago, by this call: it goes again
            ::unlinkat(targetFolder_, target_.c_str(), 0);
            ok = false;
        }
    } else {
        // A name is needed to rename over the old file; it lives for two calls.
        const std::string named = temporarySibling(target_);
        ok = linkUnnamed(fd_, targetFolder_, named);
        if (!ok)
            error = lastError();
        else if (!(ok = closeNew(error) && moveIntoPlace(targetFolder_, named, target_, true, error)))
            ::unlinkat(targetFolder_, named.c_str(), 0);
    }
    if (ok)
        error = error::kSuccess;
    discard();
    if (ok && userSpace) {
        const timespec times[2] = {sourceStat_.st_atim, sourceStat_.st_mtim};
        static_cast<void>(::utimensat(targetFolder_, target_.c_str(), times, AT_SYMLINK_NOFOLLOW));
    }
    return ok;
}

bool PendingFile::closeNew(ErrorCode& error)
{
    const int fd = fd_;
    fd_ = -1;
    return seamClose(fd) == 0 || fail(error);
}

} // namespace zdr::platform
