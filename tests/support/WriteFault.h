#pragma once

#include "platform/WriteSeam.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zdr::test {

// Hooks every file write of the program (the platform's write seam) while
// it lives. The default fault lets `allowed` bytes through and fails every
// write after them with errnoValue, as a broken or full medium would; a
// custom hook may also act in the middle of a copy.
class WriteFault {
public:
    WriteFault(std::uint64_t allowed, int errnoValue)
    {
        platform::setWriteHook([this, allowed, errnoValue](std::size_t bytes) {
            ++writes_;
            if (written_ + bytes > allowed)
                return errnoValue;
            written_ += bytes;
            return 0;
        });
    }
    explicit WriteFault(platform::WriteHook hook) { platform::setWriteHook(std::move(hook)); }
    ~WriteFault() { platform::setWriteHook({}); }
    WriteFault(const WriteFault&) = delete;
    WriteFault& operator=(const WriteFault&) = delete;

    int writes() const { return writes_; }

private:
    std::uint64_t written_ = 0;
    int writes_ = 0;
};

} // namespace zdr::test
