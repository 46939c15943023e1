#include "platform/Metadata.h"

#include "platform/ErrorCode.h"
#include "platform/FileEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zdr::platform {

namespace {

constexpr const char* kOwnStore = "user.DOSATTRIB";

// The ACL's wire form (the kernel's posix_acl_xattr): a version word, then
// entries of tag, permissions and id, little-endian.
constexpr std::size_t kAclHeader = 4;
constexpr std::size_t kAclEntry = 8;
constexpr unsigned kUserObj = 0x01;
constexpr unsigned kGroupObj = 0x04;
constexpr unsigned kMask = 0x10;

unsigned tagAt(const std::string& acl, std::size_t at)
{
    return static_cast<unsigned char>(acl[at]) | static_cast<unsigned>(static_cast<unsigned char>(acl[at + 1])) << 8;
}

// The calls on a descriptor, or on its name in /proc where it only names
// the entry (O_PATH takes no calls of its own).
ssize_t listNames(int fd, char* buffer, std::size_t size)
{
    const ssize_t n = ::flistxattr(fd, buffer, size);
    return n < 0 && errno == EBADF ? ::listxattr(selfPath(fd).c_str(), buffer, size) : n;
}

ssize_t getValue(int fd, const char* name, void* buffer, std::size_t size)
{
    const ssize_t n = ::fgetxattr(fd, name, buffer, size);
    return n < 0 && errno == EBADF ? ::getxattr(selfPath(fd).c_str(), name, buffer, size) : n;
}

int setValue(int fd, const std::string& name, const std::string& value)
{
    const int r = ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
    return r < 0 && errno == EBADF ? ::setxattr(selfPath(fd).c_str(), name.c_str(), value.data(), value.size(), 0) : r;
}

int removeValue(int fd, const std::string& name)
{
    const int r = ::fremovexattr(fd, name.c_str());
    return r < 0 && errno == EBADF ? ::removexattr(selfPath(fd).c_str(), name.c_str()) : r;
}

// Reads names and values through list and get; a value that changes size
// between the two calls is asked for again.
template <class List, class Get>
bool readWith(const List& list, const Get& get, ExtendedAttributes& out)
{
    out.items.clear();
    std::string names;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP || errno == EOPNOTSUPP; // a volume without them: none
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = size == 0 ? 0 : list(names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE)
            return false;
    }
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        if (name.empty() || name == kOwnStore)
            continue;
        std::string value;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const ssize_t size = get(name.c_str(), nullptr, 0);
            if (size < 0)
                break;
            value.resize(static_cast<std::size_t>(size));
            const ssize_t got = size == 0 ? 0 : get(name.c_str(), value.data(), value.size());
            if (got >= 0) {
                value.resize(static_cast<std::size_t>(got));
                out.items.emplace_back(name, std::move(value));
                break;
            }
            if (errno != ERANGE)
                break;
        }
    }
    std::sort(out.items.begin(), out.items.end());
    return true;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Attributes a copy takes away when its source has none of that name: the
// user's, the trusted ones, ACLs and capabilities. Security labels are the
// system's business.
bool removable(const std::string& name)
{
    return startsWith(name, "user.") || startsWith(name, "trusted.") || startsWith(name, "system.posix_acl_")
        || name == "security.capability";
}

std::string keptName(const std::string& name)
{
    if (name == kAccessAcl)
        return "ACL";
    if (name == kDefaultAcl)
        return "Standard-ACL";
    return name;
}

// The access ACL with an owner's entry that grants everything.
std::string ownerWriting(std::string acl)
{
    for (std::size_t at = kAclHeader; at + kAclEntry <= acl.size(); at += kAclEntry) {
        if (tagAt(acl, at) == kUserObj)
            acl[at + 2] = static_cast<char>(acl[at + 2] | 07);
    }
    return acl;
}

} // namespace

const std::string* ExtendedAttributes::find(const std::string& name) const
{
    const auto it = std::lower_bound(items.begin(), items.end(), name,
                                     [](const auto& item, const std::string& key) { return item.first < key; });
    return it != items.end() && it->first == name ? &it->second : nullptr;
}

bool readExtendedAttributes(int fd, ExtendedAttributes& out)
{
    return readWith([fd](char* buffer, std::size_t size) { return listNames(fd, buffer, size); },
                    [fd](const char* name, void* buffer, std::size_t size) { return getValue(fd, name, buffer, size); },
                    out);
}

bool readExtendedAttributes(const std::string& path, ExtendedAttributes& out)
{
    const char* p = path.c_str();
    return readWith(
        [p](char* buffer, std::size_t size) { return ::llistxattr(p, buffer, size); },
        [p](const char* name, void* buffer, std::size_t size) { return ::lgetxattr(p, name, buffer, size); }, out);
}

bool applyExtendedAttributes(int to, const ExtendedAttributes& wanted, bool ownerWrites,
                             std::vector<std::string>& notKept, bool fresh)
{
    ExtendedAttributes there;
    if (!fresh)
        static_cast<void>(readExtendedAttributes(to, there));
    bool changed = false;
    for (const auto& [name, value] : there.items) {
        if (!removable(name) || wanted.find(name) != nullptr)
            continue;
        if (removeValue(to, name) == 0)
            changed = true;
        else if (errno != ENODATA)
            notKept.push_back(keptName(name));
    }
    // The access ACL last: it may take the owner's writing, which the
    // others need.
    std::vector<const std::pair<std::string, std::string>*> order;
    for (const auto& item : wanted.items)
        order.push_back(&item);
    std::stable_partition(order.begin(), order.end(), [](const auto* item) { return item->first != kAccessAcl; });
    for (const auto* item : order) {
        const std::string& name = item->first;
        const std::string& value = item->second;
        const bool writing = ownerWrites && name == kAccessAcl;
        const std::string& put = writing ? ownerWriting(value) : value;
        if (const std::string* old = there.find(name); old != nullptr && *old == put)
            continue;
        if (setValue(to, name, put) == 0)
            changed = true;
        else
            notKept.push_back(keptName(name));
    }
    return changed;
}

std::uint32_t modeWithoutAcl(std::uint32_t mode, const ExtendedAttributes& attributes)
{
    const std::string* acl = attributes.find(kAccessAcl);
    if (acl == nullptr)
        return mode;
    unsigned group = 07;
    unsigned mask = 07;
    for (std::size_t at = kAclHeader; at + kAclEntry <= acl->size(); at += kAclEntry) {
        const unsigned perm = static_cast<unsigned char>((*acl)[at + 2]) & 07u;
        if (tagAt(*acl, at) == kGroupObj)
            group = perm;
        else if (tagAt(*acl, at) == kMask)
            mask = perm;
    }
    return (mode & ~070u) | (group & mask & (mode >> 3)) << 3;
}

bool KeptAttributes::apply(int to, const ExtendedAttributes& wanted, bool ownerWrites, bool fresh)
{
    notKept.clear();
    groupLimit = 07;
    const bool changed = applyExtendedAttributes(to, wanted, ownerWrites, notKept, fresh);
    if (std::find(notKept.begin(), notKept.end(), "ACL") != notKept.end())
        groupLimit = (modeWithoutAcl(0777, wanted) >> 3) & 07u;
    return changed;
}

bool keepMetadata(int sourceFolder, const std::string& sourceName, int targetFolder, const std::string& targetName,
                  std::uint32_t mode, bool ownerWrites, KeptAttributes& kept, ErrorCode& error)
{
    const int from = ::openat(sourceFolder, sourceName.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    const int to = from < 0 ? -1 : ::openat(targetFolder, targetName.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat source {};
    struct stat target {};
    bool ok = to >= 0 && ::fstat(from, &source) == 0 && ::fstat(to, &target) == 0;
    error = ok ? error::kSuccess : lastError();
    // Only a file or a folder as it was compared; a link has neither bits nor attributes here.
    if (ok && (S_ISLNK(source.st_mode) || S_ISLNK(target.st_mode))) {
        ok = false;
        error = error::kCantResolveFilename;
    }
    if (ok && ownerToGive(source.st_uid, source.st_gid)
        && (source.st_uid != target.st_uid || source.st_gid != target.st_gid)
        && ::fchownat(to, "", source.st_uid, source.st_gid, AT_EMPTY_PATH) != 0) {
        ok = false;
        error = lastError();
    }
    ExtendedAttributes wanted;
    if (ok && readExtendedAttributes(from, wanted)) {
        // Its owner writes attributes only where the mode lets him write;
        // the mode below is the one it keeps.
        if ((target.st_mode & S_IWUSR) == 0)
            static_cast<void>(::chmod(selfPath(to).c_str(), (target.st_mode & 07777) | S_IWUSR));
        static_cast<void>(kept.apply(to, wanted, ownerWrites));
        if (::chmod(selfPath(to).c_str(), static_cast<mode_t>(kept.mode(mode) & 07777)) != 0) {
            ok = false;
            error = lastError();
        }
    }
    for (const int fd : {from, to}) {
        if (fd >= 0)
            ::close(fd);
    }
    return ok;
}

bool passesOnAcl(int folder) { return getValue(folder, kDefaultAcl, nullptr, 0) > 0; }

std::string notKeptText(const std::vector<std::string>& notKept)
{
    std::string text = "nicht übernommen: ";
    for (std::size_t i = 0; i < notKept.size(); ++i)
        text += (i == 0 ? "" : ", ") + notKept[i];
    return text;
}

} // namespace zdr::platform
