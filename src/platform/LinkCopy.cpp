#include "platform/LinkCopy.h"

#include "platform/FileIo.h"
#include "platform/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zdr::platform {

bool copyLink(const std::string& source, const std::string& target, bool replace, ErrorCode& error)
{
    return copyLink(EntryPlace{AT_FDCWD, source}, EntryPlace{AT_FDCWD, target}, replace, error);
}

namespace {

// The new entry temporary beside target (a link or a special file) gets the
// source's owner (as root), its mode (not for a link, which has none) and
// times, and is renamed into place.
bool putInPlace(const struct stat& st, const EntryPlace& target, const std::string& temporary, bool replace,
                ErrorCode& error)
{
    const bool link = S_ISLNK(st.st_mode);
    // The owner where the volume keeps it (also a link's, which only root
    // can give), then the bits, which a change of owner may clear.
    if (ownerToGive(st.st_uid, st.st_gid))
        static_cast<void>(::fchownat(target.folder, temporary.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW));
    const timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = (link || ::fchmodat(target.folder, temporary.c_str(), st.st_mode & 07777, 0) == 0)
        && ::utimensat(target.folder, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    if (!ok)
        error = lastError();
    else
        ok = moveIntoPlace(target.folder, temporary, target.name, replace, error);
    if (!ok)
        ::unlinkat(target.folder, temporary.c_str(), 0);
    return ok;
}

} // namespace

bool copyLink(const EntryPlace& source, const EntryPlace& target, bool replace, ErrorCode& error)
{
    struct stat st {};
    if (::fstatat(source.folder, source.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        error = lastError();
        return false;
    }
    if (!S_ISLNK(st.st_mode)) {
        error = error::kNotSupported;
        return false;
    }
    std::string text;
    if (!readLinkText(source, st, text, error))
        return false;
    const std::string temporary = temporarySibling(target.name);
    if (::symlinkat(text.c_str(), target.folder, temporary.c_str()) != 0) {
        error = lastError();
        return false;
    }
    return putInPlace(st, target, temporary, replace, error);
}

bool readLinkText(const EntryPlace& link, const struct stat& st, std::string& text, ErrorCode& error)
{
    std::vector<char> buffer(static_cast<std::size_t>(st.st_size) + 1);
    const ssize_t n = ::readlinkat(link.folder, link.name.c_str(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        // A link that changed since it was looked at: try again later.
        error = n < 0 ? lastError() : error::kSharingViolation;
        return false;
    }
    text.assign(buffer.data(), static_cast<std::size_t>(n));
    return true;
}

bool sameLinkText(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    std::string ta;
    std::string tb;
    ErrorCode ignored = 0;
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && S_ISLNK(sa.st_mode) && S_ISLNK(sb.st_mode)
        && readLinkText({AT_FDCWD, a}, sa, ta, ignored) && readLinkText({AT_FDCWD, b}, sb, tb, ignored) && ta == tb;
}

bool copySpecial(const EntryPlace& source, const EntryPlace& target, bool replace, ErrorCode& error)
{
    struct stat st {};
    if (::fstatat(source.folder, source.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        error = lastError();
        return false;
    }
    if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode) && !S_ISBLK(st.st_mode)) {
        error = error::kNotSupported; // a socket belongs to the program that listens on it
        return false;
    }
    const std::string temporary = temporarySibling(target.name);
    // A device node only root may make, as `cp -a` can.
    if (::mknodat(target.folder, temporary.c_str(), (st.st_mode & S_IFMT) | 0600, st.st_rdev) != 0) {
        error = lastError();
        return false;
    }
    return putInPlace(st, target, temporary, replace, error);
}

bool addHardLink(const std::string& existing, const EntryPlace& target, bool replace, ErrorCode& error)
{
    const std::string temporary = temporarySibling(target.name);
    if (::linkat(AT_FDCWD, existing.c_str(), target.folder, temporary.c_str(), 0) != 0) {
        error = lastError();
        return false;
    }
    const bool ok = moveIntoPlace(target.folder, temporary, target.name, replace, error);
    // A rename onto another name of the same file does nothing at all.
    ::unlinkat(target.folder, temporary.c_str(), 0);
    return ok;
}

} // namespace zdr::platform
