// Copies onto the volumes users carry between systems (USB sticks with exFAT
// or FAT, disks that Windows uses with NTFS), mounted through the drivers
// users have: a rerun that copies only differing files copies nothing when
// nothing changed, whatever the volume keeps of the file times, and still
// copies what changed by more than that or in size.
#include "EngineRun.h"
#include "platform/FileEntry.h"
#include "support/ForeignVolume.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zdr::engine {
namespace {

using test::EngineRun;
using test::ForeignVolume;
using test::TempDir;

// Before any thread: the mounts of these tests stay in the process.
std::string noMounts;
class PrivateMounts : public ::testing::Environment {
public:
    void SetUp() override { noMounts = ForeignVolume::privateMounts(); }
};
[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PrivateMounts);

constexpr std::int64_t kSecond = 1000000000;

void setTime(const std::string& path, std::int64_t nanos)
{
    const timespec times[2] = {{nanos / kSecond, nanos % kSecond}, {nanos / kSecond, nanos % kSecond}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::int64_t timeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim.tv_sec * kSecond + st.st_mtim.tv_nsec;
}

struct VolumeCase {
    const char* label;
    ForeignVolume::Kind kind;
    const char* options;
};

class Volumes : public ::testing::TestWithParam<VolumeCase> {};

std::string caseName(const ::testing::TestParamInfo<VolumeCase>& c)
{
    return c.param.kind == ForeignVolume::Kind::ExFat ? "ExFat"
        : c.param.kind == ForeignVolume::Kind::Ntfs   ? "Ntfs"
                                                      : "Fat32";
}

TEST_P(Volumes, UnchangedRerunCopiesNothingAndChangesStillGo)
{
    if (!noMounts.empty())
        GTEST_SKIP() << noMounts;
    TempDir dir;
    ForeignVolume volume(GetParam().kind, dir.mkdir("stick"), dir.file("stick.img"), GetParam().options);
    if (!volume.mounted())
        GTEST_SKIP() << GetParam().label << ": " << volume.skipReason();
    // Times with every digit of the nanoseconds, odd seconds among them
    // (FAT keeps two), and one in whole seconds.
    const std::string source = dir.mkdir("Daten");
    constexpr int kFiles = 12;
    const std::int64_t base = 1700000001 * kSecond;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "Unter/f" + std::to_string(i) + ".txt";
        const std::string path = dir.write("Daten/" + name, std::string(static_cast<std::size_t>(100 + i), 'x'));
        setTime(path, base + i * 3 * kSecond + (i == 0 ? 0 : 123456789 * i % kSecond));
    }
    const project::Task task{.sourceFolder = source, .targetFolder = dir.file("stick")};
    const std::uint32_t differing = status::kCopy | status::kOnlyDifferent | status::kOverwriteExisting;

    // Another user's files with modes of their own: a volume that keeps no
    // owners or modes (exFAT, NTFS, FAT) gives no error lines for them.
    for (const auto& e : std::filesystem::recursive_directory_iterator(source)) {
        ASSERT_EQ(::lchown(e.path().c_str(), 65534, 65534), 0);
        if (e.is_regular_file())
            ::chmod(e.path().c_str(), 0640);
    }
    EngineRun first;
    ASSERT_TRUE(first.run(differing | status::kCreateProtocol, task)) << first.ready();
    ASSERT_EQ(first.counters().CountFiles_Done, kFiles);
    EXPECT_EQ(first.counters().CountFolder_Not, 0);
    EXPECT_EQ(first.engine.Protocol().find("Fehler"), std::string::npos) << first.engine.Protocol();

    for (const std::uint32_t extra : {0u, status::kWithInfo, status::kOnlyNewer}) {
        EngineRun again;
        ASSERT_TRUE(again.run(differing | extra, task)) << again.ready();
        EXPECT_EQ(again.counters().CountFiles_ExistsTimeOk, kFiles) << GetParam().label << " extra " << extra;
        EXPECT_EQ(again.counters().CountFiles_ToDo, 0) << GetParam().label;
    }

    // Changed by more than the volume keeps (FAT's two seconds), or in size
    // at the same time: copied.
    const std::string later = dir.file("Daten/Unter/f3.txt");
    setTime(later, timeOf(later) + 2 * kSecond + kSecond / 10);
    const std::string longer = dir.file("Daten/Unter/f5.txt");
    const std::int64_t kept = timeOf(longer);
    std::ofstream(longer, std::ios::app) << "mehr";
    setTime(longer, kept);
    EngineRun info;
    ASSERT_TRUE(info.run(differing | status::kWithInfo, task)) << info.ready();
    EXPECT_EQ(info.counters().CountFiles_ToDo, 2) << GetParam().label;
    EngineRun changed;
    ASSERT_TRUE(changed.run(differing, task)) << changed.ready();
    EXPECT_EQ(changed.counters().CountFiles_ExistsTimeOk, kFiles - 2) << GetParam().label;
    std::ifstream copied(dir.file("stick/Daten/Unter/f5.txt"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), std::string(105, 'x') + "mehr");
}

std::uint32_t ntfsBits(const std::string& path)
{
    unsigned char v[4] = {};
    if (::getxattr(path.c_str(), "system.ntfs_attrib_be", v, sizeof v) != sizeof v)
        return 0xffffffff;
    return static_cast<std::uint32_t>(v[0]) << 24 | static_cast<std::uint32_t>(v[1]) << 16
        | static_cast<std::uint32_t>(v[2]) << 8 | v[3];
}

// Hidden, system and read-only on NTFS are NTFS's own attributes, which
// Windows shows (not Samba's store beside them); copies carry them across
// volumes both ways, and an unchanged rerun finds them equal.
TEST(NtfsAttributes, AreTheVolumesOwnAndGoBothWays)
{
    if (!noMounts.empty())
        GTEST_SKIP() << noMounts;
    TempDir dir;
    ForeignVolume volume(ForeignVolume::Kind::Ntfs, dir.mkdir("disk"), dir.file("disk.img"));
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    using namespace platform::attr;
    const std::string source = dir.mkdir("Daten");
    const std::string hidden = dir.write("Daten/versteckt.txt", "h");
    const std::string locked = dir.write("Daten/fest.txt", "r");
    dir.write("Daten/normal.txt", "n");
    platform::ErrorCode code = 0;
    ASSERT_TRUE(platform::setAttributes(hidden, kHidden | kSystem | kArchive, code));
    ASSERT_TRUE(platform::setAttributes(locked, kReadOnly | kArchive, code));
    const std::uint32_t differing = status::kCopy | status::kOnlyDifferent | status::kOverwriteExisting;
    const project::Task onto{.sourceFolder = source, .targetFolder = dir.file("disk")};
    EngineRun copy;
    ASSERT_TRUE(copy.run(differing, onto)) << copy.ready();

    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/versteckt.txt")) & 0x27, kHidden | kSystem | kArchive);
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/fest.txt")) & 0x27, kReadOnly | kArchive);
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/normal.txt")) & 0x27, kArchive);
    EXPECT_LT(::getxattr(dir.file("disk/Daten/versteckt.txt").c_str(), "user.DOSATTRIB", nullptr, 0), 0)
        << "nothing beside NTFS's own attributes";
    EngineRun again;
    ASSERT_TRUE(again.run(differing, onto)) << again.ready();
    EXPECT_EQ(again.counters().CountFiles_ExistsTimeOk, 3);

    // A changed source replaces its read-only copy when the task allows it.
    ASSERT_TRUE(platform::setAttributes(locked, kArchive, code));
    dir.write("Daten/fest.txt", "neu");
    ASSERT_TRUE(platform::setAttributes(locked, kReadOnly | kArchive, code));
    EngineRun replace;
    ASSERT_TRUE(replace.run(differing | status::kOverwriteProtected, onto)) << replace.ready();
    EXPECT_EQ(dir.read("disk/Daten/fest.txt"), "neu");
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/fest.txt")) & 0x27, kReadOnly | kArchive);

    // "versteckt" set on the volume goes where Windows looks.
    EngineRun attrib;
    ASSERT_TRUE(
        attrib.run(status::kAttrib,
                   {.sourceFolder = dir.file("disk/Daten"), .selection = {"normal.txt"}, .attributeSet = kHidden}))
        << attrib.ready();
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/normal.txt")) & 0x27, kHidden | kArchive);

    // And back onto the local disk, into the store there.
    EngineRun back;
    ASSERT_TRUE(back.run(status::kCopy, {.sourceFolder = dir.file("disk/Daten"), .targetFolder = dir.mkdir("zurück")}))
        << back.ready();
    platform::FileEntry entry;
    ASSERT_TRUE(platform::statEntry(dir.file("zurück/Daten/versteckt.txt"), entry, code));
    EXPECT_EQ(entry.attributes & 0x27, kHidden | kSystem | kArchive);
    ASSERT_TRUE(platform::statEntry(dir.file("zurück/Daten/fest.txt"), entry, code));
    EXPECT_EQ(entry.attributes & 0x27, kReadOnly | kArchive);
    ASSERT_TRUE(platform::statEntry(dir.file("zurück/Daten/normal.txt"), entry, code));
    EXPECT_EQ(entry.attributes & 0x27, kHidden | kArchive);
}

// "komprimiert" on NTFS (ntfs-3g, compression on) is NTFS's compressed
// attribute: a copied folder gets it before its content, so the files made
// in it are compressed too; the attribute run clears a folder's (a file
// stays as it was made there).
TEST(NtfsAttributes, CompressionIsNtfsOwn)
{
    if (!noMounts.empty())
        GTEST_SKIP() << noMounts;
    TempDir dir;
    ForeignVolume volume(ForeignVolume::Kind::Ntfs, dir.mkdir("disk"), dir.file("disk.img"), "compression");
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    using platform::attr::kCompressed;
    dir.write("Daten/Sub/b.txt", std::string(100000, 'b'));
    dir.write("Daten/a.txt", std::string(100000, 'a'));
    dir.mkdir("Daten/Leer");
    EngineRun copy;
    ASSERT_TRUE(
        copy.run(status::kCopy | status::kCreateProtocol,
                 {.sourceFolder = dir.file("Daten"), .targetFolder = dir.file("disk"), .attributeSet = kCompressed}))
        << copy.ready();
    EXPECT_EQ(copy.engine.Protocol().find("Kompression fehlgeschlagen"), std::string::npos) << copy.engine.Protocol();
    for (const char* path :
         {"disk/Daten", "disk/Daten/Sub", "disk/Daten/Leer", "disk/Daten/a.txt", "disk/Daten/Sub/b.txt"})
        EXPECT_EQ(ntfsBits(dir.file(path)) & kCompressed, kCompressed) << path;
    EXPECT_EQ(dir.read("disk/Daten/Sub/b.txt"), std::string(100000, 'b'));
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    ASSERT_TRUE(platform::statEntry(dir.file("disk/Daten/a.txt"), entry, code));
    EXPECT_NE(entry.attributes & kCompressed, 0u) << "the walk sees it";

    EngineRun clear;
    ASSERT_TRUE(
        clear.run(status::kAttrib,
                  {.sourceFolder = dir.file("disk/Daten"), .selection = {"\\Leer"}, .attributeClear = kCompressed}))
        << clear.ready();
    EXPECT_EQ(clear.ready(), "Ready true '' none");
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/Leer")) & kCompressed, 0u);

    // A file copied into a folder that is not compressed is made compressed
    // all the same; the folder stays as it was.
    dir.write("Quelle/c.txt", std::string(100000, 'c'));
    EngineRun single;
    ASSERT_TRUE(single.run(status::kCopy | status::kCreateProtocol,
                           {.sourceFolder = dir.file("Quelle"),
                            .selection = {"c.txt"},
                            .targetFolder = dir.file("disk/Daten/Leer"),
                            .attributeSet = kCompressed}))
        << single.ready();
    EXPECT_EQ(single.engine.Protocol().find("Kompression fehlgeschlagen"), std::string::npos)
        << single.engine.Protocol();
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/Leer/c.txt")) & kCompressed, kCompressed);
    EXPECT_EQ(ntfsBits(dir.file("disk/Daten/Leer")) & kCompressed, 0u);
}

// Names the target cannot hold fail with a text that says so; of two names
// that differ only in letter case the second fails where the volume takes
// them for one (exfat-fuse), and goes where it does not (ntfs-3g).
TEST_P(Volumes, NamesTheTargetCannotHold)
{
    if (!noMounts.empty())
        GTEST_SKIP() << noMounts;
    const bool foldsCase = GetParam().kind != ForeignVolume::Kind::Ntfs;
    TempDir dir;
    ForeignVolume volume(GetParam().kind, dir.mkdir("stick"), dir.file("stick.img"),
                         GetParam().kind == ForeignVolume::Kind::Ntfs ? "windows_names" : "");
    if (!volume.mounted())
        GTEST_SKIP() << GetParam().label << ": " << volume.skipReason();
    dir.write("Daten/Brief.txt", "der erste");
    dir.write("Daten/brief.txt", "der zweite");
    dir.write("Daten/Frage?.txt", "?");
    dir.write("Daten/a|b/c.txt", "c");
    dir.write("Daten/gut.txt", "gut");
    EngineRun r;
    r.run(status::kCopy | status::kCreateProtocol | status::kOverwriteExisting | status::kContinueAfterError,
          {.sourceFolder = dir.file("Daten"), .targetFolder = dir.file("stick")});
    const std::string& lines = r.engine.Protocol();
    const std::string refused = " - Der Name ist auf dem Ziellaufwerk nicht erlaubt";
    EXPECT_NE(lines.find("Fehler bei Datei: Frage?.txt" + refused), std::string::npos) << lines;
    EXPECT_NE(lines.find("Fehler bei Verzeichnis: a|b" + refused), std::string::npos) << lines;
    EXPECT_EQ(lines.find("nicht gefunden"), std::string::npos) << lines;
    EXPECT_EQ(dir.read("stick/Daten/gut.txt"), "gut");
    if (foldsCase) {
        EXPECT_NE(lines.find("Fehler bei Datei: brief.txt - Das Ziellaufwerk unterscheidet nicht zwischen Groß- und "
                             "Kleinschreibung: die Datei 'Brief.txt' wurde eben dorthin kopiert und bleibt"),
                  std::string::npos)
            << lines;
        EXPECT_EQ(dir.read("stick/Daten/Brief.txt"), "der erste") << "the first copy stays";
        EXPECT_EQ(r.counters().CountFiles_Not, 2);
    } else {
        EXPECT_EQ(dir.read("stick/Daten/Brief.txt"), "der erste");
        EXPECT_EQ(dir.read("stick/Daten/brief.txt"), "der zweite");
        EXPECT_EQ(r.counters().CountFiles_Not, 1);
    }
    EXPECT_EQ(r.counters().CountFolder_Not, 1) << "counted: the run never ends \"erfolgreich\"";
}

// FAT32 holds no file of 4 GiB: such a copy fails before any byte is
// written, with a text that names the limit.
TEST(FatLimit, FileOfFourGibFailsBeforeAnyByte)
{
    if (!noMounts.empty())
        GTEST_SKIP() << noMounts;
    TempDir dir;
    ForeignVolume volume(ForeignVolume::Kind::Fat32, dir.mkdir("stick"), dir.file("stick.img"));
    if (!volume.mounted())
        GTEST_SKIP() << volume.skipReason();
    const std::string big = dir.write("Daten/gross.bin", "");
    ASSERT_EQ(::truncate(big.c_str(), 4LL << 30), 0); // sparse: nothing to read
    dir.write("Daten/klein.txt", "klein");
    EngineRun r;
    r.run(status::kCopy | status::kCreateProtocol | status::kContinueAfterError,
          {.sourceFolder = dir.file("Daten"), .targetFolder = dir.file("stick")});
    EXPECT_NE(r.engine.Protocol().find("Fehler bei Datei: gross.bin - Die Datei ist zu groß für das Dateisystem des "
                                       "Ziellaufwerks (FAT32 nimmt Dateien bis 4 GB: höchstens 4.294.967.295 Byte)"),
              std::string::npos)
        << r.engine.Protocol();
    EXPECT_EQ(dir.read("stick/Daten/klein.txt"), "klein");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("stick/Daten")))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"klein.txt"}) << "nothing of it written, no leftover";
}

INSTANTIATE_TEST_SUITE_P(Sticks, Volumes,
                         ::testing::Values(VolumeCase{"exFAT (exfat-fuse)", ForeignVolume::Kind::ExFat, ""},
                                           VolumeCase{"NTFS (ntfs-3g)", ForeignVolume::Kind::Ntfs, ""},
                                           VolumeCase{"FAT32 (kernel)", ForeignVolume::Kind::Fat32, ""}),
                         caseName);

} // namespace
} // namespace zdr::engine
