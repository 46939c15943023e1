#include "platform/ParallelRemover.h"

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zdr::platform {

namespace {
// Removals asked for before an idle thread is woken.
constexpr std::size_t kWakeBatch = 4;

ErrorCode removeNamed(int folder, const std::string& name)
{
    return ::unlinkat(folder, name.c_str(), 0) == 0 ? error::kSuccess : lastError();
}
} // namespace

unsigned ParallelRemover::threadsFor(int folderFd)
{
    constexpr long kTmpfsMagic = 0x01021994;
    constexpr long kRamfsMagic = 0x858458f6;
    struct statfs fs {};
    if (folderFd >= 0 && ::fstatfs(folderFd, &fs) == 0
        && (static_cast<long>(fs.f_type) == kTmpfsMagic || static_cast<long>(fs.f_type) == kRamfsMagic))
        return 1;
    return 4;
}

ParallelRemover::ParallelRemover(unsigned threads)
{
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back([this] { work(); });
}

ParallelRemover::~ParallelRemover()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    asked_.notify_all();
    for (std::thread& t : threads_)
        t.join();
    // What no thread took (there may be none) is removed all the same.
    for (std::size_t i = firstUnstarted_; i < jobs_.size(); ++i)
        removeNamed(jobs_[i].folder, jobs_[i].name);
}

void ParallelRemover::submit(int folderFd, const std::string& name)
{
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({folderFd, name});
        wake = idleWorkers_ > 0 && jobs_.size() - firstUnstarted_ >= kWakeBatch;
    }
    if (wake)
        asked_.notify_one();
}

bool ParallelRemover::next(ErrorCode& error)
{
    std::unique_lock lock(mutex_);
    if (jobs_.empty())
        return false;
    while (!jobs_.front().done) {
        if (firstUnstarted_ < jobs_.size()) {
            // What nobody took yet is removed here rather than waited for;
            // idle threads help with the rest.
            if (idleWorkers_ > 0 && jobs_.size() - firstUnstarted_ > 1)
                asked_.notify_all();
            runNext(lock);
            continue;
        }
        collectorWaits_ = true;
        finished_.wait(lock, [this] { return jobs_.front().done; });
        collectorWaits_ = false;
    }
    error = jobs_.front().error;
    jobs_.pop_front();
    --firstUnstarted_;
    return true;
}

void ParallelRemover::runNext(std::unique_lock<std::mutex>& lock)
{
    Job& job = jobs_[firstUnstarted_++];
    lock.unlock();
    const ErrorCode error = removeNamed(job.folder, job.name);
    lock.lock();
    job.error = error;
    job.done = true;
}

void ParallelRemover::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idleWorkers_;
        asked_.wait(lock, [this] { return stopping_ || firstUnstarted_ < jobs_.size(); });
        --idleWorkers_;
        if (firstUnstarted_ >= jobs_.size())
            return; // stopping, and nothing left to do
        runNext(lock);
        if (collectorWaits_)
            finished_.notify_all();
    }
}

} // namespace zdr::platform
