// The pieces of a file copy: the pending file that is put in place only
// when complete, the content copy in steps, links, and lookups by folder.
#include "platform/ContentCopy.h"
#include "platform/FolderLookup.h"
#include "platform/LinkCopy.h"
#include "platform/PendingFile.h"
#include "support/TempDir.h"
#include "support/WriteFault.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace zdr::platform {
namespace {

using test::TempDir;

std::size_t entries(const std::string& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

// Copies source into target through a pending file; the error of the
// first step that failed, or 0.
ErrorCode copy(const std::string& source, const std::string& target, bool replace, std::uint32_t attributes = 0)
{
    PendingFile file;
    ErrorCode error = 0;
    if (file.open(source, target, error) && copyContent(file.sourceFd(), file.fd(), file.size(), file.size(), {}, error)
        && file.finish(attributes, error) && file.commit(replace, error))
        return 0;
    return error;
}

TEST(PendingFile, PutInPlaceOnlyWhenComplete)
{
    TempDir dir;
    const std::string source = dir.write("src/a", "new content");
    chmod(source.c_str(), 0640);
    const timespec times[2] = {{1500000000, 123456789}, {1600000000, 987654321}};
    utimensat(AT_FDCWD, source.c_str(), times, 0);
    const std::string target = dir.file("dst/a");
    dir.mkdir("dst");

    ASSERT_EQ(copy(source, target, false), 0u);
    struct stat st {};
    stat(target.c_str(), &st); // before reading it moves the access time
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(dir.read("dst/a"), "new content");
    stat(source.c_str(), &st);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789) << "the source's access time stays";

    // An existing target is replaced only when that is allowed.
    dir.write("dst/a", "old");
    EXPECT_EQ(copy(source, target, false), error::kFileExists);
    EXPECT_EQ(dir.read("dst/a"), "old");
    ASSERT_EQ(copy(source, target, true, attr::kReadOnly), 0u);
    EXPECT_EQ(dir.read("dst/a"), "new content");
    stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u) << "read-only asked for";
    EXPECT_EQ(entries(dir.file("dst")), 1u);

    // Dropped before the commit: nothing is left.
    {
        PendingFile dropped;
        ErrorCode error = 0;
        ASSERT_TRUE(dropped.open(source, dir.file("dst/b"), error));
        ASSERT_EQ(write(dropped.fd(), "partial", 7), 7);
    }
    EXPECT_EQ(entries(dir.file("dst")), 1u);
}

TEST(PendingFile, SourcesThatCannotBeCopiedSo)
{
    TempDir dir;
    dir.mkdir("dst");
    mkfifo(dir.file("pipe").c_str(), 0644);
    dir.mkdir("folder");
    const struct {
        const char* name;
        ErrorCode error;
    } cases[] = {{"pipe", error::kNotSupported}, {"folder", error::kDirectory}, {"missing", error::kFileNotFound}};
    for (const auto& c : cases) {
        EXPECT_EQ(copy(dir.file(c.name), dir.file(std::string("dst/") + c.name), false), c.error) << c.name;
        EXPECT_EQ(entries(dir.file("dst")), 0u) << c.name;
    }
}

TEST(PendingFile, SourceThatChangesWhileItIsCopied)
{
    const struct {
        const char* label;
        void (*change)(const std::string&);
        ErrorCode error;
    } cases[] = {
        {"removed", [](const std::string& p) { unlink(p.c_str()); }, error::kFileNotFound},
        {"written", [](const std::string& p) { std::ofstream(p) << "other content, longer"; },
         error::kSharingViolation},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir.write("a", "content");
        dir.mkdir("dst");
        PendingFile file;
        ErrorCode error = 0;
        ASSERT_TRUE(file.open(source, dir.file("dst/a"), error));
        ASSERT_TRUE(copyContent(file.sourceFd(), file.fd(), file.size(), file.size(), {}, error));
        c.change(source);
        EXPECT_FALSE(file.finish(0, error)) << c.label;
        EXPECT_EQ(error, c.error) << c.label;
    }
}

// Opened after it was examined: what is copied must be the file seen, not
// one put in its place meanwhile (nor what a link put there points to).
TEST(PendingFile, SourceReplacedAfterItWasExamined)
{
    const struct {
        const char* label;
        bool (*replace)(const std::string& source, const std::string& other);
        bool opens;
    } cases[] = {
        {"another file, same size and time",
         [](const std::string& p, const std::string& o) { return rename(o.c_str(), p.c_str()) == 0; }, true},
        {"a link",
         [](const std::string& p, const std::string& o) {
             return unlink(p.c_str()) == 0 && symlink(o.c_str(), p.c_str()) == 0;
         },
         false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir.write("a", "content");
        const std::string other = dir.write("secret", "private");
        const timespec times[2] = {{1500000000, 0}, {1600000000, 0}};
        utimensat(AT_FDCWD, source.c_str(), times, 0);
        utimensat(AT_FDCWD, other.c_str(), times, 0);
        dir.mkdir("dst");
        FileEntry seen;
        ErrorCode error = 0;
        ASSERT_TRUE(statEntry(source, seen, error));
        ASSERT_TRUE(c.replace(source, other)) << c.label;
        PendingFile file;
        const bool opened = file.open({AT_FDCWD, source}, seen, {AT_FDCWD, dir.file("dst/a")}, error);
        EXPECT_EQ(opened, c.opens) << c.label;
        if (opened) {
            ASSERT_TRUE(copyContent(file.sourceFd(), file.fd(), file.size(), file.size(), {}, error));
            EXPECT_FALSE(file.finish(0, error)) << c.label;
            EXPECT_EQ(error, error::kSharingViolation) << c.label;
        }
        EXPECT_EQ(entries(dir.file("dst")), 0u) << c.label;
    }
}

TEST(ContentCopy, StepsCancelAndShortSources)
{
    TempDir dir;
    const std::string content(300000, 'q');
    const std::string source = dir.write("a", content);
    for (const std::uint64_t size : {std::uint64_t{1000}, std::uint64_t{300000}}) { // through the buffer, in the kernel
        const int in = open(source.c_str(), O_RDONLY);
        const int out = open(dir.file("b").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        std::vector<std::uint64_t> steps;
        ErrorCode error = 0;
        EXPECT_TRUE(copyContent(
            in, out, size, 128 * 1024,
            [&](std::uint64_t done) {
                steps.push_back(done);
                return true;
            },
            error));
        EXPECT_EQ(steps.back(), size);
        EXPECT_EQ(steps.size(), size > 128 * 1024 ? 3u : 1u);
        EXPECT_EQ(dir.read("b"), content.substr(0, size));
        // Stopped after the first step.
        EXPECT_FALSE(copyContent(
            in, out, size, 128 * 1024, [](std::uint64_t) { return false; }, error));
        EXPECT_EQ(error, error::kRequestAborted);
        // The source is shorter than it said.
        EXPECT_FALSE(copyContent(in, out, content.size() + 10, content.size() + 10, {}, error));
        EXPECT_EQ(error, error::kHandleEof);
        // A write that fails in the seam.
        {
            test::WriteFault fault(0, EIO);
            EXPECT_FALSE(copyContent(in, out, size, size, {}, error));
            EXPECT_EQ(error, error::kIoDevice);
            EXPECT_GT(fault.writes(), 0);
        }
        close(in);
        close(out);
    }
}

TEST(LinkCopy, LinksAreCopiedAsLinks)
{
    TempDir dir;
    std::filesystem::create_symlink("../somewhere", dir.file("link"));
    dir.write("dst/link", "a file in the way");
    ErrorCode error = 0;
    EXPECT_FALSE(copyLink(dir.file("link"), dir.file("dst/link"), false, error));
    EXPECT_EQ(error, error::kFileExists);
    EXPECT_EQ(dir.read("dst/link"), "a file in the way");
    ASSERT_TRUE(copyLink(dir.file("link"), dir.file("dst/link"), true, error));
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("dst/link")), "../somewhere");
    EXPECT_EQ(entries(dir.file("dst")), 1u);
    dir.write("plain", "x");
    EXPECT_FALSE(copyLink(dir.file("plain"), dir.file("dst/plain"), false, error));
}

TEST(FolderLookup, FindsWhatStatEntryFinds)
{
    TempDir dir;
    dir.write("a/one", "1");
    dir.write("b/two", "22");
    FolderLookup lookup;
    FileEntry entry;
    FileEntry direct;
    ErrorCode error = 0;
    for (const char* path : {"a/one", "b/two", "a/one"}) {
        const std::string folder = dir.file(std::filesystem::path(path).parent_path().string());
        ASSERT_TRUE(lookup.statEntry(folder, std::filesystem::path(path).filename(), entry, error)) << path;
        ASSERT_TRUE(statEntry(dir.file(path), direct, error));
        EXPECT_EQ(entry.name, direct.name);
        EXPECT_EQ(entry.size, direct.size);
        EXPECT_EQ(entry.inode, direct.inode);
    }
    EXPECT_FALSE(lookup.statEntry(dir.file("a"), "none", entry, error));
    EXPECT_EQ(error, error::kFileNotFound);
    EXPECT_FALSE(lookup.statEntry(dir.file("missing"), "none", entry, error));
    EXPECT_EQ(error, error::kFileNotFound);
}

} // namespace
} // namespace zdr::platform
