#pragma once

#include "platform/ErrorCode.h"

#include <atomic>
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
    // With no threads the collector removes each file itself in next().
    explicit ParallelRemover(unsigned threads = 4);
    // Threads worth having for removals in the folder: several where each
    // removal waits for the volume (network and user-space volumes), none
    // on a local disk or in memory: there a removal seldom or never waits
    // (the walk has read the entries ahead), threads only wait for each
    // other on the folder's and the journal's locks, and a hand-over costs
    // about as much as the removal.
    static unsigned threadsFor(int folderFd);
    // Finishes what was asked, then stops its threads.
    ~ParallelRemover();
    ParallelRemover(const ParallelRemover&) = delete;
    ParallelRemover& operator=(const ParallelRemover&) = delete;

    void submit(int folderFd, const std::string& name);
    std::size_t pending() const { return jobs_.size(); }
    // The result of the oldest removal not yet collected, once it is done;
    // false when none is pending. The caller removes the ones no thread has
    // taken yet itself rather than wait.
    [[nodiscard]] bool next(ErrorCode& error);

private:
    struct Job {
        Job(int folderFd, const std::string& entry) : folder(folderFd), name(entry) {}
        int folder;
        std::string name;
        ErrorCode error = 0;           // written before done
        std::atomic<bool> done{false}; // read by the collector without the lock
    };
    // Does a removal taken from the queue (without the lock) and says so.
    void finish(Job& job);
    void work();

    const unsigned workers_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable finished_;
    std::deque<Job> jobs_; // oldest first; a deque keeps jobs in place while workers use them
    std::size_t firstUnstarted_ = 0;
    // Waiting threads: only they are woken, and only once a few removals
    // wait (a wake-up per file cost more than the removal of a small file).
    unsigned idleWorkers_ = 0;
    std::atomic<bool> collectorWaits_{false};
    bool stopping_ = false;
};

} // namespace zdr::platform
