#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <functional>

namespace zdr::platform {

// Copies size bytes from the start of in to the start of out: in the kernel
// where it can (the file system may clone), else through a buffer. Works in
// steps of at most chunk bytes; after each, onChunk(bytes done) is asked
// whether to go on (false ends it with kRequestAborted). A source that ends
// early fails with kHandleEof.
[[nodiscard]] bool copyContent(int in, int out, std::uint64_t size, std::uint64_t chunk,
                               const std::function<bool(std::uint64_t)>& onChunk, ErrorCode& error);

} // namespace zdr::platform
