#pragma once

#include "platform/FileEntry.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zdr::platform {

namespace detail {
struct ReadAheadJob;
struct ListingJob;
struct ListedName {
    bool folder = false;
    std::string name;
};
// Reads the names of the open folder fd (from its start): the files by
// name, then the subfolders by name. The error where the reading broke off.
ErrorCode listFolder(int fd, std::vector<ListedName>& names);
} // namespace detail

// Lists one folder: one readdir pass and one statx per entry, relative to the
// open folder so no full path is built. "." and ".." are never entries.
// Entries come in the order a person reads a folder (and the protocol list
// sorts it): the files by name, then the subfolders by name; names compare
// byte by byte.
class DirectoryReader {
public:
    DirectoryReader();
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // With read-ahead the entries of each folder opened from now on are
    // examined (statx and attribute store) on a helper thread ahead of
    // next(), so the caller's work and the file system's overlap. What next()
    // hands out and in which order stays the same; the examination of an
    // entry only happens earlier. The helper is done with a folder before it
    // closes.
    void setReadAhead(bool on) { readAhead_ = on; }
    // Without the attribute store the entries show the default bits besides
    // what the mode says (read-only): for walks that decide by nothing else.
    void setReadsStore(bool on) { readsStore_ = on; }
    // With listing ahead (and read-ahead) the subfolders of each folder
    // opened from now on are opened, listed and examined on helper threads
    // while the walk is still busy with the folder's files: openChild() then
    // takes the listing made ahead. Only subfolders `wanted` admits are
    // listed ahead (the others are opened by openChild() as ever), at most a
    // few per folder and a few dozen in all. For walks that only look: a
    // listing is as old as the moment it was made.
    void setListAhead(std::function<bool(const std::string& name)> wanted) { wanted_ = std::move(wanted); }
    // What was listed and examined ahead serves only for this long after
    // its folder was listed; then the walk lists and examines for itself,
    // as it comes. Zero (the default): for as long as the folder is open.
    void setAheadFor(std::chrono::steady_clock::duration age) { aheadFor_ = age; }

    [[nodiscard]] bool open(const std::string& path, ErrorCode& error);
    // Opens the subfolder name of an open parent relative to it: no path is
    // resolved again (so depth is not bound by the path length limit), and a
    // subfolder that was replaced by a symbolic link is not followed.
    [[nodiscard]] bool openChild(const DirectoryReader& parent, const std::string& name, ErrorCode& error);
    // Next entry; false at the end (error 0; the folder stays open) or on a
    // failure (error set; for an entry that cannot be examined its name is in
    // out.name, its folder attribute, and the next call goes on after it; a
    // listing that fails is closed after the entries read before the failure,
    // and the next call reports the end). A file that vanished since the
    // listing is skipped; a folder that did is a failure (its content is missed).
    [[nodiscard]] bool next(FileEntry& out, ErrorCode& error);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The open folder's descriptor (-1 when closed): entries listed here can
    // be acted on relative to it, never through a path walked again.
    int fd() const { return fd_; }
    // The folder's path as opened, with its final separator.
    const std::string& folder() const { return folder_; }

private:
    using Name = detail::ListedName;
    // Reads the open folder's names and puts them in order.
    void listNames();
    // What follows a listing: its entries examined ahead, its subfolders listed ahead.
    void startAhead();
    // Hands more subfolders to the helpers, as far as the limits allow.
    void listSubfoldersAhead() const;
    // Takes the listing of the subfolder `name` made ahead, if there is one.
    bool adoptListing(const DirectoryReader& parent, const std::string& name);
    // Stops the helpers' work on this folder and waits until they have let go.
    void stopReadAhead();
    // What was listed at listed is too old to serve the walk.
    bool tooOld(std::chrono::steady_clock::time_point listed) const;

    int fd_ = -1;         // the open folder
    std::string folder_;  // the folder with its separator, reused for entry paths
    std::vector<Name> names_;
    std::size_t nextName_ = 0;
    ErrorCode listError_ = 0; // the listing broke off after names_
    bool readAhead_ = false;
    bool readsStore_ = true;
    std::chrono::steady_clock::duration aheadFor_{};
    std::unique_ptr<detail::ReadAheadJob> ahead_; // the helper's work on this folder
    std::function<bool(const std::string&)> wanted_; // set: subfolders are listed ahead
    // Subfolders listed ahead, in the walk's order; the next one to hand out.
    mutable std::vector<std::unique_ptr<detail::ListingJob>> children_;
    mutable std::size_t nextChild_ = 0;
};

} // namespace zdr::platform
