// Running the project from the main window: the option words from the
// controls, the tasks to the coordinator, and the coordinator's events.
#include "RecordingRuns.h"
#include "frmMainDriver.h"
#include "mainwindow/frmMain.h"
#include "project/OptionBoxBits.h"
#include "project/Task.h"
#include "run/RunOptions.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/KeyState.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

namespace zdr::mainwindow {
namespace {

using test::ScriptedUi;
using test::TempDir;

using Runs = test::RecordingRuns;

void runCommand(frmMain& w) { w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction")->click(); }
QCheckBox* box(frmMain& w, const char* name) { return w.findChild<QCheckBox*>(name); }
QLineEdit* text(frmMain& w, const char* name) { return w.findChild<QLineEdit*>(name); }

// A main window whose runs go to recording coordinators, opened with a
// project file or a new project.
struct RecordedWindow {
    Runs runs;
    frmMain w;
    explicit RecordedWindow(const std::string& projectFile = {})
    {
        w.setRunCoverFactory(runs.factory());
        w.fc_Init(QString::fromStdString(projectFile), {}, {});
    }
};

// Each option box of the window, checked on its own, reaches the run as
// exactly its bit (the boxes it checks itself add theirs).
TEST(frmMainRun, EveryOptionBoxSetsExactlyItsBits)
{
    ScriptedUi ui;
    // What the window adds to a box's own bits.
    const std::map<std::string, std::uint32_t> added{
        {"chkCopyInfoAskBeforeAction", 0x2000}, // turns the protocol on
        {"chkCopyOnlyDiffrentFiles", 0x2000},   // turns the protocol on
        {"chkActionAutoStart", 0x100000},       // the command's automatic start
    };
    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> expected;
    for (const test::OptionBoxBits& box : test::kOptionBoxBits)
        expected[box.control] = {box.status | (added.count(box.control) ? added.at(box.control) : 0), box.statusEx};
    // Every option box of the window is in the table, and only those.
    frmMain all;
    std::size_t options = 0;
    for (QCheckBox* b : all.findChildren<QCheckBox*>())
        if (!b->objectName().startsWith("chkAttribute_")) {
            ++options;
            EXPECT_TRUE(expected.count(b->objectName().toStdString())) << b->objectName().toStdString();
        }
    EXPECT_EQ(options, expected.size());
    EXPECT_EQ(run::runOptionBits().size(), expected.size());

    for (const auto& [name, bits] : expected) {
        RecordedWindow window;
        auto& [runs, w] = window;
        box(w, name.c_str())->setChecked(true);
        runCommand(w);
        ASSERT_EQ(runs.runs.size(), 1u) << name;
        EXPECT_EQ(runs.runs[0].status, bits.first | 0x1 | 0x8000) << name;
        EXPECT_EQ(runs.runs[0].statusEx, bits.second) << name;
    }
}

TEST(frmMainRun, ActionChoosesCodeAndBits)
{
    ScriptedUi ui;
    RecordedWindow window;
    auto& [runs, w] = window;
    auto* action = w.findChild<QComboBox*>("cboAction");
    box(w, "chkCopyOnlyDiffrentFiles")->setChecked(true);
    box(w, "chkCopyOnlyNewer")->setChecked(true);
    const struct {
        int index;
        const char* code;
        std::uint32_t bits; // besides 0x8000 and the protocol of "only different"
    } cases[] = {{0, "INFO", 0},
                 {1, "COPY", 0x1 | 0x80 | 0x10000},
                 {3, "DELETE", 0x20 | 0x80 | 0x10000},
                 {4, "ATTRIB", 0x40 | 0x80 | 0x10000},
                 {5, "MKDIR", 0x600000 | 0x80 | 0x10000}};
    for (const auto& c : cases) {
        action->setCurrentIndex(c.index);
        w.sb_ProjectRun(false);
        ASSERT_FALSE(runs.runs.empty());
        EXPECT_EQ(runs.runs.back().action, c.code);
        EXPECT_EQ(runs.runs.back().status, c.bits | 0x8000 | 0x2000) << c.code;
        runs.events.done();
        QApplication::processEvents(); // the coordinator goes on the next turn
    }
    // Synchronising is not available: the list goes back to the information.
    action->setCurrentIndex(2);
    EXPECT_EQ(ui.lastText(), "Diese Funktion ist noch nicht aktiviert, bitte wählen Sie eine andere Aktion aus!");
    EXPECT_EQ(ui.messages().back().title, "Aktion deaktiviert...");
    EXPECT_EQ(action->currentIndex(), 0);
}

TEST(frmMainRun, TasksGoToTheCoordinatorInListOrder)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("p.ZdrPrj", R"(<?xml version="1.0"?>
<ZendorFileCopy>
  <lvwMain>
    <LVW1>(JOB1|Eins|(JOB1|/q1|/z1||\a;b.txt|\x|f*|12|3|32|*.txt|Text|1~°~20~°~done||2~°~X:~°~\\s\q~°~u~°~p||0~°~Y:~°~\\s\z~°~u~°~p|1.1.2020|31.12.2020 23:59|/sich</LVW1>
    <LVW2>(JOB2|Zwei|(JOB1|/q2|/z2|||||||||||||||||</LVW2>
  </lvwMain>
  <txtFolderInfoLevel>300</txtFolderInfoLevel>
  <txtFileBlockSize>4096</txtFileBlockSize>
  <cboAction>1</cboAction>
  <txtProjectName>Reihenfolge</txtProjectName>
</ZendorFileCopy>
)");
    RecordedWindow window(file);
    auto& [runs, w] = window;
    w.sb_ProjectRun(false);
    ASSERT_EQ(runs.runs.size(), 1u);
    const Runs::Run& run = runs.runs[0];
    EXPECT_EQ(run.level, 255) << "the level is a byte";
    EXPECT_EQ(run.blockBytes, 4096u);
    EXPECT_TRUE(run.dataComplete);
    EXPECT_EQ(run.caller, &w);
    ASSERT_EQ(run.tasks.size(), 2u);
    EXPECT_EQ(run.tasks[1].sourceFolder, "/q2");
    const project::Task& t = run.tasks[0];
    EXPECT_EQ(std::tie(t.sourceFolder, t.targetFolder, t.exclusions, t.nameFilters),
              std::make_tuple(std::string("/q1"), std::string("/z1"), std::string("\\x"), std::string("f*")));
    EXPECT_EQ(t.selection, (std::vector<std::string>{"\\a", "b.txt"}));
    EXPECT_EQ(t.sizeMaxK, "12");
    EXPECT_EQ(t.attributeSet, 3u);
    EXPECT_EQ(t.attributeClear, 32u);
    EXPECT_EQ(t.extensions, "*.txt");
    EXPECT_EQ(t.renameCode, "1|20|done");
    EXPECT_EQ(t.netSourceCode, "2|X:|\\\\s\\q|u|p");
    EXPECT_EQ(t.netTargetCode, "0|Y:|\\\\s\\z|u|p");
    EXPECT_EQ(t.dateFrom, "1.1.2020");
    EXPECT_EQ(t.dateTo, "31.12.2020 23:59");
    EXPECT_EQ(t.backupFolder, "/sich");
}

TEST(frmMainRun, OneRunAtATime)
{
    ScriptedUi ui;
    RecordedWindow window;
    auto& [runs, w] = window;
    w.sb_ProjectRun(false);
    w.sb_ProjectRun(false);
    EXPECT_EQ(runs.runs.size(), 1u) << "a run is going on";
    EXPECT_TRUE(w.isRunGoing());
    runs.events.done();
    EXPECT_EQ(runs.alive, 1) << "released after the event, not inside it";
    QApplication::processEvents();
    EXPECT_EQ(runs.alive, 0);
    EXPECT_FALSE(w.isRunGoing());
    w.sb_ProjectRun(false);
    EXPECT_EQ(runs.runs.size(), 2u);

    // A coordinator that refuses the start goes at once; the window stays.
    runs.events.done();
    QApplication::processEvents();
    runs.refuseStart = true;
    w.sb_ProjectRun(false);
    QApplication::processEvents();
    EXPECT_EQ(runs.alive, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST(frmMainRun, MinimisedDuringTheRunAndRestoredAfter)
{
    ScriptedUi ui;
    RecordedWindow window;
    auto& [runs, w] = window;
    box(w, "chkFormMinAfterStart")->setChecked(true);
    w.sb_ProjectRun(false);
    runs.events.actionStart();
    EXPECT_TRUE(w.isMinimized());
    runs.events.actionStart(); // the next pass: already minimised
    runs.events.done();
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
    QApplication::processEvents();

    // Minimised before the start: nothing is remembered, nothing restored.
    w.showMinimized();
    w.sb_ProjectRun(false);
    runs.events.actionStart();
    runs.events.done();
    EXPECT_TRUE(w.isMinimized());
}

TEST(frmMainRun, EndOfTheRunClosesAHiddenOrClosingWindow)
{
    TempDir dir;
    const std::string file =
        dir.write("p.ZdrPrj", "<ZendorFileCopy><lvwMain><LVW1>(JOB1|a||/q|/z</LVW1></lvwMain></ZendorFileCopy>");
    struct Case {
        const char* second;
        bool showDuringRun;
        bool closes;
        bool succeeded; // the run's outcome is the program's exit code
    };
    for (const Case& c : {Case{"", false, true, true}, Case{"/s", false, true, false}, Case{"/S", true, true, true}}) {
        ScriptedUi ui;
        Runs runs;
        runs.succeeded = c.succeeded;
        QPointer<frmMain> w = new frmMain;
        w->setAttribute(Qt::WA_DeleteOnClose);
        int exitCode = -1;
        QObject::connect(w, &frmMain::unloaded, [&exitCode](int code) { exitCode = code; });
        w->setRunCoverFactory(runs.factory());
        w->fc_Init(QString::fromStdString(file), "/A", c.second);
        ASSERT_EQ(runs.runs.size(), 1u);
        EXPECT_FALSE(w->isVisible()) << "an automatic start keeps the window hidden";
        EXPECT_EQ(runs.runs[0].status & 0x100000, 0x100000u);
        EXPECT_EQ(runs.runs[0].statusEx, *c.second ? 0x200000u : 0u);
        if (c.showDuringRun)
            w->show();
        runs.events.done();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.isNull(), c.closes) << c.second;
        EXPECT_EQ(exitCode, c.succeeded ? 0 : 1) << c.second;
        delete w.data();
    }
    // Visible without /s: the window stays and comes to the front.
    ScriptedUi ui;
    RecordedWindow window(file);
    auto& [runs, w] = window;
    w.sb_ProjectRun(false);
    runs.succeeded = false;
    runs.events.done();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.exitCode(), 0) << "only a run from the command line sets the exit code";
}

TEST(frmMainRun, CtrlHeldOpensTheWindowInsteadOfRunning)
{
    ScriptedUi ui;
    util::ui::setCtrlKeyQuery([] { return true; });
    Runs runs;
    frmMain w;
    w.setRunCoverFactory(runs.factory());
    w.fc_Init({}, "/a", "/s");
    util::ui::setCtrlKeyQuery({});
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(runs.runs.empty());
    EXPECT_FALSE(w.closeAfterRun());
}

// /a with a project file that is nowhere: the open dialog (cancelled), then
// the file is named as not found, nothing runs, and the window shows itself
// instead of leaving an invisible program behind.
TEST(frmMainRun, FailedAutomaticStartShowsTheWindow)
{
    ScriptedUi ui;
    TempDir dir;
    frmMain w; // with the program's coordinator
    w.fc_Init(QString::fromStdString(dir.file("fehlt.ZdrPrj")), "/a", "/s");
    ASSERT_EQ(ui.dialogs().size(), 1u) << "the open dialog offers another file";
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.lastText(), "Projektdatei '" + dir.file("fehlt.ZdrPrj") + "' nicht gefunden");
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.exitCode(), 1) << "the run could not start";
    QApplication::processEvents();
    EXPECT_FALSE(w.isRunGoing());
}

TEST(frmMainRun, ExcludedEntriesGoIntoTheExclusionBox)
{
    ScriptedUi ui;
    RecordedWindow window;
    frmMain& w = window.w;
    w.sb_ProjectRun(false);
    const auto except = [&](protocol::EntryKind kind, std::string name) { window.runs.events.exceptData(kind, name); };
    except(protocol::EntryKind::Folder, "Alt");
    except(protocol::EntryKind::File, "x.tmp");
    except(protocol::EntryKind::Folder, "alt"); // already there, whatever the case
    except(protocol::EntryKind::File, "ОТЧЁТ.txt");
    except(protocol::EntryKind::File, "отчёт.TXT"); // in every script
    except(protocol::EntryKind::File, "t.tmp");     // not there for being part of "x.tmp"
    except(protocol::EntryKind::Folder, "Al");      // nor of "\Alt"
    const QString all = QString::fromUtf8("\\Alt;x.tmp;ОТЧЁТ.txt;t.tmp;\\Al");
    EXPECT_EQ(text(w, "txtSystemDirAndFilesExclude")->text(), all);
    EXPECT_EQ(driver::field(w, w.currentTask(), project::kExclusions), all);
}

} // namespace
} // namespace zdr::mainwindow
