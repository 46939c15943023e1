// Removing entries and saving a file before it is replaced: what the delete
// and the backup stand on.
#include "platform/DirectoryReader.h"
#include "platform/Folders.h"
#include "platform/ParallelRemover.h"
#include "platform/Paths.h"
#include "platform/SavedCopy.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

namespace zdr::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(ParallelRemover, ResultsComeInTheOrderAsked)
{
    // Without threads (a volume in memory) the collector removes them itself.
    for (const unsigned threads : {4u, 1u, 0u}) {
        TempDir dir;
        for (int i = 0; i < 300; ++i)
            dir.write("f/" + std::to_string(i), "x");
        const int folder = ::open(dir.file("f").c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(folder, 0);
        {
            ParallelRemover remover(threads);
            for (int i = 0; i < 300; ++i)
                remover.submit(folder, std::to_string(i % 7 == 3 ? 1000 + i : i)); // every seventh is not there
            EXPECT_EQ(remover.pending(), 300u);
            ErrorCode error = 0;
            for (int i = 0; i < 250; ++i) {
                ASSERT_TRUE(remover.next(error));
                EXPECT_EQ(error, i % 7 == 3 ? error::kFileNotFound : error::kSuccess) << i;
            }
            // The rest is finished when the remover goes, whether collected or not.
        }
        std::size_t left = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.file("f")))
            ++left;
        EXPECT_EQ(left, 300u / 7 + 1) << "only the ones skipped, threads: " << threads;
        ::close(folder);
    }

    ParallelRemover idle;
    ErrorCode error = 0;
    EXPECT_FALSE(idle.next(error));
}

TEST(RemoveEntry, RelativeToAnOpenFolderAndNeverThroughALink)
{
    TempDir dir;
    dir.write("outside/keep.txt", "k");
    dir.write("src/a.txt", "a");
    dir.mkdir("src/Leer");
    fs::create_directory_symlink(dir.file("outside"), dir.file("src/link"));
    DirectoryReader reader;
    ErrorCode error = 0;
    ASSERT_TRUE(reader.open(dir.file("src"), error));
    FileEntry entry;
    while (reader.next(entry, error)) {
        EXPECT_TRUE(removeEntry(reader.fd(), entry.name, entry.isDirectory(), error)) << entry.name;
    }
    EXPECT_EQ(error, error::kSuccess);
    EXPECT_TRUE(reader.isOpen()) << "open after the end, for what is done relative to it";
    EXPECT_TRUE(fs::is_empty(dir.file("src")));
    EXPECT_EQ(dir.read("outside/keep.txt"), "k");
    dir.write("src/Voll/x", "x");
    EXPECT_FALSE(removeEntry(-1, dir.file("src/Voll"), true, error));
    EXPECT_EQ(error, error::kDirNotEmpty);
}

TEST(Paths, WithinAFolderWithoutSteppingOut)
{
    const struct {
        const char* path;
        const char* folder;
        bool within;
    } rows[] = {
        {"/data", "/data", true},      {"/data/a/b", "/data", true},
        {"/data/a", "/data/", true},   {"/x", "/", true},
        {"/data2", "/data", false},    {"/data/../etc", "/data", false},
        {"/data/./a", "/data", false}, {"/data//a", "/data", false},
        {"/data/a/", "/data", false},  {"/etc", "/data", false},
        {"/data/a..b", "/data", true}, {"/d", "", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(isWithin(row.path, row.folder), row.within) << row.path << " in " << row.folder;
}

TEST(SavedCopy, ASecondNameOrACompleteCopyNeverOverOne)
{
    TempDir dir;
    const std::string old = dir.write("target.txt", "alt");
    ErrorCode error = 0;
    ASSERT_TRUE(saveCopy(old, dir.file("saved.txt"), error));
    // Replaced by a new file renamed over it, as the copy replaces: the saved one keeps the old content.
    dir.write("new.txt", "neu");
    fs::rename(dir.file("new.txt"), old);
    EXPECT_EQ(dir.read("saved.txt"), "alt");
    EXPECT_FALSE(saveCopy(old, dir.file("saved.txt"), error));
    EXPECT_EQ(error, error::kFileExists);
    EXPECT_EQ(dir.read("saved.txt"), "alt");
    fs::create_symlink("irgendwo", dir.file("link"));
    ASSERT_TRUE(saveCopy(dir.file("link"), dir.file("savedLink"), error));
    EXPECT_EQ(fs::read_symlink(dir.file("savedLink")), "irgendwo");

    // Another volume: copied whole, with the old file's time.
    const std::string other = dir.mkdir("other");
    test::ScratchMount mount = test::ScratchMount::tmpfs(other, "1M");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    ASSERT_TRUE(saveCopy(old, dir.file("other/saved.txt"), error));
    EXPECT_EQ(dir.read("other/saved.txt"), "neu");
    EXPECT_EQ(fs::last_write_time(dir.file("other/saved.txt")), fs::last_write_time(old));
    ASSERT_TRUE(saveCopy(dir.file("link"), dir.file("other/link"), error));
    EXPECT_TRUE(fs::is_symlink(dir.file("other/link")));
    dir.write("big", std::string(2 * 1024 * 1024, 'b'));
    EXPECT_FALSE(saveCopy(dir.file("big"), dir.file("other/big"), error));
    EXPECT_EQ(error, error::kDiskFull);
    EXPECT_FALSE(fs::exists(dir.file("other/big"))) << "nothing half";
}

} // namespace
} // namespace zdr::platform
