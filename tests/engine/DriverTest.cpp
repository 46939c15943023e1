// The task driver: passes and their order, the checks of source and target
// with their exact messages, network drives, review and skip rules, the
// make-directory pass.
#include "EngineRun.h"
#include "TreeState.h"
#include "base/ClipboardWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zdr::engine {
namespace {

using test::EngineRun;
using test::kInfo;
using test::TempDir;

TEST(Driver, SourceAndTargetMessages)
{
    TempDir dir;
    dir.write("src/a", "1");
    const std::string src = dir.file("src");
    const std::string none = dir.file("none");
    const struct {
        const char* label;
        std::uint32_t status;
        project::Task task;
        std::string message;
    } cases[] = {
        {"information, source",
         kInfo,
         {.sourceFolder = none},
         "Quelle: '" + none + "' ist nicht vorhanden oder kein Zugriff!"},
        {"delete, source",
         status::kDelete,
         {.sourceFolder = none},
         "Quelle: '" + none + "' ist nicht vorhanden oder keinen Zugriff!"},
        {"copy, no target", status::kCopy, {.sourceFolder = src}, "bitte geben Sie ein Zielverzeichnis an ..."},
        {"information before copy, missing target",
         kInfo | status::kCopy,
         {.sourceFolder = src, .targetFolder = none},
         "Zielverzeichnis: '" + none + "' ist nicht vorhanden oder keinen Zugriff!"},
        {"differing files need a target",
         kInfo | status::kOnlyDifferent,
         {.sourceFolder = src},
         "bitte geben Sie ein Zielverzeichnis an ..."},
        {"unreadable date", kInfo, {.sourceFolder = src, .dateTo = "31.02.2026"}, "Datum '31.02.2026' ist ungültig!"},
        // Folders are full paths, checked before anything runs.
        {"relative source",
         status::kDelete,
         {.sourceFolder = "zdr-gibt-es-nicht"},
         "Quelle: 'zdr-gibt-es-nicht' ist kein vollständiger Pfad (er muss mit \"/\" beginnen)!"},
        {"empty source", kInfo, {.sourceFolder = ""}, "Quelle: bitte geben Sie ein Verzeichnis an ..."},
        {"control character",
         kInfo | status::kDelete,
         {.sourceFolder = src + "\n"},
         "Quelle: '" + src + "?' enthält Steuerzeichen und ist kein gültiges Verzeichnis!"},
        {"relative target",
         status::kCopy,
         {.sourceFolder = src, .targetFolder = "zdr-ziel"},
         "Zielverzeichnis: 'zdr-ziel' ist kein vollständiger Pfad (er muss mit \"/\" beginnen)!"},
        {"new folder outside its source",
         status::kMkDir,
         {.sourceFolder = src, .targetFolder = "../neu"},
         "Verzeichnisbezeichnung: '../neu' muss ein Name im Quellverzeichnis sein (ohne \"/\" am Anfang, ohne \".\" "
         "und \"..\")!"},
    };
    for (const auto& c : cases) {
        EngineRun r;
        EXPECT_FALSE(r.run(c.status, c.task)) << c.label;
        EXPECT_EQ(r.ready(), "Ready false '" + c.message + "' none") << c.label;
        EXPECT_EQ(r.rec.only("Ready").size(), 1u) << c.label; // no further pass runs
        EXPECT_FALSE(r.engine.IsRunning());
    }
    // The missing target is reported after the task was announced.
    EngineRun r;
    r.run(status::kCopy, {.sourceFolder = src});
    EXPECT_EQ(r.rec.events.at(1), "Aufgabe COPY 1/1 0");
    // An information run needs no target, nor does one over the computer.
    EngineRun info;
    EXPECT_TRUE(info.run(kInfo, {.sourceFolder = src, .targetFolder = none}));
}

// Nothing is resolved against the current folder: "." and a relative name
// are refused even where they name a folder there.
TEST(Driver, RelativeFoldersNeverMeanTheCurrentFolder)
{
    TempDir dir;
    dir.write("hier/data/a.txt", "a");
    const auto before = test::treeState(dir.path());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.file("hier"));
    for (const char* source : {".", "data", "./data"}) {
        EngineRun r;
        EXPECT_FALSE(r.run(status::kDelete, {.sourceFolder = source})) << source;
        EXPECT_NE(r.ready().find("ist kein vollständiger Pfad"), std::string::npos) << r.ready();
    }
    EngineRun backup;
    backup.statusEx = statusEx::kSaveFiles;
    EXPECT_FALSE(backup.run(
        status::kCopy, {.sourceFolder = dir.file("hier/data"), .targetFolder = dir.path(), .backupFolder = "alt"}));
    EXPECT_NE(backup.ready().find("Sicherungsverzeichnis: 'alt/' ist kein vollständiger Pfad"), std::string::npos)
        << backup.ready();
    std::filesystem::current_path(previous);
    EXPECT_TRUE(test::differences(before, test::treeState(dir.path())).empty());
}

TEST(Driver, PassesRunInOrderAndEachReportsItsEnd)
{
    TempDir dir;
    dir.write("src/a", "1");
    EngineRun r;
    // The delete takes the content only, so the later passes still find the folder.
    r.run(kInfo | status::kDelete | status::kAttrib | status::kMkDir,
          {.sourceFolder = dir.file("src"), .selection = {"*.*"}, .targetFolder = "made"});
    EXPECT_EQ(r.rec.only("Start"),
              (std::vector<std::string>{"Start INFO", "Start DELETE", "Start ATTRIB", "Start MKDIR"}));
    EXPECT_EQ(r.rec.only("Ready").size(), 4u);
    EXPECT_EQ(r.rec.only("Ready").back(), "Ready true '' none");
    EXPECT_EQ(r.engine.Action(), "MKDIR");
}

TEST(Driver, SkipEmptyAndReviewBeforeTheAction)
{
    TempDir dir;
    dir.mkdir("empty");
    EngineRun skip;
    EXPECT_TRUE(skip.run(kInfo | status::kSkipEmpty | status::kDelete,
                         {.sourceFolder = dir.file("empty"), .selection = {"*.*"}}));
    EXPECT_EQ(skip.rec.only("Start"), std::vector<std::string>{"Start INFO"});

    dir.write("src/a", "1");
    EngineRun review;
    review.rec.showAnswer = false;
    EXPECT_TRUE(review.run(kInfo | status::kAskBeforeAction | status::kDelete | status::kAttrib,
                           {.sourceFolder = dir.file("src")}));
    const std::vector<std::string> tail(review.rec.events.end() - 3, review.rec.events.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"Ready true '' none", "ProtocolShow true",
                                        "Ready false 'Aktion durch Benutzer abgebrochen!' none"}));
    EXPECT_TRUE(review.rec.only("Start ATTRIB").empty());
}

TEST(Driver, NothingToCopyWhenEveryFileIsTheSame)
{
    TempDir dir;
    dir.write("src/D/a.txt", "same");
    dir.write("src/D/Sub/b.txt", "same too");
    dir.write("src/D/Sub/Tief/c.txt", "same as well");
    dir.mkdir("dst");
    std::filesystem::copy(dir.file("src/D"), dir.file("dst/D"), std::filesystem::copy_options::recursive);
    for (const char* f : {"D/a.txt", "D/Sub/b.txt", "D/Sub/Tief/c.txt"}) {
        std::filesystem::last_write_time(dir.file(std::string("dst/") + f),
                                         std::filesystem::last_write_time(dir.file(std::string("src/") + f)));
    }
    dir.mkdir("src/D/Leer"); // nothing in it to copy
    EngineRun r;
    EXPECT_TRUE(r.run(kInfo | status::kCopy | status::kOnlyDifferent,
                      {.sourceFolder = dir.file("src/D"), .targetFolder = dir.file("dst")}));
    EXPECT_EQ(r.ready(), "Ready true 'Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!' none");
    EXPECT_TRUE(r.rec.only("Start COPY").empty());
    // The figures of the end add up: every file and folder found the same
    // (also those in folders with nothing to copy), the depth and the
    // longest path of the tree.
    const engine::EngineCounters& c = r.counters();
    EXPECT_EQ(c.CountFiles, 3);
    EXPECT_EQ(c.CountFiles_ExistsTimeOk, 3);
    EXPECT_EQ(c.CountFolder_ExistsTimeOk, 4);
    EXPECT_EQ(c.CountFolder, 4);
    EXPECT_EQ(c.LevelMax, 3);
    EXPECT_EQ(c.FullPathMaxLetters, static_cast<std::int32_t>(dir.file("src/D/Sub/Tief").size() + 5));
}

TEST(Driver, CopyFromTheProtocolAsksForTheTickedRows)
{
    TempDir dir;
    dir.write("src/D/a.txt", "new");
    dir.mkdir("dst");
    EngineRun r;
    r.run(kInfo | status::kCopy | status::kOnlyDifferent,
          {.sourceFolder = dir.file("src/D"), .targetFolder = dir.file("dst")});
    EXPECT_EQ(r.counters().CountFiles, 1); // set anew from the to-do counts
    EXPECT_EQ(r.counters().CountFolder, 1);
    const auto copy = std::find(r.rec.events.begin(), r.rec.events.end(), "Start COPY");
    ASSERT_NE(copy, r.rec.events.end());
    EXPECT_EQ(*(copy + 1), "Aufgabe COPY 1/1 2");
    EXPECT_EQ(*(copy + 2), "EntryGetNext NEXT COPY");
}

// A network drive that connects when told and remembers what happened.
struct FakeDrive : net::NetworkDrive {
    std::vector<std::string>* log;
    bool succeed;
    bool connected = false;
    FakeDrive(std::vector<std::string>* l, bool s) : log(l), succeed(s) {}
    bool fc_Init(const std::string& code) override
    {
        log->push_back("init " + code);
        return !code.empty();
    }
    bool fc_Connect(std::string& message) override
    {
        log->push_back("connect");
        connected = succeed;
        message =
            succeed ? "" : "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: Zugriff verweigert";
        return succeed;
    }
    bool fc_DisConnect(std::string& message) override
    {
        log->push_back("disconnect");
        message.clear();
        return true;
    }
    std::string LocalName() const override { return "X:"; }
    std::string RemoteName() const override { return "\\\\server\\share"; }
    bool Connected() const override { return connected; }
    bool DisConnectAfterAction() const override { return true; }
};

TEST(Driver, NetworkDrivesOfATask)
{
    TempDir dir;
    dir.write("src/a", "1");
    const std::string src = dir.file("src");

    EngineRun noSupport;
    EXPECT_FALSE(noSupport.run(kInfo, {.sourceFolder = src, .netSourceCode = "0|X|\\\\server\\share||"}));
    EXPECT_EQ(noSupport.ready(),
              "Ready false 'Quelle: '" + src
                  + "' konnte nicht verbunden werden: Fehler: Netzlaufwerk konnte nicht verbunden "
                    "oder zugegriffen werden: Es ist keine Netzwerkunterstützung installiert' none");

    std::vector<std::string> log;
    bool succeed = true;
    EngineRun r([&] { return std::make_unique<FakeDrive>(&log, succeed); });
    EXPECT_TRUE(r.run(kInfo | status::kAttrib, {.sourceFolder = src, .netSourceCode = "2|X|\\\\server\\share||"}));
    EXPECT_EQ(r.rec.events.at(1), "Info Quelle: 'X:' mit Netzlaufwerk '\\\\server\\share' verbinden ...");
    EXPECT_EQ(r.rec.events.at(2), "Info Quelle: 'X:' mit Netzlaufwerk '\\\\server\\share' verbunden");
    EXPECT_EQ(r.rec.events.at(3), "Aufgabe INFO 1/1 0");
    EXPECT_EQ(r.rec.only("Info").size(), 2u); // connected once per run, not per pass
    r.engine.sb_Action_CloseConnections();
    EXPECT_EQ(log, (std::vector<std::string>{"init 2|X|\\\\server\\share||", "connect", "disconnect"}));

    succeed = false;
    EngineRun failing([&] { return std::make_unique<FakeDrive>(&log, succeed); });
    EXPECT_FALSE(failing.run(kInfo | status::kCopy,
                             {.sourceFolder = src, .targetFolder = dir.file("t"), .netTargetCode = "0|Y|\\\\s\\t||"}));
    EXPECT_EQ(failing.ready(),
              "Ready false 'Ziel: '" + dir.file("t")
                  + "' konnte nicht verbunden werden: Fehler: Netzlaufwerk konnte nicht verbunden oder "
                    "zugegriffen werden: Zugriff verweigert' none");
}

TEST(Driver, MakeDirectoryPass)
{
    TempDir dir;
    dir.mkdir("base");
    dir.mkdir("base/exists");
    struct Clipboard : base::ClipboardWriter {
        std::vector<std::string> texts;
        bool refuses = false;
        bool ClipboardAll_Copy(const std::string& text, std::uint32_t format) override
        {
            texts.push_back(text + (format == base::clipboardFormat::kText ? "" : " (format?)"));
            return !refuses;
        }
    } clipboard;
    EngineRun r;
    r.engine.sb_SetClipboardWriter(&clipboard);
    EXPECT_TRUE(r.run(status::kMkDir | status::kFolderToClipboard | status::kCreateProtocol,
                      std::vector<project::Task>{{.sourceFolder = dir.file("base"), .targetFolder = "Neu"},
                                                 {.sourceFolder = dir.file("base"), .targetFolder = "exists"}}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("base/Neu")));
    EXPECT_EQ(r.counters().CountFolder_Done, 1); // the existing one changes nothing
    EXPECT_EQ(r.counters().CountFolder_ToDo, 2);
    EXPECT_EQ(clipboard.texts, std::vector<std::string>{dir.file("base/Neu")});
    EXPECT_EQ(r.rec.only("FolderStart"), std::vector<std::string>{"FolderStart " + dir.file("base/Neu")});
    EXPECT_EQ(r.engine.Protocol(),
              "\r\n/Neu/  ----  ok              " + dir.file("base/Neu")
                  + "\r\n/exists/  ----  ok "
                    "(vorhanden)              "
                  + dir.file("base/exists"));

    // A clipboard that cannot be reached: the folder is made, and the user is told.
    clipboard.refuses = true;
    EngineRun refused;
    refused.engine.sb_SetClipboardWriter(&clipboard);
    EXPECT_TRUE(refused.run(status::kMkDir | status::kFolderToClipboard,
                            {.sourceFolder = dir.file("base"), .targetFolder = "Zweit"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("base/Zweit")));
    EXPECT_EQ(refused.rec.only("Info "),
              std::vector<std::string>{"Info Der Pfad '" + dir.file("base/Zweit")
                                       + "' konnte nicht in die Zwischenablage kopiert werden."});

    EngineRun noName;
    EXPECT_FALSE(noName.run(status::kMkDir, {.sourceFolder = dir.file("base")}));
    EXPECT_EQ(noName.ready(), "Ready false 'Bitte geben Sie eine Verzeichnisbezeichnung an!' none");
    EngineRun noParent;
    EXPECT_FALSE(noParent.run(status::kMkDir, {.sourceFolder = dir.file("missing"), .targetFolder = "x"}));
    EXPECT_EQ(noParent.ready(),
              "Ready false 'Fehler bei Verzeichnis: " + dir.file("missing/x")
                  + " - Die angegebene Datei wurde nicht gefunden.' none");

    // A file of that name is no folder that is there; a name below a link
    // in the source folder is not made where the link leads.
    dir.write("base/datei", "d");
    dir.mkdir("outside");
    std::filesystem::create_directory_symlink(dir.file("outside"), dir.file("base/verweis"));
    for (const char* name : {"datei", "verweis/x"}) {
        EngineRun r2;
        EXPECT_FALSE(r2.run(status::kMkDir, {.sourceFolder = dir.file("base"), .targetFolder = name})) << name;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("base/datei")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("outside")));
}

TEST(Driver, TargetOfASingleTaskRunCanBeChanged)
{
    EngineRun r;
    std::string error;
    static_cast<void>(r.engine.fc_Init(kInfo, 0, 2, error, 32767));
    static_cast<void>(r.engine.fc_InitAdd({.sourceFolder = "/x", .targetFolder = "/old"}, error));
    r.engine.Target("/new");
    EXPECT_EQ(r.engine.Target(), "/new");
    r.engine.fc_ActionRun(); // the run loads task 1 with the new target
    EXPECT_EQ(r.engine.Target(), "/new");
    EXPECT_EQ(r.engine.FolderAndFilesDot(), ".");
}

} // namespace
} // namespace zdr::engine
