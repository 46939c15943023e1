#include "platform/DirectoryReader.h"

#include "platform/DosAttributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
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
    const std::vector<const std::string*> names;
    std::vector<Result> results;
    std::unique_ptr<std::atomic<unsigned char>[]> ready;
    std::atomic<std::size_t> claimed{0};
    std::atomic<bool> stop{false};
    bool busy = false; // the helper works on it (guarded by the helper's mutex)

    ReadAheadJob(int fd, std::string path, std::vector<const std::string*> listed)
        : dirFd(fd), folder(std::move(path)), names(std::move(listed)), results(names.size()),
          ready(new std::atomic<unsigned char>[names.size()])
    {
        for (std::size_t i = 0; i < names.size(); ++i)
            ready[i].store(0, std::memory_order_relaxed);
    }

    // Claims entry i when nobody has; the helper claims them in order.
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
    void examine(std::size_t i, Result& out, std::string& path) const
    {
        path.assign(folder).append(*names[i]);
        out.ok = statAt(dirFd, names[i]->c_str(), path.c_str(), out.entry, out.error);
    }
};

namespace {

// One helper thread for every reader with read-ahead: a walk reads one folder
// at a time, the newest opened (the deepest) first, so the helper takes the
// newest job and comes back to older ones afterwards.
class ReadAheadHelper {
public:
    static ReadAheadHelper& instance()
    {
        // Never destroyed: the thread waits for work until the process ends.
        static ReadAheadHelper* helper = new ReadAheadHelper;
        return *helper;
    }

    void submit(ReadAheadJob* job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(job);
        }
        asked_.notify_one();
    }

    // Takes the job back; on return the helper no longer touches it.
    void withdraw(ReadAheadJob* job)
    {
        job->stop.store(true, std::memory_order_release);
        std::unique_lock<std::mutex> lock(mutex_);
        jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
        released_.wait(lock, [&] { return !job->busy; });
    }

private:
    ReadAheadHelper()
    {
        std::thread([this] { work(); }).detach();
    }

    void work()
    {
        constexpr std::size_t kSlice = 16; // entries between looks for a newer job
        std::string path;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            asked_.wait(lock, [&] { return !jobs_.empty(); });
            ReadAheadJob* job = jobs_.back();
            job->busy = true;
            lock.unlock();
            bool finished = false;
            for (std::size_t n = 0; n < kSlice; ++n) {
                std::size_t i = 0;
                if (job->stop.load(std::memory_order_acquire) || !job->claimNext(i)) {
                    finished = true;
                    break;
                }
                job->examine(i, job->results[i], path);
                job->ready[i].store(1, std::memory_order_release);
            }
            lock.lock();
            job->busy = false;
            if (finished)
                jobs_.erase(std::remove(jobs_.begin(), jobs_.end(), job), jobs_.end());
            released_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable released_;
    std::vector<ReadAheadJob*> jobs_; // the newest last
};

} // namespace
} // namespace detail

DirectoryReader::DirectoryReader() = default;
DirectoryReader::~DirectoryReader() { close(); }

bool DirectoryReader::open(const std::string& path, ErrorCode& error)
{
    close();
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        error = lastError();
        return false;
    }
    dir_ = dir;
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
    if (parent.dir_ == nullptr) {
        error = error::kInvalidHandle;
        return false;
    }
    const int fd =
        openat(dirfd(static_cast<DIR*>(parent.dir_)), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = lastError();
        return false;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        error = lastError();
        ::close(fd);
        return false;
    }
    dir_ = dir;
    folder_ = parent.folder_ + name + '/';
    listNames();
    error = error::kSuccess;
    return true;
}

void DirectoryReader::listNames()
{
    stopReadAhead();
    names_.clear();
    nextName_ = 0;
    listError_ = error::kSuccess;
    DIR* dir = static_cast<DIR*>(dir_);
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            if (errno != 0)
                listError_ = lastError();
            break;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        bool folder = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN) { // a volume that does not say: ask for this one
            struct stat st {};
            folder = fstatat(dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        names_.push_back({folder, d->d_name});
    }
    std::sort(names_.begin(), names_.end(),
              [](const Name& a, const Name& b) { return a.folder != b.folder ? b.folder : a.name < b.name; });
    if (readAhead_ && names_.size() > 1) {
        std::vector<const std::string*> names;
        names.reserve(names_.size());
        for (const Name& listed : names_)
            names.push_back(&listed.name);
        ahead_ = std::make_unique<detail::ReadAheadJob>(dirfd(dir), folder_, std::move(names));
        detail::ReadAheadHelper::instance().submit(ahead_.get());
    }
}

void DirectoryReader::stopReadAhead()
{
    if (ahead_ == nullptr)
        return;
    detail::ReadAheadHelper::instance().withdraw(ahead_.get());
    ahead_.reset();
}

bool DirectoryReader::next(FileEntry& out, ErrorCode& error)
{
    error = error::kSuccess;
    if (dir_ == nullptr)
        return false;
    const int dirFd = dirfd(static_cast<DIR*>(dir_));
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
            const std::size_t folderLength = folder_.size();
            folder_ += name;
            ok = statAt(dirFd, name.c_str(), folder_.c_str(), out, statError);
            folder_.resize(folderLength);
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

int DirectoryReader::fd() const { return dir_ != nullptr ? dirfd(static_cast<DIR*>(dir_)) : -1; }

void DirectoryReader::close()
{
    stopReadAhead(); // before its folder's descriptor goes
    if (dir_ != nullptr)
        closedir(static_cast<DIR*>(dir_));
    dir_ = nullptr;
    names_.clear();
    nextName_ = 0;
    listError_ = error::kSuccess;
}

} // namespace zdr::platform
