#pragma once

#include "engine/StepError.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zdr::platform {
class PendingFile;
}

namespace zdr::engine {

// The copy in byte blocks with verification: the source is read and written
// in blocks of at most 32767 bytes, with a pause after each in which the
// user interface runs, and the written file is compared with the source
// afterwards, every byte.
class clsFileCopyEvt {
public:
    // After each block: the file's total bytes and the bytes written so far.
    std::function<void(std::int64_t total, std::int64_t written)> Progress;
    // Lets the user interface run once; called between blocks and during
    // the pause when the yield flag is given.
    std::function<void()> DoEvents;

    // A stop request ends the running copy after its current block.
    void StopCopyFile(bool stop) { stop_ = stop; }

    // Copies the pending file's source into it. Failures give
    // "Fehler: '<description>'"; a verification that finds a difference
    // gives the text of a bad copy. A stopped copy fails with the text of
    // an aborted request.
    [[nodiscard]] StepError fc_CopyFile(platform::PendingFile& file, std::uint32_t blockSize, std::int32_t pauseMs,
                                        bool yield, bool verify);

private:
    void sb_Pause(std::int32_t ms);
    [[nodiscard]] StepError fc_Verify(platform::PendingFile& file, std::size_t blockSize);

    bool stop_ = false;
};

inline constexpr std::uint32_t kMaxBlockBytes = 32767;

} // namespace zdr::engine
