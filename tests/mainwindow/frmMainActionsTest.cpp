// Delete, attribute and make-folder runs, and a copy that saves what it
// replaces and renames what it copied, each from a project in the main
// window through the real run coordinator, offscreen: what the user sees
// at the end and what is on the disk.
#include "mainwindow/frmMain.h"
#include "protocol/frmProtocol.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

namespace zdr::mainwindow {
namespace {

namespace fs = std::filesystem;
using test::ScriptedUi;
using test::TempDir;

// Types into a box and leaves it, as a user does.
void type(frmMain& w, const char* name, const std::string& value)
{
    auto* field = w.findChild<QLineEdit*>(name);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromStdString(value));
    w.findChild<QTreeView*>("lvwMain")->setFocus();
}

// Runs the window's project with the action, started at once, and hands
// the progress window to check once the run is over.
void runProject(frmMain& w, int action, const std::function<void(run::ui::frmFileSystem*)>& check)
{
    run::ui::clsFolderCopy_Cover* cover = nullptr;
    w.setRunCoverFactory([&cover](run::InfoCoverEvents events) {
        auto made = std::make_unique<run::ui::clsFolderCopy_Cover>(std::move(events));
        cover = made.get();
        return made;
    });
    w.findChild<QComboBox*>("cboAction")->setCurrentIndex(action);
    w.findChild<QCheckBox*>("chkActionAutoStart")->setChecked(true);
    w.findChild<util::ui::CommandLabel*>("lblCmdProjectAction")->click();
    ASSERT_NE(cover, nullptr);
    check(cover->progressWindow());
    if (cover->progressWindow() != nullptr)
        cover->progressWindow()->close();
    QApplication::processEvents();
    EXPECT_FALSE(w.isRunGoing());
}

std::string protocolOf(run::ui::frmFileSystem& progress)
{
    progress.lblCmdProtocol()->click();
    return progress.protocolWindow()->document().text();
}

TEST(frmMainActions, DeleteAttributesAndMakeFolder)
{
    ScriptedUi ui;
    TempDir dir;
    dir.write("Weg/a.txt", "a");
    dir.write("Weg/Sub/b.txt", "b");
    dir.write("Weg/Sub/c.bak", "c");
    dir.write("Schutz/d.txt", "d");
    dir.mkdir("Basis");

    frmMain delete_;
    delete_.fc_Init({}, {}, {});
    type(delete_, "txtSystemDir", dir.file("Weg"));
    type(delete_, "txtSystemDirAndFilesExclude", "*.bak");
    delete_.findChild<QCheckBox*>("chkCopyCreateProtocol")->click();
    delete_.findChild<QCheckBox*>("chkCopyContinueAfterError")->click();
    runProject(delete_, 3, [&](run::ui::frmFileSystem* progress) {
        ASSERT_NE(progress, nullptr);
        progress->sb_ShowNow();
        const std::string protocol = protocolOf(*progress);
        EXPECT_NE(protocol.find("a.txt  ----  ok"), std::string::npos) << protocol;
        EXPECT_NE(protocol.find("nicht gelöscht (Fehler bei Verzeichnis: Sub - Das Verzeichnis ist nicht leer.)"),
                  std::string::npos)
            << protocol;
    });
    EXPECT_FALSE(fs::exists(dir.file("Weg/a.txt")));
    EXPECT_FALSE(fs::exists(dir.file("Weg/Sub/b.txt")));
    EXPECT_TRUE(fs::exists(dir.file("Weg/Sub/c.bak"))) << "excluded, and so is its folder kept";

    frmMain attributes;
    attributes.fc_Init({}, {}, {});
    type(attributes, "txtSystemDir", dir.file("Schutz"));
    attributes.findChild<QCheckBox*>("chkAttribute_Protected")->setCheckState(Qt::Checked);
    runProject(attributes, 4, [&](run::ui::frmFileSystem* progress) {
        ASSERT_NE(progress, nullptr);
        progress->sb_ShowNow();
        EXPECT_EQ(progress->text(run::Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    });
    EXPECT_EQ(fs::status(dir.file("Schutz/d.txt")).permissions() & fs::perms::owner_write, fs::perms::none);

    frmMain makeFolder;
    makeFolder.fc_Init({}, {}, {});
    type(makeFolder, "txtSystemDir", dir.file("Basis"));
    type(makeFolder, "txtSystemTargetDir", "Neu");
    runProject(makeFolder, 5, [](run::ui::frmFileSystem*) {});
    EXPECT_TRUE(fs::is_directory(dir.file("Basis/Neu")));
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

TEST(frmMainActions, CopySavesWhatItReplacesAndRenamesWhatItCopied)
{
    ScriptedUi ui;
    TempDir dir;
    dir.write("Quelle/a.txt", "neu");
    dir.write("Ziel/a.txt", "alt");
    const std::string backup = dir.mkdir("Sicherung");
    const std::string file = dir.write("p.ZdrPrj",
                                       R"(<?xml version="1.0"?>
<ZendorFileCopy>
  <lvwMain>
    <LVW1>(JOB1|Kopie|(JOB1|)" + dir.file("Quelle")
                                           + "|" + dir.file("Ziel")
                                           + R"(||*.*||||||||1~°~20~°~[NAME]_[yyyy][EXT]|||||||)" + backup + R"(</LVW1>
  </lvwMain>
  <chkCopySaveFiles>1</chkCopySaveFiles>
  <chkCopySaveFilesInZip>1</chkCopySaveFilesInZip>
  <chkCopyOverwriteExisting>1</chkCopyOverwriteExisting>
  <chkCopyCreateProtocol>1</chkCopyCreateProtocol>
  <cboAction>1</cboAction>
  <txtProjectName>Sichern und umbenennen</txtProjectName>
</ZendorFileCopy>
)");
    frmMain w;
    w.fc_Init(QString::fromStdString(file), {}, {});
    runProject(w, 1, [&](run::ui::frmFileSystem* progress) {
        ASSERT_NE(progress, nullptr);
        progress->sb_ShowNow();
        EXPECT_EQ(progress->text(run::Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    });
    std::vector<std::string> target;
    for (const auto& e : fs::directory_iterator(dir.file("Ziel")))
        target.push_back(e.path().filename().string());
    ASSERT_EQ(target.size(), 1u);
    EXPECT_EQ(target[0].substr(0, 2), "a_") << "renamed after the copy";
    EXPECT_EQ(dir.read("Ziel/" + target[0]), "neu");
    std::vector<std::string> saved;
    for (const auto& e : fs::directory_iterator(backup))
        saved.push_back(e.path().filename().string());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].substr(0, 17), "_DaroRazu Backup ");
    EXPECT_EQ(saved[0].substr(saved[0].size() - 4), ".zip");
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

} // namespace
} // namespace zdr::mainwindow
