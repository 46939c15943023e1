#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>

// Every byte the program writes into a file passes these calls, so a test
// can make a write fail anywhere (a full disk, a broken medium) or act in
// the middle of a copy.
namespace zdr::platform {

// write(2) through the hook.
ssize_t seamWrite(int fd, const void* data, std::size_t size);
// copy_file_range(2) through the hook: the kernel copies (or the file
// system clones) without the data passing through the program.
ssize_t seamCopyRange(int in, off_t* inOffset, int out, off_t* outOffset, std::size_t size);

// close(2) of a file the program wrote, through the close hook: network
// and user-space volumes often write the data only then. The descriptor is
// closed whatever the hook says.
int seamClose(int fd);

// Asked before each write with its byte count; a non-zero errno value fails
// that write with it. An empty hook removes it. Tests only.
using WriteHook = std::function<int(std::size_t bytes)>;
void setWriteHook(WriteHook hook);
// Asked at each seamClose(); a non-zero errno value fails it. Tests only.
using CloseHook = std::function<int()>;
void setCloseHook(CloseHook hook);

} // namespace zdr::platform
