// The main window edits a task's parameters through the parameter dialog.
#include "frmMainDriver.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmParameter.h"
#include "project/Task.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

namespace zdr::mainwindow {
namespace {

using namespace driver;

using test::ScriptedUi;
using test::TempDir;
using util::ui::Answer;

const char* kProject = R"(<?xml version="1.0"?>
<ZendorFileCopy>
  <lvwMain>
    <LVW1>(JOB1|Bilder|(JOB2|C:\Bilder|/mnt/backup|||||||||||||||||</LVW1>
    <LVW2>(JOB2|Texte|(JOB2|/home/u/Texte|Z:\Texte|||||||||||||||||</LVW2>
  </lvwMain>
  <cboAction>1</cboAction>
  <txtProjectName>Parameter</txtProjectName>
</ZendorFileCopy>
)";

// Answers the parameter dialog that the next action opens: `fill` sets its
// controls and presses its commands as a user would. A dialog still open
// afterwards is closed, so a test never hangs on it.
void answerDialog(std::function<void(frmParameter&)> fill)
{
    QTimer::singleShot(0, [fill = std::move(fill)] {
        auto* dialog = qobject_cast<frmParameter*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no parameter dialog is open";
        fill(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

void press(QWidget& window, const char* label)
{
    auto* command = window.findChild<util::ui::CommandLabel*>(label);
    ASSERT_NE(command, nullptr) << label;
    QTest::mouseClick(command, Qt::LeftButton);
}

void setText(frmParameter& d, const char* box, const char* text)
{
    d.findChild<QLineEdit*>(box)->setText(QString::fromUtf8(text));
}

bool isMarked(frmMain& w, const char* label) { return w.findChild<QWidget*>(label)->font().bold(); }

QLineEdit* renameBox(frmMain& w) { return w.findChild<QLineEdit*>("txtRenameAfterActionText"); }

void clickRenameBox(frmMain& w) { QTest::mouseClick(renameBox(w), Qt::LeftButton); }

TEST(frmMainParameters, BothCodesOfALoadedTaskAreEditedAndSaved)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string file = dir.write("parameter.ZdrPrj", kProject);
    frmMain w;
    w.fc_Init(QString::fromStdString(file), {}, {});
    const int task = w.currentTask();
    ASSERT_NE(task, -1);
    ASSERT_EQ(label(w, task), "Texte");
    EXPECT_FALSE(isMarked(w, "lblCmdSystemTargetDirConnect"));
    auto* protocol = w.findChild<QCheckBox*>("chkCopyCreateProtocol");
    EXPECT_TRUE(protocol->isEnabled());

    answerDialog([](frmParameter& d) {
        EXPECT_EQ(d.windowTitle(), "Parameter 'Umbenennen' definieren...");
        d.findChild<QCheckBox*>("chkRenameStatusSource")->setChecked(false);
        d.findChild<QCheckBox*>("chkRenameStatusTarget")->setChecked(true);
        d.findChild<QCheckBox*>("chkRenameStatusFolder")->setChecked(false);
        setText(d, "txtRenameCode", "[NAMETOTAL]_[yyyy][mm][dd]");
        press(d, "lblCmdParameterSave");
    });
    clickRenameBox(w);
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
    EXPECT_EQ(field(w, task, project::kRenameKey), "1|20|[NAMETOTAL]_[yyyy][mm][dd]");
    EXPECT_EQ(field(w, task, project::kRenameText), "Ziel, Dateien umbenennen in: [NAMETOTAL]_[yyyy][mm][dd]");
    EXPECT_EQ(renameBox(w)->text(), field(w, task, project::kRenameText));
    EXPECT_TRUE(isMarked(w, "lblRenameAfterAction"));
    EXPECT_TRUE(protocol->isChecked());
    EXPECT_FALSE(protocol->isEnabled()) << "a renaming task keeps the protocol on";
    EXPECT_TRUE(w.windowTitle().endsWith(" *"));

    answerDialog([](frmParameter& d) {
        EXPECT_EQ(d.windowTitle(), "Parameter 'Netzlaufwerk Ziel verbinden' definieren...");
        EXPECT_EQ(d.findChild<QLineEdit*>("txtNetConnectDriveLetter")->text(), "Z:") << "proposed from the target";
        setText(d, "txtNetConnectDriveNet", "\\\\nas\\texte");
        setText(d, "txtNetConnectDriveUser", "hans");
        setText(d, "txtNetConnectDrivePwd", "Ge|heim~1");
        press(d, "lblCmdParameterSave");
    });
    press(w, "lblCmdSystemTargetDirConnect");
    EXPECT_EQ(field(w, task, project::kNetTargetKey), "2|Z:|\\\\nas\\texte|hans|Ge|heim~1");
    EXPECT_EQ(field(w, task, project::kNetTargetText), "") << "a drive parameter has no readable text";
    EXPECT_TRUE(isMarked(w, "lblCmdSystemTargetDirConnect"));
    EXPECT_FALSE(isMarked(w, "lblCmdSystemDirConnect"));

    answerDialog([](frmParameter& d) {
        EXPECT_EQ(d.windowTitle(), "Parameter 'Netzlaufwerk Quelle verbinden' definieren...");
        EXPECT_EQ(d.findChild<QLineEdit*>("txtNetConnectDriveLetter")->text(), "") << "a Linux folder has no drive";
        setText(d, "txtNetConnectDriveLetter", "y");
        setText(d, "txtNetConnectDriveNet", "//nas/quelle");
        setText(d, "txtNetConnectDriveUser", "hans");
        setText(d, "txtNetConnectDrivePwd", "pw");
        d.findChild<QCheckBox*>("chkNetConnectStatusDelNetAfterAction")->setChecked(false);
        press(d, "lblCmdParameterSave");
    });
    press(w, "lblCmdSystemDirConnect");
    EXPECT_EQ(field(w, task, project::kNetSourceKey), "0|y|//nas/quelle|hans|pw");
    EXPECT_TRUE(isMarked(w, "lblCmdSystemDirConnect"));

    const std::string saved = dir.file("gespeichert.ZdrPrj");
    ui.chooseFile(saved);
    w.sb_ProjectSave();
    EXPECT_FALSE(w.windowTitle().endsWith(" *"));
    const std::string xml = dir.read("gespeichert.ZdrPrj");
    EXPECT_NE(xml.find("Ziel, Dateien umbenennen in: [NAMETOTAL]_[yyyy][mm][dd]|1~°~20~°~[NAMETOTAL]_[yyyy][mm][dd]||"
                       "0~°~y~°~//nas/quelle~°~hans~°~pw||2~°~Z:~°~\\\\nas\\texte~°~hans~°~Ge~°~heim~1|"),
              std::string::npos)
        << xml;

    // The saved project brings the same codes back.
    frmMain again;
    again.fc_Init(QString::fromStdString(saved), {}, {});
    ASSERT_NE(again.currentTask(), -1);
    for (int n : {project::kRenameText, project::kRenameKey, project::kNetSourceKey, project::kNetTargetKey})
        EXPECT_EQ(field(again, again.currentTask(), n), field(w, task, n)) << n;
    EXPECT_EQ(renameBox(again)->text(), field(w, task, project::kRenameText));
    EXPECT_TRUE(isMarked(again, "lblCmdSystemDirConnect"));
    EXPECT_TRUE(isMarked(again, "lblCmdSystemTargetDirConnect"));
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

TEST(frmMainParameters, DeletingAndClosingTheDialog)
{
    ScriptedUi ui;
    TempDir dir;
    frmMain w;
    w.fc_Init(QString::fromStdString(dir.write("parameter.ZdrPrj", kProject)), {}, {});
    const int task = w.currentTask();
    ASSERT_NE(task, -1);
    answerDialog([](frmParameter& d) { press(d, "lblCmdParameterSave"); });
    clickRenameBox(w);
    ASSERT_EQ(field(w, task, project::kRenameKey), "1|26|done [NAMETOTAL]");

    // Closing without storing changes nothing.
    w.sb_ChangedClear();
    answerDialog([](frmParameter& d) {
        setText(d, "txtRenameCode", "anders");
        press(d, "lblCmdClose");
    });
    clickRenameBox(w);
    EXPECT_EQ(field(w, task, project::kRenameKey), "1|26|done [NAMETOTAL]");
    EXPECT_FALSE(w.isChanged());

    // Deleting leaves the "none" text in the task and the box.
    ui.answer(Answer::Yes);
    answerDialog([](frmParameter& d) { press(d, "lblCmdParameterDelete"); });
    QTest::keyClick(renameBox(w), Qt::Key_Space);
    EXPECT_EQ(ui.lastText(), "Möchten Sie den Parameter entfernen?");
    EXPECT_EQ(field(w, task, project::kRenameKey), "");
    EXPECT_EQ(field(w, task, project::kRenameText), project::kRenameNone);
    EXPECT_EQ(renameBox(w)->text(), project::kRenameNone);
    EXPECT_FALSE(isMarked(w, "lblRenameAfterAction"));
    EXPECT_TRUE(w.isChanged());
    auto* protocol = w.findChild<QCheckBox*>("chkCopyCreateProtocol");
    EXPECT_TRUE(protocol->isEnabled());

    // While "only differing files" holds the protocol, deleting does not free it.
    answerDialog([](frmParameter& d) { press(d, "lblCmdParameterSave"); });
    clickRenameBox(w);
    w.findChild<QCheckBox*>("chkCopyOnlyDiffrentFiles")->setChecked(true);
    ui.answer(Answer::Yes);
    answerDialog([](frmParameter& d) { press(d, "lblCmdParameterDelete"); });
    clickRenameBox(w);
    EXPECT_EQ(field(w, task, project::kRenameKey), "");
    EXPECT_FALSE(protocol->isEnabled());

    // Deleting the drive parameter unmarks its label.
    answerDialog([](frmParameter& d) {
        setText(d, "txtNetConnectDriveLetter", "Z:");
        setText(d, "txtNetConnectDriveNet", "\\\\nas\\x");
        setText(d, "txtNetConnectDriveUser", "u");
        setText(d, "txtNetConnectDrivePwd", "p");
        press(d, "lblCmdParameterSave");
    });
    press(w, "lblCmdSystemDirConnect");
    EXPECT_TRUE(isMarked(w, "lblCmdSystemDirConnect"));
    ui.answer(Answer::Yes);
    answerDialog([](frmParameter& d) { press(d, "lblCmdParameterDelete"); });
    press(w, "lblCmdSystemDirConnect");
    EXPECT_EQ(field(w, task, project::kNetSourceKey), "");
    EXPECT_EQ(field(w, task, project::kNetSourceText), "") << "the drive's text field stays empty";
    EXPECT_FALSE(isMarked(w, "lblCmdSystemDirConnect"));
}

TEST(frmMainParameters, NothingOpensWithoutACurrentTask)
{
    ScriptedUi ui;
    frmMain w;
    w.fc_Init({}, {}, {});
    w.sb_TaskDelete();
    ASSERT_EQ(w.currentTask(), -1);
    for (int n : {project::kRenameKey, project::kNetSourceKey, project::kNetTargetKey})
        w.sb_ParameterEdit(n); // would hang on a dialog nobody answers
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace zdr::mainwindow
