#include "mainwindow/frmMain.h"
#include "frmMainDriver.h"
#include "mainwindow/clsProject.h"
#include "platform/Paths.h"
#include "project/ProjectFile.h"
#include "project/ProjectGenerator.h"
#include "project/Task.h"
#include "run/OptionBoxes.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace zdr::mainwindow {
namespace {

using namespace driver;
using test::ScriptedUi;
using test::TempDir;
using util::ui::Answer;

QString box(frmMain& w, const char* name) { return w.findChild<QLineEdit*>(name)->text(); }

const char* kDemo = R"(<?xml version="1.0"?>
<ZendorFileCopy>
  <chkCopyWithInfo>1</chkCopyWithInfo>
  <lvwMain>
    <LVW1>(JOB1|Bilder|(JOB4|/home/u/Bilder|/mnt/backup||||||2|32|*.jpg|||||||||</LVW1>
    <LVW2>(JOB4|Texte ~°~ Briefe|(JOB4|/home/u/Texte|/mnt/texte|||\Alt;x.tmp||||||||||||||/mnt/sich</LVW2>
  </lvwMain>
  <txtSystemDir>stale</txtSystemDir>
  <cboAction>3</cboAction>
  <txtProjectName>Sicherung</txtProjectName>
</ZendorFileCopy>
)";

// The run options read alike in the main window and the progress window;
// the boxes only the main window has bring their own caption and tip.
TEST(frmMain, OptionBoxesReadLikeTheProgressWindows)
{
    frmMain w;
    int shared = 0;
    for (const QCheckBox* b : w.findChildren<QCheckBox*>()) {
        const std::string name = b->objectName().toStdString();
        EXPECT_FALSE(b->text().isEmpty()) << name;
        EXPECT_FALSE(b->toolTip().isEmpty()) << name;
        if (const run::OptionBox* progress = run::progressOptionBox(name)) {
            ++shared;
            EXPECT_EQ(b->text().toStdString(), progress->caption) << name;
            EXPECT_EQ(b->toolTip().toStdString(), progress->tip) << name;
        }
    }
    EXPECT_EQ(shared, 13) << "every progress window box but the clipboard's";
    for (const run::NumberField& field : run::optionNumberFields())
        EXPECT_EQ(w.findChild<QLineEdit*>(field.name)->toolTip().toStdString(), field.tip) << field.name;
    EXPECT_EQ(w.findChild<QCheckBox*>("chkCopyAskByTargetNewer")->text(), "bei neuerem Ziel nachfragen");
}

TEST(frmMain, NewProjectStartsWithTaskOne)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    QApplication::setActiveWindow(&w);
    ASSERT_EQ(rows(w), 1);
    EXPECT_EQ(key(w, 0), "(JOB1");
    EXPECT_EQ(label(w, 0), "(neuer Eintrag 1)");
    EXPECT_EQ(w.currentTask(), 0);
    EXPECT_EQ(w.windowTitle(), "[Projekt]");
    EXPECT_EQ(w.findChild<QComboBox*>("cboAction")->currentIndex(), 1);
    EXPECT_EQ(w.findChild<QComboBox*>("cboAction")->count(), 6);
    EXPECT_EQ(box(w, "txtFolderInfoLevel"), "2");
    EXPECT_EQ(box(w, "txtFileBlockSize"), "32767");
    EXPECT_EQ(box(w, "txtRenameAfterActionText"), project::kRenameNone);
    // Typing a source with a trailing separator stores it without.
    auto* source = w.findChild<QLineEdit*>("txtSystemDir");
    source->setFocus();
    QTest::keyClicks(source, "/tmp/daten/");
    EXPECT_EQ(field(w, 0, project::kSourceFolder), "/tmp/daten/");
    w.findChild<QLineEdit*>("txtSystemTargetDir")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(field(w, 0, project::kSourceFolder), "/tmp/daten");
    // A new project is marked changed by any edit, and closing asks, as
    // for a saved one (cancelled here: the typed task is not lost).
    EXPECT_EQ(w.windowTitle(), "[Projekt] *");
    w.show();
    ui.answer(base::Answer::Cancel);
    w.findChild<util::ui::CommandLabel*>("lblCmdClose")->click();
    EXPECT_EQ(ui.lastText(), "Möchten Sie die geänderten Daten speichern?");
    EXPECT_TRUE(w.isVisible());
    w.close();
    EXPECT_TRUE(w.isVisible()) << "the close box asks too";
}

TEST(frmMain, LoadFillsTheControlsAndShowsTheSelectedTask)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("demo.ZdrPrj", kDemo);
    frmMain w;
    w.fc_Init(QString::fromStdString(file), {}, {});
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
    EXPECT_EQ(w.windowTitle(), QString::fromStdString("Projekt: " + file));
    EXPECT_EQ(rows(w), 2);
    ASSERT_NE(w.currentTask(), -1);
    EXPECT_EQ(label(w, w.currentTask()), "Texte | Briefe");
    EXPECT_EQ(box(w, "txtSystemDir"), "/home/u/Texte") << "the selected task overwrites the stored box";
    EXPECT_EQ(box(w, "txtSystemDirAndFilesExclude"), "\\Alt;x.tmp");
    EXPECT_EQ(box(w, "txtBackupDir"), "/mnt/sich");
    EXPECT_EQ(w.findChild<QComboBox*>("cboAction")->currentIndex(), 3);
    EXPECT_EQ(w.findChild<QCheckBox*>("chkCopyWithInfo")->checkState(), Qt::Checked);
    EXPECT_FALSE(w.isChanged());

    // Selecting the other task shows its attribute masks.
    w.setCurrentTask(0);
    EXPECT_EQ(w.findChild<QCheckBox*>("chkAttribute_Hidden")->checkState(), Qt::Checked);
    EXPECT_EQ(w.findChild<QCheckBox*>("chkAttribute_Archive")->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.findChild<QCheckBox*>("chkAttribute_Protected")->checkState(), Qt::PartiallyChecked);
    // An edit marks the project changed.
    w.findChild<QCheckBox*>("chkAttribute_Protected")->setCheckState(Qt::Checked);
    EXPECT_EQ(field(w, w.currentTask(), project::kAttributeSet), "3");
    EXPECT_EQ(field(w, w.currentTask(), project::kAttributeDel), "32");
    EXPECT_TRUE(w.windowTitle().endsWith(" *"));
}

TEST(frmMain, FailedLoadTellsWhyAndLeavesTheProjectAsItWas)
{
    TempDir dir;
    const std::string good = dir.write("good.ZdrPrj", kDemo);
    const struct {
        const char* name;
        std::string content;
        const char* reason;
    } bad[] = {
        {"broken.ZdrPrj", "<ZendorFileCopy><txtProjectName>x</ZendorFileCopy>", "kein gültiges XML"},
        {"wrongroot.ZdrPrj", "<Projekt/>", "Stammelement"},
        {"toomany.ZdrPrj",
         "<ZendorFileCopy><txtProjectName>neu</txtProjectName><lvwMain><LVW1>(JOB1|a||1|2|3|4|5|6|7|8|9|10|11|12|13|14|"
         "15|16|17|18|19|20</LVW1></lvwMain></ZendorFileCopy>",
         "mehr als 22 Felder"},
        {"badcombo.ZdrPrj",
         "<ZendorFileCopy><txtProjectName>neu</txtProjectName><cboAction>8</cboAction></ZendorFileCopy>", "Index 8"},
    };
    for (const auto& b : bad) {
        ScriptedUi ui;
        frmMain w;
        w.fc_Init(QString::fromStdString(good), {}, {});
        const project::ProjectDocument before = clsProject::documentFromForm(&w, {});
        w.sb_ProjectLoad(QString::fromStdString(dir.write(b.name, b.content)));
        ASSERT_EQ(ui.messages().size(), 1u) << b.name;
        EXPECT_EQ(ui.lastText().rfind("Beim Laden des Projektes ist folgender Fehler aufgetreten: \r\n", 0), 0u);
        EXPECT_NE(ui.lastText().find(b.reason), std::string::npos) << ui.lastText();
        EXPECT_EQ(clsProject::documentFromForm(&w, {}), before) << b.name;
        EXPECT_EQ(w.findChild<QComboBox*>("cboAction")->count(), 6) << "the registry actions offered for the load left";
    }
}

TEST(frmMain, MissingFileFallsBackToTheOpenDialog)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("picked.ZdrPrj", kDemo);
    ui.chooseFile(file);
    frmMain w;
    w.fc_Init(QString::fromStdString(dir.file("nowhere.ZdrPrj")), {}, {});
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_FALSE(ui.dialogs()[0].save);
    EXPECT_EQ(ui.dialogs()[0].fileExtDefault, "ZdrPrj");
    EXPECT_EQ(ui.dialogs()[0].filter, "Zendor DaroRazu Projekte (*.ZdrPrj)|*.ZdrPrj|Alle Dateien (*.*)|*.*");
    // Never the program's folder (installed, nobody may write there).
    EXPECT_NE(ui.dialogs()[0].initDir, platform::programFolder());
    EXPECT_EQ(rows(w), 2);
    // The next dialog starts beside the project loaded last.
    w.sb_ProjectLoad({});
    ASSERT_EQ(ui.dialogs().size(), 2u);
    EXPECT_EQ(ui.dialogs()[1].initDir, dir.path());
}

TEST(frmMain, SaveAsksForANameAndWritesTheControlsInOrder)
{
    ScriptedUi ui;
    TempDir dir;
    frmMain w;
    w.fc_Init({}, {}, {});
    w.sb_ProjectSave();
    EXPECT_EQ(ui.lastText(), "Bitte vergeben Sie dem Projekt eine Bezeichnung!");
    EXPECT_TRUE(ui.dialogs().empty());

    w.findChild<QLineEdit*>("txtProjectName")->setText("Demo");
    const std::string file = dir.file("demo.ZdrPrj");
    ui.chooseFile(file);
    w.sb_ProjectSave();
    ASSERT_EQ(ui.dialogs().size(), 1u);
    EXPECT_EQ(ui.dialogs()[0].fileName, "Demo");
    EXPECT_EQ(w.windowTitle(), QString::fromStdString("Projekt: " + file));
    const std::string xml = dir.read("demo.ZdrPrj");
    EXPECT_NE(xml.find("<LVW1>(JOB1|(neuer Eintrag 1)|(JOB1|||||||||||||||||||</LVW1>"), std::string::npos) << xml;
    const std::size_t first = xml.find("<chkCopyFolderOnly>");
    const std::size_t list = xml.find("<lvwMain>");
    const std::size_t last = xml.find("<txtProjectName>");
    EXPECT_LT(first, list);
    EXPECT_LT(list, last);

    // A second save proposes the current file.
    ui.chooseFile(file);
    w.sb_ProjectSave();
    EXPECT_EQ(ui.dialogs()[1].fileName, file);
}

// The window holds tasks as typed records; a loaded task list is saved back
// to the same row lines: untouched and zero masks, text in the columns no
// operation writes, a selection with empty pieces, escaped bars.
TEST(frmMain, TaskRowsAreSavedAsTheyWereLoaded)
{
    const std::string rowLines[] = {
        "(JOB1|Bilder||/home/u/Bilder|/mnt/backup|Info|a;;b;||||0|0|*.jpg|||Quelle||Ziel||||",
        "(JOB2|Texte ~°~ Briefe||/q|||\\Alt;x.tmp|f ~°~ g||12 "
        "KB|2||*.txt|Umbenennen|1~°~20~°~x||2~°~Z:~°~\\\\s\\q~°~u~°~p|||1.1.2020||/s",
    };
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("rows.ZdrPrj",
                                       "<ZendorFileCopy><lvwMain><LVW1>" + rowLines[0] + "</LVW1><LVW2>" + rowLines[1]
                                           + "</LVW2></lvwMain>"
                                             "<txtProjectName>Zeilen</txtProjectName></ZendorFileCopy>");
    frmMain w;
    w.fc_Init(QString::fromStdString(file), {}, {});
    ASSERT_EQ(rows(w), 2) << ui.lastText();
    ui.chooseFile(dir.file("back.ZdrPrj"));
    w.sb_ProjectSave();
    const std::string xml = dir.read("back.ZdrPrj");
    for (const std::string& line : rowLines)
        EXPECT_NE(xml.find(">" + line + "<"), std::string::npos) << line << "\n" << xml;
}

TEST(frmMain, ClosingAChangedProjectAsksToSave)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("demo.ZdrPrj", kDemo);
    frmMain w;
    w.fc_Init(QString::fromStdString(file), {}, {});
    w.sb_TaskNew();
    ASSERT_TRUE(w.windowTitle().endsWith(" *"));
    ui.answer(Answer::Cancel);
    EXPECT_FALSE(w.close());
    EXPECT_EQ(ui.lastText(), "Möchten Sie die geänderten Daten speichern?");
    EXPECT_EQ(ui.messages().back().title, "Änderungen speichern ...");
    // A save that fails does not pass for one: the marker stays, and the
    // close waits for the user.
    ui.answer(Answer::Yes);
    ui.chooseFile(dir.file("nirgends/demo.ZdrPrj"));
    EXPECT_FALSE(w.close());
    EXPECT_NE(ui.lastText().find("Beim Speichern des Projektes ist folgender Fehler aufgetreten"), std::string::npos);
    EXPECT_TRUE(w.windowTitle().endsWith(" *"));
    ui.answer(Answer::No);
    EXPECT_TRUE(w.close());

    // The number fields of the project are edits too, and saved.
    for (const char* name : {"txtFolderInfoLevel", "txtFileBlockSize"}) {
        frmMain edited;
        edited.fc_Init(QString::fromStdString(file), {}, {});
        ASSERT_FALSE(edited.windowTitle().endsWith(" *")) << name;
        edited.findChild<QLineEdit*>(name)->setText("7");
        EXPECT_TRUE(edited.windowTitle().endsWith(" *")) << name;
        ui.answer(Answer::Yes);
        ui.chooseFile(file);
        EXPECT_TRUE(edited.close()) << name;
        EXPECT_NE(dir.read("demo.ZdrPrj").find(std::string("<") + name + ">7</"), std::string::npos) << name;
    }
}

TEST(frmMain, GeneratedProjectsRoundTripThroughTheWindow)
{
    ScriptedUi ui;
    test::ProjectGenerator generator(7, false);
    frmMain w;
    w.fc_Init({}, {}, {});
    for (int i = 0; i < 60; ++i) {
        const project::ProjectDocument doc = generator.next();
        w.setCurrentTask(-1);
        std::string why;
        ASSERT_TRUE(clsProject::applyDocument(doc, &w, why)) << why;
        const project::ProjectDocument back = clsProject::documentFromForm(&w, {});
        for (const project::ProjectElement& element : doc.elements) {
            const project::ProjectElement* read = back.find(element.name);
            ASSERT_NE(read, nullptr) << element.name;
            if (element.kind == project::ControlKind::ListView) {
                ASSERT_EQ(read->listView.rows.size(), element.listView.rows.size());
                for (std::size_t r = 0; r < element.listView.rows.size(); ++r)
                    EXPECT_EQ(read->listView.rows[r], element.listView.rows[r]);
                EXPECT_EQ(read->listView.selectedKey, element.listView.selectedKey);
            } else {
                EXPECT_EQ(read->value, element.value) << element.name;
            }
        }
    }
    EXPECT_TRUE(ui.messages().empty());
}

} // namespace
} // namespace zdr::mainwindow
