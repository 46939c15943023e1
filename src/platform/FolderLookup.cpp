#include "platform/FolderLookup.h"

#include "platform/DosAttributes.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <unistd.h>

namespace zdr::platform {

FolderLookup::~FolderLookup() { close(); }

void FolderLookup::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    folder_.clear();
}

bool FolderLookup::statEntry(const std::string& folder, const std::string& name, FileEntry& out, ErrorCode& error)
{
    const std::string path = joinPath(folder, name);
    if (fd_ < 0 || folder != folder_) {
        close();
        fd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return platform::statEntry(path, out, error); // says why it is not there
        folder_ = folder;
    }
    out.name = name;
    return statAt(fd_, name.c_str(), path.c_str(), out, error);
}

} // namespace zdr::platform
