#include "platform/SavedCopy.h"

#include "platform/ContentCopy.h"
#include "platform/FileEntry.h"
#include "platform/LinkCopy.h"
#include "platform/PendingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace zdr::platform {

bool saveCopy(const std::string& from, const std::string& to, ErrorCode& error)
{
    return saveCopy(EntryPlace{AT_FDCWD, from}, from, to, error);
}

bool saveCopy(const EntryPlace& from, const std::string& path, const std::string& to, ErrorCode& error)
{
    // A link is linked as itself, never what it points to.
    if (::linkat(from.folder, from.name.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
        error = error::kSuccess;
        return true;
    }
    // Another volume, a share without hard links, a file the caller may not
    // link: copied. Anything else (the name exists, the folder is missing)
    // fails as it would for the copy.
    if (errno != EXDEV && errno != EPERM && errno != EMLINK && errno != EOPNOTSUPP) {
        error = lastError();
        return false;
    }
    FileEntry entry;
    if (!statEntryAt(from.folder, from.name, path, entry, error))
        return false;
    if (entry.isSymlink())
        return copyLink(from, EntryPlace{AT_FDCWD, to}, false, error);
    PendingFile file;
    return file.open(from, EntryPlace{AT_FDCWD, to}, error)
        && copyContent(file.sourceFd(), file.fd(), file.size(), file.size(), {}, error)
        && file.finish(entry.attributes, error) && file.commit(false, error);
}

} // namespace zdr::platform
