#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What a copy keeps of an entry beyond its content, times, mode and the
// program's attributes: its extended attributes, the ACLs and file
// capabilities among them, as `cp -a` and `rsync -aHAXS` keep them.
namespace zdr::platform {

inline constexpr const char* kAccessAcl = "system.posix_acl_access";
inline constexpr const char* kDefaultAcl = "system.posix_acl_default";

// An entry's extended attributes by name (sorted), without the program's
// own DOS attribute store, which the copy writes itself.
struct ExtendedAttributes {
    std::vector<std::pair<std::string, std::string>> items;

    bool operator==(const ExtendedAttributes&) const = default;
    const std::string* find(const std::string& name) const;
    bool empty() const { return items.empty(); }
};

// Reads the attributes of the open entry fd (also one opened only to name
// it). A volume without extended attributes gives none.
bool readExtendedAttributes(int fd, ExtendedAttributes& out);
// The same by path, not following a link.
bool readExtendedAttributes(const std::string& path, ExtendedAttributes& out);

// Gives the open entry to (a file or a folder, never a link) the attributes
// wanted, and takes away those it has that wanted has not (an ACL it got
// from its new folder among them; the system's security labels stay).
// What the target could not take is named in notKept ("ACL",
// "Standard-ACL", or the attribute's name). With ownerWrites the owner's
// entry of an access ACL grants everything, so a folder's content can
// still go in; its mode set afterwards gives the owner's true bits. Returns
// whether anything was changed.
bool applyExtendedAttributes(int to, const ExtendedAttributes& wanted, bool ownerWrites,
                             std::vector<std::string>& notKept, bool fresh = false);

// The permission bits of mode as they must be where the access ACL of
// attributes is not kept: the owning group gets what the ACL's group entry
// grants within its mask (the mode's group bits are the mask, which may
// grant more: write access for the whole group).
std::uint32_t modeWithoutAcl(std::uint32_t mode, const ExtendedAttributes& attributes);

// What one copy kept of its entry's attributes: the names it could not
// keep, and the mode the target's bits must then keep to.
struct KeptAttributes {
    std::vector<std::string> notKept;
    std::uint32_t groupLimit = 07; // the owning group's bits without the ACL

    // applyExtendedAttributes() for one entry, remembered. fresh: the entry
    // is new in a folder that passes on no ACL, so it has nothing to take away.
    bool apply(int to, const ExtendedAttributes& wanted, bool ownerWrites, bool fresh = false);
    // mode narrowed where the access ACL was not kept.
    std::uint32_t mode(std::uint32_t mode) const { return mode & ~(070u & ~(groupLimit << 3)); }
};

// Gives the existing file or folder targetName in targetFolder the owner
// (as root), extended attributes and mode of sourceName in sourceFolder
// (mode: the bits it is to have), its data and times untouched; neither is
// followed where it is a link. What it could not keep goes into kept.
// ownerWrites as for applyExtendedAttributes().
[[nodiscard]] bool keepMetadata(int sourceFolder, const std::string& sourceName, int targetFolder,
                                const std::string& targetName, std::uint32_t mode, bool ownerWrites,
                                KeptAttributes& kept, ErrorCode& error);

// The open folder gives new entries an ACL of its own (a default ACL).
bool passesOnAcl(int folder);

// The names in notKept as the protocol says them: "nicht übernommen: ACL, user.x".
std::string notKeptText(const std::vector<std::string>& notKept);

} // namespace zdr::platform
