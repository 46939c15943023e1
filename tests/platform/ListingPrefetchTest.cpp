// Target lookups made ahead of a walk answer as a lookup at the time would,
// and what changed after the walk left a folder, or after the lookups were
// forgotten, is seen as it is.
#include "platform/FolderLookup.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

namespace zdr::platform {
namespace {

using test::TempDir;

struct Lookup {
    bool found = false;
    ErrorCode error = 0;
    FileEntry entry;
};

Lookup lookUp(FolderLookup& lookup, const std::string& folder, const std::string& name)
{
    Lookup l;
    l.found = lookup.statEntry(folder, name, l.entry, l.error);
    return l;
}

Lookup direct(const std::string& folder, const std::string& name)
{
    Lookup l;
    l.found = statEntry(folder + "/" + name, l.entry, l.error);
    return l;
}

void expectSame(const Lookup& a, const Lookup& b, const std::string& what)
{
    ASSERT_EQ(a.found, b.found) << what;
    if (!a.found) {
        EXPECT_EQ(a.error, b.error) << what;
        return;
    }
    EXPECT_EQ(a.entry.name, b.entry.name) << what;
    EXPECT_EQ(a.entry.attributes, b.entry.attributes) << what;
    EXPECT_EQ(a.entry.size, b.entry.size) << what;
    EXPECT_EQ(a.entry.lastWrite, b.entry.lastWrite) << what;
    EXPECT_EQ(a.entry.inode, b.entry.inode) << what;
    EXPECT_EQ(a.entry.mode, b.entry.mode) << what;
}

TEST(ListingPrefetch, AnswersAsALookupAtTheTime)
{
    TempDir dir;
    dir.write("src/same.txt", "1");
    dir.write("src/.dot", "1");
    dir.write("src/missing.txt", "1");
    dir.write("src/kind", "a file here, a folder there");
    dir.write("src/link", "a file here, a link there");
    dir.write("src/Sub/deep.txt", "1");
    dir.mkdir("src/OnlyHere/Below");
    const std::string same = dir.write("dst/same.txt", "12345");
    dir.write("dst/.dot", "");
    dir.mkdir("dst/kind");
    std::filesystem::create_symlink("same.txt", dir.file("dst/link"));
    dir.write("dst/Sub/deep.txt", "123");
    dir.write("dst/extra.txt", "not in the source");
    // Bits from the attribute store where the volume keeps one.
    setxattr(same.c_str(), "user.DOSATTRIB", "0x26", 5, 0);

    FolderLookup lookup;
    const std::string src = dir.file("src");
    const std::string dst = dir.file("dst");
    lookup.listAhead(dst);
    for (const char* name : {"same.txt", ".dot", "missing.txt", "kind", "link", "Sub", "OnlyHere", "extra.txt", "new"})
        expectSame(lookUp(lookup, dst, name), direct(dst, name), name);
    // A subfolder the walk enters (guessed ahead), and one only the source has.
    lookup.listAhead(dst + "/Sub");
    expectSame(lookUp(lookup, dst + "/Sub", "deep.txt"), direct(dst + "/Sub", "deep.txt"), "Sub/deep.txt");
    lookup.leave(dst + "/Sub");
    lookup.listAhead(dst + "/OnlyHere");
    expectSame(lookUp(lookup, dst + "/OnlyHere", "Below"), direct(dst + "/OnlyHere", "Below"), "OnlyHere/Below");
    lookup.leave(dst + "/OnlyHere");
    lookup.leave(dst);
}

TEST(ListingPrefetch, ChangesAfterTheListingAreSeenWhereTheyMatter)
{
    TempDir dir;
    dir.write("src/a.txt", "1");
    dir.write("src/Sub/b.txt", "1");
    dir.write("dst/a.txt", "1");
    dir.write("dst/Sub/b.txt", "1");
    FolderLookup lookup;
    const std::string src = dir.file("src");
    const std::string dst = dir.file("dst");
    lookup.listAhead(dst);
    ASSERT_TRUE(lookUp(lookup, dst, "a.txt").found);

    // A name the listing did not know is looked up as it is.
    dir.write("src/late.txt", "1");
    dir.write("dst/late.txt", "12");
    const Lookup late = lookUp(lookup, dst, "late.txt");
    ASSERT_TRUE(late.found);
    EXPECT_EQ(late.entry.size, 2u);

    // The walk left the folder: what changed since is seen.
    lookup.leave(dst);
    ASSERT_EQ(unlink(dir.file("dst/a.txt").c_str()), 0);
    EXPECT_FALSE(lookUp(lookup, dst, "a.txt").found);

    // Forgotten (the target was renamed in): the same below.
    lookup.listAhead(dst + "/Sub");
    ASSERT_TRUE(lookUp(lookup, dst + "/Sub", "b.txt").found);
    lookup.close();
    ASSERT_EQ(unlink(dir.file("dst/Sub/b.txt").c_str()), 0);
    EXPECT_FALSE(lookUp(lookup, dst + "/Sub", "b.txt").found);
}

TEST(ListingPrefetch, FoldersThatCannotBeListedAreLookedUpDirectly)
{
    TempDir dir;
    dir.write("src/a.txt", "1");
    const struct {
        const char* label;
        std::string target;
    } cases[] = {
        {"target missing", dir.file("nowhere")},
        {"target is a file", dir.write("file", "x")},
        {"target below a file", dir.file("file/below")},
    };
    for (const auto& c : cases) {
        FolderLookup lookup;
        lookup.listAhead(c.target);
        expectSame(lookUp(lookup, c.target, "a.txt"), direct(c.target, "a.txt"), c.label);
    }
}

} // namespace
} // namespace zdr::platform
