// The tree walk on real trees: what an information run counts and measures,
// compared with find and du; the selection forms; events and protocol; and
// the faults a real disk brings (no access, vanishing entries, link loops,
// odd names, very deep paths).
#include "EngineRun.h"
#include "ProtocolWorkList.h"
#include "support/NoAccessOverride.h"
#include "support/TempDir.h"

#include "engine/SizeText.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

namespace zdr::engine {
namespace {

using test::EngineRun;
using test::kInfo;
using test::kInfoProtocol;
using test::TempDir;

std::string shell(const std::string& command)
{
    std::string out;
    FILE* p = popen(("LC_ALL=C " + command).c_str(), "r");
    if (p == nullptr)
        return out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    pclose(p);
    return out;
}

long long shellNumber(const std::string& command) { return std::stoll("0" + shell(command)); }

std::string quoted(const std::string& path) { return "'" + path + "'"; }

void setTime(const std::string& path, std::time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::time_t localTime(int y, int mo, int d, int h)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// A tree of about 600 entries with every kind of name the filters look at:
// extensions in both cases, names without one, hidden names, "Temp" and
// "Cache" folders, links, empty files, and modification times over 2019 to
// 2025 (at noon, so no date bound falls on a file).
std::string makeMixedTree(const TempDir& dir)
{
    const std::string root = dir.mkdir("Data");
    std::mt19937 rng(4711);
    const char* extensions[] = {".txt", ".TXT", ".doc", ".bak", "", ".tar.gz", ".Doc"};
    const char* folderNames[] = {"Temp", "Cache", "Bilder", "a.bak", "Archiv", "Tmp2"};
    std::vector<std::string> folders = {root};
    for (int i = 0; i < 40; ++i) {
        const std::string parent = folders[rng() % folders.size()];
        const std::string name = std::string(folderNames[rng() % 6]) + (i % 3 == 0 ? "" : std::to_string(i));
        const std::string path = parent + "/" + name;
        if (std::filesystem::exists(path))
            continue;
        std::filesystem::create_directory(path);
        folders.push_back(path);
    }
    for (int i = 0; i < 560; ++i) {
        const std::string& folder = folders[rng() % folders.size()];
        std::string name =
            (i % 17 == 0 ? "." : "") + std::string(i % 5 == 0 ? "a" : "f") + std::to_string(i) + extensions[rng() % 7];
        if (i % 50 == 0)
            name = "keep.txt";
        const std::string path = folder + "/" + name;
        const std::size_t size = i % 11 == 0 ? 0 : rng() % 20000;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::string content(size, 'x');
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
        setTime(path, localTime(2019 + static_cast<int>(rng() % 7), 1 + static_cast<int>(rng() % 12), 15, 12));
    }
    std::filesystem::create_symlink("..", root + "/Bilder_link_up");
    std::filesystem::create_symlink("f1.txt", root + "/dangling.txt");
    return root;
}

struct FindCase {
    const char* label;
    project::Task task;
    std::uint32_t extraStatus;
    // find expressions over the tree: which folders are walked (prune) and
    // which files pass
    const char* prune;
    const char* files;
};

TEST(Walk, InformationRunCountsWhatFindAndDuSee)
{
    TempDir dir;
    const std::string root = makeMixedTree(dir);
    const FindCase cases[] = {
        {"no filter", {}, 0, "-false", "-true"},
        {"extensions", {.extensions = "*.txt"}, 0, "-false", "-iname '*.txt'"},
        {"size limit", {.sizeMaxK = "5"}, 0, "-false", "-size -5001c"},
        {"date range",
         {.dateFrom = "01.01.2021", .dateTo = "31.12.2023 23:59:59"},
         0,
         "-false",
         "-newermt '2021-01-01' ! -newermt '2024-01-01'"},
        {"name patterns", {.nameFilters = "*.doc;a1*"}, 0, "-false", "\\( -name '*.doc' -o -name 'a1*' \\)"},
        {"include name", {.nameFilters = "KEEP.TXT"}, 0, "-false", "-iname keep.txt"},
        {"exclusions",
         {.exclusions = "\\Temp;*.bak;\\Cache*"},
         0,
         "\\( -iname Temp -o -name 'Cache*' -o -name '*.bak' \\)",
         "! -name '*.bak'"},
        {"folders only", {}, status::kFolderOnly, "-false", "-false"},
        {"everything at once",
         {.exclusions = "\\Bilder*",
          .nameFilters = "*.txt;*.TXT",
          .extensions = "*.txt",
          .sizeMaxK = "15",
          .dateFrom = "01.06.2020"},
         0,
         "-name 'Bilder*'",
         "-iname '*.txt' -size -15001c -newermt '2020-06-01'"},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.label);
        EngineRun r;
        project::Task task = c.task;
        task.sourceFolder = root;
        ASSERT_TRUE(r.run(kInfo | c.extraStatus, task));
        EXPECT_EQ(r.ready(), "Ready true '' none");
        // The walk keeps the source folder itself; pruned folders are not entered.
        const std::string walked = "find " + quoted(root) + " -mindepth 1 -type d " + c.prune + " -prune -o ";
        const long long folders = 1 + shellNumber(walked + "-type d -printf x | wc -c");
        const std::string files = walked + "\\( -type f -o -type l \\) " + c.files;
        const long long fileCount = shellNumber(files + " -printf x | wc -c");
        const long long bytes = shellNumber(files + " -printf '%s\\n' | awk '{s+=$1} END {print s+0}'");
        const auto& k = r.counters();
        EXPECT_EQ(k.CountFolder, folders);
        EXPECT_EQ(k.CountFiles, fileCount);
        EXPECT_NEAR(k.SizeTotal * 1024, static_cast<double>(bytes), 0.5);
        EXPECT_EQ(r.rec.only("FileStart").size(), static_cast<std::size_t>(fileCount));
        EXPECT_EQ(r.rec.only("FolderStart").size(), static_cast<std::size_t>(folders));
    }
    // du agrees on the whole tree (its folder sizes taken out).
    EngineRun r;
    ASSERT_TRUE(r.run(kInfo, {.sourceFolder = root}));
    const long long du = shellNumber("du -sb --apparent-size " + quoted(root) + " | cut -f1");
    const long long dirBytes =
        shellNumber("find " + quoted(root) + " -type d -printf '%s\\n' | awk '{s+=$1} END {print s+0}'");
    EXPECT_NEAR(r.counters().SizeTotal * 1024, static_cast<double>(du - dirBytes), 0.5);
    const long long maxFileDepth =
        shellNumber("find " + quoted(root) + " ! -type d -printf '%d\\n' | sort -n | tail -1");
    const long long maxDirDepth = shellNumber("find " + quoted(root) + " -type d -printf '%d\\n' | sort -n | tail -1");
    EXPECT_EQ(r.counters().LevelMax, std::max(maxFileDepth, maxDirDepth + 1));
    EXPECT_EQ(r.counters().CountFiles_Hidden,
              shellNumber("find " + quoted(root) + " ! -type d -name '.*' -printf x | wc -c"));
}

TEST(Walk, SelectionForms)
{
    TempDir dir;
    const std::string root = dir.mkdir("Data");
    dir.write("Data/a.txt", "aa");
    dir.write("Data/b.txt", "bbb");
    dir.write("Data/Sub/c.txt", "c");
    dir.write("Data/Other/d.txt", "d");
    const struct {
        std::vector<std::string> selection;
        long long folders;
        long long files;
        std::size_t boxes; // = the names that could not be taken, each an error
    } cases[] = {
        {{"."}, 3, 4, 0},
        {{}, 3, 4, 0}, // empty: the whole folder
        {{""}, 3, 4, 0},
        {{"*.*"}, 2, 4, 0}, // the content only, not the folder itself
        {{"a.txt", "\\Sub"}, 1, 2, 0},
        {{"\\Sub\\"}, 1, 1, 0},
        {{"missing.txt", "b.txt"}, 0, 1, 1},                     // one missing name does not stop the others
        {{"..\\..\\etc", "\\Sub\\..\\..\\x", "b.txt"}, 0, 1, 2}, // names never leave the source
        {{"A.TXT", "\\sub"}, 0, 0, 2},                           // names are exact
        {{"*.txt"}, 0, 0, 1},                                    // a pattern is no name
    };
    for (const auto& c : cases) {
        EngineRun r;
        ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = root, .selection = c.selection}));
        const std::string label = c.selection.empty() ? "(empty)" : c.selection.front();
        EXPECT_EQ(r.counters().CountFolder, c.folders) << label;
        EXPECT_EQ(r.counters().CountFiles, c.files) << label;
        EXPECT_EQ(r.questions.asked.size(), c.boxes) << label;
        EXPECT_EQ(r.counters().CountFiles_Not + r.counters().CountFolder_Not, static_cast<long long>(c.boxes)) << label;
        EXPECT_EQ(r.rec.errors.size(), c.boxes) << label;
    }
    EngineRun r;
    r.run(kInfoProtocol, {.sourceFolder = root, .selection = {"missing.txt", "\\Fehlt"}});
    ASSERT_EQ(r.questions.asked.size(), 2u);
    EXPECT_EQ(r.questions.asked[0].title, "Fehler ...");
    EXPECT_EQ(r.questions.asked[0].text,
              "Fehler bei: '" + root + "/missing.txt'\r\n\r\nDie angegebene Datei wurde nicht gefunden.");
    EXPECT_EQ(r.questions.asked[0].icon, base::Icon::Critical);
    // Each is a line of the protocol and an error row: a file, and a folder by its "\\".
    EXPECT_NE(r.engine.Protocol().find("missing.txt  ----  Fehler: Die angegebene Datei wurde nicht gefunden."),
              std::string::npos)
        << r.engine.Protocol();
    EXPECT_NE(r.engine.Protocol().find("Fehlt/  ----  Fehler: "), std::string::npos) << r.engine.Protocol();
    ASSERT_EQ(r.rec.errors.size(), 2u);
    EXPECT_EQ(r.rec.errors[0].par_Type, "FILE");
    EXPECT_EQ(r.rec.errors[0].par_Folder, root);
    EXPECT_EQ(r.rec.errors[1].par_Type, "FOLDER");
    EXPECT_EQ(r.rec.errors[1].par_Folder, root + "/Fehlt");
    EXPECT_EQ(r.counters().CountFiles_Not, 1);
    EXPECT_EQ(r.counters().CountFolder_Not, 1);
}

TEST(Walk, ComputerSourceWalksEachSelectedRoot)
{
    TempDir dir;
    dir.write("disk1/a", "1");
    dir.write("disk2/Sub/b", "22");
    EngineRun r;
    ASSERT_TRUE(
        r.run(kInfo, {.sourceFolder = kSourceComputer, .selection = {dir.file("disk1/"), dir.file("disk2"), "C:\\"}}));
    EXPECT_EQ(r.counters().CountFiles, 2);
    EXPECT_EQ(r.counters().CountFolder, 1);
    ASSERT_EQ(r.questions.asked.size(), 1u); // the Windows drive does not exist here
    EXPECT_NE(r.questions.asked[0].text.find("'C:\\'"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("(Laufwerk disk1)"))); // no target made by an information run
}

TEST(Walk, EventOrderOfAnInformationRun)
{
    TempDir dir;
    const std::string root = dir.mkdir("D");
    dir.write("D/A/f", "12345");
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol | status::kFolderEntriesInfo, {.sourceFolder = root}, 2));
    const std::vector<std::string> expected = {
        "Start INFO",
        "Aufgabe INFO 1/1 0",
        "FolderStart " + root,
        "FolderDone",
        "ProtocolAdd FOLDER", // ">>" of D
        "FolderStart " + root + "/A",
        "FolderDone",
        "ProtocolAdd FOLDER", // ">>" of A
        "FileStart f 5",
        "FileDone",
        "EntriesInfo " + root + "/A 0 1 1",
        "ProtocolAdd FOLDER", // "<<" of A
        "ProtocolAdd FOLDER", // closing row
        "Ready true '' none",
        "ProtocolShow false",
    };
    EXPECT_EQ(r.rec.events, expected);
    ASSERT_EQ(r.rec.added.size(), 4u);
    EXPECT_EQ(r.rec.added[2].par_Info, root + "/A/     (1)  <<");
    EXPECT_EQ(r.rec.added[2].par_Folder,
              "     ) " + fc_SizeText(5.0 / 1024, "MB", "0,000.00") + " - (Unterverz.: 0, Dateien: 1)");
    EXPECT_EQ(r.rec.added[3].par_Info, root + "/     (0)  <<");
    EXPECT_EQ(r.rec.added[3].par_Folder, ") 0.000,00 MB - (Unterverz.: 1, Dateien: 1)");
}

TEST(Walk, TextProtocolAndCounters)
{
    TempDir dir;
    const std::string root = dir.mkdir("D");
    dir.write("D/A/B/C/g", "12345");
    chmod(dir.file("D/A/B/C/g").c_str(), 0444);
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = root}));
    EXPECT_EQ(r.engine.Protocol(),
              "\r\n" + root + "\r\n" + root + "/A\r\n" + root + "/A/B\r\n      /C/  ----  ok              " + root
                  + "/A/B/C\r\n" + "          g  ----  ok");
    const auto& k = r.counters();
    EXPECT_EQ(k.CountFiles_Protected, 1);
    EXPECT_EQ(k.LevelMax, 4);
    EXPECT_EQ(k.FullPathMaxLetters, static_cast<std::int32_t>((root + "/A/B/C").size() + 1));
    EXPECT_EQ(r.ready(), "Ready true '' protocol");
    // The next run starts from zero again.
    EngineRun again;
    again.run(kInfo, {.sourceFolder = root});
    r.run(kInfo, {.sourceFolder = root});
    EXPECT_EQ(r.counters(), again.counters());
}

TEST(Walk, NoFileInfoStillCounts)
{
    TempDir dir;
    dir.write("D/a", "1");
    EngineRun r;
    ASSERT_TRUE(r.run(kInfo | status::kNoFileInfo, {.sourceFolder = dir.file("D")}));
    EXPECT_TRUE(r.rec.only("File").empty());
    EXPECT_EQ(r.counters().CountFiles, 1);
}

TEST(Walk, DifferingFilesInformationComparesWithTheTarget)
{
    TempDir dir;
    dir.write("src/D/same.txt", "same");
    dir.write("src/D/changed.txt", "new content");
    dir.write("src/D/new.txt", "n");
    dir.write("src/D/Skip/only.bak", "b"); // filtered out: the folder holds nothing to copy
    dir.write("dst/D/same.txt", "same");
    dir.write("dst/D/changed.txt", "old");
    for (const char* f : {"src/D/same.txt", "dst/D/same.txt", "src/D/changed.txt", "dst/D/changed.txt"})
        setTime(dir.file(f), localTime(2024, 5, 1, 12));
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol | status::kOnlyDifferent,
                      {.sourceFolder = dir.file("src/D"), .targetFolder = dir.file("dst"), .exclusions = "*.bak"}));
    const auto& k = r.counters();
    EXPECT_EQ(k.CountFiles_ExistsTimeOk, 1);
    EXPECT_EQ(k.CountFolder_ExistsTimeOk, 2); // dst/D exists, Skip is passed over
    EXPECT_EQ(k.CountFiles_ToDo, 2);
    EXPECT_EQ(k.CountFolder_ToDo, 0); // Skip was taken back
    EXPECT_NEAR(k.SizeTotal_ToDo * 1024, 12, 1e-9);
    EXPECT_NEAR(k.SizeTotal_NeedHD * 1024, 11 - 3 + 1, 1e-9);
    EXPECT_EQ(r.rec.only("ProtocolDel"), std::vector<std::string>{"ProtocolDel " + dir.file("src/D/Skip")});
    std::vector<std::string> infos;
    for (const auto& e : r.rec.added)
        if (e.par_Type == "FILE")
            infos.push_back(e.par_Info);
    std::sort(infos.begin(), infos.end());
    EXPECT_EQ(infos,
              (std::vector<std::string>{"    changed.txt  ----  '11 Byte' Größe ungleich: '3 Byte'",
                                        "    new.txt  ----   (x  =>  .)  =>  1 Byte"}));
    for (const auto& e : r.rec.added)
        if (e.par_Type == "FILE")
            EXPECT_EQ(e.par_Target, dir.file("dst/D")); // the copy reads its target from here
}

TEST(Walk, CancelEndsTheRunAfterTheCurrentFile)
{
    TempDir dir;
    for (int i = 0; i < 10; ++i)
        dir.write("D/f" + std::to_string(i), "x");
    dir.write("E/g", "x");
    EngineRun r;
    int files = 0;
    r.rec.onEvent = [&](const std::string& e) {
        if (e.rfind("FileStart", 0) == 0 && ++files == 3)
            r.engine.fc_Cancel();
    };
    EXPECT_TRUE(r.run(kInfo | status::kDelete,
                      std::vector<project::Task>{{.sourceFolder = dir.file("D")}, {.sourceFolder = dir.file("E")}}));
    EXPECT_EQ(r.counters().CountFiles, 3);
    EXPECT_EQ(r.ready(), "Ready false '' none");
    EXPECT_TRUE(r.rec.only("Aufgabe INFO 2").empty());
    EXPECT_TRUE(r.rec.only("Start DELETE").empty());
    EXPECT_FALSE(r.engine.IsRunning());
}

TEST(Walk, FolderWithoutAccessIsCountedAndTheWalkGoesOn)
{
    TempDir dir;
    dir.write("D/Locked/secret", "x");
    dir.write("D/Open/NoSearch/hidden", "x");
    chmod(dir.file("D/Locked").c_str(), 0);
    chmod(dir.file("D/Open/NoSearch").c_str(), 0644); // listable, but its entries cannot be examined
    test::NoAccessOverride noOverride;
    if (!noOverride.active())
        GTEST_SKIP() << "cannot drop the file access capabilities here";
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = dir.file("D"), .selection = {"\\Locked"}}));
    EXPECT_EQ(r.counters().CountFolder, 1);
    EXPECT_EQ(r.counters().CountFolder_Not, 1);
    EXPECT_EQ(r.counters().CountFiles, 0);
    EXPECT_EQ(r.rec.only("FolderNot"), std::vector<std::string>{"FolderNot 0"});
    EXPECT_EQ(r.ready(), "Ready false 'Kein Zugriff!' protocol");
    EXPECT_TRUE(r.questions.asked.empty()); // access denied is counted, not shown

    // The folder's error is a line of its own and an error row.
    EXPECT_NE(r.engine.Protocol().find("Locked/  ----  Fehler: Zugriff verweigert"), std::string::npos)
        << r.engine.Protocol();
    ASSERT_EQ(r.rec.errors.size(), 1u);
    EXPECT_EQ(r.rec.errors[0].par_Type, "FOLDER");
    EXPECT_EQ(r.rec.errors[0].par_Folder, dir.file("D/Locked"));
    EXPECT_EQ(r.rec.errors[0].par_Target, "Zugriff verweigert");

    EngineRun open;
    ASSERT_TRUE(open.run(kInfoProtocol, {.sourceFolder = dir.file("D"), .selection = {"\\Open"}}));
    EXPECT_EQ(open.counters().CountFiles_Not, 1);
    EXPECT_EQ(open.rec.only("FileNot"), std::vector<std::string>{"FileNot 0"});
    EXPECT_NE(open.engine.Protocol().find("hidden  ----  Fehler: Zugriff verweigert"), std::string::npos);
    EXPECT_EQ(open.rec.errors.size(), 1u);

    // Copying only what differs, after the information pass (the usual way):
    // the folder's error outlasts the information pass's taking back of
    // folders that hold nothing to copy, and the list's error search finds it.
    dir.write("D/a.txt", "a");
    const std::string target = dir.mkdir("T");
    test::ProtocolRun copy;
    copy.run(kInfoProtocol | status::kCopy | status::kOnlyDifferent | status::kContinueAfterError,
             {.sourceFolder = dir.file("D"), .selection = {"\\Locked", "a.txt"}, .targetFolder = target});
    EXPECT_TRUE(std::filesystem::exists(target + "/a.txt"));
    EXPECT_EQ(copy.engine.Counters().CountFolder_Not, 1);
    const std::size_t found = copy.rec.document.fc_NextError();
    ASSERT_NE(found, protocol::kNoPosition);
    EXPECT_EQ(copy.rec.document.list().key(copy.rec.document.list().viewRow(found)), dir.file("D/Locked"));
}

TEST(Walk, EntriesThatVanishDuringTheWalk)
{
    TempDir dir;
    for (int i = 0; i < 5; ++i)
        dir.write("D/V/v" + std::to_string(i), "x");
    dir.write("D/W/w1/a", "x");
    dir.write("D/W/w2/b", "x");
    EngineRun r;
    bool filesGone = false;
    r.rec.onEvent = [&](const std::string& e) {
        if (!filesGone && e.rfind("FileStart v", 0) == 0) {
            // The rest of V has been listed already; its files go now. The
            // information pass examines entries ahead on a helper, so some
            // may have been seen before they went: those count as found.
            for (int i = 0; i < 5; ++i)
                std::filesystem::remove(dir.file("D/V/v" + std::to_string(i)));
            filesGone = true;
        }
        if (e == "FolderStart " + dir.file("D/W/w2"))
            std::filesystem::remove_all(dir.file("D/W/w2")); // after its listing, before it is opened
    };
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = dir.file("D"), .selection = {"\\V", "\\W"}}));
    const auto seenOfV = static_cast<std::int64_t>(r.rec.only("FileStart v").size());
    EXPECT_GE(seenOfV, 1);
    ASSERT_EQ(r.questions.asked.size(), 1u);
    EXPECT_EQ(r.questions.asked[0].text,
              "Fehler bei: '" + dir.file("D/W/w2") + "'\r\n\r\nDie angegebene Datei wurde nicht gefunden.");
    EXPECT_EQ(r.counters().CountFiles, seenOfV + 1); // those of V seen, and a
    // Files that are gone are nothing to handle; a folder that went is content missed.
    EXPECT_EQ(r.counters().CountFiles_Not, 0);
    EXPECT_EQ(r.counters().CountFolder_Not, 1);
    EXPECT_NE(r.engine.Protocol().find("w2/  ----  Fehler: "), std::string::npos) << r.engine.Protocol();

    // A folder renamed after its folder was listed and before the walk
    // reached it: the walk names it as missed.
    dir.write("D/X/x1/a", "x");
    dir.write("D/X/x2/b", "x");
    EngineRun renamed;
    std::string moved;
    renamed.rec.onEvent = [&](const std::string& e) {
        for (const char* name : {"x1", "x2"}) {
            if (moved.empty() && e == "FolderStart " + dir.file(std::string("D/X/") + name)) {
                moved = std::string(name) == "x1" ? "x2" : "x1";
                std::filesystem::rename(dir.file("D/X/" + moved), dir.file("D/X/" + moved + "-neu"));
            }
        }
    };
    ASSERT_TRUE(renamed.run(kInfoProtocol, {.sourceFolder = dir.file("D"), .selection = {"\\X"}}));
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(renamed.counters().CountFolder_Not, 1);
    ASSERT_EQ(renamed.rec.errors.size(), 1u);
    EXPECT_EQ(renamed.rec.errors[0].par_Folder, dir.file("D/X/" + moved));
    EXPECT_NE(renamed.engine.Protocol().find(moved + "/  ----  Fehler: "), std::string::npos)
        << renamed.engine.Protocol();
}

TEST(Walk, LinksAreEntriesNeverWalkedInto)
{
    TempDir dir;
    dir.write("D/Sub/f", "x");
    std::filesystem::create_symlink("..", dir.file("D/Sub/up"));
    std::filesystem::create_symlink("loop2", dir.file("D/loop1"));
    std::filesystem::create_symlink("loop1", dir.file("D/loop2"));
    std::filesystem::create_directory_symlink(dir.file("D/Sub"), dir.file("D/SubLink"));
    std::filesystem::create_directory_symlink(dir.file("D"), dir.file("Alias"));
    EngineRun r;
    ASSERT_TRUE(r.run(kInfo, {.sourceFolder = dir.file("D")}));
    EXPECT_EQ(r.counters().CountFolder, 2);
    EXPECT_EQ(r.counters().CountFiles, 5); // f, up, loop1, loop2, SubLink
    EngineRun named;
    ASSERT_TRUE(named.run(kInfo, {.sourceFolder = dir.file("D"), .selection = {"\\SubLink"}}));
    EXPECT_EQ(named.counters().CountFolder, 0);
    EXPECT_EQ(named.counters().CountFiles, 1);
    // A source that is itself a link was named by the user: it is walked.
    EngineRun alias;
    ASSERT_TRUE(alias.run(kInfo, {.sourceFolder = dir.file("Alias")}));
    EXPECT_EQ(alias.counters().CountFiles, 5);
}

TEST(Walk, OddNamesPassThrough)
{
    TempDir dir;
    const std::vector<std::string> names = {"we|ird", "a~°~b", "new\nline", "bad\xFF\xFEutf8", "Größe.txt"};
    for (const std::string& n : names)
        dir.write("D/" + n, "12");
    dir.mkdir("D/dir|with~°~marks\n");
    dir.write("D/dir|with~°~marks\n/inner\xC3", "1");
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = dir.file("D"), .exclusions = "a~°~b;\\dir|with~°~marks\n"}));
    EXPECT_EQ(r.counters().CountFiles, 4);
    EXPECT_EQ(r.counters().CountFolder, 1);
    // Printed as they are, but a line break of a name as its escape.
    for (const std::string& n : {names[0], std::string("new\\nline"), names[3], names[4]})
        EXPECT_NE(r.engine.Protocol().find("    " + n + "  ----  ok"), std::string::npos) << n;
    EXPECT_EQ(r.counters().FullPathMaxLetters,
              static_cast<std::int32_t>(dir.file("D").size() + 9)); // letters, not bytes
}

TEST(Walk, PathsLongerThanTheSystemLimit)
{
    TempDir dir;
    const std::string root = dir.mkdir("Deep");
    const std::string name(200, 'n');
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, "abc", 3), 3);
    close(file);
    close(fd);
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = root}));
    EXPECT_EQ(r.counters().CountFolder, 26);
    EXPECT_EQ(r.counters().CountFiles, 1);
    EXPECT_NEAR(r.counters().SizeTotal * 1024, 3, 1e-9);
    EXPECT_EQ(r.counters().LevelMax, 26);
    EXPECT_GT(r.counters().FullPathMaxLetters, 5000);
    EXPECT_TRUE(r.questions.asked.empty());
    shell("rm -rf " + quoted(root)); // the usual removal stops at the path limit
}

TEST(Walk, TreeDeeperThanTheWalkGoesIsReportedOnce)
{
    TempDir dir;
    const std::string root = dir.mkdir("Chain");
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 600; ++i) {
        ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    close(fd);
    EngineRun r;
    ASSERT_TRUE(r.run(kInfoProtocol, {.sourceFolder = root}));
    EXPECT_EQ(r.counters().CountFolder, 513); // the source and 512 levels below it
    ASSERT_EQ(r.questions.asked.size(), 1u);
    EXPECT_NE(r.questions.asked[0].text.find("Der Dateiname oder die Erweiterung ist zu lang."), std::string::npos);
    EXPECT_EQ(r.counters().CountFolder_Not, 1) << "what lies deeper is not walked";
    EXPECT_EQ(r.rec.errors.size(), 1u);

    // A folder the system will not open for another reason (here: too many
    // open files, as on a deep tree under a low limit) is an error too.
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    const auto openNow =
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{});
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(openNow + 20);
    setrlimit(RLIMIT_NOFILE, &low);
    EngineRun limited;
    limited.run(kInfoProtocol, {.sourceFolder = root});
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(limited.counters().CountFolder_Not, 1);
    ASSERT_EQ(limited.rec.errors.size(), 1u);
    EXPECT_EQ(limited.rec.errors[0].par_Target, "Zu viele geöffnete Dateien.");
    EXPECT_NE(limited.engine.Protocol().find("d/  ----  Fehler: Zu viele geöffnete Dateien."), std::string::npos);
    shell("rm -rf " + quoted(root));
}

TEST(Walk, MissingSourceAndEmptyFolder)
{
    TempDir dir;
    EngineRun missing;
    EXPECT_FALSE(missing.run(kInfo | status::kCopy, {.sourceFolder = dir.file("nope")}));
    EXPECT_EQ(missing.rec.events,
              (std::vector<std::string>{
                  "Start INFO",
                  "Ready false 'Quelle: '" + dir.file("nope") + "' ist nicht vorhanden oder kein Zugriff!' none",
              }));
    EXPECT_FALSE(missing.engine.IsRunning());
    dir.write("file", "x");
    EngineRun notAFolder;
    EXPECT_FALSE(notAFolder.run(kInfo, {.sourceFolder = dir.file("file")}));
    dir.mkdir("empty");
    EngineRun empty;
    EXPECT_TRUE(empty.run(kInfo, {.sourceFolder = dir.file("empty")}));
    EXPECT_EQ(empty.counters().CountFolder, 1);
    EXPECT_EQ(empty.counters().CountFiles, 0);
    EXPECT_EQ(empty.engine.Protocol(), "");
}

} // namespace
} // namespace zdr::engine
