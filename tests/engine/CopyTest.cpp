// The copy pass on real trees: a copied tree is the same as its source
// (content, sizes, last-write times, attributes), a rerun that copies only
// differing files copies nothing, and the questions, the error policy, the
// three ways of copying, the target inside its own source and the
// roll-back of a filtered copy behave as the user expects.
#include "EngineRun.h"
#include "ProtocolWorkList.h"
#include "TreeState.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"
#include "support/WriteFault.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

namespace zdr::engine {
namespace {

using base::Answer;
using test::EngineRun;
using test::kInfo;
using test::ProtocolRun;
using test::TempDir;
using test::treeState;

constexpr std::uint32_t kCopy = status::kCopy;
constexpr std::uint32_t kProtocol = status::kCreateProtocol;
const std::vector<std::string> kSame;

void setTime(const std::string& path, std::int64_t nanos)
{
    const timespec times[2] = {{nanos / 1000000000, nanos % 1000000000}, {nanos / 1000000000, nanos % 1000000000}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A tree with every kind of entry a copy must keep: empty and large files
// (one above the plain-copy limit), hidden, system and read-only files,
// dot names, odd names, links, empty folders, and times with nanoseconds.
// Folder times are set last, as a copy must leave them.
std::string makeTree(const TempDir& dir, const std::string& relative, unsigned seed = 7)
{
    const std::string root = dir.mkdir(relative);
    std::mt19937 rng(seed);
    std::vector<std::string> folders = {root};
    for (int i = 0; i < 12; ++i) {
        const std::string parent = folders[rng() % folders.size()];
        folders.push_back(parent + "/F" + std::to_string(i) + (i % 4 == 0 ? " mit Leerzeichen" : ""));
        std::filesystem::create_directory(folders.back());
    }
    folders.push_back(root + "/.versteckt");
    std::filesystem::create_directory(folders.back());
    std::vector<std::string> files;
    for (int i = 0; i < 60; ++i) {
        const std::string name = i % 13 == 0 ? ".dot" + std::to_string(i)
            : i == 7                         ? "neue\nZeile"
            : i == 8                         ? "bad\xFFname"
                                             : "f" + std::to_string(i) + ".dat";
        const std::size_t size = i % 11 == 0 ? 0 : rng() % 9000;
        files.push_back(dir.write(folders[rng() % folders.size()].substr(dir.path().size() + 1) + "/" + name,
                                  test::randomBytes(size, seed + static_cast<unsigned>(i))));
    }
    files.push_back(dir.write(relative + "/F1/big.bin", test::randomBytes(1200 * 1024, seed)));
    platform::ErrorCode code = 0;
    EXPECT_TRUE(platform::setAttributes(files[1], platform::attr::kHidden | platform::attr::kArchive, code));
    EXPECT_TRUE(platform::setAttributes(files[2], platform::attr::kSystem, code));
    EXPECT_TRUE(platform::setAttributes(files[3], platform::attr::kReadOnly | platform::attr::kArchive, code));
    EXPECT_TRUE(platform::setAttributes(folders[2], platform::attr::kHidden, code));
    // Hidden and read-only: the copy's store must go in before its write bits go.
    setxattr(files[4].c_str(), "user.DOSATTRIB", "0x2", 4, 0);
    chmod(files[4].c_str(), 0444);
    std::filesystem::create_symlink("f1.dat", root + "/link");
    std::filesystem::create_symlink("/nirgendwo", root + "/F0 mit Leerzeichen/dangling");
    for (const std::string& f : files)
        setTime(f, 1600000000LL * 1000000000 + static_cast<std::int64_t>(rng() % 1000000000) * 1000 + rng() % 1000);
    setTime(root + "/link", 1500000000123456789LL);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        setTime(*it, 1400000000LL * 1000000000 + static_cast<std::int64_t>(rng() % 1000000000));
    return root;
}

std::size_t countKind(const std::map<std::string, test::EntryState>& tree, char kind)
{
    std::size_t n = 0;
    for (const auto& [path, e] : tree)
        n += e.kind == kind ? 1 : 0;
    return n;
}

TEST(Copy, CopiedTreeIsTheSameAndARerunCopiesNothing)
{
    TempDir dir;
    const std::string source = makeTree(dir, "src/Daten");
    const auto sourceBefore = treeState(source);
    const std::size_t files = countKind(sourceBefore, 'f') + countKind(sourceBefore, 'l');
    const std::size_t folders = countKind(sourceBefore, 'd');
    const struct {
        const char* label;
        std::uint32_t status;
    } ways[] = {{"whole files", kCopy | kProtocol}, {"byte blocks", kCopy | kProtocol | status::kBlockBytes}};
    for (const auto& way : ways) {
        const std::string target = dir.mkdir(std::string("dst-") + (way.status & status::kBlockBytes ? "b" : "w"));
        EngineRun r;
        ASSERT_TRUE(r.run(way.status, {.sourceFolder = source, .targetFolder = target})) << way.label;
        EXPECT_EQ(r.ready(), "Ready true '' protocol") << way.label;
        // The target's file system was flushed before the end was reported.
        ASSERT_GE(r.rec.events.size(), 3u);
        EXPECT_EQ(r.rec.events[r.rec.events.size() - 3], "Info Daten werden auf den Datenträger geschrieben ...")
            << way.label;
        EXPECT_EQ(r.rec.events[r.rec.events.size() - 2], "Info Daten auf den Datenträger geschrieben.") << way.label;
        EXPECT_TRUE(r.questions.asked.empty()) << way.label;
        EXPECT_EQ(r.counters().CountFiles_Done, static_cast<std::int64_t>(files)) << way.label;
        EXPECT_EQ(r.counters().CountFolder_Done, static_cast<std::int64_t>(folders)) << way.label;
        EXPECT_EQ(r.counters().CountFiles_Not, 0) << way.label;
        EXPECT_EQ(test::differences(treeState(target + "/Daten"), sourceBefore), kSame) << way.label;
        EXPECT_EQ(test::differences(treeState(source), sourceBefore), kSame)
            << way.label << ": the source is only read";
    }

    // "Differing files only", with the information pass: nothing to copy,
    // nothing touched.
    const std::string target = dir.file("dst-w");
    const auto inodesBefore = test::inodes(target);
    ProtocolRun again;
    ASSERT_TRUE(again.run(kInfo | kCopy | kProtocol | status::kOnlyDifferent,
                          {.sourceFolder = source, .targetFolder = target}));
    EXPECT_EQ(again.rec.only("Ready").back(),
              "Ready true 'Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!' none");
    EXPECT_EQ(again.rec.only("FileNot 1").size(), files);
    EXPECT_EQ(test::inodes(target), inodesBefore);
    // And the same walking the tree in the copy pass itself.
    EngineRun walk;
    ASSERT_TRUE(walk.run(kCopy | status::kOnlyDifferent, {.sourceFolder = source, .targetFolder = target}));
    EXPECT_EQ(walk.counters().CountFiles_Done, 0);
    EXPECT_EQ(walk.counters().CountFiles_ExistsTimeOk, static_cast<std::int64_t>(files));
    EXPECT_EQ(walk.counters().CountFolder_ExistsTimeOk, static_cast<std::int64_t>(folders))
        << "every folder passed over";
    EXPECT_TRUE(walk.rec.only("Info ").empty()) << "nothing written, nothing to flush";
    EXPECT_EQ(walk.rec.only("FileNot 1").size(), files);
    EXPECT_EQ(test::inodes(target), inodesBefore);
    EXPECT_EQ(test::differences(treeState(target + "/Daten"), sourceBefore), kSame);
}

// A tree whose paths are longer than the system takes (PATH_MAX) is walked
// and copied folder by folder, each relative to the one before: every file
// arrives with its folders' bits, and a rerun finds it unchanged.
TEST(Copy, TreeLongerThanThePathLimit)
{
    TempDir dir;
    const std::string step(200, 'd');
    constexpr int kDepth = 30; // about 6,000 bytes of path
    int folder = ::open(dir.mkdir("src").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(::mkdirat(folder, step.c_str(), 0750), 0);
        const int next = ::openat(folder, step.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = next;
        const int file = ::openat(folder, "f.txt", O_WRONLY | O_CREAT, 0640);
        ASSERT_EQ(::write(file, "x", 1), 1);
        ::close(file);
    }
    ::close(folder);
    const std::string target = dir.mkdir("dst");
    EngineRun r;
    EXPECT_TRUE(r.run(kCopy, {.sourceFolder = dir.file("src"), .targetFolder = target}));
    EXPECT_EQ(r.counters().CountFiles_Done, kDepth);
    EXPECT_EQ(r.counters().CountFolder_Done, kDepth + 1);
    EXPECT_EQ(r.counters().CountFolder_Not + r.counters().CountFiles_Not, 0);
    folder = ::open((target + "/src").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < kDepth && folder >= 0; ++i) {
        const int next = ::openat(folder, step.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = next;
        struct stat st {};
        ASSERT_EQ(::fstat(folder, &st), 0) << "level " << i;
        EXPECT_EQ(st.st_mode & 07777, 0750u) << "level " << i;
        EXPECT_EQ(::fstatat(folder, "f.txt", &st, 0), 0) << "level " << i;
    }
    ::close(folder);
    EngineRun again;
    EXPECT_TRUE(again.run(kCopy | status::kOnlyDifferent, {.sourceFolder = dir.file("src"), .targetFolder = target}));
    EXPECT_EQ(again.counters().CountFiles_ExistsTimeOk, kDepth);
}

// The copy pass looks its targets up ahead of the walk: every way a target
// can differ, each deep in its own folder, is still found, and only those
// files are replaced.
TEST(Copy, DifferingOnlyFindsEachDifferenceDeepInTheTree)
{
    TempDir dir;
    const std::string source = dir.mkdir("src/Daten");
    for (int a = 0; a < 4; ++a) {
        for (int b = 0; b < 3; ++b) {
            for (int f = 0; f < 5; ++f)
                dir.write("src/Daten/A" + std::to_string(a) + "/B" + std::to_string(b) + "/f" + std::to_string(f)
                              + ".txt",
                          "inhalt");
        }
    }
    const std::string target = dir.mkdir("dst");
    EngineRun first;
    ASSERT_TRUE(first.run(kCopy, {.sourceFolder = source, .targetFolder = target}));
    const std::string copy = target + "/Daten";
    platform::ErrorCode code = 0;
    const struct {
        const char* file;
        std::function<void(const std::string&)> change;
    } changes[] = {
        {"A0/B1/f2.txt", [&](const std::string& p) { setTime(p, 1700000000LL * 1000000000 + 1); }},
        {"A1/B2/f0.txt",
         [&](const std::string& p) { // only the size: the time stays
             platform::FileEntry before;
             EXPECT_TRUE(platform::statEntry(p, before, code));
             std::ofstream(p) << "inhalt!";
             setTime(p, before.lastWrite);
         }},
        {"A2/B0/f4.txt",
         [&](const std::string& p) {
             EXPECT_TRUE(platform::setAttributes(p, platform::attr::kHidden | platform::attr::kArchive, code));
         }},
        {"A3/B1/f1.txt",
         [&](const std::string& p) {
             EXPECT_TRUE(platform::setAttributes(p, platform::attr::kSystem | platform::attr::kArchive, code));
         }},
    };
    for (const auto& c : changes)
        c.change(copy + "/" + c.file);
    platform::FileEntry hidden;
    ASSERT_TRUE(platform::statEntry(copy + "/A2/B0/f4.txt", hidden, code));
    if ((hidden.attributes & platform::attr::kHidden) == 0)
        GTEST_SKIP() << "the volume keeps no attribute store (extended attributes) for hidden and system bits";
    const auto inodesBefore = test::inodes(copy);

    const std::int64_t differing = 4;
    EngineRun info;
    ASSERT_TRUE(info.run(kInfo | status::kOnlyDifferent, {.sourceFolder = source, .targetFolder = target}));
    EXPECT_EQ(info.counters().CountFiles_ToDo, differing);
    EngineRun r;
    // The walk examines the source ahead: a file to be copied that changes
    // after its folder was listed and (mostly by then) examined ahead, before
    // the walk comes to it, still goes as it is then, without a failure.
    const std::string late = source + "/A3/B1/f1.txt";
    std::string folder;
    int filesInFolder = 0;
    r.rec.onEvent = [&](const std::string& e) {
        if (e.rfind("FolderStart ", 0) == 0) {
            folder = e.substr(12);
            filesInFolder = 0;
        } else if (e.rfind("FileStart ", 0) == 0 && folder == source + "/A3/B0" && ++filesInFolder == 5) {
            std::ofstream(late, std::ios::app) << " und mehr";
        }
    };
    ASSERT_TRUE(r.run(kCopy | status::kOnlyDifferent | status::kOverwriteExisting,
                      {.sourceFolder = source, .targetFolder = target}));
    EXPECT_EQ(r.counters().CountFiles_Done, differing);
    EXPECT_EQ(dir.read("dst/Daten/A3/B1/f1.txt"), "inhalt und mehr");
    const auto inodesAfter = test::inodes(copy);
    for (const auto& [path, inode] : inodesBefore) {
        const std::string& file = path;
        const bool changed =
            std::any_of(std::begin(changes), std::end(changes), [&file](const auto& c) { return file == c.file; });
        EXPECT_EQ(inodesAfter.at(path) != inode, changed) << path;
    }
    EXPECT_EQ(test::differences(treeState(copy, false), treeState(source, false)), kSame);
}

TEST(Copy, ChangedFilesAreCopiedFromTheProtocol)
{
    TempDir dir;
    const std::string source = makeTree(dir, "src/Daten");
    dir.write("src/Daten/known.txt", "old content");
    const std::string target = dir.mkdir("dst");
    EngineRun first;
    ASSERT_TRUE(first.run(kCopy, {.sourceFolder = source, .targetFolder = target}));
    dir.write("src/Daten/known.txt", "changed");                          // new content, new time
    setTime(dir.file("src/Daten/F1/big.bin"), 1700000000LL * 1000000000); // only a new time
    dir.write("src/Daten/F1/new.txt", "new");
    dir.write("src/Daten/Neu/Tief/t.txt", "t");
    const auto inodesBefore = test::inodes(target + "/Daten");

    ProtocolRun r;
    ASSERT_TRUE(r.run(kInfo | kCopy | kProtocol | status::kOnlyDifferent | status::kOverwriteExisting,
                      {.sourceFolder = source, .targetFolder = target}));
    EXPECT_EQ(r.engine.Counters().CountFiles_Done, 4);
    EXPECT_EQ(r.engine.Counters().CountFolder_Done, 2);
    EXPECT_EQ(r.engine.Counters().CountFiles_Not, 0);
    EXPECT_EQ(r.rec.only("Ready").back(), "Ready true '' protocol") << r.engine.Protocol();
    // Folder times: the rows make folders and add files one by one.
    EXPECT_EQ(test::differences(treeState(target + "/Daten", false), treeState(source, false)), kSame);
    const auto inodesAfter = test::inodes(target + "/Daten");
    for (const auto& [path, inode] : inodesBefore) {
        const bool replaced = path == "known.txt" || path == "F1/big.bin";
        EXPECT_EQ(inodesAfter.at(path) != inode, replaced) << path;
    }
}

// Two tasks share entries: task 2 copies part of task 1's source to a target
// of its own. The protocol holds each entry once per task, so the copy from
// the protocol does the work of both.
TEST(Copy, TaskInsideAnotherTasksSourceCopiesToItsOwnTarget)
{
    TempDir dir;
    dir.write("Quelle/a.txt", "a");
    dir.write("Quelle/Bilder/x.jpg", "x");
    dir.write("Quelle/Bilder/y.png", "y");
    const std::string target1 = dir.mkdir("Ziel");
    const std::string target2 = dir.mkdir("Ziel2");
    ProtocolRun r;
    std::string error;
    ASSERT_TRUE(r.engine.fc_Init(kInfo | kCopy | kProtocol | status::kOnlyDifferent, 0, 2, error, 32767));
    ASSERT_TRUE(r.engine.fc_InitAdd({.sourceFolder = dir.file("Quelle"), .targetFolder = target1}, error));
    ASSERT_TRUE(r.engine.fc_InitAdd(
        {.sourceFolder = dir.file("Quelle/Bilder"), .targetFolder = target2, .nameFilters = "*.jpg"}, error));
    ASSERT_TRUE(r.engine.fc_ActionRun());
    EXPECT_EQ(r.rec.only("Ready").back(), "Ready true '' protocol") << r.engine.Protocol();
    EXPECT_EQ(dir.read("Ziel/Quelle/Bilder/x.jpg"), "x");
    EXPECT_EQ(dir.read("Ziel2/Bilder/x.jpg"), "x") << "the second task's own target";
    EXPECT_FALSE(std::filesystem::exists(target2 + "/Bilder/y.png")) << "its filter holds";
    const engine::EngineCounters& c = r.engine.Counters();
    EXPECT_EQ(c.CountFiles_Done, c.CountFiles_ToDo);
    EXPECT_EQ(c.CountFiles_Done, 4);
}

// A copy of a read-only folder is read-only too; a later copy still
// updates it (walking or from the protocol) and leaves it with its
// source's bits, also after a run that was killed while it had it open.
TEST(Copy, ReadOnlyFolderIsUpdatedAndKeepsItsBits)
{
    TempDir dir;
    dir.write("src/D/RO/a.txt", "a");
    const auto mode = [&](const char* path) { return test::entryState(dir.file(path)).mode & 07777; };
    const auto change = [&](const char* name, const char* content, std::int64_t seconds) {
        ::chmod(dir.file("src/D/RO").c_str(), 0755);
        setTime(dir.write(std::string("src/D/RO/") + name, content), seconds * 1000000000);
        ::chmod(dir.file("src/D/RO").c_str(), 0555);
    };
    change("a.txt", "a", 1600000000);
    const project::Task task{.sourceFolder = dir.file("src/D"), .targetFolder = dir.mkdir("dst")};
    EngineRun first;
    ASSERT_TRUE(first.run(kCopy, task));
    EXPECT_EQ(mode("dst/D/RO"), 0555u);

    const std::uint32_t update = kCopy | kProtocol | status::kOnlyDifferent | status::kOverwriteExisting;
    change("a.txt", "walk", 1600000100);
    change("b.txt", "b", 1600000100);
    EngineRun walk;
    ASSERT_TRUE(walk.run(update, task));
    EXPECT_EQ(walk.ready(), "Ready true '' protocol") << walk.engine.Protocol();
    EXPECT_EQ(dir.read("dst/D/RO/a.txt"), "walk");
    EXPECT_EQ(dir.read("dst/D/RO/b.txt"), "b");
    EXPECT_EQ(mode("dst/D/RO"), 0555u);

    change("a.txt", "rows", 1600000200);
    ProtocolRun rows;
    ASSERT_TRUE(rows.run(kInfo | update, task));
    EXPECT_EQ(rows.rec.only("Ready").back(), "Ready true '' protocol") << rows.engine.Protocol();
    EXPECT_EQ(dir.read("dst/D/RO/a.txt"), "rows");
    EXPECT_EQ(mode("dst/D/RO"), 0555u);

    // Cancelled while it works in the folder: its bits come back all the same.
    change("a.txt", "cancel", 1600000300);
    EngineRun cancelled;
    cancelled.questions.answers = {Answer::Cancel};
    cancelled.run(kCopy | kProtocol | status::kOnlyDifferent, task);
    ASSERT_EQ(cancelled.questions.asked.size(), 1u);
    EXPECT_EQ(dir.read("dst/D/RO/a.txt"), "rows");
    EXPECT_EQ(mode("dst/D/RO"), 0555u);

    // Killed while it had the folder open: the next run gives its bits back.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    ::chmod(dir.file("dst/D/RO").c_str(), 0755);
    const std::string mark = std::to_string(gone) + " 555";
    if (setxattr(dir.file("dst/D/RO").c_str(), "user.zendor.mode", mark.data(), mark.size(), 0) != 0)
        GTEST_SKIP() << "no user extended attributes on " << dir.path();
    EngineRun next;
    ASSERT_TRUE(next.run(update, task));
    EXPECT_EQ(mode("dst/D/RO"), 0555u);
}

// A folder link in the target tree is the target's own entry, never a way
// out of it: the walk and the copy from the protocol agree, nothing outside
// the target is written, and every entry that could not go there has its
// error line and counts.
TEST(Copy, FolderLinkInTheTargetLeadsNowhere)
{
    const struct {
        const char* label;
        std::uint32_t status;
    } modes[] = {
        {"walk", kCopy | kProtocol | status::kOverwriteExisting},
        {"walk, differing files", kCopy | kProtocol | status::kOverwriteExisting | status::kOnlyDifferent},
        {"from the protocol", kInfo | kCopy | kProtocol | status::kOnlyDifferent | status::kOverwriteExisting},
    };
    for (const auto& mode : modes) {
        for (const std::uint32_t goOn : {0u, status::kContinueAfterError}) {
            TempDir dir;
            dir.write("src/docs/a.txt", "new a");
            dir.write("src/docs/Tief/b.txt", "new b");
            dir.write("src/top.txt", "top");
            dir.write("victim/a.txt", "old a");
            dir.mkdir("dst/src");
            std::filesystem::create_directory_symlink("../../victim", dir.file("dst/src/docs"));
            const auto victim = test::treeState(dir.file("victim"));
            ProtocolRun r;
            r.run(mode.status | goOn, {.sourceFolder = dir.file("src"), .targetFolder = dir.file("dst")});
            const std::string label = std::string(mode.label) + (goOn != 0 ? ", going on after errors" : "");
            EXPECT_TRUE(test::differences(victim, test::treeState(dir.file("victim"))).empty()) << label;
            EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dst/src/docs"))) << label;
            // Going on after errors, the run goes on but never ends as a success.
            if (goOn == 0) {
                EXPECT_NE(r.rec.only("Ready").back().find("Ready false"), std::string::npos) << label;
            }
            EXPECT_GE(r.engine.Counters().CountFolder_Not + r.engine.Counters().CountFiles_Not, 1) << label;
            // The walk leaves the failed folder's content untried, also going on after errors.
            if ((mode.status & kInfo) == 0) {
                EXPECT_EQ(r.engine.Counters().CountFiles_Not, 0) << label << r.engine.Protocol();
            }
            // The folder that could not go there has its error row.
            bool errorRow = false;
            for (const auto& e : r.rec.errors)
                errorRow = errorRow || (e.par_Type == "FOLDER" && e.par_Name == "docs");
            EXPECT_TRUE(errorRow) << label << r.engine.Protocol();
        }
    }
}

// A folder the copy made gets its bits, owner and time after its content.
// Swapped for a link meanwhile (the folder itself, or its parent), the link
// leads nowhere: nothing outside the target takes them, nor the folder's
// files and links still to come.
TEST(Copy, MadeFolderSwappedForALinkGetsNothingOutside)
{
    for (const char* swap : {"dst/src/docs", "dst/src"}) {
        TempDir dir;
        dir.write("src/docs/a.txt", "a");
        dir.write("src/docs/b.txt", "b");
        std::filesystem::create_symlink("a.txt", dir.file("src/docs/c.lnk"));
        dir.mkdir("victim/docs");
        for (const char* folder : {"src/docs", "victim", "victim/docs"})
            ::chmod(dir.file(folder).c_str(), 0700);
        ::chmod(dir.file("src/docs").c_str(), 0555);
        const timespec old[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, dir.file("victim").c_str(), old, 0);
        ::utimensat(AT_FDCWD, dir.file("victim/docs").c_str(), old, 0);
        const auto victim = treeState(dir.file("victim"));
        EngineRun r;
        bool swapped = false;
        r.rec.onEvent = [&](const std::string& e) {
            if (!swapped && e.rfind("FileStart b.txt", 0) == 0) {
                swapped = true;
                std::filesystem::rename(dir.file(swap), dir.file("moved"));
                std::filesystem::create_directory_symlink(
                    dir.file(std::string(swap) == "dst/src" ? "victim" : "victim/docs"), dir.file(swap));
            }
        };
        r.run(kCopy | status::kContinueAfterError, {.sourceFolder = dir.file("src"), .targetFolder = dir.mkdir("dst")});
        ASSERT_TRUE(swapped) << swap;
        for (const std::string& d : test::differences(victim, treeState(dir.file("victim"))))
            ADD_FAILURE() << swap << ": " << d;
    }
}

// Two files named in the selection, copied over existing targets in this
// order, answering the questions from a script.
struct ExistingTargets {
    TempDir dir;
    std::string source = dir.mkdir("src");
    std::string target = dir.mkdir("dst");
    ExistingTargets()
    {
        dir.write("src/a.txt", "new a");
        dir.write("src/b.txt", "new b");
        dir.write("dst/a.txt", "old a");
        dir.write("dst/b.txt", "old b");
    }
    project::Task task() const
    {
        return {.sourceFolder = source, .selection = {"a.txt", "b.txt"}, .targetFolder = target};
    }
};

TEST(Copy, QuestionsAboutExistingTargets)
{
    const std::string existsA = "' vorhanden!\r\n\r\n => Zieldatei überschreiben?";
    const std::string all = "Möchten Sie alle vorhandenen Dateien überschreiben?";
    const struct {
        const char* label;
        std::vector<Answer> answers;
        std::vector<std::string> asked; // "a"/"b": the existing-target question, "all": the question for all
        const char* a;
        const char* b;
        std::vector<std::string> lines;
        bool overwriteAllAfter;
    } cases[] = {
        {"yes, for all",
         {Answer::Yes, Answer::Yes},
         {"a", "all"},
         "new a",
         "new b",
         {"a.txt  ----  ok (überschrieben)", "b.txt  ----  ok (überschrieben)"},
         true},
        {"yes, not for all: asked again, not for all",
         {Answer::Yes, Answer::No, Answer::Yes},
         {"a", "all", "b"},
         "new a",
         "new b",
         {"a.txt  ----  ok (überschrieben)", "b.txt  ----  ok (überschrieben)"},
         false},
        {"no",
         {Answer::No, Answer::No},
         {"a", "b"},
         "old a",
         "old b",
         {"a.txt  ----  Datei übersprungen", "b.txt  ----  Datei übersprungen"},
         false},
        {"cancel",
         {Answer::Cancel},
         {"a"},
         "old a",
         "old b",
         {"a.txt  ----  Datei nicht kopiert => abgebrochen"},
         false},
    };
    for (const auto& c : cases) {
        ExistingTargets scene;
        EngineRun r;
        r.questions.answers = {c.answers.begin(), c.answers.end()};
        r.run(kCopy | kProtocol, scene.task());
        std::vector<std::string> asked;
        for (const auto& q : r.questions.asked) {
            EXPECT_EQ(q.title, "Datei Fehler ...");
            EXPECT_EQ(q.icon, base::Icon::Question);
            if (q.text == all) {
                EXPECT_EQ(q.buttons, base::Buttons::YesNo);
                asked.push_back("all");
            } else {
                EXPECT_EQ(q.buttons, base::Buttons::YesNoCancel);
                asked.push_back(q.text == "Zieldatei '" + scene.target + "/a.txt" + existsA ? "a" : "b");
            }
        }
        EXPECT_EQ(asked, c.asked) << c.label;
        EXPECT_EQ(scene.dir.read("dst/a.txt"), c.a) << c.label;
        EXPECT_EQ(scene.dir.read("dst/b.txt"), c.b) << c.label;
        for (const std::string& line : c.lines)
            EXPECT_NE(r.engine.Protocol().find(line), std::string::npos) << c.label << ": " << line;
        EXPECT_EQ((r.engine.FolderCopy_Status() & status::kOverwriteExisting) != 0, c.overwriteAllAfter) << c.label;
        EXPECT_EQ(test::entryCount(scene.target), 2u) << c.label;
    }
    // A skipped file is counted as left, and the pass is not a failure.
    ExistingTargets scene;
    EngineRun skip;
    skip.questions.answers = {Answer::No, Answer::No};
    skip.run(kCopy, scene.task());
    EXPECT_EQ(skip.counters().CountFiles_Not, 2);
    EXPECT_EQ(skip.rec.only("FileNot"), (std::vector<std::string>{"FileNot 0", "FileNot 0"}));
    EXPECT_EQ(skip.ready(), "Ready true '' none");
    // Cancel ends the pass after the current file, as a failure.
    EngineRun cancel;
    cancel.questions.answers = {Answer::Cancel};
    cancel.run(kCopy, scene.task());
    EXPECT_EQ(cancel.ready(), "Ready false '' none");
    EXPECT_TRUE(cancel.rec.only("FileStart b.txt").empty());
}

// Targets newer than their sources: "only newer files" keeps them also
// without "differing files"; "ask by a newer target" asks, for all included.
TEST(Copy, NewerTargetsAreKeptOrAskedAbout)
{
    const std::string newer = "' ist neuer als die Quelldatei!\r\n\r\n => Zieldatei trotzdem überschreiben?";
    constexpr std::uint32_t kAsk =
        kCopy | status::kOnlyDifferent | status::kOverwriteExisting | status::kAskByTargetNewer;
    const struct {
        const char* label;
        std::uint32_t status;
        bool targetNewer;
        std::vector<Answer> answers;
        std::vector<std::string> asked; // "a"/"b": the newer-target question; "all"/"keep": the ones for all
        const char* a;
        const char* b;
    } cases[] = {
        {"only newer, no differing files",
         kCopy | status::kOnlyNewer | status::kOverwriteExisting,
         true,
         {},
         {},
         "old a",
         "old b"},
        {"ask: yes for all", kAsk, true, {Answer::Yes, Answer::Yes}, {"a", "all"}, "new a", "new b"},
        {"ask: yes, then no, not for all",
         kAsk,
         true,
         {Answer::Yes, Answer::No, Answer::No, Answer::No},
         {"a", "all", "b", "keep"},
         "new a",
         "old b"},
        {"ask: no for all", kAsk, true, {Answer::No, Answer::Yes}, {"a", "keep"}, "old a", "old b"},
        {"ask: cancel", kAsk, true, {Answer::Cancel}, {"a"}, "old a", "old b"},
        {"ask: the source is newer", kAsk, false, {}, {}, "new a", "new b"},
    };
    for (const auto& c : cases) {
        ExistingTargets scene;
        for (const char* name : {"a.txt", "b.txt"}) {
            setTime(scene.dir.file(std::string("src/") + name),
                    c.targetNewer ? 1600000000000000000LL : 1700000000000000000LL);
            setTime(scene.dir.file(std::string("dst/") + name),
                    c.targetNewer ? 1700000000000000000LL : 1600000000000000000LL);
        }
        EngineRun r;
        r.questions.answers = {c.answers.begin(), c.answers.end()};
        r.run(c.status | kProtocol, scene.task());
        std::vector<std::string> asked;
        for (const auto& q : r.questions.asked) {
            if (q.text == "Möchten Sie alle neueren Zieldateien überschreiben?")
                asked.push_back("all");
            else if (q.text == "Möchten Sie alle neueren Zieldateien behalten?")
                asked.push_back("keep");
            else if (q.text == "Zieldatei '" + scene.target + "/a.txt" + newer)
                asked.push_back("a");
            else
                asked.push_back(q.text == "Zieldatei '" + scene.target + "/b.txt" + newer ? "b" : q.text);
        }
        EXPECT_EQ(asked, c.asked) << c.label;
        EXPECT_EQ(scene.dir.read("dst/a.txt"), c.a) << c.label;
        EXPECT_EQ(scene.dir.read("dst/b.txt"), c.b) << c.label;
    }
}

TEST(Copy, ReadOnlyTargetIsReplacedOnlyWhenTheUserSaysSo)
{
    const std::string readOnlyA = "' ist schreibgeschützt!\r\n\r\n => Zieldatei überschreiben?";
    for (const bool yes : {true, false}) {
        ExistingTargets scene;
        chmod(scene.dir.file("dst/a.txt").c_str(), 0444);
        EngineRun r;
        r.questions.answers = {yes ? Answer::Yes : Answer::No, Answer::Yes};
        r.run(kCopy | kProtocol | status::kOverwriteExisting, scene.task());
        ASSERT_GE(r.questions.asked.size(), 1u);
        EXPECT_EQ(r.questions.asked[0].text, "Zieldatei '" + scene.target + "/a.txt" + readOnlyA);
        EXPECT_EQ(scene.dir.read("dst/a.txt"), yes ? "new a" : "old a");
        struct stat st {};
        stat(scene.dir.file("dst/a.txt").c_str(), &st);
        EXPECT_EQ(st.st_mode & 0222, yes ? 0200u : 0u) << "the copy carries the source's mode";
        if (yes) {
            EXPECT_EQ(r.questions.asked.at(1).text, "Möchten Sie alle schreibgeschützten Daten überschreiben?");
            EXPECT_NE(r.engine.FolderCopy_Status() & status::kOverwriteProtected, 0u);
        }
        EXPECT_EQ(scene.dir.read("dst/b.txt"), "new b");
    }
}

TEST(Copy, FailureQuestionAndErrorPolicy)
{
    const struct {
        const char* label;
        std::uint32_t extra;
        std::vector<Answer> answers;
        const char* a;
        const char* b;
        const char* line; // the policy's line for a.txt, or nullptr
        const char* ready;
    } cases[] = {
        {"retry", 0, {Answer::Retry}, "new a", "new b", nullptr, "Ready true '' protocol"},
        {"ignore", 0, {Answer::Ignore}, "old a", "new b", ") => Abbruch", "Ready false '%' protocol"},
        {"abort", 0, {Answer::Abort}, "old a", "old b", ") => Abbruch", "Ready false '%' protocol"},
        {"continue after errors: nobody asked",
         status::kContinueAfterError,
         {},
         "old a",
         "new b",
         ") => Fehler ignorieren, weiter",
         "Ready true '' protocol"},
    };
    const std::string failure = "Fehler bei Datei: a.txt - "
                                "Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden.";
    for (const auto& c : cases) {
        ExistingTargets scene;
        EngineRun r;
        r.questions.answers = {c.answers.begin(), c.answers.end()};
        int writes = 0;
        test::WriteFault fault([&](std::size_t) { return ++writes == 1 ? EIO : 0; }); // the first write breaks
        r.run(kCopy | kProtocol | status::kOverwriteExisting | c.extra, scene.task());
        EXPECT_EQ(scene.dir.read("dst/a.txt"), c.a) << c.label;
        EXPECT_EQ(scene.dir.read("dst/b.txt"), c.b) << c.label;
        EXPECT_EQ(test::entryCount(scene.target), 2u) << c.label;
        if (c.extra == 0) {
            ASSERT_EQ(r.questions.asked.size(), 1u) << c.label;
            EXPECT_EQ(r.questions.asked[0].text,
                      "Datei '" + scene.source + "/a.txt' konnte nicht kopiert werden!\r\n\r\n" + failure
                          + "\r\n\r\n=> Vorgang wiederholen?");
            EXPECT_EQ(r.questions.asked[0].buttons, base::Buttons::AbortRetryIgnore);
        } else {
            EXPECT_TRUE(r.questions.asked.empty());
        }
        std::string ready = c.ready;
        if (const auto at = ready.find('%'); at != std::string::npos)
            ready.replace(at, 1, failure);
        EXPECT_EQ(r.ready(), ready) << c.label;
        if (c.line == nullptr) {
            EXPECT_TRUE(r.rec.errors.empty());
            continue;
        }
        EXPECT_NE(r.engine.Protocol().find("a.txt  ----  nicht kopiert (" + failure + c.line), std::string::npos)
            << c.label << r.engine.Protocol();
        ASSERT_EQ(r.rec.errors.size(), 1u) << c.label;
        EXPECT_EQ(r.rec.errors[0].par_Target, failure);
        EXPECT_EQ(r.rec.errors[0].par_Folder, scene.source);
        EXPECT_EQ(r.counters().CountFiles_Not, 1);
        if (c.answers == std::vector<Answer>{Answer::Abort})
            EXPECT_NE(r.engine.Protocol().find("a.txt  ----  Datei nicht ausgeführt => abgebrochen"),
                      std::string::npos);
    }
}

// The user's time in a question does not count in the time used. The
// engine's clock is the test's: each answer takes 1.05 s of it.
class SlowQuestioner : public base::Questioner {
public:
    explicit SlowQuestioner(std::chrono::steady_clock::time_point& clock) : clock_(clock) {}
    base::Answer ask(const base::MessageRequest&) override
    {
        clock_ += std::chrono::milliseconds(1050);
        return Answer::Yes;
    }

private:
    std::chrono::steady_clock::time_point& clock_;
};

TEST(Copy, TimeInQuestionsIsLeftOut)
{
    ExistingTargets scene;
    test::EngineRecorder rec;
    std::chrono::steady_clock::time_point clock{std::chrono::hours(1)};
    SlowQuestioner slow(clock);
    clsFolderCopy engine(rec, slow);
    engine.setClock([&] { return clock; });
    const auto start = clock;
    std::int64_t used = -1;
    std::int64_t elapsed = -1;
    rec.onEvent = [&](const std::string& e) {
        if (e.rfind("Ready", 0) == 0) {
            used = engine.SecondsUsed();
            elapsed = std::chrono::duration_cast<std::chrono::seconds>(clock - start).count();
        }
    };
    std::string error;
    static_cast<void>(engine.fc_Init(kCopy | status::kOverwriteExisting, 0, 2, error, 0));
    project::Task task = scene.task();
    task.selection = {"a.txt"};
    chmod(scene.dir.file("dst/a.txt").c_str(), 0444); // one question and its "for all": 2.1 s
    static_cast<void>(engine.fc_InitAdd(task, error));
    engine.fc_ActionRun();
    EXPECT_EQ(elapsed, 2);
    EXPECT_EQ(used, 0);
}

TEST(Copy, ThreeWaysOfCopying)
{
    TempDir dir;
    const std::uint64_t limit = 1000 * 1024;
    dir.write("src/plain.bin", test::randomBytes(limit, 1));
    dir.write("src/progress.bin", test::randomBytes(limit + 1, 2));
    dir.write("src/blocks.bin", test::randomBytes(100000, 3));
    const std::string target = dir.mkdir("dst");
    const struct {
        const char* name;
        std::uint32_t status;
        std::vector<std::string> progress;
    } cases[] = {
        {"plain.bin", 0, {}},
        {"progress.bin", 0, {"1024001 1024001"}},
        // Block size 100000 is bounded to 32767.
        {"blocks.bin", status::kBlockBytes, {"100000 32767", "100000 65534", "100000 98301", "100000 100000"}},
    };
    for (const auto& c : cases) {
        struct Progress : test::EngineRecorder {
            std::vector<std::string> steps;
            void ActionFileDoneByte(std::int64_t total, std::int64_t done) override
            {
                steps.push_back(std::to_string(total) + " " + std::to_string(done));
            }
        } rec;
        test::ScriptedQuestioner questions;
        clsFolderCopy engine(rec, questions);
        std::string error;
        static_cast<void>(engine.fc_Init(kCopy | c.status, 0, 2, error, 100000));
        static_cast<void>(
            engine.fc_InitAdd({.sourceFolder = dir.file("src"), .selection = {c.name}, .targetFolder = target}, error));
        ASSERT_TRUE(engine.fc_ActionRun());
        EXPECT_EQ(rec.steps, c.progress) << c.name;
        EXPECT_EQ(dir.read(std::string("dst/") + c.name), dir.read(std::string("src/") + c.name)) << c.name;
    }
}

TEST(Copy, BlockCopyYieldsPausesAndVerifiesEveryByte)
{
    TempDir dir;
    dir.write("src/a.bin", test::randomBytes(200000, 4));
    dir.write("dst/a.bin", "old");
    const std::string source = dir.file("src/a.bin");
    // With the yield option the user interface runs between the blocks.
    for (const std::uint32_t yield : {0u, status::kYield}) {
        EngineRun r;
        int ui = 0;
        r.engine.sb_SetDoEvents([&] { ++ui; });
        r.run(kCopy | status::kBlockBytes | status::kOverwriteExisting | yield,
              {.sourceFolder = dir.file("src"), .selection = {"a.bin"}, .targetFolder = dir.file("dst")});
        EXPECT_EQ(ui > 0, yield != 0);
        EXPECT_EQ(dir.read("dst/a.bin"), dir.read("src/a.bin"));
    }
    // A byte in the middle of the source changes after its block was copied
    // (its time kept, so only the content tells): the copy does not match.
    dir.write("dst/a.bin", "old");
    struct stat before {};
    stat(source.c_str(), &before);
    struct Corrupt : test::EngineRecorder {
        std::string path;
        struct stat times {};
        bool done = false;
        void ActionFileDoneByte(std::int64_t, std::int64_t written) override
        {
            if (done || written < 100000)
                return;
            const int fd = open(path.c_str(), O_WRONLY);
            ASSERT_EQ(pwrite(fd, "X", 1, 50000), 1);
            const timespec t[2] = {times.st_atim, times.st_mtim};
            futimens(fd, t);
            close(fd);
            done = true;
        }
    } rec;
    rec.path = source;
    rec.times = before;
    test::ScriptedQuestioner questions;
    questions.answers = {Answer::Ignore};
    clsFolderCopy engine(rec, questions);
    std::string error;
    static_cast<void>(
        engine.fc_Init(kCopy | status::kBlockBytes | status::kOverwriteExisting | kProtocol, 0, 2, error, 32767));
    static_cast<void>(engine.fc_InitAdd(
        {.sourceFolder = dir.file("src"), .selection = {"a.bin"}, .targetFolder = dir.file("dst")}, error));
    engine.fc_ActionRun();
    const std::string failure = "Fehler: 'Fehlerhaftes Kopieren - Dateiinhalte stimmen nicht überein.'\r\n"
                                "Bei Aktion 'Kopieren (Byte Blöcke)': '"
        + source + "' nach '" + dir.file("dst/a.bin") + "'";
    ASSERT_EQ(rec.errors.size(), 1u);
    EXPECT_EQ(rec.errors[0].par_Target, failure);
    EXPECT_EQ(dir.read("dst/a.bin"), "old");
    EXPECT_EQ(test::entryCount(dir.file("dst")), 1u);
}

TEST(Copy, TargetInsideItsOwnSourceIsNotCopiedIntoItself)
{
    const struct {
        const char* label;
        std::vector<std::string> selection;
        const char* target;
        const char* copy; // where the copy of a's content lands
        std::int64_t files;
    } cases[] = {
        {"the folder into its backup", {"."}, "a/backup", "a/backup/a", 2},
        {"its content into its backup", {"*.*"}, "a/backup", "a/backup", 2},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("a/one.txt", "1");
        dir.write("a/sub/two.txt", "2");
        dir.write("a/backup/older/stale.txt", "s");
        for (int run = 0; run < 2; ++run) { // the second run finds the first copy in the source
            EngineRun r;
            ASSERT_TRUE(
                r.run(kInfo | kCopy | status::kOverwriteExisting,
                      {.sourceFolder = dir.file("a"), .selection = c.selection, .targetFolder = dir.file(c.target)}))
                << c.label;
            EXPECT_EQ(r.rec.only("Ready").back(), "Ready true '' none") << c.label;
            EXPECT_EQ(r.counters().CountFiles_Done, c.files) << c.label << ", run " << run;
            EXPECT_EQ(dir.read(std::string(c.copy) + "/sub/two.txt"), "2") << c.label;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file(std::string(c.copy) + "/backup/a"))) << c.label;
        EXPECT_FALSE(std::filesystem::exists(dir.file(std::string(c.copy) + "/a"))) << c.label;
    }
}

// A target that is the source itself (also through a link, or the folder
// that holds it when the source goes in under its own name) is refused
// before anything is copied. (A system folder as the target is refused by
// the same check, fc_IsSystemFolder; no test copies there.)
TEST(Copy, TargetThatIsItsSourceOrASystemFolderIsRefused)
{
    TempDir dir;
    dir.write("a/one.txt", "1");
    dir.write("a/sub/two.txt", "2");
    std::filesystem::create_directory_symlink(dir.file("a"), dir.file("verweis"));
    const auto before = test::treeState(dir.path());
    const std::string a = dir.file("a");
    const struct {
        std::vector<std::string> selection;
        std::string target;
        std::string message;
    } cases[] = {
        {{"."}, a, "Zielverzeichnis: '" + a + "' ist die Quelle selbst: eine Kopie in sich selbst ist nicht möglich!"},
        {{"*.*"},
         dir.file("verweis"),
         "Zielverzeichnis: '" + a + "' ist die Quelle selbst: eine Kopie in sich selbst ist nicht möglich!"},
        {{"."},
         dir.path(),
         "Zielverzeichnis: '" + dir.path() + "' enthält die Quelle '" + a + "': die Kopie wäre die Quelle selbst!"},
    };
    for (const auto& c : cases) {
        EngineRun r;
        // Checked before any pass: nothing is listed, made or written.
        EXPECT_FALSE(r.run(kInfo | kCopy | status::kOverwriteExisting,
                           {.sourceFolder = dir.file("verweis"), .selection = c.selection, .targetFolder = c.target}));
        EXPECT_EQ(r.ready(), "Ready false '" + c.message + "' none") << c.target;
        EXPECT_TRUE(r.rec.only("FileStart").empty()) << c.target;
    }
    EXPECT_TRUE(test::differences(before, test::treeState(dir.path())).empty());
    // A target the window changed between two runs of one engine is checked anew.
    EngineRun twice;
    ASSERT_TRUE(twice.run(kCopy, {.sourceFolder = a, .targetFolder = dir.mkdir("ziel")}));
    twice.engine.Target(dir.file("verweis"));
    EXPECT_FALSE(twice.engine.fc_ActionRun());
    EXPECT_EQ(twice.ready(),
              "Ready false 'Zielverzeichnis: '" + a
                  + "' ist die Quelle selbst: eine Kopie in sich selbst ist nicht möglich!' none");
}

TEST(Copy, FilteredCopyRemovesOnlyTheFoldersItMade)
{
    TempDir dir;
    dir.write("src/D/Keep/x.txt", "x");
    dir.write("src/D/Empty/y.bak", "y");
    dir.write("src/D/Was/z.bak", "z");
    dir.mkdir("dst/D/Was"); // there before the run, empty
    EngineRun r;
    ASSERT_TRUE(r.run(kCopy | kProtocol,
                      {.sourceFolder = dir.file("src/D"), .targetFolder = dir.file("dst"), .extensions = "*.txt"}));
    EXPECT_EQ(dir.read("dst/D/Keep/x.txt"), "x");
    EXPECT_FALSE(std::filesystem::exists(dir.file("dst/D/Empty"))) << "made for nothing";
    EXPECT_TRUE(std::filesystem::exists(dir.file("dst/D/Was"))) << "the user's folder stays";
    EXPECT_EQ(r.counters().CountFiles_Done, 1);
    EXPECT_EQ(r.counters().CountFolder_Done, 2) << "D and Keep";
    EXPECT_EQ(r.counters().CountFolder_ExistsTimeOk, 2) << "Empty and Was: nothing in them to copy";
    // The protocol names only the folders that stay.
    EXPECT_NE(r.engine.Protocol().find("/Keep/  ----  ok"), std::string::npos) << r.engine.Protocol();
    EXPECT_EQ(r.engine.Protocol().find("/Empty/"), std::string::npos) << r.engine.Protocol();

    // A parent emptied by the exclusion goes as the folders in it do, however deep.
    dir.write("src/E/a/b/ex/g", "g");
    dir.write("src/E/c/ex/h", "h");
    dir.write("src/E/keep.txt", "k");
    EngineRun excluded;
    ASSERT_TRUE(excluded.run(
        kCopy, {.sourceFolder = dir.file("src/E"), .targetFolder = dir.file("dst"), .exclusions = "\\ex"}));
    EXPECT_EQ(dir.read("dst/E/keep.txt"), "k");
    for (const char* gone : {"dst/E/a", "dst/E/c"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(gone))) << gone;
}

TEST(Copy, TaskAttributesAndCompression)
{
    TempDir dir;
    dir.write("src/a.txt", "a");
    dir.write("src/Sub/b.txt", "b");
    EngineRun r;
    ASSERT_TRUE(r.run(kCopy,
                      {.sourceFolder = dir.file("src"),
                       .selection = {"*.*"},
                       .targetFolder = dir.mkdir("dst"),
                       .attributeSet = platform::attr::kReadOnly | platform::attr::kSystem,
                       .attributeClear = platform::attr::kArchive | platform::attr::kCompressed}));
    for (const char* path : {"dst/a.txt", "dst/Sub/b.txt"}) {
        EXPECT_EQ(test::entryState(dir.file(path)).attributes, platform::attr::kReadOnly | platform::attr::kSystem)
            << path;
    }
    EXPECT_EQ(test::entryState(dir.file("dst/Sub")).attributes,
              platform::attr::kDirectory | platform::attr::kReadOnly | platform::attr::kSystem);
    EXPECT_EQ(test::entryState(dir.file("src/a.txt")).attributes, platform::attr::kArchive);

    // A volume that does not compress: the copy stands, and each entry's
    // line says that it is not compressed.
    EngineRun compress;
    compress.questions.answers = {Answer::Ignore};
    compress.run(kCopy | kProtocol,
                 {.sourceFolder = dir.file("src"),
                  .selection = {"*.*"},
                  .targetFolder = dir.mkdir("plain"),
                  .attributeSet = platform::attr::kCompressed});
    EXPECT_EQ(compress.ready(), "Ready true '' protocol");
    EXPECT_EQ(dir.read("plain/a.txt"), "a");
    EXPECT_EQ(dir.read("plain/Sub/b.txt"), "b");
    EXPECT_EQ(compress.counters().CountFiles_Done, 2);
    const std::string& lines = compress.engine.Protocol();
    for (const char* name : {"a.txt", "b.txt", "/Sub/"})
        EXPECT_NE(lines.find(std::string(name) + "  ----  ok (Fehler, Daten Kompression fehlgeschlagen)"),
                  std::string::npos)
            << name << lines;
}

TEST(Copy, CompressionOnAVolumeThatCompresses)
{
    TempDir dir;
    const std::string volume = dir.mkdir("btrfs");
    const auto mount = test::ScratchMount::btrfs(volume, dir.file("btrfs.img"));
    if (!mount.mounted())
        GTEST_SKIP() << "cannot make and mount a btrfs volume here (needs root, loop devices and mkfs.btrfs)";
    dir.write("src/D/a.txt", std::string(100000, 'a'));
    dir.write("src/D/Sub/b.txt", "b");
    const std::uint32_t compressed = platform::attr::kCompressed;
    EngineRun on;
    ASSERT_TRUE(on.run(kCopy, {.sourceFolder = dir.file("src/D"), .targetFolder = volume, .attributeSet = compressed}));
    EXPECT_EQ(on.ready(), "Ready true '' none");
    for (const char* path : {"btrfs/D", "btrfs/D/a.txt", "btrfs/D/Sub", "btrfs/D/Sub/b.txt"})
        EXPECT_NE(test::entryState(dir.file(path)).attributes & compressed, 0u) << path;
    EXPECT_EQ(dir.read("btrfs/D/a.txt"), dir.read("src/D/a.txt"));
    // Taken off again, also where the volume gives it to the new entries of
    // a compressed folder.
    EngineRun off;
    ASSERT_TRUE(off.run(
        kCopy | status::kOverwriteExisting,
        {.sourceFolder = dir.file("src/D/Sub"), .targetFolder = dir.file("btrfs/D"), .attributeClear = compressed}));
    EXPECT_EQ(off.ready(), "Ready true '' none");
    EXPECT_EQ(test::entryState(dir.file("btrfs/D/Sub/b.txt")).attributes & compressed, 0u);
}

TEST(Copy, RootsCopyKeepsTheOwnersOfFoldersAndFiles)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root gives entries to others";
    TempDir dir;
    dir.write("src/D/Sub/a.txt", "a");
    for (const char* path : {"src/D", "src/D/Sub", "src/D/Sub/a.txt"})
        ASSERT_EQ(lchown(dir.file(path).c_str(), 12345, 23456), 0);
    EngineRun r;
    ASSERT_TRUE(r.run(kCopy, {.sourceFolder = dir.file("src/D"), .targetFolder = dir.mkdir("dst")}));
    for (const char* path : {"dst/D", "dst/D/Sub", "dst/D/Sub/a.txt"}) {
        struct stat st {};
        ASSERT_EQ(lstat(dir.file(path).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 12345u) << path;
        EXPECT_EQ(st.st_gid, 23456u) << path;
    }
}

TEST(Copy, LinksAreCopiedAsLinksFifosAndDevicesMadeSocketsFail)
{
    TempDir dir;
    dir.write("src/file", "f");
    std::filesystem::create_symlink("file", dir.file("src/link"));
    std::filesystem::create_directory_symlink("/", dir.file("src/root"));
    mkfifo(dir.file("src/pipe").c_str(), 0640);
    // Only root makes device nodes (as cp -a); this one is made in the test's folder.
    const bool device = geteuid() == 0 && mknod(dir.file("src/null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("src/sock");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EngineRun r;
    r.questions.answers = {Answer::Ignore};
    r.run(kCopy | kProtocol,
          {.sourceFolder = dir.file("src"),
           .selection = {"link", "root", "pipe", "null", "sock"},
           .targetFolder = dir.mkdir("dst")});
    close(listener);
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("dst/link")), "file");
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("dst/root")), "/");
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("dst/pipe").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (device) {
        ASSERT_EQ(lstat(dir.file("dst/null").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("dst/sock")));
    EXPECT_EQ(r.ready(),
              "Ready false 'Fehler bei Datei: sock - Das ist ein Socket (die Verbindungsstelle eines laufenden "
              "Programms); er kann nicht kopiert werden.' protocol");
}

} // namespace
} // namespace zdr::engine
