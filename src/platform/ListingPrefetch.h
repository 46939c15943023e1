#pragma once

#include "platform/FolderListing.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zdr::platform {

// Looks a walk's entries up in a target tree ahead of the walk, on a thread
// of its own: it lists a target folder and reads each of its entries (as
// statEntry would), then goes on into its subfolders in the walk's order,
// so the walk, a folder or more behind, finds its lookups done while its
// own thread reads the source side. A folder is opened from the one listed
// before it where that holds it, else step by step from the root.
//
// A listing is only a shortcut: a folder that could not be listed has none,
// and the caller looks for itself (see FolderListing for the rest).
//
//   per folder: queued (wanted by the walk, or guessed) -> running -> done | failed
class ListingPrefetch {
public:
    ListingPrefetch() = default;
    // Waits for the listing on its way, then stops the thread.
    ~ListingPrefetch();
    ListingPrefetch(const ListingPrefetch&) = delete;
    ListingPrefetch& operator=(const ListingPrefetch&) = delete;

    // The walk enters target's counterpart: its listing comes next, before
    // any guessed one.
    void want(const std::string& target);
    // The walk is done with target: its listing and every guess below it go.
    void leave(const std::string& target);
    // Forgets every listing (the target tree may have changed).
    void clear();
    // Target folders within root are listed without following a link below it.
    void setRoot(const std::string& root);

    // The listing of the wanted folder target (waits while it is being
    // made); null when there is none.
    std::shared_ptr<const FolderListing> listing(const std::string& target);

private:
    using Clock = std::chrono::steady_clock;
    enum class State { Queued, Running, Done, Failed };
    struct Listing {
        State state = State::Queued;
        bool wanted = false;
        std::uint64_t id = 0;
        std::shared_ptr<const FolderListing> listed; // when done
    };
    // A folder the lister has open, to open its subfolders from.
    struct Opened {
        std::string folder;
        int fd = -1;
        Clock::time_point at;
    };
    void work();
    // Lists target (without the lock): its entries, and its subfolders in
    // the walk's order. False when it cannot be read.
    static bool list(const std::string& root, const std::string& target, FolderListing& listed,
                     std::vector<std::string>& subfolders, std::vector<Opened>& opened);
    // The next listing to make, or nullptr to wait (lock held).
    Listing* nextJob(std::string& target);
    void erase(std::map<std::string, Listing>::iterator first, std::map<std::string, Listing>::iterator last);

    std::mutex mutex_;
    std::condition_variable asked_;
    std::condition_variable listed_;
    std::map<std::string, Listing> listings_; // by target folder; a folder's subfolders follow it
    std::deque<std::string> queue_;           // targets to list, next first (stale names are passed over)
    std::size_t guessesDone_ = 0;             // listings done that the walk has not wanted yet
    bool resting_ = false;                    // far enough ahead: guesses wait
    std::uint64_t nextId_ = 1;
    bool stopping_ = false;
    std::uint64_t forgotten_ = 0; // raised by clear and setRoot: the lister lets go of its open folders
    std::string root_;   // under mutex_
    std::thread thread_; // started by the first want
};

} // namespace zdr::platform
