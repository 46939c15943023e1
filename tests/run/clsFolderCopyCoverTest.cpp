// The run coordinator with the real engine and the real progress window,
// offscreen: what the user sees of a run, its start, cancel and end.
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "net/clsNetwork.h"
#include "protocol/frmProtocol.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedNetwork.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/DesktopNotice.h"
#include "util/KeyState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <map>

namespace zdr::run::ui {
namespace {

namespace fs = std::filesystem;
namespace status = engine::status;
using base::Answer;
using test::ScriptedUi;
using test::TempDir;

constexpr std::uint32_t kInfoRun = status::kWithInfo | status::kCreateProtocol | status::kYield;

// What the coordinator told its caller.
struct Caller {
    int done = 0;
    int actionStart = 0;
    std::vector<std::string> excepted;

    run::InfoCoverEvents events()
    {
        return {.done = [this] { ++done; },
                .actionStart = [this] { ++actionStart; },
                .exceptData =
                    [this](protocol::EntryKind kind, std::string& name) {
                        excepted.push_back((kind == protocol::EntryKind::Folder ? "Ordner " : "Datei ") + name);
                    }};
    }
};

// A tree of `folders` folders with `files` files each.
std::string makeTree(const TempDir& dir, int folders, int files)
{
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < files; ++f)
            dir.write("Daten/Ordner" + std::to_string(d) + "/datei" + std::to_string(f) + ".txt",
                      std::string(static_cast<std::size_t>(100 * (f + 1)), 'x'));
    return dir.file("Daten");
}

project::Task taskOf(const std::string& source, const std::string& target = {})
{
    project::Task task;
    task.sourceFolder = source;
    task.targetFolder = target;
    return task;
}

// Prepares a run of one task as a caller does (false at the first call that
// refuses); with the automatic start it runs here.
struct RunArguments {
    bool dataComplete = true;
    std::uint8_t level = 2;
    std::uint32_t blockBytes = 32767;
};

bool prepare(clsFolderCopy_Cover& cover, const char* action, std::uint32_t bits, const project::Task& task,
             RunArguments arguments = {})
{
    return cover.fc_Init(action, bits, 0, arguments.level, arguments.blockBytes) && cover.fc_InitAdd(task)
        && cover.fc_InitActionStart(arguments.dataComplete, nullptr);
}

bool prepareCopy(clsFolderCopy_Cover& cover, const project::Task& task, std::uint32_t bits)
{
    return prepare(cover, "COPY", status::kCopy | bits, task);
}

std::string shown(const clsFolderCopy_Cover& cover, Control control) { return cover.progressWindow()->text(control); }

// Ctrl counts as held while this lives.
struct CtrlHeld {
    CtrlHeld()
    {
        util::ui::setCtrlKeyQuery([] { return true; });
    }
    ~CtrlHeld() { util::ui::setCtrlKeyQuery({}); }
};

TEST(clsFolderCopy_Cover, InformationRunShowsFiguresAndProtocolAndEndsOnce)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 3, 4);
    Caller caller;
    clsFolderCopy_Cover cover(caller.events());
    // The automatic start runs at once.
    ASSERT_TRUE(prepare(cover, "INFO", kInfoRun | status::kAutoStart, taskOf(data)));
    frmFileSystem& w = *cover.progressWindow();
    w.sb_ShowNow();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(cover.IsRunning());
    EXPECT_EQ(caller.actionStart, 1);
    EXPECT_EQ(shown(cover, Control::Caption), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(shown(cover, Control::lblCount), "16") << "12 files and 4 folders";
    EXPECT_EQ(shown(cover, Control::lblSize).rfind("2,93 KB - (neu ", 0), 0u) << "3,000 bytes";
    EXPECT_EQ(shown(cover, Control::lblSystemInfoSource), "von Verzeichnis: " + data + " (komplett)");
    EXPECT_NE(shown(cover, Control::lblSystemInfo).find("Anzahl Dateien: 12"), std::string::npos);
    EXPECT_EQ(w.lblCmdAction()->caption(), "Information erstellen ...");
    EXPECT_TRUE(w.lblCmdClose()->isEnabled());
    ASSERT_TRUE(w.lblCmdProtocol()->isVisible());
    w.lblCmdProtocol()->click();
    ASSERT_TRUE(w.protocolWindow()->isVisible());
    EXPECT_NE(w.protocolWindow()->document().text().find("datei3.txt"), std::string::npos);
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();

    EXPECT_EQ(caller.done, 0);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(caller.done, 1);
    w.close();
    EXPECT_EQ(caller.done, 1) << "InfoCover_Done exactly once";
}

TEST(clsFolderCopy_Cover, OneRunPerCoordinator)
{
    ScriptedUi ui;
    TempDir dir;
    clsFolderCopy_Cover cover;
    cover.fc_Init("INFO", kInfoRun, 0, 2, 32767);
    cover.fc_InitAdd(taskOf(makeTree(dir, 1, 1)));
    ASSERT_TRUE(cover.fc_FolderAndFiles_Info(true, nullptr));
    frmFileSystem* first = cover.progressWindow();
    EXPECT_FALSE(cover.fc_FolderAndFiles_Copy(true, nullptr));
    EXPECT_FALSE(cover.fc_InitActionStart(true, nullptr));
    EXPECT_EQ(cover.progressWindow(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST(clsFolderCopy_Cover, RefusedStartsTellWhyAndShowNoWindow)
{
    ScriptedUi ui;
    Caller caller;
    {
        clsFolderCopy_Cover cover(caller.events());
        cover.fc_Init("COPY", kInfoRun, 0, 2, 32767);
        EXPECT_FALSE(cover.fc_InitActionStart(true, nullptr)) << "no task";
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].title, "Aktion abgebrochen ...");
        EXPECT_EQ(ui.messages()[0].icon, base::Icon::Critical);
        EXPECT_EQ(ui.lastText(), "Keine Aufgabe vorhanden, bitte legen Sie mindestens eine Aufgabe an!");
        EXPECT_EQ(cover.progressWindow(), nullptr);
        EXPECT_EQ(cover.engine(), nullptr);
    }
    clsFolderCopy_Cover unknown(caller.events());
    EXPECT_FALSE(prepare(unknown, "RENAME", kInfoRun, taskOf("/")));
    EXPECT_EQ(ui.messages().size(), 1u) << "an unknown action does nothing";
    EXPECT_EQ(caller.done, 0);
}

TEST(clsFolderCopy_Cover, CtrlHeldKeepsTheAutomaticStartWaiting)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 1, 2);
    {
        CtrlHeld ctrl;
        clsFolderCopy_Cover cover;
        ASSERT_TRUE(prepare(cover, "INFO", kInfoRun | status::kAutoStart, taskOf(data), {.dataComplete = false}));
        EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Informationsvorgang - Aufgabe (1 / 1) ausstehend ...");
        EXPECT_EQ(shown(cover, Control::lblCountNot), "Datenempfang") << "not all data arrived";
        EXPECT_EQ(cover.engine()->Counters().CountFiles, 0) << "nothing ran";
    }
    clsFolderCopy_Cover cover;
    cover.fc_Init("INFO", kInfoRun, 0, 2, 32767);
    for (int i = 0; i < 3; ++i)
        cover.fc_InitAdd(taskOf(data));
    ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr));
    EXPECT_EQ(shown(cover, Control::lblSystemInfoSource), "Durchlauf von 3 Aufgaben ...");
    EXPECT_EQ(shown(cover, Control::lblSystemInfoTask), "Information erstellen ...");
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Bitte starten Sie den Informationsvorgang ...");
    EXPECT_FALSE(cover.RunSucceeded()) << "nothing has run yet";
    cover.progressWindow()->sb_ActionStart();
    EXPECT_EQ(cover.engine()->Counters().CountFiles, 6) << "the start button runs all three tasks";
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_TRUE(cover.RunSucceeded());
}

// A click on the start button during the run asks whether to cancel; the
// clicks arrive through the yields of the run.
TEST(clsFolderCopy_Cover, StartButtonDuringTheRunAsksToCancel)
{
    TempDir dir;
    const std::string data = makeTree(dir, 5, 20);
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        ScriptedUi ui;
        ui.answer(answer);
        clsFolderCopy_Cover cover;
        ASSERT_TRUE(prepare(cover, "INFO", kInfoRun, taskOf(data)));
        frmFileSystem& w = *cover.progressWindow();
        bool closed = true;
        QTimer::singleShot(0, &w, [&] {
            EXPECT_TRUE(cover.IsRunning());
            EXPECT_EQ(w.lblCmdAction()->caption(), "Abbrechen ...");
            EXPECT_FALSE(w.lblCmdClose()->isEnabled());
            closed = w.close();
            w.sb_ActionStart();
        });
        w.sb_ActionStart();
        EXPECT_FALSE(closed) << "the window stays while the run goes on";
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.lastText(), "Möchten Sie den Vorgang 'Abbrechen'?");
        EXPECT_EQ(ui.messages()[0].title, "Vorgang abbrechen ...");
        EXPECT_EQ(ui.messages()[0].buttons, base::Buttons::YesNo);
        const engine::EngineCounters& c = cover.engine()->Counters();
        if (answer == Answer::No) {
            EXPECT_EQ(c.CountFiles, 100);
            EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
        } else {
            EXPECT_LT(c.CountFiles, 100) << "the walk stopped";
            EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang abgebrochen");
        }
        EXPECT_EQ(cover.RunSucceeded(), answer == Answer::No) << "a cancelled run did not succeed";
        EXPECT_EQ(w.lblCmdAction()->caption(), "Information erstellen ...");
        EXPECT_TRUE(w.close());
    }
}

TEST(clsFolderCopy_Cover, OptionBoxesShowTheStatusAndChangeTheRun)
{
    ScriptedUi ui;
    TempDir dir;
    clsFolderCopy_Cover cover;
    const std::uint32_t bits = status::kCopy | status::kWithInfo | status::kAskBeforeAction
        | status::kContinueAfterError | status::kYield | status::kBlockBytes;
    ASSERT_TRUE(prepare(cover, "COPY", bits, taskOf(makeTree(dir, 1, 1), dir.mkdir("Ziel")), {.blockBytes = 4096}));
    frmFileSystem& w = *cover.progressWindow();
    EXPECT_TRUE(w.optionBox(status::kAskBeforeAction)->isChecked());
    EXPECT_TRUE(w.optionBox(status::kCreateProtocol)->isChecked()) << "the review needs the protocol";
    EXPECT_TRUE(w.optionBox(status::kBlockBytes)->isChecked());
    EXPECT_EQ(w.findChild<QLineEdit*>("txtFileBlockSize")->text(), "4096");
    EXPECT_FALSE(w.optionBox(status::kOverwriteExisting)->isChecked());
    EXPECT_FALSE(w.optionBox(status::kFolderEntriesInfo)->isEnabled());
    EXPECT_TRUE(w.optionBox(status::kOnlyDifferent)->isEnabled());
    EXPECT_EQ(cover.Status(), bits | status::kCreateProtocol);
    EXPECT_EQ(cover.engine()->FolderCopy_Status(), bits | status::kCreateProtocol);
    w.optionBox(status::kOverwriteExisting)->click();
    EXPECT_EQ(cover.engine()->FolderCopy_Status() & status::kOverwriteExisting, status::kOverwriteExisting);
    w.optionBox(status::kContinueAfterError)->click();
    EXPECT_EQ(cover.Status() & status::kContinueAfterError, 0u);

    clsFolderCopy_Cover info;
    ASSERT_TRUE(prepare(info, "INFO", kInfoRun | status::kFolderEntriesInfo | status::kOnlyDifferent,
                        taskOf(dir.file("Daten")), {.level = 4}));
    frmFileSystem& iw = *info.progressWindow();
    EXPECT_TRUE(iw.optionBox(status::kFolderEntriesInfo)->isEnabled());
    EXPECT_FALSE(iw.optionBox(status::kOnlyDifferent)->isEnabled());
    EXPECT_FALSE(iw.optionBox(status::kBlockBytes)->isEnabled());
    EXPECT_EQ(iw.findChild<QLineEdit*>("txtFolderInfoLevel")->text(), "4");
}

TEST(clsFolderCopy_Cover, CopyWithoutTargetWaitsForOne)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 1, 2);
    const std::string target = dir.mkdir("Ziel");
    clsFolderCopy_Cover cover;
    ASSERT_TRUE(prepareCopy(cover, taskOf(data), kInfoRun));
    frmFileSystem& w = *cover.progressWindow();
    EXPECT_EQ(shown(cover, Control::lblSystemInfoTarget), "Ziel: ...");
    EXPECT_TRUE(w.cmdTarget()->isEnabled());
    w.sb_ActionStart();
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Eingabe erwartet...");
    EXPECT_NE(shown(cover, Control::lblSystemInfoObject).find("bitte geben Sie ein Zielverzeichnis an ..."),
              std::string::npos);

    ui.chooseFolder(target + "/");
    w.cmdTarget()->click();
    // The picker starts beside the source, not at the file system's top.
    ASSERT_EQ(ui.folderRequests().size(), 1u);
    EXPECT_EQ(ui.folderRequests()[0].initialFolder, data);
    EXPECT_EQ(cover.Tasks().front().targetFolder, target);
    EXPECT_EQ(shown(cover, Control::lblSystemInfoTarget), "Ziel: " + target);
    EXPECT_NE(shown(cover, Control::lblSystemInfoQuestion), "Eingabe erwartet...") << "the hint went with the answer";
    EXPECT_EQ(shown(cover, Control::lblSystemInfoObject), "");
    ui.chooseFolder({});
    w.cmdTarget()->click();
    EXPECT_EQ(ui.folderRequests()[1].initialFolder, target) << "then where the last target was";
    w.sb_ActionStart();
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_TRUE(fs::exists(target + "/Daten/Ordner0/datei1.txt")) << "copied into the chosen target";
}

// A run longer than 10 s that ends while its window is not in front tells
// its result on the desktop; a short one, or one watched, does not.
TEST(clsFolderCopy_Cover, LongRunEndingUnseenIsToldOnTheDesktop)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 1, 2);
    std::vector<std::string> notices;
    util::ui::setDesktopNotifier([&](const std::string& summary, const std::string& body) {
        notices.push_back(summary + " | " + body);
        return true;
    });
    for (const std::int64_t step : {std::int64_t{0}, std::int64_t{11000}}) {
        RunCoverBase::setViewClock([step, ms = std::int64_t{0}]() mutable { return ms += step; });
        clsFolderCopy_Cover cover;
        ASSERT_TRUE(prepareCopy(cover, taskOf(data, dir.mkdir("Ziel" + std::to_string(step))), kInfoRun));
        frmFileSystem& w = *cover.progressWindow();
        w.showMinimized(); // behind everything else
        w.sb_ActionStart();
    }
    RunCoverBase::setViewClock({});
    util::ui::setDesktopNotifier({});
    ASSERT_EQ(notices.size(), 1u) << "only the long run";
    EXPECT_EQ(notices[0].rfind("Zendor DaroRazu: Vorgang erfolgreich abgeschlossen | ", 0), 0u) << notices[0];
}

// Bad tasks end the run with the engine's message in the window, and touch nothing.
TEST(clsFolderCopy_Cover, BadTasksEndWithAMessage)
{
    TempDir dir;
    const std::string data = makeTree(dir, 2, 2);
    const struct {
        const char* what;
        project::Task task;
        std::string message;
    } cases[] = {
        {"missing source", taskOf(dir.file("fehlt"), dir.mkdir("Ziel")),
         "Quelle: '" + dir.file("fehlt") + "' ist nicht vorhanden oder kein Zugriff!"},
        {"unreachable target", taskOf(data, dir.file("nirgends/Ziel")),
         "Zielverzeichnis: '" + dir.file("nirgends/Ziel") + "' ist nicht vorhanden oder keinen Zugriff!"},
    };
    for (const auto& c : cases) {
        ScriptedUi ui;
        Caller caller;
        clsFolderCopy_Cover cover(caller.events());
        ASSERT_TRUE(prepareCopy(cover, c.task, kInfoRun | status::kAutoStart)) << c.what;
        EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang abgebrochen") << c.what;
        EXPECT_FALSE(cover.RunSucceeded()) << c.what;
        EXPECT_NE(shown(cover, Control::lblSystemInfoObject).find(c.message), std::string::npos)
            << c.what << ": " << shown(cover, Control::lblSystemInfoObject);
        EXPECT_TRUE(cover.progressWindow()->lblCmdClose()->isEnabled());
        EXPECT_FALSE(fs::exists(dir.file("nirgends"))) << c.what;
        EXPECT_TRUE(cover.progressWindow()->close());
        EXPECT_EQ(caller.done, 1);
    }
}

// A target inside its own source: the run ends, and the target does not
// grow copies of itself.
TEST(clsFolderCopy_Cover, TargetInsideItsSourceEnds)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 2, 3);
    const std::string target = dir.mkdir("Daten/Ziel");
    clsFolderCopy_Cover cover;
    ASSERT_TRUE(prepareCopy(cover, taskOf(data, target), kInfoRun | status::kAutoStart | status::kOverwriteExisting));
    EXPECT_FALSE(cover.IsRunning());
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_TRUE(cover.RunSucceeded());
    EXPECT_TRUE(fs::exists(target + "/Daten/Ordner1/datei2.txt"));
    EXPECT_FALSE(fs::exists(target + "/Daten/Ziel")) << "the target is not copied into itself";
}

// The files of a source tree with their sizes, by relative path.
std::map<std::string, std::uintmax_t> filesOf(const std::string& folder)
{
    std::map<std::string, std::uintmax_t> files;
    if (fs::exists(folder))
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                files[fs::relative(e.path(), folder).string()] = e.file_size();
    return files;
}

TEST(clsFolderCopy_Cover, CopyThenOnlyDifferingFilesCopyNothing)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 3, 3);
    const std::string target = dir.mkdir("Ziel");
    Caller caller;
    clsFolderCopy_Cover cover(caller.events());
    ASSERT_TRUE(prepareCopy(cover, taskOf(data, target), kInfoRun | status::kOnlyDifferent | status::kAutoStart));
    EXPECT_EQ(filesOf(target + "/Daten"), filesOf(data));
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(caller.actionStart, 2) << "the information pass and the copy";
    EXPECT_NE(shown(cover, Control::lblSystemInfo).find("Anzahl Dateien: 9 (von 9)"), std::string::npos)
        << shown(cover, Control::lblSystemInfo);
    // The start button runs the project again: everything is up to date.
    cover.progressWindow()->sb_ActionStart();
    EXPECT_NE(shown(cover, Control::lblSystemInfoObject)
                  .find("Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!"),
              std::string::npos);
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

// "Protokoll vor Aktion": the list is shown modally between the passes; only
// its "Aktion ausführen" starts the copy.
TEST(clsFolderCopy_Cover, ReviewBeforeTheActionDecides)
{
    TempDir dir;
    const std::string data = makeTree(dir, 1, 2);
    for (const bool confirm : {false, true}) {
        ScriptedUi ui;
        const std::string target = dir.mkdir(confirm ? "Ja" : "Nein");
        clsFolderCopy_Cover cover;
        // The user answers the review when it opens.
        bool reviewed = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* review = qobject_cast<protocol::ui::frmProtocol*>(QApplication::activeModalWidget());
            if (!review)
                return;
            reviewed = review->lblCmdActionRun()->isVisible();
            review->flush();
            EXPECT_NE(review->document().list().findFile(data + "/Ordner0", "datei1.txt"), protocol::kNoRow);
            if (confirm)
                review->lblCmdActionRun()->click();
            else
                review->reject();
        });
        watch.start(0);
        ASSERT_TRUE(prepareCopy(cover, taskOf(data, target), kInfoRun | status::kAskBeforeAction | status::kAutoStart));
        watch.stop();
        EXPECT_TRUE(reviewed) << "the protocol was shown modally with its answer box";
        EXPECT_EQ(fs::exists(target + "/Daten/Ordner0/datei1.txt"), confirm);
        EXPECT_EQ(cover.progressWindow()->lblCmdAction()->caption(), "Daten kopieren ...");
        if (!confirm)
            EXPECT_NE(shown(cover, Control::lblSystemInfoObject).find("Aktion durch Benutzer abgebrochen!"),
                      std::string::npos);
    }
}

// The engine's questions come as message boxes over the progress window.
TEST(clsFolderCopy_Cover, EngineAsksThroughMessageBoxes)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 1, 1);
    const std::string target = dir.mkdir("Ziel");
    dir.write("Ziel/Daten/Ordner0/datei0.txt", "alt");
    ui.answer(Answer::No);
    clsFolderCopy_Cover cover;
    ASSERT_TRUE(
        prepareCopy(cover, taskOf(data, target), status::kCreateProtocol | status::kYield | status::kAutoStart));
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_NE(ui.messages()[0].text.find("vorhanden!"), std::string::npos) << ui.messages()[0].text;
    EXPECT_EQ(ui.messages()[0].icon, base::Icon::Question);
    EXPECT_EQ(dir.read("Ziel/Daten/Ordner0/datei0.txt"), "alt") << "the user said no";
}

// The frequent events show at the view's pace; at the end of the pass every
// text is what showing each event at once would have left.
TEST(clsFolderCopy_Cover, PacedViewEndsAsEveryEventShown)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 4, 5);
    const std::string target = dir.mkdir("Ziel");
    // The copy, then the same again with only differing files (each one unchanged).
    const std::uint32_t runs[] = {status::kYield | status::kAutoStart,
                                  status::kYield | status::kAutoStart | status::kOnlyDifferent};
    std::map<Control, std::string> texts[2][2];
    for (const bool paced : {true, false}) {
        fs::remove_all(target + "/Daten");
        for (int run = 0; run < 2; ++run) {
            if (paced)
                RunCoverBase::setViewClock([] { return std::int64_t{0}; }); // never due after the first
            else
                RunCoverBase::setViewClock([ms = std::int64_t{0}]() mutable { return ms += 1000; }); // always due
            clsFolderCopy_Cover cover;
            ASSERT_TRUE(prepareCopy(cover, taskOf(data, target), runs[run]));
            RunCoverBase::setViewClock({});
            // Shown at the end, paced or event by event, the count is the
            // engine's: the folders it takes back (nothing copied into them)
            // stay counted as passed over.
            const engine::EngineCounters& k = cover.engine()->Counters();
            if (run == 1)
                EXPECT_EQ(shown(cover, Control::lblCountExistsTimeOk)
                              .rfind(std::to_string(k.CountFiles_ExistsTimeOk + k.CountFolder_ExistsTimeOk) + " - ", 0),
                          0u);
            for (int c = 0; c < kControlCount; ++c)
                if (const auto control = static_cast<Control>(c); control != Control::lblTime
                    && control != Control::lblSize && control != Control::lblCountExistsTimeOk)
                    texts[paced ? 0 : 1][run][control] = shown(cover, control);
        }
    }
    for (int run = 0; run < 2; ++run)
        for (const auto& [control, text] : texts[1][run])
            EXPECT_EQ(texts[0][run][control], text) << controlName(control) << " in run " << run;
}

// Cancelled in the middle of a large file: what was copied before it is
// whole, of the large one nothing is left.
TEST(clsFolderCopy_Cover, CancelledCopyLeavesNothingHalfCopied)
{
    ScriptedUi ui;
    TempDir dir;
    dir.write("Daten/a/klein.txt", "klein");
    dir.write("Daten/b/gross.bin", std::string(24u * 1024u * 1024u, 'g'));
    const std::string data = dir.file("Daten");
    const std::string target = dir.mkdir("Ziel");
    ui.answer(Answer::Yes);
    clsFolderCopy_Cover cover;
    ASSERT_TRUE(prepareCopy(cover, taskOf(data, target), status::kCreateProtocol | status::kYield));
    frmFileSystem& w = *cover.progressWindow();
    // Every event shows at once: the copy takes less than the view's pace.
    RunCoverBase::setViewClock([ms = std::int64_t{0}]() mutable { return ms += 1000; });
    // The user presses "Abbrechen ..." while the large file is on its way.
    QTimer watch;
    bool pressed = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!pressed && w.text(Control::lblSystemInfoObject).rfind("gross.bin von ", 0) == 0) {
            pressed = true;
            w.sb_ActionStart();
        }
    });
    watch.start(0);
    w.sb_ActionStart();
    watch.stop();
    RunCoverBase::setViewClock({});
    ASSERT_TRUE(pressed) << "the copy reported its progress";
    EXPECT_EQ(ui.lastText(), "Möchten Sie den Vorgang 'Abbrechen'?");
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Vorgang abgebrochen");
    const std::map<std::string, std::uintmax_t> source = filesOf(data);
    for (const auto& [name, size] : filesOf(target))
        EXPECT_EQ(source.at(name.substr(6)), size) << name;
    EXPECT_FALSE(fs::exists(target + "/Daten/b/gross.bin"));
    EXPECT_EQ(filesOf(target).count("Daten/b/gross.bin"), 0u);
}

TEST(clsFolderCopy_Cover, MakeFolderMakesItAndCloses)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string parent = dir.mkdir("Eltern");
    Caller caller;
    clsFolderCopy_Cover cover(caller.events());
    ASSERT_TRUE(prepare(cover, "MKDIR", status::kMkDir | status::kFolderToClipboard | status::kYield, taskOf(parent),
                        {.blockBytes = 65536}));
    frmFileSystem& w = *cover.progressWindow();
    QCheckBox* toClipboard = w.optionBox(status::kFolderToClipboard);
    EXPECT_TRUE(toClipboard->isVisible());
    EXPECT_TRUE(toClipboard->isChecked()) << "the box shows the caller's option";
    EXPECT_EQ(shown(cover, Control::lblSystemInfoQuestion), "Bitte geben Sie eine Verzeichnisbezeichnung an ...");
    EXPECT_EQ(shown(cover, Control::lblSystemFolderSource), parent);
    EXPECT_TRUE(w.findChild<QWidget*>("fraFolder")->isVisible());
    EXPECT_FALSE(w.findChild<QWidget*>("fraOptions")->isVisible());
    auto* name = w.findChild<QLineEdit*>("txtNewFolder");
    QTest::keyClicks(name, "Neu");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(fs::is_directory(parent + "/Neu"));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), parent + "/Neu");
    ASSERT_TRUE(QTest::qWaitFor([&] { return caller.done == 1; }, 2000)) << "the window closes after its run";

    // Without the option the box is empty and the clipboard keeps what it had.
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));
    Caller second;
    clsFolderCopy_Cover without(second.events());
    ASSERT_TRUE(prepare(without, "MKDIR", status::kMkDir | status::kYield, taskOf(parent), {.blockBytes = 65536}));
    EXPECT_FALSE(without.progressWindow()->optionBox(status::kFolderToClipboard)->isChecked());
    auto* other = without.progressWindow()->findChild<QLineEdit*>("txtNewFolder");
    QTest::keyClicks(other, "Zwei");
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_TRUE(fs::is_directory(parent + "/Zwei"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("vorher"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.done == 1; }, 2000));
}

TEST(clsFolderCopy_Cover, NetworkSourceBecomesOneTaskPerShare)
{
    ScriptedUi ui;
    // The network: one workgroup, one computer with three shares.
    const std::map<std::string, test::ScriptedNetwork::Children> network{
        {"", {{net::resource::kDisplayDomain, "WG"}}},
        {"WG", {{net::resource::kDisplayServer, "\\\\A"}}},
        {"\\\\A", {{3, "\\\\A\\daten"}, {3, "\\\\A\\bilder"}, {3, "\\\\A\\texte"}}},
    };
    clsFolderCopy_Cover::Services services = clsFolderCopy_Cover::defaultServices();
    services.network = [&] {
        return std::make_unique<net::clsNetwork>(std::make_shared<test::ScriptedNetwork>(network));
    };
    clsFolderCopy_Cover cover({}, services);
    cover.fc_Init("INFO", kInfoRun, 0, 2, 32767);
    project::Task placeholder = taskOf("[Net][WG][*]", "/ziel");
    placeholder.exclusions = "\\Alt";
    ASSERT_TRUE(cover.fc_InitAdd(placeholder));
    ASSERT_TRUE(cover.fc_InitAdd(taskOf("/danach")));
    std::vector<std::string> sources;
    for (const project::Task& task : cover.Tasks()) {
        sources.push_back(task.sourceFolder);
        if (task.sourceFolder != "/danach")
            EXPECT_EQ(task.exclusions, "\\Alt") << "each share keeps the task's fields";
    }
    EXPECT_EQ(sources, (std::vector<std::string>{"\\\\A\\daten", "\\\\A\\bilder", "\\\\A\\texte", "/danach"}));
}

TEST(clsFolderCopy_Cover, ExcludedEntriesReachTheCaller)
{
    ScriptedUi ui;
    TempDir dir;
    Caller caller;
    clsFolderCopy_Cover cover(caller.events());
    ASSERT_TRUE(prepare(cover, "INFO", kInfoRun | status::kAutoStart, taskOf(makeTree(dir, 1, 1))));
    emit cover.progressWindow()->protocolWindow()->ExceptData(protocol::EntryKind::Folder, QStringLiteral("Ordner0"));
    EXPECT_EQ(caller.excepted, std::vector<std::string>{"Ordner Ordner0"});
}

// Without a person at the screen the window closes after the run, a run
// that waits for its start button does not run, and each writes its protocol.
TEST(clsFolderCopy_Cover, UnattendedRunsWriteTheirProtocolAndClose)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = makeTree(dir, 1, 2);
    const std::string protocol = dir.file("protokoll.txt");
    setenv("ZDR_UNATTENDED", "1", 1);
    setenv("ZDR_PROTOCOL_FILE", protocol.c_str(), 1);
    Caller caller;
    {
        clsFolderCopy_Cover cover(caller.events());
        ASSERT_TRUE(prepare(cover, "INFO", kInfoRun | status::kAutoStart, taskOf(data)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return caller.done == 1; }, 2000));
    }
    {
        clsFolderCopy_Cover cover(caller.events());
        ASSERT_TRUE(prepare(cover, "DELETE", status::kDelete | kInfoRun, taskOf(data)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return caller.done == 2; }, 2000));
    }
    unsetenv("ZDR_UNATTENDED");
    unsetenv("ZDR_PROTOCOL_FILE");
    EXPECT_TRUE(fs::exists(data + "/Ordner0/datei1.txt"));
    EXPECT_EQ(dir.read("protokoll.txt"),
              "=== INFO: Informationen über Daten sammeln ...\n"
              "Aufgabe 1 / 1: von Verzeichnis: "
                  + data
                  + " (komplett)\n"
                    "Protokoll:\n"
                    "  "
                  + data
                  + "\n"
                    "  "
                  + data
                  + "/Ordner0\n"
                    "        datei0.txt  ----  ok\n"
                    "        datei1.txt  ----  ok\n"
                    "Ergebnis: Vorgang erfolgreich abgeschlossen\n"
                    "   Anzahl Ordner: 2\n"
                    "  Anzahl Dateien: 2\n"
                    "  Tiefe: 2 - max. Länge: "
                  + std::to_string(data.size() + 18)
                  + "\n"
                    "\n"
                    "=== Ende\n"
                    "=== DELETE: wartet auf den Start, ohne Benutzer nicht ausgeführt\n"
                    "=== Ende\n");
}

// The heading of an action pass names the folder of the task it works on:
// the first one at the start (also without an information pass, which would
// have loaded a task), each next one as it starts.
TEST(clsFolderCopy_Cover, PassHeadingNamesTheTaskAtWork)
{
    ScriptedUi ui;
    TempDir dir;
    dir.write("Erste/a.txt", "a");
    dir.write("Zweite/b.txt", "b");
    const std::string protocol = dir.file("protokoll.txt");
    setenv("ZDR_PROTOCOL_FILE", protocol.c_str(), 1);
    for (const std::uint32_t info : {0u, status::kWithInfo}) {
        Caller caller;
        clsFolderCopy_Cover cover(caller.events());
        const std::string target = dir.mkdir(info ? "ZielMitInfo" : "Ziel");
        ASSERT_TRUE(
            cover.fc_Init("COPY", status::kCopy | status::kCreateProtocol | status::kAutoStart | info, 0, 2, 32767));
        ASSERT_TRUE(cover.fc_InitAdd(taskOf(dir.file("Erste"), target)));
        project::Task second = taskOf(dir.file("Zweite"), target);
        second.selection = {"b.txt"};
        ASSERT_TRUE(cover.fc_InitAdd(second));
        ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr));
        EXPECT_EQ(shown(cover, Control::lblSystemInfoTask),
                  "Verzeichnis '" + dir.file("Zweite") + " (Auswahl)' kopieren ...");
        EXPECT_TRUE(fs::exists(target + "/b.txt"));
    }
    unsetenv("ZDR_PROTOCOL_FILE");
    const std::string log = dir.read("protokoll.txt");
    const std::string firstTask = "=== COPY: Verzeichnis '" + dir.file("Erste") + " (komplett)' kopieren ...\n";
    // Both copies begin with the first task; the second after its information pass.
    const std::size_t withoutInfo = log.find(firstTask);
    ASSERT_NE(withoutInfo, std::string::npos) << log;
    const std::size_t information = log.find("=== INFO", withoutInfo);
    ASSERT_NE(information, std::string::npos) << log;
    EXPECT_NE(log.find(firstTask, information), std::string::npos) << log;
}

// A filtered folder with nothing to copy is withdrawn from the list; the
// protocol file must not keep it either.
TEST(clsFolderCopy_Cover, UnattendedProtocolDropsWithdrawnRows)
{
    ScriptedUi ui;
    TempDir dir;
    dir.write("Daten/Texte/a.txt", "a");
    dir.write("Daten/Bilder/b.jpg", "b");
    const std::string protocol = dir.file("protokoll.txt");
    setenv("ZDR_UNATTENDED", "1", 1);
    setenv("ZDR_PROTOCOL_FILE", protocol.c_str(), 1);
    Caller caller;
    {
        clsFolderCopy_Cover cover(caller.events());
        project::Task task = taskOf(dir.file("Daten"), dir.mkdir("Ziel"));
        task.extensions = "*.txt";
        ASSERT_TRUE(prepare(cover, "INFO", kInfoRun | status::kOnlyDifferent | status::kAutoStart, task));
        ASSERT_TRUE(QTest::qWaitFor([&] { return caller.done == 1; }, 2000));
    }
    unsetenv("ZDR_UNATTENDED");
    unsetenv("ZDR_PROTOCOL_FILE");
    const std::string log = dir.read("protokoll.txt");
    EXPECT_NE(log.find(dir.file("Daten/Texte")), std::string::npos) << log;
    EXPECT_EQ(log.find(dir.file("Daten/Bilder")), std::string::npos) << log;
}

} // namespace
} // namespace zdr::run::ui
