#include "platform/Folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

namespace zdr::platform {

bool makeDirectory(const std::string& path, ErrorCode& error, std::uint32_t mode)
{
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0) {
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

} // namespace zdr::platform
