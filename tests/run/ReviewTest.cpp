// The review before an action through the real coordinator, engine and
// windows (offscreen), on a tree of 17,001 entries: what the user leaves
// ticked is what happens, and backing out does nothing.
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "protocol/ProtocolModel.h"
#include "protocol/frmProtocol.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

namespace zdr::run::ui {
namespace {

namespace fs = std::filesystem;
namespace status = engine::status;
using test::ScriptedUi;
using test::TempDir;

constexpr int kFolders = 1000;
constexpr int kFiles = 16; // 16,000 files, 1,000 folders and the source: 17,001 entries
constexpr std::uint32_t kReviewedDelete = status::kDelete | status::kWithInfo | status::kCreateProtocol
    | status::kAskBeforeAction | status::kYield | status::kAutoStart;

// Ziel/Quelle with the tree; returns Quelle.
std::string makeTree(const TempDir& dir)
{
    for (int d = 0; d < kFolders; ++d)
        for (int f = 0; f < kFiles; ++f)
            dir.write("Ziel/Quelle/Ordner" + std::to_string(d) + "/f" + std::to_string(f) + ".txt", "x");
    return dir.file("Ziel/Quelle");
}

std::size_t entriesBelow(const std::string& root)
{
    std::size_t n = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        ++n;
    return n; // 0 once the folder is gone
}

// Runs a delete of source (selection "."), handing the review to `review`
// when it opens; returns the coordinator's protocol text afterwards.
struct ReviewedRun {
    clsFolderCopy_Cover cover;
    bool reviewed = false;
    std::size_t rows = 0;

    void run(const std::string& source, const std::string& target, std::uint32_t extraBits,
             const std::function<void(protocol::ui::frmProtocol&)>& review)
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* window = qobject_cast<protocol::ui::frmProtocol*>(QApplication::activeModalWidget());
            if (!window || reviewed)
                return;
            reviewed = true;
            window->flush();
            rows = window->document().list().size();
            // Nothing has happened yet, and the progress window says so.
            EXPECT_EQ(cover.progressWindow()->text(Control::Caption), "Daten löschen ... - wartet auf Prüfung");
            EXPECT_EQ(window->findChild<QLabel*>("lblSystemActionInfoValue")->text(), "wartet auf Prüfung");
            review(*window);
        });
        watch.start(0);
        project::Task task;
        task.sourceFolder = source;
        task.targetFolder = target;
        ASSERT_TRUE(cover.fc_Init("DELETE", kReviewedDelete | extraBits, 0, 2, 32767) && cover.fc_InitAdd(task)
                    && cover.fc_InitActionStart(true, nullptr));
        watch.stop();
        EXPECT_TRUE(reviewed) << "the review opened";
    }
    std::string protocol() const { return cover.engine()->Protocol(); }
};

// Escape, the close box and "Schließen" back out: nothing is deleted. Also a
// delete project that still carries "Dateien abgleichen" from a copy, whose
// target holds its source (every file compared with itself): the option is
// not applied, the review lists every entry, and backing out deletes nothing.
TEST(Review, BackingOutDeletesNothing)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string source = makeTree(dir);
    const std::function<void(protocol::ui::frmProtocol&)> leaves[] = {
        [](protocol::ui::frmProtocol& w) { QTest::keyClick(&w, Qt::Key_Escape); },
        [](protocol::ui::frmProtocol& w) { w.close(); },
        [](protocol::ui::frmProtocol& w) { w.findChild<util::ui::CommandLabel*>("lblCmdClose")->click(); },
    };
    for (const std::uint32_t carried : {0u, status::kOnlyDifferent | status::kOnlyNewer}) {
        for (const auto& leave : leaves) {
            if (carried && &leave != &leaves[0])
                break;
            ReviewedRun r;
            r.run(source, carried ? dir.file("Ziel") : std::string(), carried, leave);
            EXPECT_EQ(r.rows, static_cast<std::size_t>(kFolders * (kFiles + 1) + 1)) << "every entry listed";
            EXPECT_EQ(entriesBelow(source), static_cast<std::size_t>(kFolders * (kFiles + 1)));
            EXPECT_EQ(r.cover.progressWindow()->text(Control::lblSystemInfoQuestion), "Vorgang abgebrochen");
            EXPECT_FALSE(r.cover.RunSucceeded());
        }
    }
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

// One file unticked in the list: its folders show partly ticked, the delete
// asks once more naming what it removes, leaves the file and the folders
// that hold it, names them in the protocol and counts them apart.
TEST(Review, UntickedEntryAndItsFoldersStay)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string source = makeTree(dir);
    ui.answer(base::Answer::Yes);
    const std::string keptFolder = source + "/Ordner7";
    ReviewedRun r;
    r.run(source, {}, 0, [&](protocol::ui::frmProtocol& w) {
        auto* view = w.findChild<QTableView*>("lvwMain");
        protocol::ProtocolList& list = w.document().list();
        const protocol::RowId file = list.findFile(keptFolder, "f1.txt");
        ASSERT_NE(file, protocol::kNoRow);
        EXPECT_NE(list.text(file).find("wird gelöscht"), std::string_view::npos) << "the row says what will happen";
        const QModelIndex at = w.model()->indexOf(file, 0);
        view->setCurrentIndex(at);
        view->scrollTo(at);
        QTest::keyClick(view, Qt::Key_Space);
        EXPECT_FALSE(list.ticked(file));
        for (const std::string& folder : {keptFolder, source})
            EXPECT_EQ(w.model()->indexOf(list.findFolder(folder), 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                      Qt::PartiallyChecked)
                << folder;
        w.lblCmdActionRun()->click();
    });
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "15.999 Dateien und 999 Ordner endgültig löschen?");
    EXPECT_TRUE(fs::exists(keptFolder + "/f1.txt"));
    EXPECT_EQ(entriesBelow(source), 2u) << "only the unticked file and its folder are left";
    const std::string text = r.protocol();
    EXPECT_NE(text.find("f1.txt  ----  nicht gelöscht (abgewählt)"), std::string::npos);
    EXPECT_NE(text.find("Ordner7/  ----  nicht gelöscht (enthält ausgelassene Einträge)"), std::string::npos) << text;
    const std::string summary = r.cover.progressWindow()->text(Control::lblSystemInfo);
    EXPECT_NE(summary.find("Anzahl Dateien: 15999 (von 16000) - (Fehler 0) - (ausgelassen 1)"), std::string::npos)
        << summary;
    EXPECT_EQ(r.cover.progressWindow()->text(Control::lblSystemInfoQuestion), "Vorgang abgeschlossen");
}

} // namespace
} // namespace zdr::run::ui
