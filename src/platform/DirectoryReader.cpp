#include "platform/DirectoryReader.h"

#include "platform/DosAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
    listNames();
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
    listNames();
    error = error::kSuccess;
    return true;
}

void DirectoryReader::listNames()
{
    names_.clear();
    nextName_ = 0;
    listError_ = error::kSuccess;
    DIR* dir = static_cast<DIR*>(dir_);
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            if (errno != 0)
                listError_ = lastError();
            break;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        bool folder = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN) { // a volume that does not say: ask for this one
            struct stat st {};
            folder = fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        names_.push_back({folder, d->d_name});
    }
    std::sort(names_.begin(), names_.end(), [](const Name& a, const Name& b) {
        return a.folder != b.folder ? b.folder : a.name < b.name;
    });
}

bool DirectoryReader::next(FileEntry& out, ErrorCode& error)
{
    error = error::kSuccess;
    if (dir_ == nullptr)
        return false;
    const int dirFd = dirfd(static_cast<DIR*>(dir_));
    while (nextName_ < names_.size()) {
        const Name& listed = names_[nextName_++];
        const std::string& name = listed.name;
        const std::size_t folderLength = folder_.size();
        folder_ += name;
        ErrorCode statError = error::kSuccess;
        const bool ok = statAt(dirFd, name.c_str(), folder_.c_str(), out, statError);
        folder_.resize(folderLength);
        if (!ok) {
            // A file that vanished since the listing is gone; a folder may
            // have been renamed or replaced, and its content is missed.
            if (statError == error::kFileNotFound && !listed.folder)
                continue;
            error = statError;
            out = FileEntry{};
            out.name = name;
            out.attributes = listed.folder ? attr::kDirectory : 0;
            return false;
        }
        out.name = name;
        return true;
    }
    if (listError_ != error::kSuccess) {
        error = listError_;
        close(); // a failed listing does not come back
    }
    return false; // the end: the folder stays open for what is done relative to it
}

int DirectoryReader::fd() const { return dir_ != nullptr ? dirfd(static_cast<DIR*>(dir_)) : -1; }

void DirectoryReader::close()
{
    if (dir_ != nullptr)
        closedir(static_cast<DIR*>(dir_));
    dir_ = nullptr;
    names_.clear();
    nextName_ = 0;
    listError_ = error::kSuccess;
}

} // namespace zdr::platform
