#include "platform/ContentCopy.h"

#include "platform/WriteSeam.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>

namespace zdr::platform {

namespace {

// The kernel cannot copy between these two files (another file system on
// an older kernel, a file system without the call): copy through a buffer.
bool kernelCannot(int e) { return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EBADF; }

// One step through a buffer: reads at offset and appends to out (whose
// file position is where the copy stands). Returns the bytes copied, 0 at
// the source's end, -1 on a failure (errno set).
ssize_t bufferedStep(int in, int out, off_t offset, std::size_t want)
{
    constexpr std::size_t kBuffer = 256 * 1024;
    static thread_local std::unique_ptr<char[]> buffer(new char[kBuffer]);
    want = std::min(want, kBuffer);
    ssize_t got = 0;
    do {
        got = ::pread(in, buffer.get(), want, offset);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got;
    for (ssize_t put = 0; put < got;) {
        const ssize_t n = seamWrite(out, buffer.get() + put, static_cast<std::size_t>(got - put));
        if (n < 0 && errno != EINTR)
            return -1;
        put += n > 0 ? n : 0;
    }
    return got;
}

// Fewer blocks than its length needs: the file has holes (or is
// compressed, where the search below finds all of it data).
bool hasHoles(int fd, std::uint64_t size)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_blocks) * 512 < size;
}

// Whether at is in data; end becomes where that data (or hole) ends. A
// volume that cannot tell reports everything as data.
bool dataRegion(int fd, std::uint64_t at, std::uint64_t& end)
{
    const off_t data = ::lseek(fd, static_cast<off_t>(at), SEEK_DATA);
    if (data < 0) { // ENXIO: only a hole up to the end; another failure: copy it all
        end = std::numeric_limits<std::uint64_t>::max();
        return errno != ENXIO;
    }
    if (static_cast<std::uint64_t>(data) > at) {
        end = static_cast<std::uint64_t>(data);
        return false;
    }
    const off_t hole = ::lseek(fd, static_cast<off_t>(at), SEEK_HOLE);
    end = hole > data ? static_cast<std::uint64_t>(hole) : std::numeric_limits<std::uint64_t>::max();
    return true;
}

} // namespace

bool copyContent(int in, int out, std::uint64_t size, std::uint64_t chunk,
                 const std::function<bool(std::uint64_t)>& onChunk, ErrorCode& error)
{
    // A small file is quicker through the buffer than through the kernel's
    // copy machinery, which pays off from a few blocks on.
    constexpr std::uint64_t kKernelCopyFrom = 64 * 1024;
    bool inKernel = size >= kKernelCopyFrom;
    // A file with holes: only its data goes, each piece at its place, and
    // the holes stay holes (a 2 GiB file of 1 MiB data takes 1 MiB).
    const bool sparse = size >= kKernelCopyFrom && hasHoles(in, size);
    std::uint64_t done = 0;
    while (done < size) {
        const std::uint64_t stepEnd = std::min(size, done + std::max<std::uint64_t>(chunk, 1));
        while (done < stepEnd) {
            std::uint64_t end = stepEnd;
            if (sparse && !dataRegion(in, done, end)) {
                done = std::min(end, stepEnd); // a hole: nothing to write
                continue;
            }
            const auto want = static_cast<std::size_t>(std::min(end, stepEnd) - done);
            ssize_t n = -1;
            if (inKernel) {
                off_t inOffset = static_cast<off_t>(done);
                off_t outOffset = static_cast<off_t>(done);
                n = seamCopyRange(in, &inOffset, out, &outOffset, want);
                // Only before the first byte: the buffered steps append at
                // the file position, which the kernel copy leaves at 0
                // (where there are holes, each piece is put in its place).
                if (n < 0 && kernelCannot(errno) && (done == 0 || sparse)) {
                    inKernel = false;
                    continue;
                }
            } else {
                if (sparse && ::lseek(out, static_cast<off_t>(done), SEEK_SET) < 0) {
                    error = lastError();
                    return false;
                }
                n = bufferedStep(in, out, static_cast<off_t>(done), want);
            }
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                error = lastError();
                return false;
            }
            if (n == 0) {
                error = error::kHandleEof;
                return false;
            }
            done += static_cast<std::uint64_t>(n);
        }
        if (onChunk && !onChunk(done)) {
            error = error::kRequestAborted;
            return false;
        }
    }
    // A hole at the end has no data to write: the length makes it.
    if (sparse && ::ftruncate(out, static_cast<off_t>(size)) != 0) {
        error = lastError();
        return false;
    }
    error = error::kSuccess;
    return true;
}

} // namespace zdr::platform
