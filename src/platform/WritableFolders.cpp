#include "platform/WritableFolders.h"

#include "platform/FileEntry.h"
#include "platform/Leftovers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace zdr::platform {

namespace {

// "process mode": who opened the folder up and the bits it had before.
constexpr const char* kModeMark = "user.zendor.mode";

bool readMark(const std::string& path, long& process, unsigned& mode)
{
    char value[48] = {};
    const ssize_t n = ::getxattr(path.c_str(), kModeMark, value, sizeof value - 1);
    return n > 0 && std::sscanf(value, "%ld %o", &process, &mode) == 2;
}

} // namespace

bool WritableFolders::openUp(int fd)
{
    static const uid_t user = geteuid();
    struct stat st {};
    // Root writes anyway, and only gives back what a killed run left.
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || (user != 0 && st.st_uid != user))
        return false;
    for (const Opened& folder : opened_) {
        if (folder.device == st.st_dev && folder.inode == st.st_ino)
            return false;
    }
    auto mode = static_cast<mode_t>(st.st_mode & 07777);
    const std::string path = selfPath(fd);
    long process = 0;
    unsigned before = 0;
    if ((mode & S_IWUSR) != 0 || user == 0) {
        // Writable: only one a killed run opened up is this run's to give back.
        if (!readMark(path, process, before) || process == ::getpid() || processAlive(process))
            return false;
        mode = static_cast<mode_t>(before & 07777);
    }
    const int own = ::openat(fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (own < 0)
        return false;
    const std::string ownPath = selfPath(own);
    if ((st.st_mode & S_IWUSR) == 0 && ::chmod(ownPath.c_str(), mode | S_IWUSR) != 0) {
        ::close(own);
        return false;
    }
    char mark[48];
    const int length = std::snprintf(mark, sizeof mark, "%ld %o", static_cast<long>(::getpid()), mode);
    // Where the volume keeps no marks the bits still come back at the run's end.
    static_cast<void>(::setxattr(ownPath.c_str(), kModeMark, mark, static_cast<std::size_t>(length), 0));
    opened_.push_back({own, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), mode});
    return (st.st_mode & S_IWUSR) == 0;
}

void WritableFolders::giveBack(const Opened& folder)
{
    const std::string path = selfPath(folder.fd);
    // The mark first: once the bits are back the owner cannot remove it.
    static_cast<void>(::removexattr(path.c_str(), kModeMark));
    static_cast<void>(::chmod(path.c_str(), folder.mode));
    ::close(folder.fd);
}

void WritableFolders::restore(std::uint64_t device, std::uint64_t inode)
{
    for (auto it = opened_.begin(); it != opened_.end(); ++it) {
        if (it->device == device && it->inode == inode) {
            giveBack(*it);
            opened_.erase(it);
            return;
        }
    }
}

void WritableFolders::restoreAll()
{
    // The deepest (the latest) first.
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it)
        giveBack(*it);
    opened_.clear();
}

} // namespace zdr::platform
