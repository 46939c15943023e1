#include "platform/FileIo.h"

#include "platform/Paths.h"
#include "platform/WriteSeam.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace zdr::platform {

namespace {

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = seamWrite(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool readWholeFile(const std::string& path, std::size_t maxSize, std::string& data, ErrorCode& error,
                   bool* tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? error::kAccessDenied : lastError();
        ::close(fd);
        return false;
    }
    std::string buffer;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = lastError();
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (buffer.size() + static_cast<std::size_t>(n) > maxSize) {
            if (tooLarge)
                *tooLarge = true;
            error = error::kNotEnoughMemory;
            ::close(fd);
            return false;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    data = std::move(buffer);
    error = error::kSuccess;
    return true;
}

std::string temporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const std::string folder = parentPath(path);
    const std::string name = "." + fileName(path) + ".zdrtmp-" + std::to_string(getpid()) + "-"
        + std::to_string(counter++);
    return folder.empty() ? name : joinPath(folder, name);
}

bool writeFileAtomically(const std::string& path, std::string_view data, ErrorCode& error)
{
    const std::string temporary = temporarySibling(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    if (!ok)
        error = lastError();
    if (::close(fd) != 0 && ok) {
        error = lastError();
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = lastError();
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    error = error::kSuccess;
    return true;
}

} // namespace zdr::platform
