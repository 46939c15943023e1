#include "platform/ListingPrefetch.h"

#include "platform/DosAttributes.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace zdr::platform {

namespace {

// Guessed listings done ahead of the walk: the thread rests when it is this
// far ahead, until the walk has taken half of them (a wake-up costs more
// than a listing of a few entries).
constexpr std::size_t kGuessesAhead = 32;

} // namespace

ListingPrefetch::~ListingPrefetch()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    asked_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ListingPrefetch::want(const std::string& source, const std::string& target)
{
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { work(); });
        auto it = listings_.find(target);
        if (it == listings_.end() || it->second.source != source) {
            if (it != listings_.end())
                erase(it, std::next(it));
            it = listings_.emplace(target, Listing{}).first;
            it->second.source = source;
            it->second.id = nextId_++;
        }
        Listing& listing = it->second;
        const bool finished = listing.state == State::Done || listing.state == State::Failed;
        if (!listing.wanted && finished)
            --guessesDone_;
        listing.wanted = true;
        if (finished && (!listing.listed || !listing.listed->fresh())) {
            listing.state = State::Queued;
            listing.id = nextId_++;
            listing.listed.reset();
        }
        if (listing.state != State::Queued)
            return;
        queue_.push_front(target); // an earlier place in the queue is passed over
    }
    asked_.notify_one();
}

void ListingPrefetch::leave(const std::string& target)
{
    {
        std::lock_guard lock(mutex_);
        const auto it = listings_.find(target);
        if (it != listings_.end())
            erase(it, std::next(it));
        const std::string below = joinPath(target, "");
        auto last = listings_.lower_bound(below);
        const auto first = last;
        while (last != listings_.end() && last->first.compare(0, below.size(), below) == 0)
            ++last;
        erase(first, last);
        if (!resting_ || guessesDone_ > kGuessesAhead / 2)
            return;
    }
    asked_.notify_one();
}

void ListingPrefetch::clear()
{
    {
        std::lock_guard lock(mutex_);
        listings_.clear();
        queue_.clear();
        guessesDone_ = 0;
    }
    asked_.notify_one();
}

void ListingPrefetch::setRoot(const std::string& root)
{
    {
        std::lock_guard lock(mutex_);
        root_ = root;
        listings_.clear();
        queue_.clear();
        guessesDone_ = 0;
    }
    asked_.notify_one();
}

std::shared_ptr<const FolderListing> ListingPrefetch::listing(const std::string& target)
{
    std::unique_lock lock(mutex_);
    const auto it = listings_.find(target);
    if (it == listings_.end() || !it->second.wanted)
        return nullptr;
    // Only this thread removes listings, so it stays while the lister finishes it.
    Listing& listing = it->second;
    listed_.wait(lock, [&listing] { return listing.state == State::Done || listing.state == State::Failed; });
    return listing.listed;
}

void ListingPrefetch::erase(std::map<std::string, Listing>::iterator first,
                            std::map<std::string, Listing>::iterator last)
{
    for (auto it = first; it != last; ++it) {
        if (!it->second.wanted && (it->second.state == State::Done || it->second.state == State::Failed))
            --guessesDone_;
    }
    listings_.erase(first, last);
}

ListingPrefetch::Listing* ListingPrefetch::nextJob(std::string& target)
{
    // A guess waits while enough are done ahead; a wanted listing never does.
    while (!queue_.empty()) {
        const auto it = listings_.find(queue_.front());
        if (it == listings_.end() || it->second.state != State::Queued) {
            queue_.pop_front();
            continue;
        }
        if (!it->second.wanted && guessesDone_ >= (resting_ ? kGuessesAhead / 2 : kGuessesAhead)) {
            resting_ = true;
            break;
        }
        resting_ = false;
        target = std::move(queue_.front());
        queue_.pop_front();
        return &it->second;
    }
    for (auto name = queue_.begin(); name != queue_.end(); ++name) {
        const auto it = listings_.find(*name);
        if (it != listings_.end() && it->second.state == State::Queued && it->second.wanted) {
            target = std::move(*name);
            queue_.erase(name);
            return &it->second;
        }
    }
    return nullptr;
}

void ListingPrefetch::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        std::string target;
        Listing* job = nullptr;
        asked_.wait(lock, [&] { return stopping_ || (job = nextJob(target)) != nullptr; });
        if (stopping_)
            return;
        job->state = State::Running;
        const std::string source = job->source;
        const std::uint64_t id = job->id;
        const std::string root = root_;
        lock.unlock();
        auto listed = std::make_shared<FolderListing>();
        listed->taken = Clock::now();
        std::vector<std::string> subfolders;
        const bool ok = list(root, source, target, *listed, subfolders);
        lock.lock();
        const auto it = listings_.find(target);
        if (it == listings_.end() || it->second.id != id)
            continue; // left or forgotten meanwhile
        Listing& done = it->second;
        done.state = ok ? State::Done : State::Failed;
        if (ok)
            done.listed = std::move(listed);
        if (!done.wanted)
            ++guessesDone_;
        // Its subfolders next, in the order the walk will meet them.
        for (auto name = subfolders.rbegin(); name != subfolders.rend(); ++name) {
            std::string childTarget = joinPath(target, *name);
            if (listings_.count(childTarget) != 0)
                continue;
            Listing& child = listings_[childTarget];
            child.source = joinPath(source, *name);
            child.id = nextId_++;
            queue_.push_front(std::move(childTarget));
        }
        listed_.notify_all();
    }
}

bool ListingPrefetch::list(const std::string& root, const std::string& source, const std::string& target,
                           FolderListing& listed, std::vector<std::string>& subfolders)
{
    DIR* dir = opendir(source.c_str());
    if (dir == nullptr)
        return false;
    ErrorCode ignored = 0; // a folder not listed is looked up directly, which says why
    const int folder = openFolderBelow(root, target, ignored);
    if (folder < 0) {
        closedir(dir);
        return false;
    }
    std::string path = joinPath(target, "");
    const std::size_t base = path.size();
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            ok = errno == 0;
            break;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        path.resize(base);
        path += d->d_name;
        FileEntry& entry = listed.entries.emplace_back();
        ErrorCode& error = listed.errors.emplace_back();
        statAt(folder, d->d_name, path.c_str(), entry, error);
        entry.name = d->d_name;
        if (error == 0 && entry.isDirectory() && (d->d_type == DT_DIR || d->d_type == DT_UNKNOWN))
            subfolders.emplace_back(d->d_name);
    }
    ::close(folder);
    closedir(dir);
    std::sort(subfolders.begin(), subfolders.end()); // as DirectoryReader hands them to the walk
    listed.index();
    return ok;
}

} // namespace zdr::platform
