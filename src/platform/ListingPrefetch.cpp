#include "platform/ListingPrefetch.h"

#include "platform/DirectoryReader.h"
#include "platform/DosAttributes.h"
#include "platform/Folders.h"
#include "platform/Leftovers.h"
#include "platform/Paths.h"

#include <unistd.h>

#include <vector>

namespace zdr::platform {

namespace {

// Guessed listings done ahead of the walk: the thread rests when it is this
// far ahead, until the walk has taken half of them (a wake-up costs more
// than a listing of a few entries).
constexpr std::size_t kGuessesAhead = 32;
// Folders the lister keeps open to open their subfolders from (one per
// level of the folder it lists), each for as long as a listing is fresh.
constexpr std::size_t kOpenedAtMost = 64;
constexpr auto kOpenedFor = std::chrono::seconds(1);

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

void ListingPrefetch::want(const std::string& target)
{
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable())
            thread_ = std::thread([this] { work(); });
        auto it = listings_.find(target);
        if (it == listings_.end()) {
            it = listings_.emplace(target, Listing{}).first;
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
        ++forgotten_;
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
        ++forgotten_;
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
    std::vector<Opened> opened;
    const auto letGo = [&opened] {
        for (const Opened& folder : opened)
            ::close(folder.fd);
        opened.clear();
    };
    std::uint64_t forgotten = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        std::string target;
        Listing* job = nullptr;
        asked_.wait(lock, [&] { return stopping_ || (job = nextJob(target)) != nullptr; });
        if (stopping_) {
            letGo();
            return;
        }
        job->state = State::Running;
        const std::uint64_t id = job->id;
        const std::string root = root_;
        const bool forgottenSince = forgotten != forgotten_;
        forgotten = forgotten_;
        lock.unlock();
        if (forgottenSince) // the tree may have changed: from the root again
            letGo();
        auto listed = std::make_shared<FolderListing>();
        listed->taken = Clock::now();
        std::vector<std::string> subfolders;
        const bool ok = list(root, target, *listed, subfolders, opened);
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
            child.id = nextId_++;
            queue_.push_front(std::move(childTarget));
        }
        listed_.notify_all();
    }
}

bool ListingPrefetch::list(const std::string& root, const std::string& target, FolderListing& listed,
                           std::vector<std::string>& subfolders, std::vector<Opened>& opened)
{
    // From the folder listed before that holds target (one step for a
    // subfolder) where it was opened lately; else from the root.
    const bool below = !root.empty() && isWithin(target, root);
    while (!opened.empty()
           && !(below && target.size() > opened.back().folder.size() && isWithin(target, opened.back().folder)
                && listed.taken - opened.back().at < kOpenedFor)) {
        ::close(opened.back().fd);
        opened.pop_back();
    }
    ErrorCode ignored = 0; // a folder not listed is looked up directly, which says why
    const int folder = opened.empty()
        ? openFolderBelow(root, target, ignored, true)
        : openFolderStepsAt(opened.back().fd, std::string_view(target).substr(opened.back().folder.size()), ignored,
                            true);
    if (folder < 0)
        return false;
    std::vector<detail::ListedName> names;
    const ErrorCode listError = detail::listFolder(folder, names);
    const std::string path = joinPath(target, "");
    listed.entries.reserve(names.size());
    listed.errors.reserve(names.size());
    for (detail::ListedName& name : names) {
        FileEntry& entry = listed.entries.emplace_back();
        ErrorCode& error = listed.errors.emplace_back();
        static_cast<void>(statIn(folder, path, name.name.c_str(), entry, error)); // the error goes with it
        entry.name = std::move(name.name);
        long process = 0;
        if (entry.name.front() == '.' && temporaryOwner(entry.name, process))
            listed.temporaries.push_back(entry.name);
        // The walk's order: the subfolders by name, after the files.
        if (error == 0 && entry.isDirectory())
            subfolders.push_back(entry.name);
    }
    listed.index();
    if (below && !subfolders.empty() && opened.size() < kOpenedAtMost)
        opened.push_back({target, folder, listed.taken});
    else
        ::close(folder);
    return listError == error::kSuccess;
}

} // namespace zdr::platform
