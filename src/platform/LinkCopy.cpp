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
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) {
        error = lastError();
        return false;
    }
    if (!S_ISLNK(st.st_mode)) {
        error = error::kNotSupported;
        return false;
    }
    std::vector<char> text(static_cast<std::size_t>(st.st_size) + 1);
    const ssize_t n = ::readlink(source.c_str(), text.data(), text.size());
    if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
        // A link that changed since it was looked at: try again later.
        error = n < 0 ? lastError() : error::kSharingViolation;
        return false;
    }
    text[static_cast<std::size_t>(n)] = '\0';
    const std::string temporary = temporarySibling(target);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (::symlink(text.data(), temporary.c_str()) != 0) {
        error = lastError();
        return false;
    }
    bool ok = ::utimensat(AT_FDCWD, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    if (!ok)
        error = lastError();
    else
        ok = moveIntoPlace(AT_FDCWD, temporary, target, replace, error);
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

} // namespace zdr::platform
