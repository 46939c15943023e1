#pragma once

#include "platform/ErrorCode.h"
#include "platform/FileEntry.h"
#include "platform/Metadata.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace zdr::platform {

// An entry named relative to an open folder (any kind of descriptor), or by
// its path (folder AT_FDCWD).
struct EntryPlace {
    int folder = AT_FDCWD;
    std::string name;
};

// The copy of one file, made beside its target and put in place in one step
// only when it is complete. The new content goes into an unnamed file in the
// target's folder (a hidden temporary one where the file system cannot make
// unnamed files), so the old target stays whole until commit(), and a
// pending file that is dropped leaves nothing behind; the unnamed kind
// leaves nothing even when the process is killed.
//
//   open -> (content into fd()) -> finish -> commit;  anything else discards.
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Opens source for reading (it is never written, nor its access time
    // moved where the system allows) and makes the new file beside target.
    // Only regular files can be copied so.
    [[nodiscard]] bool open(const std::string& source, const std::string& target, ErrorCode& error);
    // The same with source and target named relative to open folders, which
    // must stay open until the commit: no path is walked again for each file.
    [[nodiscard]] bool open(const EntryPlace& source, const EntryPlace& target, ErrorCode& error);
    // The same for a source the caller has just examined (seen): it is not
    // examined again, and never followed when it has become a link since;
    // finish() fails unless the file read is still the one seen (the same
    // object, size and last-write time).
    [[nodiscard]] bool open(const EntryPlace& source, const FileEntry& seen, const EntryPlace& target,
                            ErrorCode& error);
    // Whether the target's volume is a user-space one, when the caller knows
    // it for the whole folder; else commit() asks the volume.
    void setUserSpaceVolume(bool yes) { userSpace_ = yes ? 1 : 0; }
    // Whether the target's folder gives new files an ACL (passesOnAcl()),
    // when the caller knows it; else the new file is looked at.
    void setFolderPassesOnAcl(bool yes) { folderAcl_ = yes; }
    int sourceFd() const { return source_; }
    int fd() const { return fd_; }
    // The source's size when it was opened.
    std::uint64_t size() const { return static_cast<std::uint64_t>(sourceStat_.st_size); }

    // After the content: fails when the source changed while it was copied
    // (kSharingViolation) or was removed (kFileNotFound); else gives the new
    // file the source's owner (as root), extended attributes (ACLs and
    // capabilities among them, where the volume and the process allow),
    // mode, access and last-write times, and the attribute bits kReadOnly,
    // kHidden, kSystem, kArchive of attributes.
    [[nodiscard]] bool finish(std::uint32_t attributes, ErrorCode& error);
    // After finish(): the source's extended attributes (ACLs, capabilities)
    // the target could not keep, by name.
    const std::vector<std::string>& notKept() const { return kept_.notKept; }
    // Puts the new file in place. Without replace an existing target is not
    // touched and the commit fails with kFileExists.
    [[nodiscard]] bool commit(bool replace, ErrorCode& error);

private:
    void discard();
    // Closes the new file; its failure is the copy's.
    [[nodiscard]] bool closeNew(ErrorCode& error);

    [[nodiscard]] bool makeTarget(const EntryPlace& target, ErrorCode& error);
    // The source's extended attributes onto the new file; whether any changed it.
    bool keepExtendedAttributes();

    int source_ = -1;
    int fd_ = -1;
    struct stat sourceStat_ {};
    bool seen_ = false;  // sourceStat_ is what the caller saw before the open
    int userSpace_ = -1; // the target's volume is a user-space one (-1: not known)
    int targetFolder_ = AT_FDCWD;
    std::string target_;    // relative to targetFolder_
    std::string temporary_; // the named kind only, relative to targetFolder_
    KeptAttributes kept_;
    bool folderAcl_ = true;
};

// Renames from to to, both in folder (AT_FDCWD for paths); without replace
// an existing to fails with kFileExists.
[[nodiscard]] bool moveIntoPlace(int folder, const std::string& from, const std::string& to, bool replace,
                                 ErrorCode& error);

// The volume of the open entry fd is a user-space file system (gvfs's share
// folders among them).
bool onUserSpaceVolume(int fd);

} // namespace zdr::platform
