#include "engine/clsFileCopyEvt.h"

#include "base/mdlErrSys.h"
#include "platform/PendingFile.h"
#include "platform/WriteSeam.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace zdr::engine {

namespace {

constexpr const char* kBadCopy = "Fehler: 'Fehlerhaftes Kopieren - Dateiinhalte stimmen nicht überein.'";

StepError failed(platform::ErrorCode code) { return StepError("Fehler: '" + base::fc_GetApiErrorText(code) + "'"); }

// Reads exactly size bytes at offset; a file that ends before fails with
// the end-of-file code.
bool readAt(int fd, char* buffer, std::size_t size, off_t offset, platform::ErrorCode& code)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, buffer + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code = n == 0 ? platform::error::kHandleEof : platform::lastError();
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const char* data, std::size_t size, platform::ErrorCode& code)
{
    while (size > 0) {
        const ssize_t n = platform::seamWrite(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            code = platform::lastError();
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

StepError clsFileCopyEvt::fc_CopyFile(platform::PendingFile& file, std::uint32_t blockSize, std::int32_t pauseMs,
                                      bool yield, bool verify)
{
    stop_ = false;
    const std::size_t block = blockSize == 0 || blockSize > kMaxBlockBytes ? kMaxBlockBytes : blockSize;
    const auto total = static_cast<std::int64_t>(file.size());
    std::vector<char> buffer(block);
    platform::ErrorCode code = 0;
    for (std::int64_t written = 0; written < total;) {
        const auto n =
            static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(block), total - written));
        if (!readAt(file.sourceFd(), buffer.data(), n, static_cast<off_t>(written), code))
            return failed(code);
        if (yield && DoEvents)
            DoEvents();
        if (!writeAll(file.fd(), buffer.data(), n, code))
            return failed(code);
        if (yield && DoEvents)
            DoEvents();
        written += static_cast<std::int64_t>(n);
        if (Progress)
            Progress(total, written);
        if (yield)
            sb_Pause(pauseMs);
        if (stop_)
            return failed(platform::error::kRequestAborted);
    }
    return verify ? fc_Verify(file, block) : StepError();
}

// Reads both files again and compares them block by block.
StepError clsFileCopyEvt::fc_Verify(platform::PendingFile& file, std::size_t blockSize)
{
    std::vector<char> source(blockSize);
    std::vector<char> copy(blockSize);
    const auto total = static_cast<off_t>(file.size());
    platform::ErrorCode code = 0;
    for (off_t at = 0; at < total;) {
        const auto n = static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(blockSize), total - at));
        if (!readAt(file.sourceFd(), source.data(), n, at, code))
            return failed(code);
        if (!readAt(file.fd(), copy.data(), n, at, code) || std::memcmp(source.data(), copy.data(), n) != 0)
            return StepError(kBadCopy);
        at += static_cast<off_t>(n);
    }
    // Nothing may follow in the copy.
    char extra = 0;
    if (::pread(file.fd(), &extra, 1, total) != 0)
        return StepError(kBadCopy);
    return {};
}

void clsFileCopyEvt::sb_Pause(std::int32_t ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until && !stop_) {
        if (DoEvents)
            DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace zdr::engine
