#include "platform/ParallelRemover.h"

#include <fcntl.h>
#include <unistd.h>

namespace zdr::platform {

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
}

void ParallelRemover::submit(int folderFd, const std::string& name)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({folderFd, name});
    }
    asked_.notify_one();
}

bool ParallelRemover::next(ErrorCode& error)
{
    std::unique_lock lock(mutex_);
    if (jobs_.empty())
        return false;
    finished_.wait(lock, [this] { return jobs_.front().done; });
    error = jobs_.front().error;
    jobs_.pop_front();
    --firstUnstarted_;
    return true;
}

void ParallelRemover::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        asked_.wait(lock, [this] { return stopping_ || firstUnstarted_ < jobs_.size(); });
        if (firstUnstarted_ >= jobs_.size())
            return; // stopping, and nothing left to do
        Job& job = jobs_[firstUnstarted_++];
        lock.unlock();
        const ErrorCode error = ::unlinkat(job.folder, job.name.c_str(), 0) == 0 ? error::kSuccess : lastError();
        lock.lock();
        job.error = error;
        job.done = true;
        finished_.notify_all();
    }
}

} // namespace zdr::platform
