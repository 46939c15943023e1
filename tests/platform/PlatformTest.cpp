#include "platform/DirectoryReader.h"
#include "platform/DosAttributes.h"
#include "platform/FileEntry.h"
#include "platform/FileIo.h"
#include "platform/FolderToChange.h"
#include "platform/Paths.h"
#include "platform/VolumeTimes.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

namespace zdr::platform {
namespace {

using test::TempDir;

std::map<std::string, FileEntry> listAll(const std::string& folder)
{
    std::map<std::string, FileEntry> entries;
    DirectoryReader reader;
    ErrorCode error = 0;
    EXPECT_TRUE(reader.open(folder, error));
    FileEntry entry;
    while (reader.next(entry, error))
        entries[entry.name] = entry;
    EXPECT_EQ(error, 0u);
    return entries;
}

bool xattrsWork(const std::string& path)
{
    return setxattr(path.c_str(), "user.zdrprobe", "1", 1, 0) == 0 && removexattr(path.c_str(), "user.zdrprobe") == 0;
}

TEST(DirectoryReader, ListsEntriesWithSizeTimesAndAttributes)
{
    TempDir dir;
    const std::string file = dir.write("a.txt", "12345");
    dir.mkdir("Sub");
    dir.write(".hidden", "");
    const timespec times[2] = {{1000, 5}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    ASSERT_EQ(symlink("/etc", dir.file("link").c_str()), 0);

    const auto entries = listAll(dir.path());
    ASSERT_EQ(entries.size(), 4u);
    const FileEntry& a = entries.at("a.txt");
    EXPECT_EQ(a.size, 5u);
    EXPECT_EQ(a.lastWrite, 1700000000LL * 1000000000 + 123456789);
    EXPECT_EQ(a.attributes, attr::kArchive);
    EXPECT_EQ(entries.at("Sub").attributes, attr::kDirectory);
    EXPECT_EQ(entries.at("Sub").size, 0u);
    EXPECT_TRUE(entries.at(".hidden").attributes & attr::kHidden);
    // A link is reported as itself, never followed.
    EXPECT_TRUE(entries.at("link").isSymlink());
    EXPECT_FALSE(entries.at("link").isDirectory());
}

// A time before 1970 is a negative count of nanoseconds: its part below the
// second must still come out as the kernel wants it (0 to 999,999,999).
TEST(FileEntry, LastWriteBeforeNineteenSeventyIsSet)
{
    TempDir dir;
    const std::string folder = dir.mkdir("Alt");
    const std::int64_t when = -1500000000LL * 1000000000 - 250000000; // 1922, and a quarter second
    ErrorCode error = 0;
    FolderToChange opened;
    ASSERT_TRUE(opened.open(AT_FDCWD, folder, error)) << error;
    ASSERT_TRUE(opened.setLastWrite(when, error)) << error;
    FileEntry entry;
    ASSERT_TRUE(statEntry(folder, entry, error));
    EXPECT_EQ(entry.lastWrite, when);
}

TEST(DirectoryReader, ListsFilesByNameThenFolders)
{
    TempDir dir;
    for (const char* name : {"b.bak", "Temp", "a.txt", "Sub", "c.txt"}) {
        if (name[0] >= 'A' && name[0] <= 'Z')
            dir.mkdir(name);
        else
            dir.write(name, "x");
    }
    DirectoryReader reader;
    ErrorCode error = 0;
    ASSERT_TRUE(reader.open(dir.path(), error));
    std::vector<std::string> names;
    FileEntry entry;
    while (reader.next(entry, error))
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.bak", "c.txt", "Sub", "Temp"}));
}

// Entries examined ahead on the helper come out as the reader's own, in the
// same order; a reader closed halfway takes its folder back from the helper.
TEST(DirectoryReader, ReadAheadGivesTheSameEntries)
{
    TempDir dir;
    for (int i = 0; i < 300; ++i) {
        const std::string file = dir.write("f" + std::to_string(i), std::string(static_cast<std::size_t>(i), 'x'));
        if (i % 7 == 0)
            chmod(file.c_str(), 0444);
    }
    dir.mkdir("Sub");
    const auto list = [&](bool ahead, std::size_t stopAfter) {
        std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t, std::int64_t>> seen;
        DirectoryReader reader;
        reader.setReadAhead(ahead);
        ErrorCode error = 0;
        EXPECT_TRUE(reader.open(dir.path(), error));
        FileEntry entry;
        while (seen.size() < stopAfter && reader.next(entry, error))
            seen.emplace_back(entry.name, entry.attributes, entry.size, entry.lastWrite);
        EXPECT_EQ(error, 0u);
        return seen;
    };
    const auto plain = list(false, 1000);
    ASSERT_EQ(plain.size(), 301u);
    EXPECT_EQ(list(true, 1000), plain);
    for (int round = 0; round < 20; ++round)
        EXPECT_EQ(list(true, 5).size(), 5u);
}

// Subfolders listed ahead on the helpers give the walk what it would have
// found itself, in its order; listings the walk does not come for (a folder
// it leaves early, one it does not want) are released with their folders.
TEST(DirectoryReader, ListAheadGivesTheSameWalk)
{
    TempDir dir;
    for (int a = 0; a < 9; ++a) {
        const std::string top = "d" + std::to_string(a);
        dir.mkdir(top);
        for (int i = 0; i < 5; ++i)
            dir.write(top + "/f" + std::to_string(i), std::string(static_cast<std::size_t>(a + i), 'x'));
        for (int b = 0; b < 7; ++b) {
            const std::string sub = top + "/s" + std::to_string(b);
            dir.mkdir(sub);
            dir.write(sub + "/g", "y");
            if (b % 3 == 0)
                dir.mkdir(sub + "/Temp");
        }
    }
    ASSERT_EQ(symlink(dir.file("d1").c_str(), dir.file("d0/s9").c_str()), 0);
    const auto openFolders = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator{});
    };
    using Seen = std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t, ErrorCode>>;
    const auto walk = [&](bool ahead, std::size_t stopAfter) {
        Seen seen;
        const auto wanted = [](const std::string& name) { return name != "Temp"; };
        const auto into = [&](auto& self, DirectoryReader& reader, const std::string& path) -> void {
            FileEntry entry;
            ErrorCode error = 0;
            while (seen.size() < stopAfter && reader.isOpen()) {
                if (!reader.next(entry, error) && error == 0)
                    break;
                seen.emplace_back(path + entry.name, entry.attributes, entry.size, error);
                if (!entry.isDirectory() || !wanted(entry.name))
                    continue;
                DirectoryReader child;
                child.setReadAhead(ahead);
                if (ahead)
                    child.setListAhead(wanted);
                ErrorCode childError = 0;
                if (!child.openChild(reader, entry.name, childError)) {
                    seen.emplace_back(path + entry.name + "/", 0, 0, childError);
                    continue;
                }
                self(self, child, path + entry.name + "/");
            }
        };
        DirectoryReader root;
        root.setReadAhead(ahead);
        if (ahead)
            root.setListAhead(wanted);
        ErrorCode error = 0;
        EXPECT_TRUE(root.open(dir.path(), error));
        into(into, root, "");
        return seen;
    };
    const auto before = openFolders();
    const Seen plain = walk(false, 100000);
    ASSERT_EQ(plain.size(), 9u * (1 + 5 + 7 * 2 + 3) + 1u);
    EXPECT_EQ(walk(true, 100000), plain);
    for (std::size_t stop = 1; stop < plain.size(); stop += 13)
        EXPECT_EQ(walk(true, stop), Seen(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(stop)));
    EXPECT_EQ(openFolders(), before);
}

TEST(DirectoryReader, ReportsMissingAndUnreadableFolders)
{
    TempDir dir;
    DirectoryReader reader;
    ErrorCode error = 0;
    EXPECT_FALSE(reader.open(dir.file("missing"), error));
    EXPECT_EQ(error, error::kFileNotFound);
    const std::string locked = dir.mkdir("locked");
    chmod(locked.c_str(), 0);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    EXPECT_FALSE(reader.open(locked, error));
    EXPECT_EQ(error, error::kAccessDenied);
}

TEST(DirectoryReader, KeepsNamesThatAreNotUtf8)
{
    TempDir dir;
    dir.write("caf\xE9.txt", "x");
    dir.write("pipe|and~°~", "x");
    const auto entries = listAll(dir.path());
    EXPECT_EQ(entries.count("caf\xE9.txt"), 1u);
    EXPECT_EQ(entries.count("pipe|and~°~"), 1u);
}

TEST(Attributes, ReadOnlyIsTheAbsenceOfWriteBits)
{
    TempDir dir;
    const std::string file = dir.write("f", "x");
    ErrorCode error = 0;
    ASSERT_TRUE(setAttributes(file, attr::kReadOnly | attr::kArchive, error));
    FileEntry entry;
    ASSERT_TRUE(statEntry(file, entry, error));
    EXPECT_EQ(entry.attributes & (attr::kReadOnly | attr::kArchive), attr::kReadOnly | attr::kArchive);
    struct stat st {};
    stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    ASSERT_TRUE(setAttributes(file, attr::kArchive, error));
    ASSERT_TRUE(statEntry(file, entry, error));
    EXPECT_FALSE(entry.attributes & attr::kReadOnly);
}

TEST(Attributes, HiddenSystemArchiveLiveInTheDosStore)
{
    TempDir dir;
    const std::string file = dir.write("f", "x");
    if (!xattrsWork(file))
        GTEST_SKIP() << "no user extended attributes on " << dir.path();
    ErrorCode error = 0;
    ASSERT_TRUE(setAttributes(file, attr::kHidden | attr::kSystem, error));
    FileEntry entry;
    ASSERT_TRUE(statEntry(file, entry, error));
    EXPECT_EQ(entry.attributes, attr::kHidden | attr::kSystem);
    char value[32] = {};
    ASSERT_GT(getxattr(file.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
    EXPECT_STREQ(value, "0x6");
    // Back to the default: the store is removed.
    ASSERT_TRUE(setAttributes(file, attr::kArchive, error));
    EXPECT_LT(getxattr(file.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
}

TEST(Attributes, ParsesTheStoredForms)
{
    const unsigned char text[] = "0x22";
    EXPECT_EQ(parseDosAttrib(text, sizeof text), attr::kHidden | attr::kArchive);
    const unsigned char v1[] = {1, 0, 1, 0, 0x06, 0, 0, 0};
    EXPECT_EQ(parseDosAttrib(v1, sizeof v1), attr::kHidden | attr::kSystem);
    const unsigned char v4[] = {4, 0, 4, 0, 0xff, 0, 0, 0, 0x20, 0, 0, 0};
    EXPECT_EQ(parseDosAttrib(v4, sizeof v4), attr::kArchive);
    const unsigned char junk[] = {0xff, 0xff, 1};
    EXPECT_EQ(parseDosAttrib(junk, sizeof junk), 0u);
}

TEST(FileIo, AtomicWriteReplacesWholeOrNotAtAll)
{
    TempDir dir;
    const std::string file = dir.write("p.xml", "old");
    ErrorCode error = 0;
    ASSERT_TRUE(writeFileAtomically(file, "new content", error));
    EXPECT_EQ(dir.read("p.xml"), "new content");
    // The disk fills up midway: the old file stays and no temporary is left.
    {
        test::FileSizeLimit full(4);
        EXPECT_FALSE(writeFileAtomically(file, "longer than four bytes", error));
    }
    EXPECT_EQ(dir.read("p.xml"), "new content");
    EXPECT_EQ(listAll(dir.path()).size(), 1u);
    // A name that is a folder cannot be replaced.
    dir.write("folder/inside", "x");
    EXPECT_FALSE(writeFileAtomically(dir.file("folder"), "x", error));
    EXPECT_EQ(listAll(dir.path()).size(), 2u);
    // What a killed save of this file left goes with the next save; a live
    // process's and another file's stay.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    const std::string stale = dir.write(".p.xml.zdrtmp-" + std::to_string(child) + "-0", "halb");
    const std::string live = dir.write(".p.xml.zdrtmp-1-0", "lebt");
    const std::string other = dir.write(".q.xml.zdrtmp-" + std::to_string(child) + "-0", "fremd");
    ASSERT_TRUE(writeFileAtomically(file, "again", error));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(other));
}

TEST(FileIo, AtomicWriteKeepsTheRightsAndFollowsLinks)
{
    TempDir dir;
    const std::string file = dir.write("real/p.xml", "old");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(file.c_str(), 12345, 23456), 0);
    }
    const bool xattrs = setxattr(file.c_str(), "user.zdr", "wert", 4, 0) == 0;
    // An access list that lets user 12345 read: owner rw, that user r,
    // group r, mask r, others nothing (version 2, then tag, bits, id).
    const auto le16 = [](std::string& out, unsigned v) {
        out += {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    };
    std::string acl;
    le16(acl, 2);
    le16(acl, 0);
    for (const auto& [tag, bits, id] :
         {std::tuple{0x01u, 6u, ~0u}, std::tuple{0x02u, 4u, 12345u}, std::tuple{0x04u, 4u, ~0u},
          std::tuple{0x10u, 4u, ~0u}, std::tuple{0x20u, 0u, ~0u}}) {
        le16(acl, tag);
        le16(acl, bits);
        le16(acl, id & 0xffff);
        le16(acl, id >> 16);
    }
    const bool acls = setxattr(file.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    std::filesystem::create_symlink("real/p.xml", dir.file("link.xml"));
    ErrorCode error = 0;
    ASSERT_TRUE(writeFileAtomically(dir.file("link.xml"), "new", error));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.xml"))) << "the link stays a link";
    EXPECT_EQ(dir.read("real/p.xml"), "new");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 23456u);
    }
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(getxattr(file.c_str(), "user.zdr", value, sizeof value), 4);
        EXPECT_EQ(std::string(value), "wert");
    }
    if (acls) {
        std::string kept(acl.size(), '\0');
        EXPECT_EQ(getxattr(file.c_str(), "system.posix_acl_access", kept.data(), kept.size()),
                  static_cast<ssize_t>(acl.size()));
        EXPECT_EQ(kept, acl) << "the access list stays";
    }
    // A new file gets the mode asked for.
    ASSERT_TRUE(writeFileAtomically(dir.file("neu.xml"), "geheim", error, 0600));
    ASSERT_EQ(stat(dir.file("neu.xml").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST(FileIo, ReadRefusesLargeAndMissingFiles)
{
    TempDir dir;
    const std::string file = dir.write("big", std::string(2000, 'x'));
    std::string data;
    ErrorCode error = 0;
    bool tooLarge = false;
    EXPECT_FALSE(readWholeFile(file, 1000, data, error, &tooLarge));
    EXPECT_TRUE(tooLarge);
    EXPECT_FALSE(readWholeFile(dir.file("gone"), 1000, data, error, &tooLarge));
    EXPECT_EQ(error, error::kFileNotFound);
    EXPECT_FALSE(readWholeFile(dir.path(), 1000, data, error));
}

TEST(Paths, SeparatorsRootsAndStoredEntries)
{
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/", "b"), "/b");
    EXPECT_EQ(parentPath("/a/b"), "/a");
    EXPECT_EQ(parentPath("/a"), "/");
    EXPECT_EQ(withoutTrailingSeparator("/a/b//"), "/a/b");
    EXPECT_EQ(withoutTrailingSeparator("/"), "/");
    EXPECT_EQ(entryToRelativePath("\\Daten\\Sub"), "Daten/Sub");
    EXPECT_EQ(entryToRelativePath("Text 01.txt"), "Text 01.txt");
    EXPECT_EQ(folderEntryFromRelativePath("A/B"), "\\A\\B");
    EXPECT_FALSE(programFolder().empty());
}

TEST(Paths, DrivesShowTheirFileSystemsLabel)
{
    EXPECT_EQ(labelFromLinkName("Daten\\x201"), "Daten 1");
    EXPECT_EQ(labelFromLinkName("a\\x2fb\\x"), "a/b\\x");
    TempDir dir;
    const std::string folder = dir.mkdir("mnt");
    const auto mount = test::ScratchMount::btrfs(folder, dir.file("disk.img"), "Daten 1");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a btrfs image here";
    const DriveInfo drive = driveInfo(folder + "/");
    EXPECT_EQ(drive.letter, "mnt");
    EXPECT_EQ(drive.label, "Daten 1");
}

TEST(ErrorCodes, MapErrnoToTheSystemsNumbers)
{
    EXPECT_EQ(fromErrno(EACCES), error::kAccessDenied);
    EXPECT_EQ(fromErrno(ENOSPC), error::kDiskFull);
    EXPECT_EQ(fromErrno(EEXIST), error::kFileExists);
    EXPECT_STREQ(systemMessage(error::kAccessDenied), "Zugriff verweigert");
    EXPECT_STRNE(systemMessage(fromErrno(EPIPE)), "");
    EXPECT_STREQ(systemMessage(fromErrno(ENXIO)), "Das Gerät oder die Adresse ist nicht vorhanden.");
    // Every errno the system has gets a German text of its own, never the
    // platform's English one.
    for (int e = 1; e <= 133; ++e) {
        const std::string text = systemMessage(fromErrno(e));
        if (e == 41 || e == 58) // numbers Linux leaves unused
            continue;
        EXPECT_NE(text, std::strerror(e)) << e;
        EXPECT_NE(text, "Unbekannter Systemfehler.") << e;
    }
}

// How finely a volume keeps file times: from its driver's name in the mount
// table, or from a time written and read back.
TEST(VolumeTimes, DriversAndReadBackTellThePrecision)
{
    const std::string mountinfo =
        "26 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "66 46 7:0 / /media/stick rw,nosuid - fuseblk /dev/loop0 rw,user_id=0,allow_other\n"
        "70 30 0:52 / /run/user/1000/gvfs rw,nosuid,nodev shared:60 - fuse.gvfsd-fuse gvfsd-fuse rw,user_id=1000\n"
        "71 30 0:53 / /media/win rw - fuseblk.ntfs-3g /dev/sdb1 rw\n";
    EXPECT_EQ(mountTypeOf(mountinfo, 7, 0), "fuseblk");
    EXPECT_EQ(mountTypeOf(mountinfo, 0, 52), "fuse.gvfsd-fuse");
    EXPECT_EQ(mountTypeOf(mountinfo, 0, 5), "");
    EXPECT_EQ(userSpacePrecision(mountTypeOf(mountinfo, 0, 52)), 1'000'000'000);
    EXPECT_EQ(userSpacePrecision(mountTypeOf(mountinfo, 0, 53)), 100);
    EXPECT_EQ(userSpacePrecision("fuseblk"), 0) << "exfat-fuse and ntfs-3g alike: found otherwise";
    EXPECT_EQ(userSpacePrecision("fuse.sshfs"), 0);

    constexpr std::int64_t w = 1'600'000'001'123'456'789;
    const struct {
        std::int64_t read;
        std::int64_t precision;
    } cases[] = {
        {w, kExactTimes},
        {w - 89, 100},                      // NTFS
        {w - 789, 1000},                    // microseconds
        {w - 3'456'789, 10'000'000},        // exFAT in the kernel
        {w - 123'456'789, 1'000'000'000},   // exfat-fuse, gvfs
        {w - 1'123'456'789, 2'000'000'000}, // FAT cuts down
        {w + 876'543'211, 2'000'000'000},   // or rounds up
        {w - 50'000'000'000, kExactTimes},  // nothing plausible
        {w - 1, kExactTimes},
    };
    for (const auto& c : cases)
        EXPECT_EQ(precisionFromReadBack(w, c.read), c.precision) << c.read - w;

    TempDir dir;
    const int fd = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    EXPECT_EQ(volumeTimePrecision(fd, true), kExactTimes) << "the test folder's volume keeps nanoseconds";
    ::close(fd);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing left of a look";
}

} // namespace
} // namespace zdr::platform
