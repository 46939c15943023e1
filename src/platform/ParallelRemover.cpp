#include "platform/ParallelRemover.h"

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdint>

namespace zdr::platform {

namespace {
// Removals asked for before an idle thread is woken.
constexpr std::size_t kWakeBatch = 4;
// Pauses the collector spins for a removal on its way before it sleeps.
constexpr int kSpins = 500;

ErrorCode removeNamed(int folder, const std::string& name)
{
    return ::unlinkat(folder, name.c_str(), 0) == 0 ? error::kSuccess : lastError();
}
} // namespace

unsigned ParallelRemover::threadsFor(int folderFd)
{
    struct statfs fs {};
    if (folderFd < 0 || ::fstatfs(folderFd, &fs) != 0)
        return 4;
    switch (static_cast<std::uint32_t>(fs.f_type)) {
    case 0x01021994: // tmpfs
    case 0x858458f6: // ramfs
    case 0xef53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683e: // btrfs
    case 0xf2f52010: // f2fs
        return 0;
    default: // a network or user-space volume, where each removal is a round trip
        return 4;
    }
}

ParallelRemover::ParallelRemover(unsigned threads) : workers_(threads)
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
        jobs_.emplace_back(folderFd, name);
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
    Job& oldest = jobs_.front(); // only the collector adds or drops jobs
    while (!oldest.done.load(std::memory_order_acquire)) {
        if (firstUnstarted_ < jobs_.size()) {
            // What nobody took yet is removed here rather than waited for;
            // idle threads help with the rest.
            if (idleWorkers_ > 0 && jobs_.size() - firstUnstarted_ > 1)
                asked_.notify_all();
            Job& job = jobs_[firstUnstarted_++];
            lock.unlock();
            finish(job);
            lock.lock();
            continue;
        }
        // A thread is at it: a removal takes microseconds, a sleep and a
        // wake-up cost more. Only a removal that waits for the volume is
        // slept on.
        lock.unlock();
        for (int spin = 0; spin < kSpins && !oldest.done.load(std::memory_order_acquire); ++spin) {
#if defined(__x86_64__)
            __builtin_ia32_pause();
#endif
        }
        lock.lock();
        collectorWaits_.store(true);
        finished_.wait(lock, [&oldest] { return oldest.done.load(); });
        collectorWaits_.store(false);
    }
    error = oldest.error;
    jobs_.pop_front();
    --firstUnstarted_;
    return true;
}

void ParallelRemover::finish(Job& job)
{
    job.error = removeNamed(job.folder, job.name);
    job.done.store(true);
    // Both sequentially consistent: a collector about to sleep either sees
    // the job done or is seen waiting. It says so holding the lock, which it
    // lets go only in its wait: once the lock is ours it waits, and is woken
    // after the lock is free again (so it does not wake into a held lock).
    if (collectorWaits_.load()) {
        std::unique_lock lock(mutex_);
        lock.unlock();
        finished_.notify_all();
    }
}

void ParallelRemover::work()
{
    std::vector<Job*> taken;
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idleWorkers_;
        asked_.wait(lock, [this] { return stopping_ || firstUnstarted_ < jobs_.size(); });
        --idleWorkers_;
        if (firstUnstarted_ >= jobs_.size())
            return; // stopping, and nothing left to do
        // Each thread takes its share of what waits at once: the lock is
        // held once for several removals, not twice for each.
        const std::size_t waiting = jobs_.size() - firstUnstarted_;
        const std::size_t share = (waiting + workers_ - 1) / workers_;
        taken.clear();
        for (std::size_t i = 0; i < share; ++i)
            taken.push_back(&jobs_[firstUnstarted_++]);
        lock.unlock();
        for (Job* job : taken)
            finish(*job);
        lock.lock();
    }
}

} // namespace zdr::platform
