#include "platform/FileIo.h"

#include "platform/Leftovers.h"
#include "platform/Paths.h"
#include "platform/WriteSeam.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <vector>

namespace zdr::platform {

namespace {

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = seamWrite(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file a path leads to: its links followed (also a link to a file that
// is not there yet), at most 40 of them.
std::string followLinks(std::string path)
{
    for (int i = 0; i < 40; ++i) {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer)
            return path;
        const std::string target(buffer, static_cast<std::size_t>(n));
        const std::string folder = parentPath(path);
        path = target.front() == '/' || folder.empty() ? target : joinPath(folder, target);
    }
    return path;
}

// The extended attributes of one open file onto another (ACLs are among
// them); what the new file cannot take stays behind.
void copyAttributes(int from, int to)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got <= 0)
        return;
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + got; name += std::char_traits<char>::length(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<std::size_t>(length));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0)
            static_cast<void>(::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0));
    }
}

// The new file takes what the old one had: owner and group (where this
// process may give them), extended attributes, then the mode bits (a change
// of owner may have cleared some).
void takeOver(const std::string& old, int fd)
{
    const int oldFd = ::open(old.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (oldFd < 0)
        return;
    struct stat st {};
    if (::fstat(oldFd, &st) == 0 && S_ISREG(st.st_mode)) {
        static_cast<void>(::fchown(fd, st.st_uid, st.st_gid));
        copyAttributes(oldFd, fd);
        static_cast<void>(::fchmod(fd, st.st_mode & 07777));
    }
    ::close(oldFd);
}

} // namespace

bool readWholeFile(const std::string& path, std::size_t maxSize, std::string& data, ErrorCode& error, bool* tooLarge,
                   bool* notAFile)
{
    if (tooLarge)
        *tooLarge = false;
    if (notAFile)
        *notAFile = false;
    // Without O_NONBLOCK opening a pipe waits for a writer, and reading it
    // for data that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    struct stat st {};
    const bool examined = fstat(fd, &st) == 0;
    if (!examined || !S_ISREG(st.st_mode)) {
        error = examined ? error::kAccessDenied : lastError();
        if (notAFile && examined && !S_ISDIR(st.st_mode))
            *notAFile = true;
        ::close(fd);
        return false;
    }
    std::string buffer;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (buffer.size() + static_cast<std::size_t>(n) > maxSize) {
            if (tooLarge)
                *tooLarge = true;
            error = error::kNotEnoughMemory;
            ::close(fd);
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    data = std::move(buffer);
    error = error::kSuccess;
    return true;
}

std::string temporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const std::string folder = parentPath(path);
    const std::string name =
        "." + fileName(path) + ".zdrtmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    return folder.empty() ? name : joinPath(folder, name);
}

bool writeFileAtomically(const std::string& givenPath, std::string_view data, ErrorCode& error,
                         std::uint32_t newFileMode)
{
    const std::string path = followLinks(givenPath);
    const std::string temporary = temporarySibling(path);
    // Replacing a file: nobody else may read the new one before it has the
    // old one's rights.
    struct stat existing {};
    const bool replacing = ::lstat(path.c_str(), &existing) == 0;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          replacing ? 0600 : static_cast<mode_t>(newFileMode & 0777));
    if (fd < 0) {
        error = lastError();
        return false;
    }
    if (replacing)
        takeOver(path, fd);
    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    if (!ok)
        error = lastError();
    if (::close(fd) != 0 && ok) {
        error = lastError();
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = lastError();
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // What a save that was killed left beside the file (perhaps the
    // project with its network passwords) goes with the next save.
    static_cast<void>(removeStaleTemporariesOf(path));
    error = error::kSuccess;
    return true;
}

} // namespace zdr::platform
