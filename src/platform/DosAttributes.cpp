#include "platform/DosAttributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zdr::platform {

namespace {

constexpr const char* kDosAttribName = "user.DOSATTRIB";
// NTFS's own attributes as ntfs-3g and the kernel's ntfs3 show them (big endian).
constexpr const char* kNtfsAttribName = "system.ntfs_attrib_be";
// The bits a volume with attributes of its own keeps for us.
constexpr std::uint32_t kVolumeBits = attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive;

// Where a volume keeps the DOS attributes: in its own entries (NTFS; FAT
// and exFAT where the kernel gives them through the FAT calls), which
// Windows shows, else in Samba's store.
enum class Home : std::uint8_t { Store, Ntfs, Fat };

std::atomic<unsigned> volumesSeen{1};

// The home of the volume of the open entry fd (any kind of descriptor).
Home lookForHome(int fd)
{
    struct statfs volume {};
    if (::fstatfs(fd, &volume) != 0)
        return Home::Store;
    switch (static_cast<std::uint32_t>(volume.f_type)) {
    case 0x4d44:     // FAT
    case 0x2011BAB0: // exFAT: only kernels that answer the FAT calls
    {
        const int readable = ::open(selfPath(fd).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        std::uint32_t bits = 0;
        const bool answers = readable >= 0 && ::ioctl(readable, FAT_IOCTL_GET_ATTRIBUTES, &bits) == 0;
        if (readable >= 0)
            ::close(readable);
        return answers ? Home::Fat : Home::Store;
    }
    case 0x7366746e: // ntfs3
    case 0x65735546: // FUSE: ntfs-3g among others
    {
        unsigned char value[4];
        return ::getxattr(selfPath(fd).c_str(), kNtfsAttribName, value, sizeof value) == sizeof value ? Home::Ntfs
                                                                                                      : Home::Store;
    }
    default: return Home::Store;
    }
}

// The home of the volume device, looked for once per thread and volume
// (until forgetVolumeHomes()) through look().
template <typename Look>
Home homeOf(std::uint64_t device, const Look& look)
{
    struct Known {
        std::uint64_t device;
        unsigned seen;
        Home home;
    };
    thread_local std::array<Known, 4> known{};
    thread_local unsigned next = 0;
    const unsigned seen = volumesSeen.load(std::memory_order_relaxed);
    for (const Known& k : known) {
        if (k.seen == seen && k.device == device)
            return k.home;
    }
    const Home home = look();
    known[next++ % known.size()] = {device, seen, home};
    return home;
}

Home homeOfFd(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return Home::Store;
    return homeOf(st.st_dev, [fd] { return lookForHome(fd); });
}

std::uint32_t readBigEndian32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16
        | static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

std::int64_t nanos(const struct statx_timestamp& t)
{
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Marks a value read from the store, so an empty store differs from none.
constexpr std::uint32_t kStoreFound = 0x80000000u;
// Marks a value read from the volume's own attributes (read-only among them).
constexpr std::uint32_t kVolumeFound = 0x40000000u;

std::uint32_t defaultBits(bool directory) { return directory ? 0 : attr::kArchive; }

// What the store holds of an entry: a folder's read-only bit lives there
// (its write bits stay, so it still takes and gives up entries, as on the
// system these bits come from); a file's is the absence of its write bits.
std::uint32_t storedBits(bool directory) { return attr::kStoredBits | (directory ? attr::kReadOnly : 0); }

constexpr std::uint32_t kParsedBits = attr::kStoredBits | attr::kReadOnly;

const char* baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::uint32_t readLe32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8
        | static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

std::uint32_t parseDosAttrib(const unsigned char* data, std::size_t size)
{
    if (size >= 3 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        std::uint32_t value = 0;
        for (std::size_t i = 2; i < size && i < 10 && data[i] != 0; ++i) {
            const unsigned char c = data[i];
            int digit = -1;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            if (digit < 0)
                break;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        return value & kParsedBits;
    }
    // Binary form: version, union level, then the record; versions 1 and 2
    // start with the attributes, later ones with a flags word before them.
    if (size >= 8) {
        const unsigned version = data[0] | data[1] << 8;
        if (version == 1 || version == 2)
            return readLe32(data + 4) & kParsedBits;
        if (version >= 3 && version <= 5 && size >= 12)
            return readLe32(data + 8) & kParsedBits;
    }
    return 0;
}

namespace {

// The full path of an entry for the calls that take paths: given, or made
// of its folder and name only when one is needed.
struct EntryPath {
    const char* full = nullptr;
    const std::string* folder = nullptr; // with its final separator
    const char* name = nullptr;
    std::string made;
    const char* get()
    {
        if (full == nullptr) {
            made.assign(*folder).append(name);
            full = made.c_str();
        }
        return full;
    }
};

} // namespace

// Reads the store relative to the open folder where the kernel can
// (getxattrat, Linux 6.13): one name to look up instead of the whole path,
// and no path length limit. Older kernels take the full path.
static ssize_t getXattrAt(int dirFd, const char* name, EntryPath& path, const char* attribute, unsigned char* buffer,
                          std::size_t size)
{
#if defined(__linux__) && defined(__x86_64__)
    constexpr long kGetXattrAt = 464;
    struct XattrArgs {
        std::uint64_t value;
        std::uint32_t size;
        std::uint32_t flags;
    };
    static std::atomic<bool> unavailable{false};
    if (dirFd != AT_FDCWD && !unavailable.load(std::memory_order_relaxed)) {
        XattrArgs args{reinterpret_cast<std::uintptr_t>(buffer), static_cast<std::uint32_t>(size), 0};
        const long n = syscall(kGetXattrAt, dirFd, name, AT_SYMLINK_NOFOLLOW, attribute, &args, sizeof args);
        if (n >= 0 || errno != ENOSYS)
            return n;
        unavailable.store(true, std::memory_order_relaxed);
    }
#else
    (void)dirFd;
    (void)name;
#endif
    return lgetxattr(path.get(), attribute, buffer, size);
}

// The bits of an entry (not a link) on device: its volume's own where it
// has them (read-only among them), else the store's.
static std::uint32_t readDosAttributes(int dirFd, const char* name, EntryPath& path, std::uint64_t device)
{
    const Home home = homeOf(device, [&] {
        const int fd = ::openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        const Home found = fd >= 0 ? lookForHome(fd) : Home::Store;
        if (fd >= 0)
            ::close(fd);
        return found;
    });
    unsigned char buffer[128];
    if (home == Home::Ntfs) {
        const ssize_t n = getXattrAt(dirFd, name, path, kNtfsAttribName, buffer, sizeof buffer);
        return n == 4 ? (readBigEndian32(buffer) & (kVolumeBits | attr::kCompressed)) | kStoreFound | kVolumeFound : 0;
    }
    if (home == Home::Fat) {
        const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        std::uint32_t bits = 0;
        const bool read = fd >= 0 && ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &bits) == 0;
        if (fd >= 0)
            ::close(fd);
        return read ? (bits & kVolumeBits) | kStoreFound | kVolumeFound : 0;
    }
    const ssize_t n = getXattrAt(dirFd, name, path, kDosAttribName, buffer, sizeof buffer);
    if (n <= 0)
        return 0;
    return parseDosAttrib(buffer, static_cast<std::size_t>(n)) | kStoreFound;
}

static bool statWith(int dirFd, const char* name, EntryPath& path, FileEntry& out, ErrorCode& error, bool withStore)
{
    struct statx sx {};
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME | STATX_CTIME
        | STATX_UID | STATX_GID | STATX_NLINK;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) != 0) {
        error = lastError();
        return false;
    }
    const bool directory = S_ISDIR(sx.stx_mode);
    const bool link = S_ISLNK(sx.stx_mode);
    std::uint32_t a = 0;
    if (directory)
        a |= attr::kDirectory;
    if (link)
        a |= attr::kReparsePoint;
    if ((sx.stx_mode & 0222) == 0 && !link)
        a |= attr::kReadOnly;
    if ((sx.stx_attributes & STATX_ATTR_COMPRESSED) != 0)
        a |= attr::kCompressed;
    std::uint32_t stored =
        link || !withStore ? 0 : readDosAttributes(dirFd, name, path, makedev(sx.stx_dev_major, sx.stx_dev_minor));
    if ((stored & kStoreFound) == 0)
        stored = defaultBits(directory);
    a |= stored & ((stored & kVolumeFound) != 0 ? kVolumeBits | attr::kCompressed : storedBits(directory));
    if (baseName(name)[0] == '.')
        a |= attr::kHidden; // the Linux convention for hidden entries
    out.attributes = a;
    out.size = directory ? 0 : sx.stx_size;
    out.lastWrite = nanos(sx.stx_mtime);
    out.lastAccess = nanos(sx.stx_atime);
    out.creation = (sx.stx_mask & STATX_BTIME) != 0 ? nanos(sx.stx_btime) : nanos(sx.stx_ctime);
    out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.inode = sx.stx_ino;
    out.mode = sx.stx_mode & 07777;
    out.change = nanos(sx.stx_ctime);
    out.fileType = sx.stx_mode & S_IFMT;
    out.links = sx.stx_nlink;
    out.owner = sx.stx_uid;
    out.group = sx.stx_gid;
    out.mountRoot =
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    error = error::kSuccess;
    return true;
}

bool statAt(int dirFd, const char* name, const char* fullPath, FileEntry& out, ErrorCode& error, bool withStore)
{
    EntryPath path;
    path.full = fullPath;
    return statWith(dirFd, name, path, out, error, withStore);
}

bool statIn(int dirFd, const std::string& folder, const char* name, FileEntry& out, ErrorCode& error, bool withStore)
{
    EntryPath path;
    path.folder = &folder;
    path.name = name;
    return statWith(dirFd, name, path, out, error, withStore);
}

// What the store must hold for bits: nothing (false) when the entry shows
// them without it: the default bits, and "hidden" of a name that begins
// with a dot.
static bool storeNeeded(const char* name, bool directory, std::uint32_t& bits)
{
    bits &= storedBits(directory);
    if (baseName(name)[0] == '.')
        bits &= ~attr::kHidden;
    return bits != defaultBits(directory);
}

// The text form with its final zero byte; returns its length.
static std::size_t formatDosAttrib(std::uint32_t bits, char (&value)[16])
{
    return static_cast<std::size_t>(std::snprintf(value, sizeof value, "0x%x", bits)) + 1;
}

namespace {

// Writes the bits into the volume's own attributes of the entry open as fd,
// keeping every other bit the volume has there.
bool writeVolumeAttributes(int fd, Home home, std::uint32_t bits, ErrorCode& error)
{
    bits &= kVolumeBits;
    if (home == Home::Ntfs) {
        std::uint32_t now = 0;
        if (!readNtfsAttributes(fd, now)) {
            error = lastError();
            return false;
        }
        const std::uint32_t wanted = (now & ~kVolumeBits) | bits;
        return wanted == now || writeNtfsAttributes(fd, wanted, error);
    }
    // FAT's calls need a descriptor that reads.
    const int readable = ::open(selfPath(fd).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    std::uint32_t now = 0;
    bool ok = readable >= 0 && ::ioctl(readable, FAT_IOCTL_GET_ATTRIBUTES, &now) == 0;
    if (ok) {
        std::uint32_t wanted = (now & ~kVolumeBits) | bits;
        ok = wanted == now || ::ioctl(readable, FAT_IOCTL_SET_ATTRIBUTES, &wanted) == 0;
    }
    if (!ok)
        error = lastError();
    if (readable >= 0)
        ::close(readable);
    return ok;
}

} // namespace

bool readNtfsAttributes(int fd, std::uint32_t& bits)
{
    unsigned char value[4];
    if (::getxattr(selfPath(fd).c_str(), kNtfsAttribName, value, sizeof value) != sizeof value)
        return false;
    bits = readBigEndian32(value);
    return true;
}

bool writeNtfsAttributes(int fd, std::uint32_t bits, ErrorCode& error)
{
    const unsigned char value[4] = {static_cast<unsigned char>(bits >> 24), static_cast<unsigned char>(bits >> 16),
                                    static_cast<unsigned char>(bits >> 8), static_cast<unsigned char>(bits)};
    if (::setxattr(selfPath(fd).c_str(), kNtfsAttribName, value, sizeof value, 0) != 0) {
        error = lastError();
        return false;
    }
    return true;
}

void forgetVolumeHomes() { volumesSeen.fetch_add(1, std::memory_order_relaxed); }

bool writeDosAttributes(int fd, const std::string& name, bool directory, std::uint32_t bits, ErrorCode& error)
{
    if (const Home home = homeOfFd(fd); home != Home::Store)
        return writeVolumeAttributes(fd, home, bits, error);
    // A descriptor opened only to name the entry (O_PATH) takes no calls of
    // its own: its name in /proc leads to the same entry.
    const std::string self = selfPath(fd);
    if (!storeNeeded(name.c_str(), directory, bits)) {
        const bool gone =
            fremovexattr(fd, kDosAttribName) == 0 || (errno == EBADF && removexattr(self.c_str(), kDosAttribName) == 0);
        if (!gone && errno != ENODATA && errno != ENOTSUP) {
            error = lastError();
            return false;
        }
        return true;
    }
    char value[16];
    const std::size_t length = formatDosAttrib(bits, value);
    if (fsetxattr(fd, kDosAttribName, value, length, 0) != 0
        && (errno != EBADF || setxattr(self.c_str(), kDosAttribName, value, length, 0) != 0)) {
        error = lastError();
        return false;
    }
    return true;
}

bool writeNewDosAttributes(int fd, const std::string& name, std::uint32_t bits, ErrorCode& error)
{
    if (const Home home = homeOfFd(fd); home != Home::Store)
        return writeVolumeAttributes(fd, home, bits, error);
    if (!storeNeeded(name.c_str(), false, bits))
        return true;
    char value[16];
    const std::size_t length = formatDosAttrib(bits, value);
    // A volume without extended attributes cannot keep them; the copy
    // itself is still good.
    if (fsetxattr(fd, kDosAttribName, value, length, 0) != 0 && errno != ENOTSUP) {
        error = lastError();
        return false;
    }
    return true;
}

} // namespace zdr::platform
