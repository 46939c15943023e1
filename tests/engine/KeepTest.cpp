// What a copy keeps beyond data and times, judged by `rsync -aHAXS`: a
// copied tree with ACLs, extended attributes, capabilities, hard links,
// holes, links, fifos and devices is what rsync makes of it, and so is the
// copy after a "differing files" rerun that follows changes of data, mode,
// owner, ACLs and attributes. Root and an ordinary user each keep what
// they may.
#include "EngineRun.h"
#include "ProtocolWorkList.h"
#include "platform/Metadata.h"
#include "support/ForeignVolume.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace zdr::engine {
namespace {

using test::TempDir;

bool root() { return geteuid() == 0; }

std::string quoted(const std::string& path) { return "'" + path + "'"; }

bool run(const std::string& command) { return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0; }

// What `rsync -n -aHAXS -c --itemize-changes` would still change: empty
// when the copy is what rsync makes.
std::string rsyncDifferences(const std::string& source, const std::string& target)
{
    const std::string command =
        "rsync -n -aHAXS -c --itemize-changes " + quoted(source + "/") + " " + quoted(target + "/") + " 2>&1";
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 512> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
            out += buffer.data();
        ::pclose(pipe);
    }
    return out;
}

void setTime(const std::string& path, std::int64_t seconds)
{
    const timespec times[2] = {{seconds, 111}, {seconds, 222333444}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::int64_t blocksOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_blocks : -1;
}

// A tree with all that `cp -a` keeps; as root also owners, capabilities,
// trusted attributes and a device node.
std::string makeTree(const TempDir& dir)
{
    const std::string d = dir.mkdir("src/D");
    const auto f = [&](const char* relative) { return d + "/" + relative; };
    dir.write("src/D/privat.txt", "private");
    ::chmod(f("privat.txt").c_str(), 0640);
    EXPECT_TRUE(run("setfacl -m u:1234:rw " + quoted(f("privat.txt"))));
    dir.write("src/D/Geteilt/innen.txt", "inside");
    EXPECT_TRUE(run("setfacl -m u:1234:rx -d -m u:1234:rwx,g::rx " + quoted(f("Geteilt"))));
    dir.write("src/D/nurlesen.txt", "read only");
    ::chmod(f("nurlesen.txt").c_str(), 0444);
    dir.write("src/D/daten.txt", "data");
    EXPECT_EQ(::setxattr(f("daten.txt").c_str(), "user.kommentar", "wert", 4, 0), 0);
    EXPECT_EQ(::setxattr(f("Geteilt").c_str(), "user.ordner", "x", 1, 0), 0);
    // One file under three names, two of them in another folder.
    dir.write("src/D/a", "linked");
    dir.mkdir("src/D/hl");
    ::link(f("a").c_str(), f("b").c_str());
    ::link(f("a").c_str(), f("hl/c").c_str());
    // 64 MiB with 1 MiB of data in the middle.
    {
        std::ofstream sparse(f("leer.img"), std::ios::binary);
        sparse.seekp(8 << 20);
        sparse << std::string(1 << 20, 'x');
    }
    ::truncate(f("leer.img").c_str(), 64 << 20);
    std::filesystem::create_symlink("privat.txt", f("zeiger"));
    ::mkfifo(f("rohr").c_str(), 0620);
    if (root()) {
        dir.write("src/D/helfer", "#!/bin/sh\n");
        ::chmod(f("helfer").c_str(), 0755);
        EXPECT_TRUE(run("setcap cap_net_bind_service,cap_net_admin+ep " + quoted(f("helfer"))));
        EXPECT_EQ(::setxattr(f("daten.txt").c_str(), "trusted.herkunft", "t", 1, 0), 0);
        dir.write("src/D/eigen.txt", "owned");
        for (const char* entry : {"eigen.txt", "zeiger", "hl"})
            EXPECT_EQ(::lchown(f(entry).c_str(), 12345, 23456), 0) << entry;
        EXPECT_EQ(::mknod(f("null").c_str(), S_IFCHR | 0640, makedev(1, 3)), 0);
    }
    for (const char* entry :
         {"privat.txt", "Geteilt/innen.txt", "nurlesen.txt", "daten.txt", "a", "leer.img", "zeiger", "rohr"})
        setTime(f(entry), 1600000000);
    for (const char* folder : {"Geteilt", "hl", ""})
        setTime(f(folder), 1500000000);
    return d;
}

TEST(Keep, CopyIsWhatRsyncMakesAndARerunFollowsEveryChange)
{
    if (!run("command -v rsync && command -v setfacl && command -v setcap"))
        GTEST_SKIP() << "needs rsync, setfacl and setcap (packages rsync, acl, libcap2-bin)";
    TempDir dir;
    const std::string source = makeTree(dir);
    test::EngineRun copy;
    ASSERT_TRUE(
        copy.run(status::kCopy | status::kCreateProtocol, {.sourceFolder = source, .targetFolder = dir.mkdir("dst")}));
    const std::string target = dir.file("dst/D");
    EXPECT_EQ(rsyncDifferences(source, target), "");
    EXPECT_EQ(copy.engine.Protocol().find("nicht übernommen"), std::string::npos) << copy.engine.Protocol();
    EXPECT_LT(blocksOf(target + "/leer.img"), 4 * blocksOf(source + "/leer.img")) << "the holes stay holes";
    EXPECT_NE(copy.engine.Protocol().find("  ----  ok (fester Link)"), std::string::npos);

    // Changes a rerun must bring over: data, a file made private, an ACL,
    // an attribute of the file with three names, a link retargeted with
    // its time kept, and as root an owner.
    dir.write("src/D/Geteilt/neu.txt", "new");
    setTime(source + "/Geteilt/neu.txt", 1700000000);
    ::chmod((source + "/privat.txt").c_str(), 0600);
    ASSERT_TRUE(run("setfacl -m u:999:r " + quoted(source + "/Geteilt/innen.txt")));
    ASSERT_EQ(::setxattr((source + "/a").c_str(), "user.neu", "2", 1, 0), 0);
    ::chmod((source + "/nurlesen.txt").c_str(), 0644); // its owner may write attributes only so
    ASSERT_EQ(::setxattr((source + "/nurlesen.txt").c_str(), "user.neu", "3", 1, 0), 0);
    ::chmod((source + "/nurlesen.txt").c_str(), 0444);
    std::filesystem::remove(source + "/zeiger");
    std::filesystem::create_symlink("daten.txt", source + "/zeiger");
    setTime(source + "/zeiger", 1600000000);
    if (root())
        ASSERT_EQ(::chown((source + "/eigen.txt").c_str(), 4321, 4321), 0);
    // And of folders: a mode, a default ACL and an attribute.
    ::chmod((source + "/hl").c_str(), 0750);
    ASSERT_TRUE(run("setfacl -d -m u:999:rx " + quoted(source + "/Geteilt")));
    ASSERT_EQ(::setxattr((source + "/Geteilt").c_str(), "user.ordner", "y", 1, 0), 0);
    // Folder times apart from now, which rsync would take for equal within a second.
    for (const char* folder : {"/Geteilt", "/hl", ""})
        setTime(source + folder, 1500000007);
    test::ProtocolRun rerun;
    ASSERT_TRUE(rerun.run(status::kCopy | status::kWithInfo | status::kOnlyDifferent | status::kCreateProtocol
                              | status::kOverwriteExisting,
                          {.sourceFolder = source, .targetFolder = dir.file("dst")}));
    EXPECT_EQ(rsyncDifferences(source, target), "");
    const std::string& lines = rerun.engine.Protocol();
    EXPECT_NE(lines.find("privat.txt  ----  ok (übernommen: Rechte"), std::string::npos) << lines;
    EXPECT_NE(lines.find("innen.txt  ----  ok (übernommen: ACL)"), std::string::npos) << lines;
    if (root())
        EXPECT_NE(lines.find("eigen.txt  ----  ok (übernommen: Besitzer)"), std::string::npos) << lines;
    EXPECT_EQ(rerun.engine.Counters().CountFolder_Done, 2) << "hl and Geteilt";

    // The content alone into a folder of its own: that folder is the source's too.
    test::EngineRun content;
    ASSERT_TRUE(content.run(status::kCopy,
                            {.sourceFolder = source, .selection = {"*.*"}, .targetFolder = dir.mkdir("inhalt")}));
    EXPECT_EQ(rsyncDifferences(source, dir.file("inhalt")), "");

    // A new name of a file whose copy is there becomes a name of that copy.
    ASSERT_EQ(::link((source + "/a").c_str(), (source + "/hl/d").c_str()), 0);
    test::EngineRun walked;
    ASSERT_TRUE(
        walked.run(status::kCopy | status::kOnlyDifferent, {.sourceFolder = source, .targetFolder = dir.file("dst")}));
    EXPECT_EQ(rsyncDifferences(source, target), "");
    // neu.txt, zeiger, privat.txt, innen.txt, nurlesen.txt and one name of the three, which carries the others'.
    EXPECT_EQ(rerun.engine.Counters().CountFiles_Done, root() ? 7 : 6);
}

// What the target cannot keep is named on the entry's line, never dropped
// in silence: an ordinary user's copy of a file with capabilities. And a
// mode without its ACL grants the owning group what the ACL's group entry
// did, not the mask.
TEST(Keep, WhatTheCopyCannotKeepIsNamed)
{
    if (!run("command -v setfacl && command -v setcap"))
        GTEST_SKIP() << "needs setfacl and setcap (packages acl, libcap2-bin)";
    TempDir dir;
    const std::string file = dir.write("src/helfer", "#!/bin/sh\n");
    ::chmod(file.c_str(), 0750);
    ASSERT_TRUE(run("setfacl -m u:1234:rw " + quoted(file)));
    platform::ExtendedAttributes attributes;
    ASSERT_TRUE(platform::readExtendedAttributes(file, attributes));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0770u) << "the mask in the group bits";
    EXPECT_EQ(platform::modeWithoutAcl(st.st_mode & 0777, attributes), 0750u);

    if (!root())
        GTEST_SKIP() << "only root mounts a volume without ACLs and gives a file capabilities";
    // Onto a volume that holds no ACLs: the line says so, and the group
    // gets no more than its entry granted.
    if (const std::string why = test::ForeignVolume::privateMounts(); why.empty()) {
        const std::string volume = dir.mkdir("ohneAcl");
        const auto mount = test::ScratchMount::btrfs(volume, dir.file("ohneAcl.img"), {}, "noacl");
        if (mount.mounted()) {
            test::EngineRun onto;
            ASSERT_TRUE(onto.run(status::kCopy | status::kCreateProtocol,
                                 {.sourceFolder = dir.file("src"), .selection = {"helfer"}, .targetFolder = volume}));
            ASSERT_EQ(::stat((volume + "/helfer").c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0750u);
            EXPECT_NE(onto.engine.Protocol().find("helfer  ----  ok (nicht übernommen: ACL)"), std::string::npos)
                << onto.engine.Protocol();
        }
    }
    ASSERT_TRUE(run("setcap cap_net_admin+ep " + quoted(file)));
    ::chmod(file.c_str(), 0755);
    const std::string target = dir.mkdir("dst");
    for (const std::string& folder : {dir.path(), target})
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    int lines[2];
    ASSERT_EQ(::pipe(lines), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(lines[0]);
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(2);
        test::EngineRun copy;
        const bool ok = copy.run(status::kCopy | status::kCreateProtocol,
                                 {.sourceFolder = dir.file("src"), .selection = {"helfer"}, .targetFolder = target});
        const std::string& text = copy.engine.Protocol();
        const bool written = ::write(lines[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(ok && written ? 0 : 1);
    }
    ::close(lines[1]);
    std::string protocol;
    char buffer[4096];
    for (ssize_t n; (n = ::read(lines[0], buffer, sizeof buffer)) > 0;)
        protocol.append(buffer, static_cast<std::size_t>(n));
    ::close(lines[0]);
    int result = -1;
    ::waitpid(child, &result, 0);
    EXPECT_EQ(result, 0);
    EXPECT_NE(protocol.find("helfer  ----  ok (nicht übernommen: security.capability)"), std::string::npos) << protocol;
    EXPECT_EQ(dir.read("dst/helfer"), "#!/bin/sh\n");
}

} // namespace
} // namespace zdr::engine
