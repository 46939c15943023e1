// The rename after the copy on real trees: source or target, files or
// folders, the first level only, running numbers, a name that is taken
// (never replaced), a damaged code, and the rename of the reviewed rows
// after a "differing files" copy.
#include "EngineRun.h"
#include "ProtocolWorkList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zdr::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineRun;
using test::kInfo;
using test::ProtocolRun;
using test::TempDir;

constexpr std::uint32_t kCopy = status::kCopy | status::kCreateProtocol;

// Every entry below root by its path relative to root, sorted.
std::vector<std::string> listing(const std::string& root)
{
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        out.push_back(e.path().string().substr(root.size() + 1));
    std::sort(out.begin(), out.end());
    return out;
}

using Names = std::vector<std::string>;

TEST(Rename, WhatTheFlagsAskForAfterTheCopy)
{
    const struct {
        const char* label;
        const char* parameter;
        std::vector<std::string> selection;
        Names source;
        Names target;
    } rows[] = {
        {"target, folders and files",
         "1|28|done [NAMETOTAL]",
         {"."},
         {"Sub", "Sub/b.txt", "a.txt"},
         {"done src", "done src/done Sub", "done src/done Sub/done b.txt", "done src/done a.txt"}},
        {"source, the folder as a whole: never the task's own folder",
         "1|26|done [NAMETOTAL]",
         {"."},
         {"done Sub", "done Sub/done b.txt", "done a.txt"},
         {"src", "src/Sub", "src/Sub/b.txt", "src/a.txt"}},
        {"source and target: the source",
         "1|30|done [NAMETOTAL]",
         {"*.*"},
         {"done Sub", "done Sub/done b.txt", "done a.txt"},
         {"Sub", "Sub/b.txt", "a.txt"}},
        {"files only, first level only",
         "1|52|[NAME]_alt[EXT]",
         {"*.*"},
         {"Sub", "Sub/b.txt", "a.txt"},
         {"Sub", "Sub/b.txt", "a_alt.txt"}},
        {"folders only, first level only",
         "1|44|x [NAMETOTAL]",
         {"."},
         {"Sub", "Sub/b.txt", "a.txt"},
         {"x src", "x src/a.txt", "x src/x Sub", "x src/x Sub/b.txt"}},
        {"neither side", "1|24|x", {"*.*"}, {"Sub", "Sub/b.txt", "a.txt"}, {"Sub", "Sub/b.txt", "a.txt"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        dir.write("src/a.txt", "a");
        dir.write("src/Sub/b.txt", "b");
        const std::string target = dir.mkdir("dst");
        EngineRun r;
        EXPECT_TRUE(r.run(kCopy,
                          {.sourceFolder = dir.file("src"),
                           .selection = row.selection,
                           .targetFolder = target,
                           .renameCode = row.parameter}));
        EXPECT_EQ(r.ready(), "Ready true '' protocol");
        // The task's own source folder is never renamed: the next run would not find it.
        const std::string source = dir.file("src");
        ASSERT_TRUE(fs::is_directory(source));
        Names sorted = row.target;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(listing(source), row.source);
        EXPECT_EQ(listing(target), sorted);
    }
}

TEST(Rename, RenamedSourcesAreCopiedOnce)
{
    // Renamed in the folder that is being listed, a file may be listed
    // again under its new name.
    TempDir dir;
    for (int i = 0; i < 200; ++i)
        dir.write("src/f" + std::to_string(i) + ".txt", std::to_string(i));
    const std::string target = dir.mkdir("dst");
    EngineRun r;
    EXPECT_TRUE(r.run(kCopy,
                      {.sourceFolder = dir.file("src"),
                       .selection = {"*.*"},
                       .targetFolder = target,
                       .renameCode = "1|18|done [NAMETOTAL]"}));
    EXPECT_EQ(r.rec.only("FileDone").size(), 200u);
    EXPECT_EQ(listing(target).size(), 200u);
    for (const std::string& name : listing(dir.file("src")))
        EXPECT_EQ(name.rfind("done f", 0), 0u) << name;
}

TEST(Rename, AFolderSwappedForALinkLeadsNowhere)
{
    // Renamed in the source after its copy: the folder that holds the next
    // file is swapped for a link to an outside folder holding a file of
    // that name.
    TempDir dir;
    dir.write("src/docs/a.txt", "a");
    dir.write("src/docs/b.txt", "b");
    dir.write("outside/b.txt", "keep");
    EngineRun r;
    bool swapped = false;
    r.rec.onEvent = [&](const std::string& e) {
        if (!swapped && e.rfind("FileStart b.txt", 0) == 0) {
            swapped = true;
            fs::rename(dir.file("src/docs"), dir.file("moved"));
            fs::create_directory_symlink(dir.file("outside"), dir.file("src/docs"));
        }
    };
    r.run(kCopy | status::kContinueAfterError,
          {.sourceFolder = dir.file("src"),
           .selection = {"*.*"},
           .targetFolder = dir.mkdir("dst"),
           .renameCode = "1|18|done [NAMETOTAL]"});
    ASSERT_TRUE(swapped);
    EXPECT_EQ(listing(dir.file("outside")), Names{"b.txt"});
}

TEST(Rename, ANameThatIsTakenIsNeverReplaced)
{
    TempDir dir;
    dir.write("src/a.txt", "a");
    dir.write("src/b.txt", "b");
    const std::string target = dir.mkdir("dst");
    dir.write("dst/done a.txt", "was here first");
    EngineRun r;
    r.run(kCopy,
          {.sourceFolder = dir.file("src"),
           .selection = {"a.txt", "b.txt"},
           .targetFolder = target,
           .renameCode = "1|20|done [NAMETOTAL]"});
    EXPECT_EQ(dir.read("dst/done a.txt"), "was here first");
    EXPECT_EQ(dir.read("dst/a.txt"), "a") << "copied, left under its name";
    EXPECT_EQ(dir.read("dst/done b.txt"), "b");
    const std::string failure = "Fehler bei Umbenennung Datei: " + target + "/a.txt - Die Datei ist bereits vorhanden.";
    EXPECT_NE(r.engine.Protocol().find("a.txt  ----  nicht umbenannt (" + failure + ")"), std::string::npos)
        << r.engine.Protocol();
    EXPECT_NE(r.engine.Protocol().find("b.txt  ----  umbenannt in: done b.txt"), std::string::npos);
    EXPECT_EQ(r.ready(), "Ready false '" + failure + "' protocol");

    // A pattern without placeholders: the second of a folder fails the same way.
    TempDir same;
    same.write("src/a.txt", "a");
    same.write("src/b.txt", "b");
    EngineRun once;
    once.run(kCopy,
             {.sourceFolder = same.file("src"),
              .selection = {"a.txt", "b.txt"},
              .targetFolder = same.mkdir("dst"),
              .renameCode = "1|20|gleich.txt"});
    EXPECT_EQ(listing(same.file("dst")), (Names{"b.txt", "gleich.txt"}));
    EXPECT_EQ(same.read("dst/gleich.txt"), "a");
}

TEST(Rename, RunningNumbersAndDamagedCodes)
{
    TempDir dir;
    for (const char* f : {"x.jpg", "y.jpg", "z.jpg"})
        dir.write(std::string("src/") + f, f);
    EngineRun numbered;
    numbered.run(kCopy,
                 {.sourceFolder = dir.file("src"),
                  .selection = {"*.*"},
                  .targetFolder = dir.mkdir("dst"),
                  .renameCode = "1|20|Urlaub [00|8]"});
    EXPECT_EQ(listing(dir.file("dst")), (Names{"Urlaub 08", "Urlaub 09", "Urlaub 10"}));

    // A code the parameter rules refuse renames nothing and says why.
    EngineRun damaged;
    damaged.run(kCopy,
                {.sourceFolder = dir.file("src"),
                 .selection = {"x.jpg"},
                 .targetFolder = dir.mkdir("dst2"),
                 .renameCode = "1|20|../[NAMETOTAL]"});
    EXPECT_EQ(listing(dir.file("dst2")), Names{"x.jpg"});
    EXPECT_NE(
        damaged.ready().find("Fehler bei Umbenennung Datei: " + dir.file("dst2/x.jpg") + " - Der Umbenennungscode"),
        std::string::npos)
        << damaged.ready();
}

TEST(Rename, TheReviewedRowsThatWereCopiedFromTheLastToTheFirst)
{
    TempDir dir;
    dir.write("src/Sub/a.txt", "a");
    dir.write("src/Sub/b.txt", "b");
    dir.write("src/Sub/Tief/c.txt", "c");
    dir.write("src/Sub/d.txt", "d");
    const std::string target = dir.mkdir("dst");
    ProtocolRun r;
    // b.txt is unticked in the review: neither copied nor renamed. d.txt is
    // gone before it is copied: it fails, and is passed over by the rename.
    r.rec.onEvent = [&](const std::string& e) {
        if (e == "Start COPY") {
            r.rec.document.list().setTicked(r.rec.document.list().findFile(dir.file("src/Sub"), "b.txt"), false);
            fs::remove(dir.file("src/Sub/d.txt"));
        }
    };
    EXPECT_TRUE(r.run(kInfo | kCopy | status::kOnlyDifferent | status::kContinueAfterError,
                      {.sourceFolder = dir.file("src"),
                       .selection = {"*.*"},
                       .targetFolder = target,
                       .renameCode = "1|26|[000|1] [NAMETOTAL]"}));
    EXPECT_EQ(
        listing(dir.file("src")),
        (Names{"001 Sub", "001 Sub/002 a.txt", "001 Sub/003 Tief", "001 Sub/003 Tief/004 c.txt", "001 Sub/b.txt"}))
        << "numbered in the list's order, renamed children first";
    EXPECT_EQ(listing(target), (Names{"Sub", "Sub/Tief", "Sub/Tief/c.txt", "Sub/a.txt"}));
    EXPECT_EQ(r.rec.only("EntryGetNext FILE d.txt").size(), 2u) << "met by the copy and by the rename";
    EXPECT_EQ(r.engine.Counters().CountFiles_Left, 1) << "the unticked row is counted apart, once";
    EXPECT_NE(
        r.engine.Protocol().find("d.txt  ----  nicht kopiert (Fehler bei Datei: d.txt - Die angegebene Datei wurde "
                                 "nicht gefunden.) => Fehler ignorieren, weiter"),
        std::string::npos);
    EXPECT_EQ(r.rec.only("Ready").back(), "Ready true '' protocol");
}

TEST(Rename, AReviewedRowCannotLeadOutOfItsTask)
{
    TempDir dir;
    dir.write("src/a.txt", "a");
    dir.write("outside/secret.txt", "s");
    const std::string target = dir.mkdir("dst");
    EngineRun r;
    // Rows as a damaged or forged protocol could hand them out.
    const auto row = [&](const std::string& type, const std::string& folder, const std::string& name,
                         const std::string& targetFolder) {
        protocol::WorkListStep s;
        s.index = 1;
        s.type = type;
        s.sourcePath = folder;
        s.source = name;
        s.targetPath = targetFolder;
        s.level = 1;
        s.taskIndex = 1;
        return s;
    };
    r.rec.workList = {row("FILE", dir.file("src"), "../outside/secret.txt", target),
                      row("FILE", dir.file("src/../outside"), "secret.txt", target),
                      row("FILE", dir.file("src"), "a.txt", dir.file("dst/../outside")),
                      row("FOLDER", dir.file("outside"), "outside", target + "/outside")};
    r.run(kInfo | kCopy | status::kOnlyDifferent | status::kContinueAfterError,
          {.sourceFolder = dir.file("src"),
           .selection = {"*.*"},
           .targetFolder = target,
           .renameCode = "1|26|x [NAMETOTAL]"});
    EXPECT_EQ(listing(target), Names{}) << "nothing copied";
    EXPECT_EQ(listing(dir.file("outside")), Names{"secret.txt"}) << "nothing renamed";
    EXPECT_EQ(r.counters().CountFiles_Not + r.counters().CountFolder_Not, 4);
}

} // namespace
} // namespace zdr::engine
