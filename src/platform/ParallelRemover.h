#pragma once

#include "platform/ErrorCode.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zdr::platform {

// Removes files and links on a few threads of its own, so the waits of one
// removal (the file system's journal) overlap with the others'. The caller
// asks and collects on its own thread; results come back in the order the
// removals were asked for. Each entry is named relative to an open folder,
// which must stay open until its result has been collected.
class ParallelRemover {
public:
    explicit ParallelRemover(unsigned threads = 4);
    // Finishes what was asked, then stops its threads.
    ~ParallelRemover();
    ParallelRemover(const ParallelRemover&) = delete;
    ParallelRemover& operator=(const ParallelRemover&) = delete;

    void submit(int folderFd, const std::string& name);
    std::size_t pending() const { return jobs_.size(); }
    // The result of the oldest removal not yet collected, once it is done;
    // false when none is pending.
    bool next(ErrorCode& error);

private:
    struct Job {
        int folder;
        std::string name;
        bool done = false;
        ErrorCode error = 0;
    };
    void work();

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable finished_;
    std::deque<Job> jobs_; // oldest first; a deque keeps jobs in place while workers use them
    std::size_t firstUnstarted_ = 0;
    bool stopping_ = false;
};

} // namespace zdr::platform
