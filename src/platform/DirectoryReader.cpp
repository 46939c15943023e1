#include "platform/DirectoryReader.h"

#include "platform/DosAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zdr::platform {

DirectoryReader::~DirectoryReader() { close(); }

bool DirectoryReader::open(const std::string& path, ErrorCode& error)
{
    close();
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        error = lastError();
        return false;
    }
    dir_ = dir;
    folder_ = path;
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
    error = error::kSuccess;
    return true;
}

bool DirectoryReader::openChild(const DirectoryReader& parent, const std::string& name, ErrorCode& error)
{
    close();
    if (parent.dir_ == nullptr) {
        error = error::kInvalidHandle;
        return false;
    }
    const int fd = openat(dirfd(static_cast<DIR*>(parent.dir_)), name.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        error = lastError();
        ::close(fd);
        return false;
    }
    dir_ = dir;
    folder_ = parent.folder_ + name + '/';
    error = error::kSuccess;
    return true;
}

bool DirectoryReader::next(FileEntry& out, ErrorCode& error)
{
    error = error::kSuccess;
    if (dir_ == nullptr)
        return false;
    DIR* dir = static_cast<DIR*>(dir_);
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            if (errno == 0)
                return false; // the end: the folder stays open for what is done relative to it
            error = lastError();
            close(); // a failed listing does not come back
            return false;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        const std::size_t folderLength = folder_.size();
        folder_ += d->d_name;
        ErrorCode statError = error::kSuccess;
        const bool ok = statAt(dirfd(dir), d->d_name, folder_.c_str(), out, statError);
        folder_.resize(folderLength);
        if (!ok) {
            if (statError == error::kFileNotFound)
                continue; // vanished since the listing
            error = statError;
            out.name = d->d_name;
            return false;
        }
        out.name = d->d_name;
        return true;
    }
}

int DirectoryReader::fd() const { return dir_ != nullptr ? dirfd(static_cast<DIR*>(dir_)) : -1; }

void DirectoryReader::close()
{
    if (dir_ != nullptr)
        closedir(static_cast<DIR*>(dir_));
    dir_ = nullptr;
}

} // namespace zdr::platform
