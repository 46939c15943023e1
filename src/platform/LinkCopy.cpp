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
    std::vector<char> text(static_cast<std::size_t>(st.st_size) + 1);
    const ssize_t n = ::readlinkat(source.folder, source.name.c_str(), text.data(), text.size());
    if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
        // A link that changed since it was looked at: try again later.
        error = n < 0 ? lastError() : error::kSharingViolation;
        return false;
    }
    text[static_cast<std::size_t>(n)] = '\0';
    const std::string temporary = temporarySibling(target.name);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (::symlinkat(text.data(), target.folder, temporary.c_str()) != 0) {
        error = lastError();
        return false;
    }
    bool ok = ::utimensat(target.folder, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    if (!ok)
        error = lastError();
    else
        ok = moveIntoPlace(target.folder, temporary, target.name, replace, error);
    if (!ok)
        ::unlinkat(target.folder, temporary.c_str(), 0);
    return ok;
}

} // namespace zdr::platform
