#include "platform/DirectoryReader.h"

#include "platform/DosAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <numeric>
#include <thread>
#include <utility>

namespace zdr::platform {

namespace detail {

// One folder's entries examined ahead. The reader takes entry i itself when
// the helper has not claimed it yet or has not finished it within a moment,
// so it never sleeps on a helper that is busy elsewhere or lost its core.
struct ReadAheadJob {
    struct Result {
        FileEntry entry;
        ErrorCode error = 0;
        bool ok = false;
    };
    int dirFd = -1;
    std::string folder; // with its separator
    std::chrono::steady_clock::time_point listedAt = std::chrono::steady_clock::now();
    const std::vector<const std::string*> names;
    std::vector<Result> results;
    std::unique_ptr<std::atomic<unsigned char>[]> ready;
    std::atomic<std::size_t> claimed{0};
    std::atomic<bool> stop{false};
    bool readsStore = true;
    int busy = 0; // helpers working on it (guarded by the pool's mutex)

    ReadAheadJob(int fd, std::string path, std::vector<const std::string*> listed)
        : dirFd(fd), folder(std::move(path)), names(std::move(listed)), results(names.size()),
          ready(new std::atomic<unsigned char>[names.size()])
    {
        for (std::size_t i = 0; i < names.size(); ++i)
            ready[i].store(0, std::memory_order_relaxed);
    }

    // Claims entry i when nobody has; the helpers claim them in order.
    bool claim(std::size_t i)
    {
        std::size_t expected = i;
        return claimed.compare_exchange_strong(expected, i + 1, std::memory_order_acq_rel);
    }
    // The helper's result for entry i, when it comes within a moment; else
    // the reader examines the entry itself rather than wait for a helper
    // that may have lost its core (the helper's result is then not read).
    bool readyAfterSpin(std::size_t i) const
    {
        for (int spin = 0; spin < 2000; ++spin) {
            if (ready[i].load(std::memory_order_acquire) != 0)
                return true;
#if defined(__x86_64__)
            __builtin_ia32_pause();
#endif
        }
        return false;
    }
    bool claimNext(std::size_t& i)
    {
        std::size_t c = claimed.load(std::memory_order_acquire);
        while (c < names.size()) {
            if (claimed.compare_exchange_weak(c, c + 1, std::memory_order_acq_rel)) {
                i = c;
                return true;
            }
        }
        return false;
    }
    void examine(std::size_t i, Result& out) const
    {
        out.ok = statIn(dirFd, folder, names[i]->c_str(), out.entry, out.error, readsStore);
    }
};

// A subfolder listed ahead of the walk: opened relative to its parent (never
// through a link), its names read and put in order, then its entries
// examined like those of a folder the walk opened itself.
struct ListingJob {
    enum class State { Queued, Listing, Listed };
    int parentFd = -1;
    std::string name;
    std::string folder; // with its separator
    std::size_t depth = 0;
    std::size_t order = 0;
    bool readsStore = true;
    State state = State::Queued; // guarded by the pool's mutex
    int fd = -1;                 // -1 when it could not be opened
    dev_t device = 0;            // the folder that was opened
    ino_t inode = 0;
    std::chrono::steady_clock::time_point listedAt;
    std::vector<ListedName> names;
    ErrorCode listError = 0;
    std::unique_ptr<ReadAheadJob> ahead;
};

// The folder is read with getdents64 straight from its descriptor (a C
// library folder stream would examine the descriptor again each time).
ErrorCode listFolder(int fd, std::vector<ListedName>& names)
{
    ErrorCode listError = error::kSuccess;
    alignas(8) char buffer[32 * 1024];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0)
                listError = lastError();
            break;
        }
        names.reserve(names.size() + static_cast<std::size_t>(got) / 32); // about a record each
        for (long at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
                continue;
            bool folder = d->d_type == DT_DIR;
            if (d->d_type == DT_UNKNOWN) { // a volume that does not say: ask for this one
                struct stat st {};
                folder = fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            }
            names.push_back({folder, d->d_name});
        }
    }
    // The order is found on numbers and the names moved once into it: a
    // sort of the names themselves would move each several times.
    std::vector<std::uint32_t> order(names.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&names](std::uint32_t a, std::uint32_t b) {
        const ListedName& x = names[a];
        const ListedName& y = names[b];
        return x.folder != y.folder ? y.folder : x.name < y.name;
    });
    std::vector<ListedName> sorted;
    sorted.reserve(names.size());
    for (const std::uint32_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
    return listError;
}

namespace {

constexpr std::size_t kListingsPerFolder = 4; // subfolders of one folder listed ahead
constexpr std::size_t kListingsInAll = 32;    // open folders held ahead, all walks together

std::unique_ptr<ReadAheadJob> examineJob(int fd, const std::string& folder, const std::vector<ListedName>& listed)
{
    if (listed.size() < 2)
        return nullptr;
    std::vector<const std::string*> names;
    names.reserve(listed.size());
    for (const ListedName& name : listed)
        names.push_back(&name.name);
    return std::make_unique<ReadAheadJob>(fd, folder, std::move(names));
}

// The helper threads of every reader with read-ahead. They list the
// subfolders the walk will enter next first (the deepest first, each
// folder's in the walk's order): that only they can do ahead, while the
// walk examines what the helpers have not come to itself. Then a walk reads
// one folder at a time, the newest opened (the deepest) first: the helpers
// take the newest folder's entries first and come back to older ones.
class ReadAheadPool {
public:
    static ReadAheadPool& instance()
    {
        // Never destroyed: the threads wait for work until the process ends.
        static ReadAheadPool* pool = new ReadAheadPool;
        return *pool;
    }

    void submit(ReadAheadJob* job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(job);
        }
        asked_.notify_one();
    }

    // Takes the job back; on return no helper touches it.
    void withdraw(ReadAheadJob* job)
    {
        job->stop.store(true, std::memory_order_release);
        std::unique_lock<std::mutex> lock(mutex_);
        jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
        released_.wait(lock, [&] { return job->busy == 0; });
    }

    // A folder listed ahead that the walk now reads: its examination goes
    // first, as that of a folder the walk opened itself would (else the
    // helpers would examine the folders listed after it first, and the walk
    // this one itself).
    void promote(ReadAheadJob* job)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::find(jobs_.begin(), jobs_.end(), job);
        if (it != jobs_.end())
            std::rotate(it, it + 1, jobs_.end());
    }

    // False when the limit of listings held ahead is reached.
    bool submitListing(ListingJob* job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (held_ >= kListingsInAll)
                return false;
            ++held_;
            job->order = ++orders_;
            listings_.push_back(job);
        }
        asked_.notify_one();
        return true;
    }

    // Takes a listing back. True when it is made (the caller owns its
    // folder and examination from now on); false when no helper had begun
    // it (the caller lists the folder itself). One being made is waited for.
    bool take(ListingJob* job)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        --held_;
        if (job->state == ListingJob::State::Queued) {
            listings_.erase(std::remove(listings_.begin(), listings_.end(), job), listings_.end());
            return false;
        }
        released_.wait(lock, [&] { return job->state == ListingJob::State::Listed; });
        return true;
    }

private:
    ReadAheadPool()
    {
        const unsigned cores = std::thread::hardware_concurrency();
        const unsigned helpers = std::clamp(cores > 1 ? cores - 1 : 1U, 1U, 3U);
        for (unsigned i = 0; i < helpers; ++i)
            std::thread([this] { work(); }).detach();
    }

    ListingJob* nextListing()
    {
        auto best = listings_.end();
        for (auto it = listings_.begin(); it != listings_.end(); ++it)
            if (best == listings_.end() || (*it)->depth > (*best)->depth
                || ((*it)->depth == (*best)->depth && (*it)->order < (*best)->order))
                best = it;
        ListingJob* job = *best;
        listings_.erase(best);
        return job;
    }

    static void list(ListingJob& job)
    {
        const int fd = openat(job.parentFd, job.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        // Another file system mounted here is not looked into ahead: the
        // walks that change things never go there.
        struct statx sx {};
        if (statx(fd, "", AT_EMPTY_PATH, STATX_INO, &sx) != 0 || (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0) {
            ::close(fd);
            return;
        }
        job.fd = fd;
        job.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        job.inode = sx.stx_ino;
        job.listedAt = std::chrono::steady_clock::now();
        job.listError = listFolder(fd, job.names);
        job.ahead = examineJob(fd, job.folder, job.names);
        if (job.ahead != nullptr)
            job.ahead->readsStore = job.readsStore;
    }

    void work()
    {
        constexpr std::size_t kSlice = 16; // entries between looks for a newer job
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            asked_.wait(lock, [&] { return !jobs_.empty() || !listings_.empty(); });
            if (!listings_.empty()) {
                ListingJob* listing = nextListing();
                listing->state = ListingJob::State::Listing;
                lock.unlock();
                list(*listing);
                lock.lock();
                listing->state = ListingJob::State::Listed;
                if (listing->ahead != nullptr)
                    jobs_.push_back(listing->ahead.get());
                released_.notify_all();
                continue;
            }
            ReadAheadJob* job = jobs_.back();
            ++job->busy;
            lock.unlock();
            bool finished = false;
            for (std::size_t n = 0; n < kSlice; ++n) {
                std::size_t i = 0;
                if (job->stop.load(std::memory_order_acquire) || !job->claimNext(i)) {
                    finished = true;
                    break;
                }
                job->examine(i, job->results[i]);
                job->ready[i].store(1, std::memory_order_release);
            }
            lock.lock();
            --job->busy;
            if (finished)
                jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
            released_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable released_;
    std::vector<ReadAheadJob*> jobs_;   // the newest last
    std::vector<ListingJob*> listings_; // not begun yet
    std::size_t held_ = 0;              // listings submitted and not taken back
    std::size_t orders_ = 0;
};

} // namespace
} // namespace detail

DirectoryReader::DirectoryReader() = default;
DirectoryReader::~DirectoryReader() { close(); }

bool DirectoryReader::open(const std::string& path, ErrorCode& error)
{
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    fd_ = fd;
    folder_ = path;
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
    listNames();
    error = error::kSuccess;
    return true;
}

bool DirectoryReader::openChild(const DirectoryReader& parent, const std::string& name, ErrorCode& error)
{
    close();
    if (parent.fd_ < 0) {
        error = error::kInvalidHandle;
        return false;
    }
    if (adoptListing(parent, name)) {
        error = error::kSuccess;
        return true;
    }
    const int fd = openat(parent.fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    fd_ = fd;
    folder_ = parent.folder_ + name + '/';
    listNames();
    error = error::kSuccess;
    return true;
}

bool DirectoryReader::adoptListing(const DirectoryReader& parent, const std::string& name)
{
    auto it = std::find_if(parent.children_.begin(), parent.children_.end(),
                           [&](const std::unique_ptr<detail::ListingJob>& child) { return child->name == name; });
    if (it == parent.children_.end())
        return false;
    std::unique_ptr<detail::ListingJob> job = std::move(*it);
    parent.children_.erase(it);
    const bool made = detail::ReadAheadPool::instance().take(job.get());
    parent.listSubfoldersAhead();
    // The listing stands for the folder only while that is still there under
    // its name: one removed, renamed or replaced since is opened now, as the
    // walk would (and fails as it would). So does one that could not be opened.
    struct stat now {};
    const bool same = made && job->fd >= 0 && !tooOld(job->listedAt)
        && fstatat(parent.fd_, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(now.st_mode)
        && now.st_dev == job->device && now.st_ino == job->inode;
    if (!same) {
        if (job->ahead != nullptr)
            detail::ReadAheadPool::instance().withdraw(job->ahead.get());
        if (job->fd >= 0)
            ::close(job->fd);
        return false;
    }
    fd_ = job->fd;
    folder_ = job->folder;
    names_ = std::move(job->names);
    nextName_ = 0;
    listError_ = job->listError;
    if (readAhead_) {
        ahead_ = std::move(job->ahead);
        if (ahead_ != nullptr)
            detail::ReadAheadPool::instance().promote(ahead_.get());
    } else if (job->ahead != nullptr)
        detail::ReadAheadPool::instance().withdraw(job->ahead.get());
    startAhead();
    return true;
}

void DirectoryReader::listNames()
{
    stopReadAhead();
    names_.clear();
    nextName_ = 0;
    listError_ = detail::listFolder(fd_, names_);
    startAhead();
}

void DirectoryReader::startAhead()
{
    if (!readAhead_)
        return;
    if (ahead_ == nullptr) {
        ahead_ = detail::examineJob(fd_, folder_, names_);
        if (ahead_ != nullptr) {
            ahead_->readsStore = readsStore_;
            detail::ReadAheadPool::instance().submit(ahead_.get());
        }
    }
    if (wanted_) {
        nextChild_ = static_cast<std::size_t>(
            std::find_if(names_.begin(), names_.end(), [](const Name& listed) { return listed.folder; })
            - names_.begin());
        listSubfoldersAhead();
    }
}

void DirectoryReader::listSubfoldersAhead() const
{
    if (!wanted_ || fd_ < 0)
        return;
    const std::size_t depth = static_cast<std::size_t>(std::count(folder_.begin(), folder_.end(), '/'));
    while (children_.size() < detail::kListingsPerFolder && nextChild_ < names_.size()) {
        const Name& listed = names_[nextChild_];
        if (!wanted_(listed.name)) {
            ++nextChild_;
            continue;
        }
        auto job = std::make_unique<detail::ListingJob>();
        job->parentFd = fd_;
        job->name = listed.name;
        job->folder = folder_ + listed.name + '/';
        job->depth = depth;
        job->readsStore = readsStore_;
        if (!detail::ReadAheadPool::instance().submitListing(job.get()))
            return; // enough held ahead: more when one is taken
        ++nextChild_;
        children_.push_back(std::move(job));
    }
}

void DirectoryReader::stopReadAhead()
{
    // Listings made ahead that the walk did not come for are taken back unused.
    for (std::unique_ptr<detail::ListingJob>& child : children_) {
        if (detail::ReadAheadPool::instance().take(child.get()) && child->fd >= 0) {
            if (child->ahead != nullptr)
                detail::ReadAheadPool::instance().withdraw(child->ahead.get());
            ::close(child->fd);
        }
    }
    children_.clear();
    nextChild_ = 0;
    if (ahead_ == nullptr)
        return;
    detail::ReadAheadPool::instance().withdraw(ahead_.get());
    ahead_.reset();
}

bool DirectoryReader::tooOld(std::chrono::steady_clock::time_point listed) const
{
    return aheadFor_ != std::chrono::steady_clock::duration::zero()
        && std::chrono::steady_clock::now() - listed >= aheadFor_;
}

bool DirectoryReader::next(FileEntry& out, ErrorCode& error)
{
    error = error::kSuccess;
    if (fd_ < 0)
        return false;
    const int dirFd = fd_;
    if (ahead_ != nullptr && tooOld(ahead_->listedAt)) { // from now on each entry as it comes
        detail::ReadAheadPool::instance().withdraw(ahead_.get());
        ahead_.reset();
    }
    while (nextName_ < names_.size()) {
        const std::size_t index = nextName_++;
        const Name& listed = names_[index];
        const std::string& name = listed.name;
        ErrorCode statError = error::kSuccess;
        bool ok = false;
        if (ahead_ != nullptr && !ahead_->claim(index) && ahead_->readyAfterSpin(index)) {
            detail::ReadAheadJob::Result& result = ahead_->results[index];
            out = std::move(result.entry);
            statError = result.error;
            ok = result.ok;
        } else {
            ok = statIn(dirFd, folder_, name.c_str(), out, statError, readsStore_);
        }
        if (!ok) {
            // A file that vanished since the listing is gone; a folder may
            // have been renamed or replaced, and its content is missed.
            if (statError == error::kFileNotFound && !listed.folder)
                continue;
            error = statError;
            out = FileEntry{};
            out.name = name;
            out.attributes = listed.folder ? attr::kDirectory : 0;
            return false;
        }
        out.name = name;
        return true;
    }
    if (listError_ != error::kSuccess) {
        error = listError_;
        close(); // a failed listing does not come back
    }
    return false; // the end: the folder stays open for what is done relative to it
}

void DirectoryReader::close()
{
    stopReadAhead(); // before its folder's descriptor goes
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    names_.clear();
    nextName_ = 0;
    listError_ = error::kSuccess;
}

} // namespace zdr::platform
