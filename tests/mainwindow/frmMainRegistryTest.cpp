// The registry actions in the main window: chosen from the "Extras" menu,
// kept in the project file, handed to the registry coordinator, and a
// registry project built, saved, loaded and run over a list of computers.
#include "RecordingRuns.h"
#include "engine/StatusBits.h"
#include "frmMainDriver.h"
#include "project/Task.h"
#include "protocol/frmProtocol.h"
#include "registry/RegistryRootKey.h"
#include "registry/ScriptedRegistry.h"
#include "run/clsSystemChange_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>

namespace zdr::mainwindow {
namespace {

using namespace driver;
using test::ScriptedUi;
using test::TempDir;
using RegistryRuns = test::RecordingRuns;
using FolderRuns = test::RecordingRuns;

const std::string kPath = "HKEY_LOCAL_MACHINE\\Software\\Zendor";

QComboBox* actionBox(frmMain& w) { return w.findChild<QComboBox*>("cboAction"); }
std::string caption(frmMain& w, const char* label) { return w.findChild<QLabel*>(label)->text().toStdString(); }

QAction* registryEntry(frmMain& w, const char* text)
{
    for (QAction* entry : w.findChild<QMenu*>("mnuExtras")->actions())
        if (entry->text() == QString::fromUtf8(text))
            return entry;
    ADD_FAILURE() << "no menu entry " << text;
    return nullptr;
}

// The captions of the five relabelled fields.
std::vector<std::string> fieldCaptions(frmMain& w)
{
    return {caption(w, "lblSystemDir"), caption(w, "lblSystemDirAndFiles"), caption(w, "lblSystemTargetDir"),
            caption(w, "lblSystemDirAndFilesExclude"), caption(w, "lblSystemDirAndFilesFilter")};
}
const std::vector<std::string> kRegistryCaptions{
    "* System(e):", "Registry Pfad:", "Registry Schlüssel:", "Registry Wert:", "Dienst beenden, neu starten:"};
const std::vector<std::string> kFolderCaptions{"* Quellverzeichnis:", "ausgewählte Daten:", "* Zielverzeichnis:",
                                               "Daten ausschließen:", "Datei Filter Bezeichnungen:"};

run::ui::frmFileSystem* shownProgressWindow()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<run::ui::frmFileSystem*>(top); w && w->isVisible())
            return w;
    return nullptr;
}

TEST(frmMainRegistry, ChosenFromTheMenuTheFieldsBecomeRegistryFields)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    QComboBox* action = actionBox(w);
    EXPECT_EQ(action->count(), 6) << "the list offers the folder actions";
    QAction* info = registryEntry(w, "Registry Informationen über Computer");
    QAction* change = registryEntry(w, "Computer Registry ändern");
    ASSERT_TRUE(info && change);

    change->trigger();
    EXPECT_EQ(action->count(), 8);
    EXPECT_EQ(action->currentIndex(), 7);
    EXPECT_EQ(action->currentText(), "Computer Registry ändern");
    EXPECT_EQ(fieldCaptions(w), kRegistryCaptions);
    QWidget* targetConnect = w.findChild<QWidget*>("lblCmdSystemTargetDirConnect");
    EXPECT_FALSE(targetConnect->isVisible()) << "nothing to connect for a registry key";
    EXPECT_TRUE(w.findChild<QWidget*>("lblCmdSystemDirConnect")->isVisible()) << "the computers' log-on";
    EXPECT_TRUE(change->isChecked());
    EXPECT_TRUE(w.isChanged());

    // The list itself now switches between the two.
    action->setCurrentIndex(6);
    EXPECT_TRUE(info->isChecked());
    EXPECT_FALSE(change->isChecked());
    EXPECT_EQ(fieldCaptions(w), kRegistryCaptions);

    // A folder action: the list offers its six again, the fields are folders.
    action->setCurrentIndex(3);
    EXPECT_EQ(action->count(), 6);
    EXPECT_EQ(fieldCaptions(w), kFolderCaptions);
    EXPECT_TRUE(targetConnect->isVisible());
    EXPECT_FALSE(info->isChecked() || change->isChecked());

    // Unticking the chosen entry goes back to the program's first action.
    info->trigger();
    EXPECT_EQ(action->currentIndex(), 6);
    info->trigger();
    EXPECT_EQ(action->currentIndex(), 1);
    EXPECT_EQ(action->count(), 6);
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

// The registry branch of the run: the registry coordinator gets the action
// code, level 2 and the six registry fields of every task; one registry run
// at a time, beside a folder run.
TEST(frmMainRegistry, RunHandsTheRegistryFieldsToTheRegistryCoordinator)
{
    ScriptedUi ui;
    RegistryRuns registry;
    FolderRuns folders;
    frmMain w;
    w.setRegistryCoverFactory(registry.factory());
    w.setRunCoverFactory(folders.factory());
    w.fc_Init({}, {}, {});
    registryEntry(w, "Registry Informationen über Computer")->trigger();
    type(w, "txtSystemDir", "PC1");
    type(w, "txtSystemDirAndFiles", QString::fromStdString(kPath));
    type(w, "txtSystemTargetDir", "Version");
    type(w, "txtSystemDirAndFilesExclude", "2.0");
    type(w, "txtSystemDirAndFilesFilter", "Spooler");
    type(w, "txtSystemFilesExtensions", "*.txt"); // not a registry field
    type(w, "txtFolderInfoLevel", "5");
    w.tasks().setField(w.currentTask(), project::kNetSourceKey, "0|||admin|geheim");
    w.sb_TaskNew();
    type(w, "txtSystemDir", "[Net][FIRMA]");
    box(w, "chkCopyCreateProtocol")->click();

    w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction")->click();
    ASSERT_EQ(registry.runs.size(), 1u);
    EXPECT_TRUE(folders.runs.empty());
    const RegistryRuns::Run& run = registry.runs[0];
    EXPECT_EQ(run.action, "INFO");
    EXPECT_EQ(run.level, 2) << "whatever the folder level";
    EXPECT_EQ(run.status, engine::status::kYield | engine::status::kCreateProtocol);
    EXPECT_TRUE(run.dataComplete);
    EXPECT_EQ(run.caller, &w);
    ASSERT_EQ(run.tasks.size(), 2u);
    const registry::SystemTask t = registry::SystemTask::fromTask(run.tasks[0]);
    EXPECT_EQ(std::tie(t.computer(), t.valueName(), t.value(), t.service(), t.netCode()),
              std::tie("PC1", "Version", "2.0", "Spooler", "0|||admin|geheim"));
    EXPECT_EQ(registry::SystemTask::registryPathOf(t.task), kPath);
    EXPECT_EQ(run.tasks[1].sourceFolder, "[Net][FIRMA]");
    EXPECT_FALSE(registry.events.exceptData) << "the exclusion box holds a registry value";

    w.sb_ProjectRun(false);
    EXPECT_EQ(registry.runs.size(), 1u) << "a registry run is going on";
    actionBox(w)->setCurrentIndex(0);
    w.sb_ProjectRun(false);
    EXPECT_EQ(folders.runs.size(), 1u) << "a folder run is another kind";

    registry.events.done();
    EXPECT_EQ(registry.alive, 1) << "released after the event, not inside it";
    QApplication::processEvents();
    EXPECT_EQ(registry.alive, 0);
    EXPECT_TRUE(w.isRunGoing()) << "the folder run";
}

// The end of a registry run brings a visible window to the front even with
// /s; a hidden window (started with /a) ends the program.
TEST(frmMainRegistry, EndOfTheRunHasNoCloseAfterRunTest)
{
    TempDir dir;
    const std::string file = dir.write("pcs.ZdrPrj",
                                       "<ZendorFileCopy><lvwMain><LVW1>(JOB1|a||PC1|Version||" + kPath
                                           + "</LVW1></lvwMain><cboAction>7</cboAction></ZendorFileCopy>");
    for (const bool shownDuringRun : {false, true}) {
        ScriptedUi ui;
        RegistryRuns registry;
        QPointer<frmMain> w = new frmMain;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setRegistryCoverFactory(registry.factory());
        w->fc_Init(QString::fromStdString(file), "/a", "/s");
        ASSERT_EQ(registry.runs.size(), 1u);
        EXPECT_EQ(registry.runs[0].action, "CHANGE");
        EXPECT_EQ(registry.runs[0].statusEx, engine::statusEx::kCloseAfterRun);
        if (shownDuringRun)
            w->show();
        registry.events.done();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w.isNull(), !shownDuringRun);
        delete w.data();
    }
}

// A user's way: a registry project built in the window, saved, opened in a
// new window and run over two computers, one of which does not answer.
TEST(frmMainRegistry, BuiltSavedLoadedAndRunOverComputers)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.file("pcs.ZdrPrj");
    {
        frmMain w;
        w.fc_Init({}, {}, {});
        registryEntry(w, "Computer Registry ändern")->trigger();
        type(w, "txtProjectName", "Version der PCs");
        for (const char* pc : {"PC1", "PC2"}) {
            if (w.currentTask() == -1 || !field(w, w.currentTask(), project::kSourceFolder).isEmpty())
                w.sb_TaskNew();
            type(w, "txtSystemDir", pc);
            type(w, "txtSystemDirAndFiles", QString::fromStdString(kPath));
            type(w, "txtSystemTargetDir", "Version");
            type(w, "txtSystemDirAndFilesExclude", "2.0");
        }
        box(w, "chkCopyWithInfo")->click();
        box(w, "chkCopyCreateProtocol")->click();
        box(w, "chkActionAutoStart")->click();
        ui.chooseFile(file);
        w.sb_ProjectSave();
        EXPECT_FALSE(w.isChanged());
    }
    EXPECT_NE(dir.read("pcs.ZdrPrj").find("<cboAction>7</cboAction>"), std::string::npos);

    auto computers = std::make_shared<test::ScriptedRegistry>();
    computers->set("PC1", registry::rootKey::kLocalMachine, "Software\\Zendor", "Version", std::string("2.0"));
    computers->unreachable("PC2");
    frmMain w;
    w.setRegistryCoverFactory([&](run::InfoCoverEvents events) {
        run::ui::clsSystemChange_Cover::Services services;
        services.registry = computers;
        return std::make_unique<run::ui::clsSystemChange_Cover>(std::move(events), services);
    });
    w.fc_Init(QString::fromStdString(file), {}, {});
    EXPECT_EQ(actionBox(w)->currentText(), "Computer Registry ändern") << "loaded back as a registry project";
    EXPECT_TRUE(registryEntry(w, "Computer Registry ändern")->isChecked());
    EXPECT_EQ(fieldCaptions(w), kRegistryCaptions);
    EXPECT_FALSE(w.isChanged());

    w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction")->click();
    run::ui::frmFileSystem* progress = shownProgressWindow();
    ASSERT_NE(progress, nullptr);
    progress->sb_ShowNow();
    ASSERT_EQ(computers->requests.size(), 2u);
    EXPECT_EQ(computers->requests[0].keyPath, "Software\\Zendor");
    EXPECT_EQ(computers->requests[0].valueName, "Version");
    EXPECT_EQ(progress->text(run::Control::lblSystemInfoTask), "Computer 'PC1, PC2 ' ändern ...");
    EXPECT_EQ(progress->text(run::Control::lblSystemInfoQuestion), "Vorgang abgeschlossen");
    EXPECT_EQ(progress->text(run::Control::lblCount), "von 2 => 2");
    EXPECT_EQ(progress->text(run::Control::lblCountNot), "1");
    EXPECT_EQ(progress->text(run::Control::lblSystemInfo), " Anzahl Systeme: 2");
    EXPECT_EQ(progress->text(run::Control::lblSystemInfoObject), " - Der Netzwerkpfad wurde nicht gefunden.");
    progress->lblCmdProtocol()->click();
    EXPECT_EQ(progress->protocolWindow()->document().text(),
              "  PC1  ----  ok\r\n  PC2  ----  Der Netzwerkpfad wurde nicht gefunden.");
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();

    EXPECT_TRUE(w.isRunGoing());
    EXPECT_TRUE(progress->close());
    QApplication::processEvents();
    EXPECT_FALSE(w.isRunGoing());
    EXPECT_TRUE(w.isVisible());
}

} // namespace
} // namespace zdr::mainwindow
