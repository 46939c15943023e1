#include "protocol/frmProtocol.h"
#include "ProtocolEntries.h"
#include "protocol/ProtocolModel.h"
#include "support/ScriptedUi.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStyle>
#include <QTableView>
#include <QTest>

#include <numeric>
#include <random>
#include <set>

namespace zdr::protocol::ui {
namespace {

using test::fileEntry;
using test::folderEntry;
using test::infoEntry;

QTableView* lvwMain(frmProtocol& w) { return w.findChild<QTableView*>("lvwMain"); }
util::ui::CommandLabel* label(frmProtocol& w, const char* name) { return w.findChild<util::ui::CommandLabel*>(name); }

// A walk over folders /t/dN with files fM in directory (random) order, an
// information heading per folder; the rows come in while the event loop
// runs now and then, as during a run.
std::set<std::string> fillWalk(frmProtocol& w, int folders, int filesPerFolder)
{
    std::mt19937 random(11);
    std::set<std::string> keys;
    for (int d = 0; d < folders; ++d) {
        const std::string folder = "/t/d" + std::to_string(d);
        w.fc_ListItem_Add(folderEntry(folder, 1, static_cast<std::int16_t>(d % 3)));
        keys.insert(folder);
        w.fc_ListItem_Add(infoEntry(folder + "/info", "x"));
        std::vector<int> order(static_cast<std::size_t>(filesPerFolder));
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);
        for (const int f : order) {
            const std::string name = "f" + std::to_string(f) + ".dat";
            w.fc_ListItem_Add(fileEntry(folder, name, 1, static_cast<std::int16_t>(d % 3)));
            keys.insert(folder + name);
        }
        if (d % 7 == 0)
            w.flush();
    }
    return keys;
}

std::set<std::string> walkKeys(frmProtocol& w)
{
    std::set<std::string> got;
    auto step = test::step("NEXT", "COPY", 0);
    for (w.sb_EntryGetNext(step); step.index > 0; w.sb_EntryGetNext(step))
        got.insert(step.sourcePath + (step.type == "FILE" ? step.source : std::string()));
    return got;
}

QPoint checkBoxCentre(QTableView* view, const QModelIndex& index)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = view->iconSize();
    return view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view).center();
}

TEST(frmProtocol, ModelStaysConsistentWhileFillingSortingAndRemoving)
{
    frmProtocol w;
    QAbstractItemModelTester tester(w.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    w.fc_Init("LISTVIEW", true);
    const auto keys = fillWalk(w, 40, 25);
    w.flush();
    ProtocolModel* model = w.model();
    EXPECT_EQ(model->rowCount(), static_cast<int>(keys.size() + 40));
    // The selected row stays selected through sorting and new batches.
    QTableView* view = lvwMain(w);
    const QModelIndex chosen = model->indexOf(w.document().list().findFile("/t/d5", "f3.dat"));
    view->setCurrentIndex(chosen);
    for (const int column : {0, 1, 2})
        view->horizontalHeader()->sectionClicked(column);
    w.fc_ListItem_Add(fileEntry("/t/d5", "neu.dat"));
    w.fc_ListItem_Add(fileEntry("/a", "vorne.dat"));
    w.flush();
    w.sb_Protocol_Delete("/t/d6");
    EXPECT_EQ(model->data(view->currentIndex()).toString().toStdString(), "  f3.dat  ----  1 KB");
    // Back to the work order on the third click.
    for (int i = 0; i < 3; ++i)
        view->horizontalHeader()->sectionClicked(0);
    EXPECT_FALSE(view->horizontalHeader()->isSortIndicatorShown());
    EXPECT_EQ(model->data(model->index(0, 0)).toString().toStdString(), "  vorne.dat  ----  1 KB");
    w.fc_Init("LISTVIEW", true);
    EXPECT_EQ(model->rowCount(), 0);
}

TEST(frmProtocol, UntickedRowsAreLeftOutOfTheWorkList)
{
    frmProtocol w;
    w.fc_Init("LISTVIEW", true);
    auto keys = fillWalk(w, 100, 30); // about 3000 rows
    w.resize(1100, 700);
    w.show();
    QTableView* view = lvwMain(w);
    ProtocolModel* model = w.model();
    EXPECT_EQ(model->rowCount(), 3200); // with the heading rows
    EXPECT_EQ(view->horizontalHeader()->isSectionHidden(3), true);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Eintrag");
    // Sort by the entry text, then untick the first rows the user sees by
    // clicking their boxes.
    view->horizontalHeader()->sectionClicked(0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    int unticked = 0;
    for (int row = 0; unticked < 12; ++row) {
        const QModelIndex index = model->index(row, 0);
        if (!(model->flags(index) & Qt::ItemIsUserCheckable))
            continue;
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, checkBoxCentre(view, index));
        ASSERT_EQ(model->data(index, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked) << row;
        const RowId id = model->rowId(index);
        keys.erase(w.document().list().key(id));
        ++unticked;
    }
    // Info rows cannot be ticked.
    const QModelIndex info = model->indexOf(w.document().list().findFolder("/t/d0/info"));
    EXPECT_FALSE(model->setData(info, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(walkKeys(w), keys);
    EXPECT_EQ(w.findChild<QLabel*>("lblSystemActionInfoValue")->text(), "Aktion abgeschlossen.");
}

TEST(frmProtocol, ContextMenuExcludesTheClickedRow)
{
    frmProtocol w;
    w.fc_Init("LISTVIEW", true);
    w.fc_ListItem_Add(folderEntry("/home/u/Daten"));
    w.fc_ListItem_Add(fileEntry("/home/u/Daten", "brief.txt"));
    w.resize(900, 500);
    w.show();
    w.flush();
    QStringList raised;
    QObject::connect(&w, &frmProtocol::ExceptData, [&](EntryKind kind, const QString& value) {
        raised << (kind == EntryKind::Folder ? "FOLDER=" : "FILE=") + value;
    });
    QTableView* view = lvwMain(w);
    auto* menu = w.findChild<QMenu*>("mnuData");
    const auto clickItem = [&](int row, int item) {
        emit view->customContextMenuRequested(view->visualRect(w.model()->index(row, 0)).center());
        QStringList enabled;
        for (QAction* action : menu->actions()) {
            if (action->isEnabled())
                enabled << action->property("index").toString();
        }
        menu->hide();
        for (QAction* action : menu->actions()) {
            if (action->property("index").toInt() == item)
                action->trigger();
        }
        return enabled.join(',');
    };
    EXPECT_EQ(clickItem(0, 2), "1,2,3");
    EXPECT_EQ(clickItem(0, 3), "1,2,3");
    EXPECT_EQ(clickItem(1, 12), "11,12,13");
    EXPECT_EQ(clickItem(1, 13), "11,12,13");
    EXPECT_EQ(clickItem(1, 2), "11,12,13"); // a folder item on a file row raises nothing
    EXPECT_EQ(raised,
              (QStringList{"FOLDER=Daten", "FOLDER=/home/u/Daten", "FILE=brief.txt", "FILE=/home/u/Daten/brief.txt"}));
    // A handled row can no longer be excluded.
    auto step = test::step("NEXT", "COPY", 0);
    w.sb_EntryGetNext(step);
    w.sb_EntryGetNext(step);
    EXPECT_EQ(clickItem(0, 2), "");
}

TEST(frmProtocol, FailedRowsShowTheirMessageAndAreFoundInTurn)
{
    zdr::test::ScriptedUi script;
    frmProtocol w;
    w.fc_Init("LISTVIEW", true);
    for (const char* name : {"a", "b", "c", "d"})
        w.fc_ListItem_Add(fileEntry("/f", name));
    auto failed = fileEntry("/f", "c");
    failed.par_Target = "Fehler bei Datei: c - Der Datenträger ist voll.";
    w.fc_ListItem_Err(failed);
    failed.par_Name = "d";
    w.fc_ListItem_Err(failed);
    w.show();
    QTableView* view = lvwMain(w);
    ProtocolModel* model = w.model();
    const QModelIndex c = model->indexOf(w.document().list().findFile("/f", "c"));
    EXPECT_EQ(model->data(c, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    label(w, "lblCmdShowError")->click();
    EXPECT_EQ(view->currentIndex().row(), 2);
    label(w, "lblCmdShowError")->click();
    EXPECT_EQ(view->currentIndex().row(), 3);
    label(w, "lblCmdShowError")->click();
    EXPECT_EQ(view->currentIndex().row(), 2);
    emit view->doubleClicked(view->currentIndex());
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages()[0].text, "Meldung: \r\n\r\nFehler bei Datei: c - Der Datenträger ist voll.");
    EXPECT_EQ(script.messages()[0].title, "Meldung ...");
    EXPECT_EQ(script.messages()[0].icon, base::Icon::Information);
}

TEST(frmProtocol, TextModeReloadAndClosing)
{
    frmProtocol w;
    w.fc_Init("\r\nZeile 1\r\nZeile 2", true);
    w.show();
    auto* text = w.findChild<QPlainTextEdit*>("rtbMain");
    EXPECT_TRUE(text->isVisible());
    EXPECT_FALSE(lvwMain(w)->isVisible());
    EXPECT_EQ(text->toPlainText(), "Zeile 1\nZeile 2");
    w.fc_ListItem_Err(fileEntry("/q", "a\xFF.txt"));
    EXPECT_EQ(text->toPlainText(), "Zeile 1\nZeile 2\nFehler beim Kopieren von: 'a\uFFFD.txt' - /ziel/q");
    // "nächster Fehler..." goes from failure line to failure line, and wraps.
    w.fc_Init("\r\n(/q)\r\n    a.txt  ----  ok\r\n    Gesperrt/  ----  Fehler: Zugriff verweigert\r\n"
              "    b.txt  ----  nicht kopiert (voll) => Fehler ignorieren, weiter\r\n    c.txt  ----  ok",
              true);
    std::vector<std::string> found;
    for (int i = 0; i < 3; ++i) {
        label(w, "lblCmdShowError")->click();
        found.push_back(text->textCursor().selectedText().toStdString());
    }
    EXPECT_EQ(found,
              (std::vector<std::string>{"    Gesperrt/  ----  Fehler: Zugriff verweigert",
                                        "    b.txt  ----  nicht kopiert (voll) => Fehler ignorieren, weiter",
                                        "    Gesperrt/  ----  Fehler: Zugriff verweigert"}));
    QObject::connect(&w, &frmProtocol::ReLoad, [](QString& reloaded) { reloaded = "\r\nneu geladen"; });
    auto* reload = label(w, "lblCmdProtocolReLoad");
    ASSERT_TRUE(reload->isVisible());
    reload->click();
    EXPECT_EQ(text->toPlainText(), "neu geladen");
    zdr::test::ScriptedUi script;
    std::string opened;
    util::ui::setHelpOpener([&](const std::string& path) {
        opened = path;
        return true;
    });
    QTest::keyClick(&w, Qt::Key_F1);
    util::ui::setHelpOpener({});
    EXPECT_EQ(opened, util::ui::helpFilePath() + "#protokoll");
    // Closing hides the window and empties the text; the window stays.
    label(w, "lblCmdClose")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(text->toPlainText(), "");
    EXPECT_EQ(w.Task(), "TEXT");
}

TEST(frmProtocol, UnloadTagDestroysTheWindowOnClose)
{
    QPointer<frmProtocol> w = new frmProtocol;
    w->fc_Init("NETWORK", true);
    w->sb_Protocol_Add("\\\\server\\freigabe");
    w->show();
    EXPECT_FALSE(label(*w, "lblCmdProtocolReLoad")->isVisible());
    w->setTag("UNLOAD");
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

TEST(frmProtocol, RowsLookAsTheirStateSays)
{
    frmProtocol w;
    w.fc_Init("LISTVIEW,INFODIR", true);
    auto row = folderEntry("/x");
    row.par_Info = "/x/     (1)  >>";
    w.fc_ListItem_Add(row);
    w.fc_ListItem_Add(infoEntry("/y", "n"));
    auto odd = fileEntry("/z", "zwei\nzeilen");
    odd.par_Info = "zwei\nzeilen \xC3(";
    w.fc_ListItem_Add(odd);
    w.flush();
    ProtocolModel* model = w.model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Verzeichnis");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Speicher");
    EXPECT_EQ(lvwMain(w)->columnWidth(1), 200);
    const QModelIndex info = model->indexOf(w.document().list().findFolder("(/y)")); // keyed by its text here
    EXPECT_EQ(model->data(info, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(model->data(info, Qt::ForegroundRole).value<QColor>(), QApplication::palette().color(QPalette::Dark));
    const QModelIndex file = model->indexOf(w.document().list().findFile("/z", "zwei\nzeilen"));
    EXPECT_EQ(model->data(file).toString(), "zwei\\nzeilen \uFFFD(") << "a name's line break as its escape";
    auto step = test::step("NEXT", "COPY", 0);
    w.sb_EntryGetNext(step);
    EXPECT_TRUE(model->data(model->index(0, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
}

} // namespace
} // namespace zdr::protocol::ui
