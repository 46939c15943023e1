// Editing in the main window as a user does it: options that follow each
// other, the field rules, the task list keys, drag and drop, help; and a
// project built in the window, saved, loaded and run.
#include "frmMainDriver.h"
#include "mainwindow/clsProject.h"
#include "mainwindow/frmMain.h"
#include "project/Task.h"
#include "protocol/frmProtocol.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace zdr::mainwindow {
namespace {

using namespace driver;
using test::ScriptedUi;
using test::TempDir;
using util::ui::Answer;

// A file manager's drop of these paths on a control.
void drop(frmMain& w, const char* name, const std::vector<std::string>& paths)
{
    QWidget* target = w.findChild<QWidget*>(name);
    ASSERT_NE(target, nullptr) << name;
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data->setUrls(urls);
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted()) << name;
    QDropEvent event(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    delete data;
}

TEST(frmMainEdit, OptionsFollowTheActionAndEachOther)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    auto* action = w.findChild<QComboBox*>("cboAction");
    // Copy (index 1) after loading.
    for (const char* name : {"chkCopyOnlyDiffrentFiles", "chkCopyBlockBytes", "chkCopyFolderOnly", "chkCopySaveFiles",
                             "txtRenameAfterActionText"})
        EXPECT_TRUE(enabled(w, name)) << name;
    for (const char* name :
         {"chkInfoAboutFolderEntries", "txtFolderInfoLevel", "chkCopyOnlyNewer", "chkCopyAskByTargetNewer",
          "chkCopySaveFilesInZip", "txtBackupDir", "txtFileBlockSize", "chkCopyNoFileInfo", "chkCopyInfoOnlyCount",
          "chkCopyInfoAskBeforeAction", "chkCopyProtocolShowAuto"})
        EXPECT_FALSE(enabled(w, name)) << name;

    box(w, "chkCopyOnlyDiffrentFiles")->click();
    EXPECT_TRUE(enabled(w, "chkCopyOnlyNewer"));
    EXPECT_TRUE(enabled(w, "chkCopyAskByTargetNewer"));
    EXPECT_TRUE(box(w, "chkCopyCreateProtocol")->isChecked()) << "only differing files need the protocol";
    EXPECT_FALSE(enabled(w, "chkCopyCreateProtocol"));
    EXPECT_TRUE(enabled(w, "chkCopyProtocolShowAuto"));
    box(w, "chkCopyOnlyDiffrentFiles")->click();
    EXPECT_TRUE(enabled(w, "chkCopyCreateProtocol"));
    EXPECT_TRUE(box(w, "chkCopyCreateProtocol")->isChecked()) << "cleared, the protocol box is free, not cleared";

    box(w, "chkCopySaveFiles")->click();
    EXPECT_TRUE(enabled(w, "chkCopySaveFilesInZip"));
    EXPECT_TRUE(enabled(w, "txtBackupDir"));
    EXPECT_TRUE(enabled(w, "lblBackupDir"));
    box(w, "chkCopyBlockBytes")->click();
    EXPECT_TRUE(enabled(w, "txtFileBlockSize"));
    box(w, "chkCopyWithInfo")->click();
    for (const char* name : {"chkCopyNoFileInfo", "chkCopyInfoOnlyCount", "chkCopyInfoAskBeforeAction"})
        EXPECT_TRUE(enabled(w, name)) << name;

    // The review before the action turns the protocol on, and off again with it.
    box(w, "chkCopyCreateProtocol")->click();
    ASSERT_FALSE(box(w, "chkCopyCreateProtocol")->isChecked());
    box(w, "chkCopyInfoAskBeforeAction")->click();
    EXPECT_TRUE(box(w, "chkCopyCreateProtocol")->isChecked());
    EXPECT_EQ(box(w, "chkCopyInfoAskBeforeAction")->property("Tag").toString(), "PROTOCOL");
    box(w, "chkCopyInfoAskBeforeAction")->click();
    EXPECT_FALSE(box(w, "chkCopyCreateProtocol")->isChecked());
    // With the protocol on before, it stays on.
    box(w, "chkCopyCreateProtocol")->click();
    box(w, "chkCopyInfoAskBeforeAction")->click();
    box(w, "chkCopyInfoAskBeforeAction")->click();
    EXPECT_TRUE(box(w, "chkCopyCreateProtocol")->isChecked());

    action->setCurrentIndex(0);
    EXPECT_TRUE(enabled(w, "chkInfoAboutFolderEntries"));
    EXPECT_TRUE(enabled(w, "txtFolderInfoLevel"));
    for (const char* name : {"chkCopyOnlyDiffrentFiles", "chkCopySaveFilesInZip", "txtRenameAfterActionText",
                             "lblRenameAfterAction", "chkCopyBlockBytes"})
        EXPECT_FALSE(enabled(w, name)) << name;
    EXPECT_TRUE(box(w, "chkCopySaveFiles")->isChecked()) << "a disabled box keeps its value";
    EXPECT_EQ(w.findChild<QLabel*>("lblSystemDir")->text(), "* Quellverzeichnis:");
    EXPECT_EQ(w.findChild<QLabel*>("lblSystemDirAndFilesFilter")->text(), "Datei Filter Bezeichnungen:");
}

TEST(frmMainEdit, FieldsAreStoredByTheirRules)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    const int task = w.currentTask();
    ASSERT_NE(task, -1);
    // The size is stored when the box is left, not on each key.
    text(w, "txtSystemFilesSizeMax")->setFocus();
    QTest::keyClicks(text(w, "txtSystemFilesSizeMax"), "512");
    EXPECT_EQ(field(w, task, project::kFilesSizeMax), "");
    list(w)->setFocus();
    EXPECT_EQ(field(w, task, project::kFilesSizeMax), "512");

    type(w, "txtSystemFilesDateTimeFrom", "31.02.2024");
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.lastText(), "Bitte geben Sie ein korrektes Datum/Zeit Format an!");
    EXPECT_EQ(ui.messages().back().title, "Fehlerhafte Eingabe");
    EXPECT_EQ(ui.messages().back().icon, base::Icon::Exclamation);
    EXPECT_EQ(field(w, task, project::kDateFrom), "") << "not stored";
    type(w, "txtSystemFilesDateTimeFrom", "29.02.2024 12:00");
    EXPECT_EQ(field(w, task, project::kDateFrom), "29.02.2024 12:00");
    EXPECT_TRUE(w.findChild<QLabel*>("lblSystemFilesDateTime")->font().bold()) << "the caption marks a filled field";
    const std::size_t messages = ui.messages().size();
    type(w, "txtSystemFilesDateTimeFrom", "");
    EXPECT_EQ(ui.messages().size(), messages) << "an empty box removes the bound";
    EXPECT_EQ(field(w, task, project::kDateFrom), "");

    // A command reads the box that is being edited: labels take no focus.
    text(w, "txtSystemFilesSizeMax")->setFocus();
    QTest::keyClicks(text(w, "txtSystemFilesSizeMax"), "0");
    w.findChild<QLineEdit*>("txtProjectName")->setText("Regeln");
    TempDir dir;
    ui.chooseFile(dir.file("regeln.ZdrPrj"));
    w.sb_ProjectSave();
    EXPECT_EQ(field(w, task, project::kFilesSizeMax), "5120");
    EXPECT_NE(dir.read("regeln.ZdrPrj").find("|5120|"), std::string::npos);

    // The run command follows the source box.
    auto* run = w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction");
    type(w, "txtSystemDir", "/daten");
    EXPECT_TRUE(run->isEnabled());
    type(w, "txtSystemDir", "");
    EXPECT_FALSE(run->isEnabled());

    // Without a current task the boxes write nowhere.
    w.setCurrentTask(-1);
    text(w, "txtSystemTargetDir")->setText("/nirgends");
    EXPECT_EQ(field(w, task, project::kTargetFolder), "");
}

TEST(frmMainEdit, TaskListKeysSelectAndMove)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    w.sb_TaskNew();
    w.sb_TaskNew();
    QTreeView* tasks = list(w);
    const auto keys = [&] {
        std::vector<std::string> k;
        for (int i = 0; i < rows(w); ++i)
            k.push_back(key(w, i).toStdString() + " " + label(w, i).toStdString() + " "
                        + field(w, i, project::kSourceFolder).toStdString());
        return k;
    };
    type(w, "txtSystemDir", "/drei");
    const auto press = [&](int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(tasks, Qt::Key(k), m); };
    press(Qt::Key_PageUp);
    EXPECT_EQ(w.currentTask(), 0);
    press(Qt::Key_Down);
    EXPECT_EQ(w.currentTask(), 1);
    press(Qt::Key_PageDown);
    EXPECT_EQ(w.currentTask(), 2);
    EXPECT_EQ(text(w, "txtSystemDir")->text(), "/drei") << "the current task is shown";
    press(Qt::Key_Down);
    EXPECT_EQ(w.currentTask(), 2) << "the last row stays";

    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(keys(),
              (std::vector<std::string>{"(JOB1 (neuer Eintrag 1) ", "(JOB3 (neuer Eintrag 3) /drei",
                                        "(JOB2 (neuer Eintrag 2) "}));
    EXPECT_EQ(w.currentTask(), 1) << "the moved task stays current";
    EXPECT_TRUE(selected(w, 1));
    press(Qt::Key_Up, Qt::ControlModifier);
    press(Qt::Key_Up, Qt::ControlModifier); // the first row goes no further
    EXPECT_EQ(keys().front(), "(JOB3 (neuer Eintrag 3) /drei");
    press(Qt::Key_PageDown);
    press(Qt::Key_Down, Qt::ControlModifier); // nor the last
    EXPECT_EQ(keys().back(), "(JOB2 (neuer Eintrag 2) ");
    EXPECT_TRUE(w.isChanged());

    // The context menu: over a row rename and delete, over the empty part new.
    QTest::mouseClick(tasks->viewport(), Qt::RightButton, {}, rowCenter(w, 0));
    auto* menu = w.findChild<QMenu*>("mnuJobs");
    const QList<QAction*> items = menu->actions();
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_TRUE(items[1]->isEnabled());
    EXPECT_FALSE(items[3]->isEnabled());
    menu->hide();
    QTest::mouseClick(tasks->viewport(), Qt::RightButton, {}, QPoint(5, tasks->viewport()->height() - 5));
    EXPECT_EQ(w.currentTask(), -1);
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_TRUE(items[3]->isEnabled());
    menu->hide();
    items[3]->trigger();
    EXPECT_EQ(rows(w), 4);
    EXPECT_EQ(key(w, w.currentTask()), "(JOB4");
}

TEST(frmMainEdit, FoldersAndFilesAreDropped)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string data = dir.mkdir("Daten");
    dir.mkdir("Daten/Bilder");
    dir.write("Daten/brief.txt", "b");
    dir.mkdir("Daten/Alt");
    const std::string target = dir.mkdir("Ziel");
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    const int task = w.currentTask();

    drop(w, "lblSystemDir", {data + "/Bilder", data + "/brief.txt"});
    EXPECT_EQ(field(w, task, project::kSourceFolder).toStdString(), data);
    EXPECT_EQ(field(w, task, project::kSelection), "\\Bilder;brief.txt");
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();

    drop(w, "txtSystemDirAndFiles", {data + "/Bilder", dir.file("Ziel")});
    EXPECT_EQ(ui.lastText(), "Bitte nur Daten aus dem Verzeichnis '" + data + "' angeben!");
    EXPECT_EQ(field(w, task, project::kSelection), "\\Bilder;brief.txt") << "unchanged";

    drop(w, "txtSystemDirAndFilesExclude", {data + "/Alt", data + "/brief.txt"});
    EXPECT_EQ(field(w, task, project::kExclusions), "\\Alt;brief.txt");

    drop(w, "txtSystemTargetDir", {target, data});
    EXPECT_EQ(ui.lastText(), "Bitte nur ein Zielverzeichnis angeben!");
    EXPECT_EQ(field(w, task, project::kTargetFolder), "");
    drop(w, "lblSystemTargetDir", {data + "/brief.txt"});
    EXPECT_EQ(field(w, task, project::kTargetFolder), "") << "a file is no target";
    drop(w, "lblSystemTargetDir", {target + "/"});
    EXPECT_EQ(field(w, task, project::kTargetFolder).toStdString(), target);

    const std::size_t before = ui.messages().size();
    drop(w, "txtSystemDir", {dir.file("fehlt")});
    ASSERT_EQ(ui.messages().size(), before + 1);
    EXPECT_EQ(ui.messages().back().title, "Fehler ...");
    EXPECT_EQ(ui.lastText().rfind("Fehler bei: '" + dir.file("fehlt") + "'\r\n\r\n", 0), 0u) << ui.lastText();
    EXPECT_EQ(field(w, task, project::kSourceFolder).toStdString(), data);
}

TEST(frmMainEdit, ProjectFileDroppedOnTheProjectFrame)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file =
        dir.write("anderes.zdrprj",
                  "<ZendorFileCopy><txtProjectName>Anderes</txtProjectName><lvwMain><LVW1>(JOB1|a||/q|/z</LVW1>"
                  "</lvwMain></ZendorFileCopy>");
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    EXPECT_FALSE(w.isChanged()) << "a new project is unchanged until edited";
    text(w, "txtFileBlockSize")->setText("4096");
    ASSERT_TRUE(w.isChanged());
    // Two files are not accepted at all.
    auto* data = new QMimeData;
    data->setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(file)), QUrl::fromLocalFile(QString::fromStdString(file))});
    QDragEnterEvent two(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.findChild<QWidget*>("fraProject"), &two);
    EXPECT_FALSE(two.isAccepted());
    delete data;

    ui.answer(Answer::Cancel);
    drop(w, "txtProjectName", {file});
    EXPECT_EQ(ui.lastText(), "Möchten Sie vorher die geänderten Daten speichern?");
    EXPECT_EQ(ui.messages().back().title, "Änderungen speichern ...");
    EXPECT_NE(text(w, "txtProjectName")->text(), "Anderes") << "cancelled";
    ui.answer(Answer::No);
    drop(w, "lblProjectName", {file});
    EXPECT_EQ(text(w, "txtProjectName")->text(), "Anderes");
    EXPECT_EQ(w.windowTitle(), QString::fromStdString("Projekt: " + file));
}

TEST(frmMainEdit, F1OpensTheHelpFile)
{
    ScriptedUi ui;
    TempDir dir;
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(ui.helpOpened(), std::vector<std::string>{util::ui::helpFilePath() + "#hauptfenster"});
    auto* help = w.findChild<QMenu*>("mnuHelp");
    ASSERT_NE(help, nullptr);
    QStringList entries;
    for (QAction* a : help->actions())
        entries << a->text();
    EXPECT_EQ(entries, (QStringList{"HTML Hilfe aufrufen", "", "Informationen", "Zendor GmbH im Internet"}));
    help->actions()[3]->trigger();
    EXPECT_EQ(ui.helpOpened().back().rfind("https://", 0), 0u) << "the web page";
}

// A user's way through the program: build a project in the window, save it,
// open it in a new window, run it, watch the progress and the protocol.
TEST(frmMainEdit, BuiltSavedLoadedAndRun)
{
    ScriptedUi ui;
    TempDir dir;
    for (int i = 0; i < 5; ++i)
        dir.write("Daten/Texte/text" + std::to_string(i) + ".txt",
                  std::string(static_cast<std::size_t>(1000 + i), 't'));
    dir.write("Daten/Alt/alt.txt", "a");
    dir.write("Daten/Texte/bild.jpg", "j");
    const std::string data = dir.file("Daten");
    const std::string target = dir.mkdir("Ziel");
    const std::string file = dir.file("demo.ZdrPrj");
    {
        frmMain w;
        w.fc_Init({}, {}, {});
        QApplication::setActiveWindow(&w);
        type(w, "txtProjectName", "Texte sichern");
        type(w, "txtSystemDir", QString::fromStdString(data + "/"));
        type(w, "txtSystemTargetDir", QString::fromStdString(target));
        type(w, "txtSystemDirAndFilesExclude", "\\Alt");
        type(w, "txtSystemFilesExtensions", "*.txt");
        box(w, "chkCopyWithInfo")->click();
        box(w, "chkCopyCreateProtocol")->click();
        ui.chooseFile(file);
        w.sb_ProjectSave();
        EXPECT_FALSE(w.isChanged());
    }
    frmMain w;
    run::ui::clsFolderCopy_Cover* cover = nullptr;
    w.setRunCoverFactory([&cover](run::InfoCoverEvents events) {
        auto made = std::make_unique<run::ui::clsFolderCopy_Cover>(std::move(events));
        cover = made.get();
        return made;
    });
    w.fc_Init(QString::fromStdString(file), {}, {});
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(text(w, "txtSystemDir")->text().toStdString(), data) << "stored without the final separator";
    box(w, "chkActionAutoStart")->setChecked(true);
    bool closedDuringRun = true;
    QTimer::singleShot(0, &w, [&] { closedDuringRun = w.close(); });
    w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction")->click();
    EXPECT_FALSE(closedDuringRun) << "the main window stays while the run goes on";
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.lastText(),
              "Es läuft noch ein Vorgang. Bitte brechen Sie ihn im Fortschrittsfenster ab oder warten "
              "Sie sein Ende ab.");
    ASSERT_NE(cover, nullptr);
    run::ui::frmFileSystem& progress = *cover->progressWindow();
    progress.sb_ShowNow();
    EXPECT_EQ(progress.text(run::Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(progress.text(run::Control::lblCount), "von 7 => 7") << "5 texts, their folder and the source";
    EXPECT_EQ(progress.text(run::Control::lblSystemInfoSource),
              "von Verzeichnis: " + data + " (komplett, Filter Daten auss., Filter Dateierw.)");
    EXPECT_EQ(progress.text(run::Control::lblSystemInfoTarget), "Ziel: " + target);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(dir.read("Ziel/Daten/Texte/text" + std::to_string(i) + ".txt").size(), 1000u + i);
    EXPECT_FALSE(std::filesystem::exists(target + "/Daten/Alt")) << "excluded";
    EXPECT_FALSE(std::filesystem::exists(target + "/Daten/Texte/bild.jpg")) << "filtered";
    progress.lblCmdProtocol()->click();
    const std::string protocol = progress.protocolWindow()->document().text();
    EXPECT_NE(protocol.find("text4.txt  ----  ok"), std::string::npos) << protocol;
    EXPECT_EQ(protocol.find("alt.txt"), std::string::npos) << protocol;

    // Closing the progress window ends the run's life.
    EXPECT_TRUE(w.isRunGoing());
    EXPECT_TRUE(progress.close());
    QApplication::processEvents();
    EXPECT_FALSE(w.isRunGoing());
}

} // namespace
} // namespace zdr::mainwindow
