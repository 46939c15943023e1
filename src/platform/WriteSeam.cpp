#include "platform/WriteSeam.h"

#include <unistd.h>

#include <cerrno>

namespace zdr::platform {

namespace {

WriteHook& hook()
{
    static WriteHook instance;
    return instance;
}

CloseHook& closeHook()
{
    static CloseHook instance;
    return instance;
}

bool refused(std::size_t size)
{
    if (!hook())
        return false;
    const int e = hook()(size);
    if (e == 0)
        return false;
    errno = e;
    return true;
}

} // namespace

ssize_t seamWrite(int fd, const void* data, std::size_t size)
{
    if (refused(size))
        return -1;
    return ::write(fd, data, size);
}

ssize_t seamCopyRange(int in, off_t* inOffset, int out, off_t* outOffset, std::size_t size)
{
    if (refused(size))
        return -1;
    return ::copy_file_range(in, inOffset, out, outOffset, size, 0);
}

int seamClose(int fd)
{
    const int result = ::close(fd);
    const int refusal = result == 0 && closeHook() ? closeHook()() : 0;
    if (refusal != 0) {
        errno = refusal;
        return -1;
    }
    return result;
}

void setWriteHook(WriteHook h) { hook() = std::move(h); }

void setCloseHook(CloseHook h) { closeHook() = std::move(h); }

} // namespace zdr::platform
