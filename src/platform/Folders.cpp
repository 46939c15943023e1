#include "platform/Folders.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

namespace zdr::platform {

bool makeDirectory(const std::string& path, ErrorCode& error, std::uint32_t mode)
{
    return makeDirectoryAt(AT_FDCWD, path, error, mode);
}

bool makeDirectoryAt(int folderFd, const std::string& name, ErrorCode& error, std::uint32_t mode)
{
    if (::mkdirat(folderFd, name.c_str(), static_cast<mode_t>(mode)) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

bool removeDirectory(const std::string& path, ErrorCode& error)
{
    if (::rmdir(path.c_str()) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

bool removeEntry(int folderFd, const std::string& name, bool folder, ErrorCode& error)
{
    if (::unlinkat(folderFd < 0 ? AT_FDCWD : folderFd, name.c_str(), folder ? AT_REMOVEDIR : 0) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

bool flushFileSystems(const std::vector<std::string>& folders, ErrorCode& error)
{
    error = error::kSuccess;
    std::set<dev_t> flushed;
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && flushed.insert(st.st_dev).second && ::syncfs(fd) != 0)
            error = lastError();
        ::close(fd);
    }
    return error == error::kSuccess;
}

int openFolderStepsAt(int base, std::string_view rest, ErrorCode& error, bool readable)
{
    constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;
    const int lastFlags = readable ? O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW : kPathFlags;
    int fd = base;
    // The descriptor of the step before: base is the caller's.
    const auto letGo = [&] {
        if (fd != base)
            ::close(fd);
    };
    for (;;) {
        while (!rest.empty() && rest.front() == kSeparator)
            rest.remove_prefix(1);
        if (rest.empty())
            break;
        const std::size_t end = std::min(rest.find(kSeparator), rest.size());
        const std::string step(rest.substr(0, end));
        rest.remove_prefix(end);
        while (!rest.empty() && rest.front() == kSeparator)
            rest.remove_prefix(1);
        // A link is an entry of its folder, never a way out of it: it does
        // not open as a folder, and only then is it asked what it is.
        const int next = ::openat(fd, step.c_str(), rest.empty() ? lastFlags : kPathFlags);
        if (next < 0) {
            const int why = errno;
            error = fromErrno(why);
            struct stat st {};
            if (why == ENOTDIR && fstatat(fd, step.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                error = error::kCantResolveFilename;
            letGo();
            return -1;
        }
        letGo();
        fd = next;
    }
    if (fd == base) { // no step: the folder itself
        fd = ::openat(base, ".", lastFlags);
        if (fd < 0) {
            error = lastError();
            return -1;
        }
    }
    error = error::kSuccess;
    return fd;
}

int openFolderBelow(const std::string& root, const std::string& folder, ErrorCode& error, bool readable)
{
    const int flags = (readable ? O_RDONLY : O_PATH) | O_DIRECTORY | O_CLOEXEC;
    const bool below = !root.empty() && isWithin(folder, root);
    const std::string_view rest = below ? std::string_view(folder).substr(withoutTrailingSeparator(root).size()) : "";
    if (rest.find_first_not_of(kSeparator) == std::string_view::npos) {
        const int fd = ::open((below ? root : folder).c_str(), flags);
        if (fd < 0)
            error = lastError();
        else
            error = error::kSuccess;
        return fd;
    }
    const int top = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) {
        error = lastError();
        return -1;
    }
    const int fd = openFolderStepsAt(top, rest, error, readable);
    ::close(top);
    return fd;
}

} // namespace zdr::platform
