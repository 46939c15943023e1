// The backup of replaced files on real trees: the dated folder and its
// names, a backup complete before its target is replaced, a failed backup
// that leaves the target alone, and the zip archive of the replaced
// contents, read back by an independent reader (unzip).
#include "EngineRun.h"
#include "ProtocolWorkList.h"
#include "TreeState.h"
#include "engine/BackupNames.h"
#include "engine/clsZip.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"
#include "support/WriteFault.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace zdr::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineRun;
using test::TempDir;

constexpr std::uint32_t kReplace = status::kCopy | status::kOverwriteExisting | status::kCreateProtocol;

// The folders (or files) directly in folder whose names begin with prefix.
std::vector<std::string> entriesStartingWith(const std::string& folder, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(prefix, 0) == 0)
            out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

// What a shell command prints, and whether it ended well.
std::string commandOutput(const std::string& command, int* status = nullptr)
{
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        const int ended = ::pclose(pipe);
        if (status != nullptr)
            *status = ended;
    }
    return out;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// The old target tree of a copy: dst/src/a.txt and dst/src/Sub/b.txt hold
// their old contents, src holds the new ones and one file without a target.
struct Replacement {
    TempDir dir;
    std::string src = dir.file("src");
    std::string dst = dir.mkdir("dst");
    std::string backup = dir.mkdir("backup");
    Replacement()
    {
        dir.write("src/a.txt", "neu a");
        dir.write("src/Sub/b.txt", test::randomBytes(300 * 1024, 1));
        dir.write("src/c.txt", "neu c");
        dir.write("dst/src/a.txt", "alt a");
        dir.write("dst/src/Sub/b.txt", test::randomBytes(200 * 1024, 2));
    }
    project::Task task() const { return {.sourceFolder = src, .targetFolder = dst, .backupFolder = backup}; }
    // The name a replaced target's backup has (folder mode).
    std::string savedName(const std::string& relative) const
    {
        const std::string target = dst + "/src/" + relative;
        return fc_BackupFileName(fs::path(target).parent_path().string(), fs::path(target).filename().string());
    }
};

TEST(Backup, FolderModeSavesWhatIsReplacedBeforeItIs)
{
    for (const bool otherVolume : {false, true}) {
        SCOPED_TRACE(otherVolume ? "another volume: saved as a copy" : "the same volume: saved under a second name");
        Replacement t;
        std::unique_ptr<test::ScratchMount> mount;
        if (otherVolume) {
            mount = std::make_unique<test::ScratchMount>(test::ScratchMount::tmpfs(t.backup, "8M"));
            if (!mount->mounted())
                continue;
        }
        const std::string oldA = t.dir.read("dst/src/a.txt");
        const std::string oldB = t.dir.read("dst/src/Sub/b.txt");
        EngineRun r;
        r.statusEx = statusEx::kSaveFiles;
        // At every write (the copy's and the backup's) and every event: a
        // target that holds something new has its old content whole in the backup.
        int checks = 0;
        const auto check = [&] {
            for (const auto& [relative, content] : {std::pair{"a.txt", oldA}, std::pair{"Sub/b.txt", oldB}}) {
                if (t.dir.read(std::string("dst/src/") + relative) == content)
                    continue;
                ++checks;
                const auto folders = entriesStartingWith(t.backup, "DaroRazu Backup ");
                ASSERT_EQ(folders.size(), 1u) << relative;
                EXPECT_EQ(t.dir.read(folders[0].substr(t.dir.path().size() + 1) + "/" + t.savedName(relative)),
                          content);
            }
        };
        r.rec.onEvent = [&](const std::string&) { check(); };
        {
            test::WriteFault fault([&](std::size_t) {
                check();
                return 0;
            });
            EXPECT_TRUE(r.run(kReplace, t.task()));
        }
        EXPECT_GT(checks, 0);
        EXPECT_EQ(t.dir.read("dst/src/a.txt"), "neu a");
        const auto folders = entriesStartingWith(t.backup, "DaroRazu Backup ");
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(fs::path(folders[0]).filename().string().size(), std::string("DaroRazu Backup 261207 090503").size());
        std::vector<std::string> saved;
        for (const auto& e : fs::directory_iterator(folders[0]))
            saved.push_back(e.path().filename().string());
        std::sort(saved.begin(), saved.end());
        EXPECT_EQ(saved, (std::vector<std::string>{t.savedName("Sub/b.txt"), t.savedName("a.txt")}))
            << "only replaced files; c.txt had no target";
        const std::string folder = folders[0].substr(t.dir.path().size() + 1) + "/";
        EXPECT_EQ(t.dir.read(folder + t.savedName("a.txt")), oldA);
        EXPECT_EQ(t.dir.read(folder + t.savedName("Sub/b.txt")), oldB);

        // The same run again at once: a run of its own, the first backup untouched.
        EngineRun again;
        again.statusEx = statusEx::kSaveFiles;
        t.dir.write("src/a.txt", "neuer a");
        EXPECT_TRUE(again.run(kReplace, t.task()));
        ASSERT_EQ(entriesStartingWith(t.backup, "DaroRazu Backup ").size(), 2u);
        EXPECT_EQ(t.dir.read(folder + t.savedName("a.txt")), oldA);
    }
}

TEST(Backup, AFileReplacedTwiceInOneRunKeepsBothContents)
{
    TempDir dir;
    dir.write("one/a.txt", "eins");
    dir.write("two/a.txt", "zwei");
    dir.write("dst/a.txt", "original");
    const std::string backup = dir.mkdir("backup");
    EngineRun r;
    r.statusEx = statusEx::kSaveFiles;
    EXPECT_TRUE(r.run(kReplace,
                      std::vector<project::Task>{{.sourceFolder = dir.file("one"),
                                                  .selection = {"*.*"},
                                                  .targetFolder = dir.file("dst"),
                                                  .backupFolder = backup},
                                                 {.sourceFolder = dir.file("two"),
                                                  .selection = {"*.*"},
                                                  .targetFolder = dir.file("dst"),
                                                  .backupFolder = backup}}));
    EXPECT_EQ(dir.read("dst/a.txt"), "zwei");
    const std::string folder = entriesStartingWith(backup, "DaroRazu Backup ").at(0).substr(dir.path().size() + 1);
    EXPECT_EQ(dir.read(folder + "/" + fc_BackupFileName(dir.file("dst"), "a.txt")), "original");
    EXPECT_EQ(dir.read(folder + "/" + fc_BackupFileName(dir.file("dst"), "a (2).txt")), "eins");
}

TEST(Backup, WhenTheBackupFailsTheTargetStays)
{
    struct Case {
        const char* label;
        std::function<std::string(TempDir&)> backupFolder; // "-" when the case cannot be set up here
        const char* why;
        bool smallFileSaved; // a.txt could be saved (and so replaced)
    };
    std::unique_ptr<test::ScratchMount> small;
    const Case cases[] = {
        {"the backup folder is a file", [](TempDir& d) { return d.write("keinOrdner", "x"); },
         "Fehler bei Sicherung: '", false},
        {"no backup folder", [](TempDir&) { return std::string(); }, "kein Sicherungsverzeichnis angegeben", false},
        {"a full volume (saved as a copy)",
         [&](TempDir& d) {
             small = std::make_unique<test::ScratchMount>(test::ScratchMount::tmpfs(d.mkdir("klein"), "64k"));
             return small->mounted() ? d.file("klein") : std::string("-");
         },
         "nicht genügend Speicherplatz", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Replacement t;
        const std::string folder = c.backupFolder(t.dir);
        if (folder == "-")
            continue; // cannot mount here
        const auto before = test::treeState(t.dst);
        const auto inodesBefore = test::inodes(t.dst);
        EngineRun r;
        r.statusEx = statusEx::kSaveFiles;
        project::Task task = t.task();
        task.backupFolder = folder;
        r.run(kReplace | status::kContinueAfterError, task);
        const auto after = test::treeState(t.dst);
        EXPECT_EQ(after.at("src/a.txt") == before.at("src/a.txt"), !c.smallFileSaved);
        EXPECT_EQ(after.at("src/Sub/b.txt"), before.at("src/Sub/b.txt"));
        EXPECT_EQ(test::inodes(t.dst).at("src/Sub/b.txt"), inodesBefore.at("src/Sub/b.txt"));
        EXPECT_EQ(t.dir.read("dst/src/c.txt"), "neu c") << "a new file needs no backup";
        EXPECT_NE(r.engine.Protocol().find("b.txt  ----  nicht kopiert (Fehler bei Sicherung"), std::string::npos)
            << r.engine.Protocol();
        EXPECT_NE(r.engine.Protocol().find(c.why), std::string::npos) << r.engine.Protocol();
        EXPECT_EQ(r.counters().CountFiles_Not, c.smallFileSaved ? 1 : 2);
    }
}

// A target folder swapped for a link during the run: what the link leads to
// is not the task's, so nothing of it is saved (folder and zip mode).
TEST(Backup, ATargetFolderSwappedForALinkSavesNothingFromOutside)
{
    for (const std::uint32_t mode : {statusEx::kSaveFiles, statusEx::kSaveFiles | statusEx::kSaveFilesInZip}) {
        Replacement t;
        t.dir.write("outside/b.txt", "geheim");
        EngineRun r;
        r.statusEx = mode;
        bool swapped = false;
        r.rec.onEvent = [&](const std::string& e) {
            if (!swapped && e.rfind("FileStart b.txt", 0) == 0) {
                swapped = true;
                fs::rename(t.dir.file("dst/src/Sub"), t.dir.file("moved"));
                fs::create_directory_symlink(t.dir.file("outside"), t.dir.file("dst/src/Sub"));
            }
        };
        r.run(kReplace | status::kContinueAfterError, t.task());
        ASSERT_TRUE(swapped);
        for (const auto& e : fs::recursive_directory_iterator(t.backup))
            if (e.is_regular_file())
                EXPECT_NE(t.dir.read(e.path().string().substr(t.dir.path().size() + 1)), "geheim") << e.path();
        EXPECT_EQ(t.dir.read("outside/b.txt"), "geheim");
    }
}

// unzip's own view: the archive tests good and holds exactly these members
// with these contents.
void expectArchive(const std::string& archive, const std::map<std::string, std::string>& members)
{
    int status = -1;
    const std::string test = commandOutput("unzip -tq " + quoted(archive) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << test;
    const std::string list = commandOutput("unzip -Z1 " + quoted(archive));
    for (const auto& [name, content] : members) {
        EXPECT_NE(list.find(name + "\n"), std::string::npos) << list;
        EXPECT_EQ(commandOutput("unzip -p " + quoted(archive) + " " + quoted(name)), content) << name;
    }
}

TEST(Backup, ZipArchiveHoldsTheReplacedContents)
{
    Replacement t;
    const std::map<std::string, std::string> old = {
        {fc_BackupArchiveName(t.dst + "/src", "a.txt"), t.dir.read("dst/src/a.txt")},
        {fc_BackupArchiveName(t.dst + "/src/Sub", "b.txt"), t.dir.read("dst/src/Sub/b.txt")}};
    EngineRun r;
    r.statusEx = statusEx::kSaveFiles | statusEx::kSaveFilesInZip;
    // While it is packed, the archive has no name of its own yet.
    bool packing = false;
    bool named = false;
    r.engine.sb_SetDoEvents([&] {
        packing = true;
        for (const std::string& entry : entriesStartingWith(t.backup, "_DaroRazu Backup "))
            named = named || fs::is_regular_file(entry);
    });
    EXPECT_TRUE(r.run(kReplace | status::kYield, t.task()));
    EXPECT_TRUE(packing);
    EXPECT_FALSE(named);
    EXPECT_EQ(t.dir.read("dst/src/a.txt"), "neu a");
    const auto made = entriesStartingWith(t.backup, "_DaroRazu Backup ");
    ASSERT_EQ(made.size(), 1u) << "the archive, and the folder its files waited in is gone";
    EXPECT_EQ(made[0].substr(made[0].size() - 4), ".zip");
    EXPECT_EQ(fs::path(made[0]).filename().string().size(), std::string("_DaroRazu Backup 261207 090503.zip").size());
    expectArchive(made[0], old);
    EXPECT_EQ(test::entryCount(t.backup), 1u) << "no temporary file left";
    const auto infos = r.rec.only("Info ");
    EXPECT_EQ(
        infos,
        (std::vector<std::string>{"Info Sicherungsdatei wird zusammengepackt ...", "Info Sicherungsdatei erstellt.",
                                  "Info Daten werden auf den Datenträger geschrieben ...",
                                  "Info Daten auf den Datenträger geschrieben."}))
        << "the archive is packed before the flush";
}

TEST(Backup, ZipArchiveOfAReviewedCopy)
{
    Replacement t;
    const std::string oldA = t.dir.read("dst/src/a.txt");
    test::ProtocolRun r;
    EXPECT_TRUE(r.run(test::kInfo | kReplace | status::kOnlyDifferent, t.task(),
                      statusEx::kSaveFiles | statusEx::kSaveFilesInZip));
    const auto made = entriesStartingWith(t.backup, "_DaroRazu Backup ");
    ASSERT_EQ(made.size(), 1u);
    expectArchive(made[0], {{fc_BackupArchiveName(t.dst + "/src", "a.txt"), oldA}});
    EXPECT_EQ(t.dir.read("dst/src/a.txt"), "neu a");
}

TEST(Backup, AnArchiveThatCannotBeWrittenKeepsTheSavedFiles)
{
    Replacement t;
    const std::string oldB = t.dir.read("dst/src/Sub/b.txt");
    EngineRun r;
    r.statusEx = statusEx::kSaveFiles | statusEx::kSaveFilesInZip;
    std::unique_ptr<test::FileSizeLimit> full;
    r.rec.onEvent = [&](const std::string& e) {
        if (e == "Info Sicherungsdatei wird zusammengepackt ...")
            full = std::make_unique<test::FileSizeLimit>(8 * 1024); // the disk fills up while it is packed
    };
    r.run(kReplace, t.task());
    full.reset();
    const auto made = entriesStartingWith(t.backup, "_DaroRazu Backup ");
    ASSERT_EQ(made.size(), 1u) << "no archive, only the folder of the saved files";
    ASSERT_TRUE(fs::is_directory(made[0]));
    EXPECT_EQ(test::entryCount(t.backup), 1u) << "no temporary file left";
    const std::string saved = made[0] + "/" + fc_BackupArchiveName(t.dst + "/src/Sub", "b.txt");
    EXPECT_EQ(t.dir.read(saved.substr(t.dir.path().size() + 1)), oldB);
    EXPECT_NE(r.ready().find("Ready false 'Fehler bei Sicherungsdatei '" + made[0] + ".zip'"), std::string::npos)
        << r.ready();
    EXPECT_NE(r.ready().find("die gesicherten Dateien liegen in '" + made[0] + "'"), std::string::npos);
    EXPECT_NE(r.ready().find("Die Dateigröße überschreitet die zulässige Grenze"), std::string::npos)
        << "the system's reason, in German";
}

// The number of a process that has ended.
long goneProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// What a killed run left: its temporaries beside targets and archive, the
// files gathered for an archive it never packed, a folder it made but did
// not finish. The next run over those folders clears its own leftovers only.
TEST(Backup, ARerunClearsWhatAKilledRunLeft)
{
    Replacement t;
    const std::string gone = std::to_string(goneProcess());
    const std::string stale = t.dir.write("dst/src/.a.txt.zdrtmp-" + gone + "-0", "halb");
    const std::string live = t.dir.write("dst/src/.c.txt.zdrtmp-1-0", "lebt"); // process 1 lives
    const std::string foreign = t.dir.write("dst/src/.d.txt.zdrtmp-" + gone, "fremd");
    // The folder the killed run made: its mark, and the time of the kill.
    const std::string sub = t.dst + "/src/Sub";
    const bool marks = setxattr(sub.c_str(), "user.zendor.unfinished", gone.data(), gone.size(), 0) == 0;
    const std::string partial = t.dir.write("backup/._DaroRazu Backup 261207 090503.zip.zdrtmp-" + gone + "-3", "PK");
    // The zip library's own partial archive, and a dated folder the killed
    // run was saving into (its mark, a half-saved copy, a saved one).
    const std::string libraryPartial =
        t.dir.write("backup/._DaroRazu Backup 261207 090503.zip.zdrtmp-" + gone + "-4.aB3xY9", "PK");
    const std::string notOurs = t.dir.write("backup/._x.zip.zdrtmp-" + gone + "-4.aB3xY", "fremd");
    t.dir.write("backup/_DaroRazu Backup 261207 090503/dst/src/alt.txt", "gesichert");
    const std::string dated = t.dir.mkdir("backup/DaroRazu Backup 261207 090501");
    const std::string halfSaved = t.dir.write("backup/DaroRazu Backup 261207 090501/.x.zdrtmp-" + gone + "-1", "halb");
    t.dir.write("backup/DaroRazu Backup 261207 090501/dst ~ src ~ x", "gesichert");
    const std::string datedMark = t.dir.write("backup/.DaroRazu Backup 261207 090501.zdrtmp-" + gone + "-2", "");

    EngineRun r;
    r.statusEx = statusEx::kSaveFiles | statusEx::kSaveFilesInZip;
    EXPECT_TRUE(r.run(kReplace, t.task()));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(partial));
    EXPECT_FALSE(fs::exists(libraryPartial));
    EXPECT_TRUE(fs::exists(notOurs)) << "not the library's ending";
    EXPECT_NE(r.engine.Protocol().find(fs::path(libraryPartial).filename().string()
                                       + "  ----  entfernt (Rest eines abgebrochenen Vorgangs)"),
              std::string::npos)
        << r.engine.Protocol();
    EXPECT_FALSE(fs::exists(halfSaved));
    EXPECT_FALSE(fs::exists(datedMark));
    EXPECT_TRUE(fs::exists(dated + "/dst ~ src ~ x"));
    EXPECT_TRUE(fs::exists(live)) << "a live process's temporary stays";
    EXPECT_TRUE(fs::exists(foreign)) << "not our name pattern";
    EXPECT_NE(
        r.engine.Protocol().find(".a.txt.zdrtmp-" + gone + "-0  ----  entfernt (Rest eines abgebrochenen Vorgangs)"),
        std::string::npos)
        << r.engine.Protocol();
    EXPECT_FALSE(fs::exists(t.backup + "/_DaroRazu Backup 261207 090503"));
    expectArchive(t.backup + "/_DaroRazu Backup 261207 090503.zip", {{"dst/src/alt.txt", "gesichert"}});
    if (marks) {
        EXPECT_EQ(test::entryState(sub).lastWrite, test::entryState(t.src + "/Sub").lastWrite) << "finished now";
        EXPECT_LT(getxattr(sub.c_str(), "user.zendor.unfinished", nullptr, 0), 0);
    }
}

// The names under folder that are temporaries of this program, the zip
// library's partial archives included.
std::vector<std::string> temporariesIn(const std::string& folder)
{
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.path().filename().string().find(".zdrtmp-") != std::string::npos)
            found.push_back(e.path().string());
    return found;
}

// A run killed in each phase (a child process, ended by a hook at that
// moment): the next run over the same folders clears or finishes what it
// left, says so in its protocol, and ends well; the replaced contents the
// killed run saved are kept.
TEST(Backup, RunKilledInAnyPhaseLeavesNothingTheNextRunDoesNotClear)
{
    enum class Phase { FileCopy, BackupFolder, ZipWriting, ZipWritten, LeftoverPacking };
    const struct {
        const char* label;
        Phase phase;
        bool zip;
        const char* line; // of the next run's protocol; empty: nothing named was left
    } cases[] = {
        {"file copy", Phase::FileCopy, false, ""},
        {"backup into a folder", Phase::BackupFolder, false, ""},
        {"zip writing", Phase::ZipWriting, true, "zdrtmp-"},
        {"archive written, its folder not yet gone", Phase::ZipWritten, true, "' ist vollständig)"},
        {"zip packing of a killed run's folder", Phase::LeftoverPacking, true,
         "erstellt aus den gesicherten Dateien eines abgebrochenen Vorgangs"},
    };
    const auto partialArchive = [](const std::string& folder) {
        for (const std::string& name : temporariesIn(folder))
            if (name.find(".zip.zdrtmp-") != std::string::npos && name[name.size() - 7] == '.')
                return true;
        return false;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Replacement t;
        const std::string oldB = t.dir.read("dst/src/Sub/b.txt");
        const std::uint32_t extra = statusEx::kSaveFiles | (c.zip ? statusEx::kSaveFilesInZip : 0u);
        // Runs in a child that the hook kills; false when it never got there.
        const auto killedRun = [&](Phase phase) {
            const pid_t child = fork();
            if (child == 0) {
                const auto kill = [] { raise(SIGKILL); };
                test::WriteFault writes([&](std::size_t) {
                    if (phase == Phase::FileCopy)
                        kill();
                    return 0;
                });
                EngineRun r;
                r.statusEx = extra;
                r.rec.onEvent = [&](const std::string& e) {
                    if ((phase == Phase::BackupFolder && e.rfind("FileDone", 0) == 0
                         && !entriesStartingWith(t.backup, "DaroRazu Backup ").empty())
                        || (phase == Phase::ZipWritten && e == "Info Sicherungsdatei erstellt."))
                        kill();
                };
                r.engine.sb_SetDoEvents([&] {
                    if ((phase == Phase::ZipWriting || phase == Phase::LeftoverPacking) && partialArchive(t.backup))
                        kill();
                });
                r.run(kReplace | status::kYield, t.task());
                _exit(0);
            }
            int status = 0;
            return waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        };
        if (c.phase == Phase::LeftoverPacking)
            ASSERT_TRUE(killedRun(Phase::ZipWriting));
        ASSERT_TRUE(killedRun(c.phase)) << "never killed in that phase";

        EngineRun r;
        r.statusEx = extra;
        EXPECT_TRUE(r.run(kReplace, t.task()));
        EXPECT_EQ(r.ready(), "Ready true '' protocol");
        EXPECT_EQ(t.dir.read("dst/src/a.txt"), "neu a");
        EXPECT_EQ(t.dir.read("dst/src/Sub/b.txt"), t.dir.read("src/Sub/b.txt"));
        EXPECT_EQ(temporariesIn(t.dir.path()), std::vector<std::string>{});
        if (*c.line != '\0')
            EXPECT_NE(r.engine.Protocol().find(c.line), std::string::npos) << r.engine.Protocol();
        if (c.zip) {
            for (const std::string& entry : entriesStartingWith(t.backup, "_DaroRazu Backup "))
                EXPECT_TRUE(fs::is_regular_file(entry)) << entry << ": no folder of saved files stays";
            // The old content of b.txt, saved by the killed run, is in an archive.
            int holding = 0;
            const std::string member = quoted(fc_BackupArchiveName(t.dst + "/src/Sub", "b.txt"));
            for (const std::string& archive : entriesStartingWith(t.backup, "_DaroRazu Backup "))
                holding += commandOutput("unzip -p " + quoted(archive) + " " + member + " 2>/dev/null") == oldB;
            EXPECT_EQ(holding, 1);
        }
    }
}

TEST(Zip, NamesFoldersLinksAndNoReplacedArchive)
{
    TempDir dir;
    dir.write("base/Data/Sub/a.txt", "a");
    dir.write("base/b.bin", test::randomBytes(100000, 3));
    fs::create_symlink("Data/Sub/a.txt", dir.file("base/link"));
    clsZip zip;
    zip.ZipFile(dir.file("out.zip"));
    zip.BasePath(dir.file("base"));
    for (const char* name : {"Data/Sub/a.txt", "b.bin", "link"})
        zip.AddFileSpec(name);
    EXPECT_EQ(zip.FileSpecCount(), 3u);
    EXPECT_EQ(zip.FileSpec(1), "b.bin");
    std::string error;
    ASSERT_TRUE(zip.Zip(error)) << error;
    EXPECT_TRUE(zip.Success());
    expectArchive(dir.file("out.zip"), {{"Data/Sub/a.txt", "a"}, {"b.bin", dir.read("base/b.bin")}});
    const std::string list = commandOutput("unzip -Z " + quoted(dir.file("out.zip")));
    EXPECT_NE(list.find("Data/\n"), std::string::npos) << list;
    EXPECT_NE(list.find("Data/Sub/\n"), std::string::npos) << list;
    EXPECT_NE(list.find("lrwxrwxrwx"), std::string::npos) << "stored as a link: " << list;

    // An archive of that name is there: it stays as it is.
    const std::string before = dir.read("out.zip");
    zip.ClearFileSpecs();
    zip.AddFileSpec("b.bin");
    EXPECT_FALSE(zip.Zip(error));
    EXPECT_FALSE(zip.Success());
    EXPECT_EQ(error, "Fehler bei Sicherungsdatei '" + dir.file("out.zip") + "': Die Datei ist bereits vorhanden.");
    EXPECT_EQ(dir.read("out.zip"), before);
    EXPECT_EQ(test::entryCount(dir.path()), 2u) << "no temporary file left";

    // A name that is not there: nothing is written.
    clsZip missing;
    missing.ZipFile(dir.file("none.zip"));
    missing.BasePath(dir.file("base"));
    missing.AddFileSpec("fehlt.txt");
    EXPECT_FALSE(missing.Zip(error));
    EXPECT_NE(error.find("fehlt.txt"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir.file("none.zip")));
}

} // namespace
} // namespace zdr::engine
