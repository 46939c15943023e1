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

// Fails every close of a written file with errnoValue while it lives, as a
// share or a user-space volume does that writes the data only then.
class CloseFault {
public:
    explicit CloseFault(int errnoValue)
    {
        platform::setCloseHook([errnoValue] { return errnoValue; });
    }
    ~CloseFault() { platform::setCloseHook({}); }
    CloseFault(const CloseFault&) = delete;
    CloseFault& operator=(const CloseFault&) = delete;
};

} // namespace zdr::test
