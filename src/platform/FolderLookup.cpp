#include "platform/FolderLookup.h"

#include "platform/DosAttributes.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/VolumeNames.h"
#include "platform/VolumeTimes.h"

#include <fcntl.h>
#include <unistd.h>

namespace zdr::platform {

FolderLookup::FolderLookup() = default;
FolderLookup::~FolderLookup() { close(); }

void FolderLookup::closeFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    folder_.clear();
}

void FolderLookup::close()
{
    closeFolder();
    listed_.reset();
    listedFolder_.clear();
    if (prefetch_)
        prefetch_->clear();
    // A stick may be swapped under the same device number.
    precisions_.clear();
    keepsModes_.clear();
    forgetVolumeHomes();
}

bool FolderLookup::keepsModes(const std::string& folder, std::uint64_t device)
{
    if (const auto known = keepsModes_.find(device); known != keepsModes_.end())
        return known->second;
    const int fd = open(folder);
    return fd < 0 || (keepsModes_[device] = volumeKeepsModes(fd));
}

std::int64_t FolderLookup::timePrecision(const std::string& folder, std::uint64_t device, bool mayWrite)
{
    if (const auto known = precisions_.find(device); known != precisions_.end())
        return known->second;
    const int fd = open(folder);
    if (fd < 0)
        return kExactTimes;
    return precisions_[device] = volumeTimePrecision(fd, mayWrite);
}

void FolderLookup::listAhead(const std::string& folder)
{
    if (!prefetch_) {
        prefetch_ = std::make_unique<ListingPrefetch>();
        prefetch_->setRoot(root_);
    }
    prefetch_->want(folder);
}

const FolderListing* FolderLookup::listingOf(const std::string& folder)
{
    if (prefetch_ && folder != listedFolder_) {
        listed_ = prefetch_->listing(folder);
        listedFolder_ = folder;
    }
    return listed_.get();
}

bool FolderLookup::listedTemporaries(const std::string& folder, std::vector<std::string>& names)
{
    const FolderListing* listed = listingOf(folder);
    if (listed == nullptr || !listed->fresh())
        return false;
    names = listed->temporaries;
    return true;
}

void FolderLookup::leave(const std::string& folder)
{
    if (folder == listedFolder_) {
        listed_.reset();
        listedFolder_.clear();
    }
    if (prefetch_)
        prefetch_->leave(folder);
}

void FolderLookup::setRoot(const std::string& root)
{
    if (root == root_)
        return;
    close();
    root_ = root;
    if (prefetch_)
        prefetch_->setRoot(root);
}

int FolderLookup::open(const std::string& folder)
{
    if (fd_ < 0 || folder != folder_) {
        closeFolder();
        fd_ = openFolderBelow(root_, folder, openError_);
        if (fd_ >= 0)
            folder_ = folder;
    }
    return fd_;
}

bool FolderLookup::place(const std::string& folder, const std::string& name, EntryPlace& out, ErrorCode& error)
{
    const int fd = open(folder);
    if (fd >= 0) {
        out = {fd, name};
        return true;
    }
    if (!root_.empty() && isWithin(folder, root_)) {
        error = openError_;
        return false;
    }
    out = {AT_FDCWD, joinPath(folder, name)};
    return true;
}

bool FolderLookup::statEntry(const std::string& folder, const std::string& name, FileEntry& out, ErrorCode& error)
{
    if (const FolderListing* listed = listingOf(folder)) {
        switch (listed->find(name, out, error)) {
        case FolderListing::Answer::Found: return true;
        case FolderListing::Answer::Missing: return false;
        case FolderListing::Answer::Unknown: break;
        }
    }
    const std::string path = joinPath(folder, name);
    const int fd = open(folder);
    if (fd < 0 && !root_.empty() && isWithin(folder, root_)) {
        error = openError_; // not reached without a link: nothing there for this run
        return false;
    }
    if (fd < 0)
        return platform::statEntry(path, out, error); // says why it is not there
    out.name = name;
    return statAt(fd, name.c_str(), path.c_str(), out, error);
}

} // namespace zdr::platform
