#include "platform/Leftovers.h"

#include "platform/FileIo.h"
#include "platform/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace zdr::platform {

namespace {

constexpr std::string_view kTemporaryMark = ".zdrtmp-";
constexpr const char* kUnfinishedName = "user.zendor.unfinished";

bool digitsOnly(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

bool temporaryOwner(std::string_view name, long& process)
{
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (name.size() < 2 || name.front() != '.' || mark == std::string_view::npos || mark < 2)
        return false;
    std::string_view rest = name.substr(mark + kTemporaryMark.size());
    // libzip writes an archive as "<its name>.XXXXXX" first (mkstemp).
    const std::size_t dot = rest.find('.');
    if (dot != std::string_view::npos) {
        const std::string_view own = rest.substr(dot + 1);
        const bool sixLettersOrDigits =
            own.size() == 6 && std::all_of(own.begin(), own.end(), [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            });
        if (!sixLettersOrDigits)
            return false;
        rest = rest.substr(0, dot);
    }
    const std::size_t dash = rest.find('-');
    // The process as the program writes it: no leading zero.
    if (dash == std::string_view::npos || !digitsOnly(rest.substr(0, dash)) || rest.front() == '0'
        || !digitsOnly(rest.substr(dash + 1)))
        return false;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + dash, process);
    return error == std::errc() && end == rest.data() + dash && process > 0;
}

bool processAlive(long process) { return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM; }

namespace {

// Removes name from the open folder fd when it is a temporary sibling of a
// process that is gone (a plain file or link; never this process's own).
bool removeIfStale(int fd, const char* name, long self)
{
    long process = 0;
    if (name[0] != '.' || !temporaryOwner(name, process) || process == self || processAlive(process))
        return false;
    struct stat st {};
    return ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
        && ::unlinkat(fd, name, 0) == 0;
}

} // namespace

std::vector<std::string> removeStaleTemporaries(int folderFd)
{
    std::vector<std::string> removed;
    // A descriptor of its own to read the folder with.
    const int own = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
    if (dir == nullptr) {
        if (own >= 0)
            ::close(own);
        return removed;
    }
    const long self = static_cast<long>(::getpid());
    while (const dirent* d = ::readdir(dir)) {
        if (removeIfStale(folderFd, d->d_name, self))
            removed.emplace_back(d->d_name);
    }
    ::closedir(dir);
    return removed;
}

std::vector<std::string> removeStaleTemporaries(int folderFd, const std::vector<std::string>& listed)
{
    std::vector<std::string> removed;
    const long self = static_cast<long>(::getpid());
    for (const std::string& name : listed) {
        if (removeIfStale(folderFd, name.c_str(), self))
            removed.push_back(name);
    }
    return removed;
}

std::vector<std::string> removeStaleTemporaries(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::vector<std::string> removed = removeStaleTemporaries(fd);
    ::close(fd);
    return removed;
}

std::vector<std::string> removeStaleTemporariesOf(const std::string& path)
{
    const std::string parent = parentPath(path);
    const int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    // A descriptor of its own to read the folder with.
    const int own = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
    if (dir == nullptr && own >= 0)
        ::close(own);
    std::vector<std::string> listed;
    const std::string head = "." + fileName(path) + std::string(kTemporaryMark);
    while (const dirent* d = dir != nullptr ? ::readdir(dir) : nullptr)
        if (std::string_view(d->d_name).rfind(head, 0) == 0)
            listed.emplace_back(d->d_name);
    if (dir != nullptr)
        ::closedir(dir);
    std::vector<std::string> removed = removeStaleTemporaries(fd, listed);
    ::close(fd);
    return removed;
}

std::string markBeside(const std::string& folder)
{
    const std::string mark = temporarySibling(folder);
    const int fd = ::open(mark.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    ::close(fd);
    return mark;
}

std::string markedFolder(std::string_view markName)
{
    long process = 0;
    if (!temporaryOwner(markName, process))
        return {};
    return std::string(markName.substr(1, markName.rfind(kTemporaryMark) - 1));
}

void markUnfinished(const std::string& folder)
{
    const std::string process = std::to_string(::getpid());
    static_cast<void>(::lsetxattr(folder.c_str(), kUnfinishedName, process.data(), process.size(), 0));
}

void clearUnfinished(const std::string& folder) { static_cast<void>(::lremovexattr(folder.c_str(), kUnfinishedName)); }

void markUnfinished(int fd)
{
    const std::string process = std::to_string(::getpid());
    static_cast<void>(::fsetxattr(fd, kUnfinishedName, process.data(), process.size(), 0));
}

void clearUnfinished(int fd) { static_cast<void>(::fremovexattr(fd, kUnfinishedName)); }

bool unfinishedByGoneRun(const std::string& folder)
{
    char value[32];
    const ssize_t n = ::lgetxattr(folder.c_str(), kUnfinishedName, value, sizeof value);
    if (n <= 0 || !digitsOnly(std::string_view(value, static_cast<std::size_t>(n))))
        return false;
    long process = 0;
    std::from_chars(value, value + n, process);
    return process != static_cast<long>(::getpid()) && !processAlive(process);
}

FolderLock::~FolderLock() { release(); }

void FolderLock::release()
{
    if (fd_ >= 0)
        ::close(fd_); // the lock goes with it
    fd_ = -1;
}

bool FolderLock::lock(const std::string& folder, int how)
{
    release();
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0 && ::flock(fd_, how) == 0)
        return true;
    release();
    return false;
}

bool FolderLock::shared(const std::string& folder) { return lock(folder, LOCK_SH); }

bool FolderLock::exclusiveNow(const std::string& folder) { return lock(folder, LOCK_EX | LOCK_NB); }

} // namespace zdr::platform
