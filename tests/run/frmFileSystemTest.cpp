#include "run/frmFileSystem.h"
#include "EngineStates.h"
#include "engine/StatusBits.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"
#include "run/clsProgressBar.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/ElidedLabel.h"
#include "util/HelpFile.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace zdr::run::ui {
namespace {

namespace status = engine::status;
using test::ScriptedUi;
using test::TempDir;
using util::ui::Icon;

// Everything the window raised, in order.
struct Raised {
    std::vector<std::pair<std::uint32_t, bool>> bits;
    std::vector<std::string> targets;
    std::vector<int> levels;
    std::vector<std::int32_t> blockBytes;
    int starts = 0;
    int unloads = 0;

    explicit Raised(frmFileSystem& w)
    {
        QObject::connect(&w, &frmFileSystem::FolderCopyStatusChange,
                         [this](std::uint32_t bit, bool on) { bits.emplace_back(bit, on); });
        QObject::connect(&w, &frmFileSystem::FolderTargetChanged,
                         [this](const std::string& folder) { targets.push_back(folder); });
        QObject::connect(&w, &frmFileSystem::FolderInfoLevelChanged, [this](std::uint8_t l) { levels.push_back(l); });
        QObject::connect(&w, &frmFileSystem::FileBlockBytesChange, [this](std::int32_t b) { blockBytes.push_back(b); });
        QObject::connect(&w, &frmFileSystem::ActionStart, [this](bool) { ++starts; });
        QObject::connect(&w, &frmFileSystem::Unload, [this] { ++unloads; });
    }
};

QLabel* label(frmFileSystem& w, const char* name) { return w.findChild<QLabel*>(name); }
QString shown(frmFileSystem& w, Control c) { return label(w, controlName(c))->text(); }
QCheckBox* box(frmFileSystem& w, const char* name) { return w.findChild<QCheckBox*>(name); }
QLineEdit* field(frmFileSystem& w, const char* name) { return w.findChild<QLineEdit*>(name); }

void showActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// Types into a field and leaves it.
void typeAndLeave(frmFileSystem& w, QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    w.findChild<QLineEdit*>("txtNewFolder")->setFocus();
}

TEST(frmFileSystem, ControlsWithTheirTexts)
{
    frmFileSystem w;
    EXPECT_EQ(w.objectName(), "frmFileSystem");
    EXPECT_EQ(w.windowTitle(), "[Titel]");
    const std::pair<const char*, const char*> captions[] = {
        {"lblSystemInfoTaskCaption", "Aufgabe:"},
        {"lblSystemInfoTask", "[Wert]"},
        {"lblCountCaption", "Anzahl:"},
        {"lblSizeCaption", "Größe:"},
        {"lblTimeCaption", "Zeit:"},
        {"lblSizeNotCaption", "Fehler:"},
        {"lblCountExistsTimeOkCaption", "übersprungen:"},
        {"lblCountToDoCaption", "Auszuführen:"},
        {"Label1", "neues Unterverzeichnis:"},
        {"lblCreateFolderError", "[Fehler]"},
        {"lblCmdAction", "Aktion (a)usführen"},
        {"lblCmdProtocol", "Protokoll"},
        {"lblCmdClose", "Schließen"},
    };
    for (const auto& [name, text] : captions) {
        ASSERT_TRUE(label(w, name)) << name;
        EXPECT_EQ(label(w, name)->text(), QString::fromUtf8(text)) << name;
    }
    EXPECT_EQ(w.lblCmdAction()->toolTip(), "Aktion ausführen ...");
    EXPECT_EQ(w.lblCmdProtocol()->toolTip(), "Protokoll anzeigen");
    EXPECT_EQ(w.cmdTarget()->toolTip(), "Zielverzeichnis auswählen.");
    EXPECT_FALSE(w.cmdTarget()->isEnabled());
    EXPECT_EQ(field(w, "txtFileBlockSize")->text(), "32767");
    EXPECT_EQ(field(w, "txtFolderInfoLevel")->toolTip(), "Ordner Auflisten bis Verzeichnistiefe x (Normal 2).");
    EXPECT_EQ(box(w, "chkCopyOnlyNewer")->toolTip(),
              "Nur neuere Dateien nehmen => Größe, ältere Dateien oder Attribute nicht beachten (nur in Verbindung "
              "mit \"Dateien abgleichen\").");
    EXPECT_EQ(box(w, "chkCreateFolderCopyToClipboard")->text(),
              "komplettes Verzeichnis in die Zwischenablage kopieren");
    for (const char* name : {"fraButtons", "imgMain", "picIcon", "picMain", "picSub", "fraFolderFile", "fraFolder",
                             "fraOptions", "txtNewFolder", "lblSystemFolderSource", "lblSystemInfoQuestion",
                             "lblSystemInfoSource", "lblSystemInfoTarget", "lblSystemInfo", "lblSystemInfoObject"})
        EXPECT_TRUE(w.findChild<QWidget*>(name)) << name;
    // Hidden until they have something to show.
    for (const char* name :
         {"lblCmdProtocol", "lblSizeNot", "lblCountExistsTimeOk", "lblCountToDo", "lblCreateFolderError", "fraFolder"})
        EXPECT_FALSE(w.findChild<QWidget*>(name)->isVisibleTo(&w)) << name;
    // The error count is never shown without its caption.
    for (const char* name : {"lblCountNot", "lblSizeNotCaption"})
        EXPECT_TRUE(w.findChild<QWidget*>(name)->isVisibleTo(&w)) << name;
    EXPECT_EQ(w.mnuHelp()->objectName(), "mnuHelp");
    EXPECT_EQ(w.mainBar()->pixelRect().size(), w.findChild<QWidget*>("picMain")->size());
}

TEST(frmFileSystem, OptionBoxesRaiseTheirBits)
{
    frmFileSystem w;
    Raised raised(w);
    // Dependent boxes are enabled by their masters first.
    box(w, "chkCopyWithInfo")->setChecked(true);
    box(w, "chkCopyOnlyDiffrentFiles")->setChecked(true);
    box(w, "chkCopyCreateProtocol")->setChecked(true);
    raised.bits.clear();
    const std::pair<const char*, std::uint32_t> table[] = {
        {"chkCopyNoFileInfo", 0x40000},
        {"chkCopyInfoOnlyCount", 0x80000},
        {"chkInfoAboutFolderEntries", 0x20000},
        {"chkCopyOverwriteExisting", 0x200},
        {"chkCopyOverwriteProtected", 0x400},
        {"chkCopyProtocolShowAuto", 0x1000000},
        {"chkCopyContinueAfterError", 0x100},
        {"chkCopyBlockBytes", 0x20000000},
        {"chkCreateFolderCopyToClipboard", 0x400000},
        {"chkCopyOnlyNewer", 0x80},
        {"chkCopyOnlyDiffrentFiles", 0x10000},
        {"chkCopyWithInfo", 0x2},
    };
    for (const auto& [name, bit] : table) {
        QCheckBox* b = box(w, name);
        ASSERT_TRUE(b && b->isEnabled()) << name;
        const bool before = b->isChecked();
        raised.bits.clear();
        b->click();
        ASSERT_FALSE(raised.bits.empty()) << name;
        EXPECT_EQ(raised.bits.front(), std::make_pair(bit, !before)) << name;
        EXPECT_EQ(w.optionBox(bit), b);
    }
}

TEST(frmFileSystem, DependentControlsFollowTheirBoxes)
{
    frmFileSystem w;
    struct Case {
        const char* master;
        std::vector<const char*> dependents;
    };
    const Case cases[] = {
        {"chkCopyWithInfo", {"chkCopyNoFileInfo", "chkCopyInfoOnlyCount", "chkCopyInfoAskBeforeAction"}},
        {"chkCopyOnlyDiffrentFiles", {"chkCopyOnlyNewer"}},
        {"chkInfoAboutFolderEntries", {"txtFolderInfoLevel"}},
        {"chkCopyBlockBytes", {"txtFileBlockSize"}},
    };
    for (const Case& c : cases)
        for (bool on : {false, true, false}) {
            box(w, c.master)->setChecked(on);
            for (const char* dependent : c.dependents)
                EXPECT_EQ(w.findChild<QWidget*>(dependent)->isEnabled(), on) << c.master << " " << dependent;
        }
}

TEST(frmFileSystem, ReviewBeforeActionNeedsTheProtocol)
{
    frmFileSystem w;
    Raised raised(w);
    box(w, "chkCopyWithInfo")->setChecked(true);
    QCheckBox* ask = box(w, "chkCopyInfoAskBeforeAction");
    QCheckBox* protocolBox = box(w, "chkCopyCreateProtocol");
    using Bits = std::vector<std::pair<std::uint32_t, bool>>;

    // Protocol off: the review turns it on, and off again with it.
    raised.bits.clear();
    ask->click();
    EXPECT_TRUE(protocolBox->isChecked());
    EXPECT_EQ(raised.bits, (Bits{{0x4000, true}, {0x2000, true}}));

    // While the review is on, the protocol cannot be cleared.
    raised.bits.clear();
    protocolBox->click();
    EXPECT_TRUE(protocolBox->isChecked());
    EXPECT_TRUE(raised.bits.empty());

    raised.bits.clear();
    ask->click();
    EXPECT_FALSE(protocolBox->isChecked());
    EXPECT_EQ(raised.bits, (Bits{{0x4000, false}, {0x2000, false}}));

    // Protocol on before: clearing the review leaves it on.
    protocolBox->click();
    ask->click();
    raised.bits.clear();
    ask->click();
    EXPECT_TRUE(protocolBox->isChecked());
    EXPECT_EQ(raised.bits, (Bits{{0x4000, false}}));
}

TEST(frmFileSystem, NumberFieldRules)
{
    frmFileSystem w;
    Raised raised(w);
    showActive(w);
    box(w, "chkCopyBlockBytes")->setChecked(true);
    box(w, "chkInfoAboutFolderEntries")->setChecked(true);
    EXPECT_EQ(raised.blockBytes, std::vector<std::int32_t>{32767});
    QLineEdit* block = field(w, "txtFileBlockSize");

    block->setFocus();
    block->selectAll();
    QTest::keyClicks(block, "40000");
    EXPECT_EQ(block->text(), "32767") << "replaced at once, before the field is left";
    typeAndLeave(w, block, "32767");
    EXPECT_EQ(block->text(), "32767");
    typeAndLeave(w, block, "4096");
    EXPECT_EQ(block->text(), "4096");
    EXPECT_EQ(raised.blockBytes.back(), 4096) << "a new size reaches the run while block copying is on";
    typeAndLeave(w, block, "0");
    EXPECT_EQ(block->text(), "32767") << "a block of no bytes copies nothing";

    struct Level {
        const char* typed;
        const char* shownAfter;
        int reported;
    };
    const Level levels[] = {{"", "2", 2}, {"0", "2", 2}, {"abc", "2", 2}, {"5", "5", 5}, {"300", "255", 255}};
    QLineEdit* level = field(w, "txtFolderInfoLevel");
    for (const Level& l : levels) {
        raised.levels.clear();
        typeAndLeave(w, level, QString::fromLatin1(l.typed));
        EXPECT_EQ(level->text(), l.shownAfter) << l.typed;
        EXPECT_EQ(raised.levels, std::vector<int>{l.reported}) << l.typed;
    }

    // A window released while shown, the focus in a number field (the
    // program ended by a signal): leaving the field must not reach what
    // the window has already let go of.
    auto* shown = new frmFileSystem;
    showActive(*shown);
    box(*shown, "chkCopyBlockBytes")->setChecked(true);
    field(*shown, "txtFileBlockSize")->setFocus();
    ASSERT_TRUE(field(*shown, "txtFileBlockSize")->hasFocus());
    delete shown;
}

TEST(frmFileSystem, ShowsTheFiguresTheTextsCompute)
{
    frmFileSystem w;
    EngineState e = test::engineIn(
        "COPY", status::kWithInfo,
        {.CountFiles = 9, .CountFolder = 1, .CountFiles_Done = 5, .SizeTotal = 1000, .SizeTotal_Done = 250});
    e.source = "/daten";
    e.folderAndFilesDot = ".";
    e.secondsMax = 20;
    e.secondsUsed = 10;

    w.apply(passStarted("COPY", e));
    project::Task task;
    task.sourceFolder = "/daten";
    task.targetFolder = "/ziel";
    task.exclusions = "tmp";
    w.apply(taskStarted("COPY", 1, 1, 0, task));
    w.apply(figures(e, 0));
    w.sb_ShowNow();
    EXPECT_EQ(shown(w, Control::lblSystemInfoTask), "Verzeichnis '/daten (komplett)' kopieren ...");
    EXPECT_EQ(shown(w, Control::lblSystemInfoQuestion), "Kopiervorgang - Aufgabe (1 / 1) gestartet ...");
    EXPECT_EQ(shown(w, Control::lblSystemInfoSource), "von Verzeichnis: /daten (komplett, Filter Daten auss.)");
    EXPECT_EQ(shown(w, Control::lblSystemInfoTarget), "Ziel: /ziel");
    EXPECT_EQ(shown(w, Control::lblSize), "von 1.000,00 KB => 250,00 KB");
    EXPECT_EQ(shown(w, Control::lblCount), "von 10 => 5");
    EXPECT_EQ(shown(w, Control::lblTime), "von 20 => 10 s - (Anz. 0, KB 25,00) / Sek.");
    EXPECT_EQ(w.windowTitle(), "38% kopiert...");
    EXPECT_TRUE(w.mainBar()->Visible());
    EXPECT_EQ(w.mainBar()->ValuePercentage(), 38);

    w.apply(fileStarted("COPY", "bild.jpg", 1536));
    e.counters.CountFiles_Not = 1;
    e.counters.SizeTotal_Not = 1.5;
    w.apply(entryNotDone(e, 0, 38));
    w.sb_ShowNow();
    EXPECT_EQ(shown(w, Control::lblSystemInfoObject), "bild.jpg => von 1,50 KB");
    EXPECT_TRUE(label(w, "lblSizeNot")->isVisibleTo(&w));
    EXPECT_EQ(shown(w, Control::lblCountNot), "1");
    EXPECT_EQ(shown(w, Control::lblSizeNot), "1,50 KB");

    // The end of the pass reads the file line the window shows.
    w.apply(
        passReady(e, false, "Zugriff verweigert", w.cmdTarget()->isEnabled(), w.text(Control::lblSystemInfoObject)));
    w.sb_ShowNow();
    EXPECT_EQ(shown(w, Control::lblSystemInfoObject), "bild.jpg => von 1,50 KB - Zugriff verweigert");
    EXPECT_EQ(w.windowTitle(), "Vorgang abgebrochen");

    w.apply(passReady(e, true, "", false, ""));
    w.sb_ShowNow();
    EXPECT_EQ(shown(w, Control::lblSystemInfo),
              " Anzahl Ordner: 0 (von 1) - (Fehler 0)  - (übersprungen 0)\n"
              "Anzahl Dateien: 5 (von 9) - (Fehler 1) - (übersprungen 0)");
    EXPECT_EQ(w.text(Control::lblSystemInfo),
              " Anzahl Ordner: 0 (von 1) - (Fehler 0)  - (übersprungen 0)\r\n"
              "Anzahl Dateien: 5 (von 9) - (Fehler 1) - (übersprungen 0)");
}

TEST(frmFileSystem, NamesAreShownAsTheyAre)
{
    frmFileSystem w;
    // Markup, the protocol's separators, a line break and invalid UTF-8 in a
    // file name: shown as plain text, the bad byte as a replacement mark.
    w.setText(Control::lblSystemInfoObject, "<b>fett</b>|~\xC2\xB0~\r\nzwei\xFF.txt");
    w.sb_ShowNow();
    EXPECT_EQ(shown(w, Control::lblSystemInfoObject), QString::fromUtf8("<b>fett</b>|~°~\nzwei\uFFFD.txt"));
    EXPECT_EQ(label(w, "lblSystemInfoObject")->textFormat(), Qt::PlainText);
    const int width = w.width();
    w.setText(Control::lblSystemInfo, std::string(5000, 'x'));
    w.sb_ShowNow();
    EXPECT_EQ(w.width(), width) << "a long path does not widen the window";
}

// A task or a source longer than the window shows its beginning and its end
// around "…"; the whole text stays the label's and shows in its tool tip.
TEST(frmFileSystem, LongTextsAreShortenedInTheMiddle)
{
    frmFileSystem w;
    w.show();
    const std::string task = "Verzeichnis '/home/anna/" + std::string(300, 'x') + "/Quelle (Auswahl)' kopieren ...";
    w.setText(Control::lblSystemInfoTask, task);
    w.sb_ShowNow();
    auto* shortened = w.findChild<util::ui::ElidedLabel*>("lblSystemInfoTask");
    ASSERT_TRUE(shortened);
    EXPECT_EQ(w.text(Control::lblSystemInfoTask), task);
    EXPECT_TRUE(shortened->isElided());
    const QString shown = shortened->shownText();
    EXPECT_TRUE(shown.startsWith("Verzeichnis '/home/anna/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("kopieren ...")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(shortened->fontMetrics().horizontalAdvance(shown), shortened->contentsRect().width());

    w.setText(Control::lblSystemInfoTask, "Verzeichnis '/a' kopieren ...");
    w.sb_ShowNow();
    EXPECT_FALSE(shortened->isElided()) << "a text that fits is shown whole";
}

// Messages and prompts are never cut: their lines wrap, also inside a long
// path, and the window grows until all of them shows.
TEST(frmFileSystem, MessagesWrapAndTheWindowGrows)
{
    frmFileSystem w;
    w.setMakeDirectoryMode(true);
    w.show();
    const std::string error = "- Fehler bei Verzeichnis: /tmp/" + std::string(150, 'x')
        + "/neu - Das System kann die angegebene Datei nicht finden. Die angegebene Datei wurde nicht gefunden.";
    ViewUpdate failed;
    failed.setText(Control::lblSystemInfoQuestion, actionTitles(engine::PassAction::MkDir)->prompt);
    failed.setText(Control::lblCreateFolderError, error);
    failed.show(Control::lblCreateFolderError, true);
    w.apply(failed);
    w.sb_ShowNow();
    QCoreApplication::processEvents();
    for (const char* name : {"lblCreateFolderError", "lblSystemInfoQuestion"}) {
        auto* message = w.findChild<util::ui::ElidedLabel*>(name);
        ASSERT_TRUE(message) << name;
        EXPECT_EQ(message->shownText(), message->text()) << name;
        EXPECT_GE(message->height(), message->heightForWidth(message->width())) << name;
        EXPECT_LE(message->mapTo(&w, QPoint(0, message->height())).y(), w.height()) << name;
    }
    auto* message = w.findChild<util::ui::ElidedLabel*>("lblCreateFolderError");
    EXPECT_GE(message->height(), 3 * message->fontMetrics().lineSpacing()) << "the error takes several lines";
}

TEST(frmFileSystem, FiguresRefreshAtMostTenTimesASecond)
{
    frmFileSystem w;
    int captions = 0;
    QObject::connect(&w, &QWidget::windowTitleChanged, [&captions] { ++captions; });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2000; ++i) {
        ViewUpdate u;
        u.setText(Control::Caption, std::to_string(i) + "% kopiert...");
        u.bar(BarAction::Value, WhichBar::Main, i % 101);
        w.apply(u);
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(captions, 2 + elapsed / 100) << "in " << elapsed << " ms";
    EXPECT_EQ(w.text(Control::Caption), "1999% kopiert...") << "the newest text waits for the refresh";
    QTRY_COMPARE(w.windowTitle(), QStringLiteral("1999% kopiert..."));
    EXPECT_EQ(w.mainBar()->ValuePercentage(), 1999 % 101);
}

TEST(frmFileSystem, BarActions)
{
    frmFileSystem w;
    std::int32_t value = 0;
    w.ProgressBarAction(BarAction::Hide, WhichBar::Both, value);
    EXPECT_FALSE(w.mainBar()->Visible());
    EXPECT_FALSE(w.subBar()->Visible());
    w.ProgressBarAction(BarAction::Init, WhichBar::Sub, value);
    EXPECT_TRUE(w.subBar()->Visible());
    EXPECT_FALSE(w.mainBar()->Visible());
    value = 70;
    w.ProgressBarAction(BarAction::Value, WhichBar::Sub, value);
    w.ProgressBarAction(BarAction::Init, WhichBar::Sub, value); // a newer state drops the waiting value
    w.sb_ShowNow();
    EXPECT_EQ(w.subBar()->ValuePercentage(), 0);
    w.ProgressBarAction(BarAction::Term, WhichBar::Main, value);
    EXPECT_EQ(w.mainBar(), nullptr);
    w.ProgressBarAction(BarAction::Value, WhichBar::Both, value); // the absent bar is skipped
    w.sb_ShowNow();
    EXPECT_EQ(w.subBar()->ValuePercentage(), 70);
    w.sb_RepaintProgressBars();
}

TEST(frmFileSystem, ActionButtonDuringARun)
{
    ScriptedUi ui;
    frmFileSystem w;
    Raised raised(w);
    w.show();
    int nested = 0;
    bool closedDuringRun = true;
    QObject::connect(&w, &frmFileSystem::ActionStart, [&](bool) {
        if (raised.starts > 1) {
            ++nested; // the second click: the coordinator would ask to cancel
            return;
        }
        EXPECT_EQ(w.lblCmdAction()->tag(), "RUN");
        w.sb_ActionStart();
        closedDuringRun = w.close();
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    w.sb_ActionStart();
    EXPECT_EQ(raised.starts, 2);
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(closedDuringRun) << "the window stays while the run goes on";
    EXPECT_EQ(raised.unloads, 0);
    EXPECT_EQ(w.lblCmdAction()->tag(), "");

    w.lblCmdClose()->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(raised.unloads, 1);
    EXPECT_EQ(w.mainBar(), nullptr);
    w.close();
    EXPECT_EQ(raised.unloads, 1) << "unloaded once";
}

TEST(frmFileSystem, TheRunMayCloseTheWindowWhenItEnds)
{
    frmFileSystem w;
    Raised raised(w);
    w.show();
    QObject::connect(&w, &frmFileSystem::ActionStart, [&](bool) {
        EngineState e = test::engineIn("COPY");
        e.statusEx = engine::statusEx::kCloseAfterRun;
        w.apply(passReady(e, true, "", false, ""));
        EXPECT_TRUE(w.isVisible()) << "not while the run is on the stack";
    });
    w.sb_ActionStart();
    QTRY_VERIFY(!w.isVisible());
    EXPECT_EQ(raised.unloads, 1);
}

TEST(frmFileSystem, ChoosingTheTarget)
{
    ScriptedUi ui;
    frmFileSystem w;
    Raised raised(w);
    ui.chooseFolder("/mnt/ziel/");
    w.cmdTarget()->click();
    EXPECT_TRUE(ui.folderRequests().empty()) << "only a copy run without a target offers the chooser";

    w.setTargetSelectable(true);
    w.cmdTarget()->click();
    ASSERT_EQ(ui.folderRequests().size(), 1u);
    EXPECT_EQ(ui.folderRequests()[0].title, "Bitte wählen Sie das Zielverzeichnis aus ...");
    EXPECT_EQ(ui.folderRequests()[0].root, 17);
    EXPECT_EQ(ui.folderRequests()[0].flags, 1u);
    EXPECT_EQ(ui.folderRequests()[0].initialFolder, "");
    EXPECT_EQ(shown(w, Control::lblSystemInfoTarget), "Ziel: /mnt/ziel");
    EXPECT_EQ(raised.targets, std::vector<std::string>{"/mnt/ziel"});

    w.cmdTarget()->click(); // cancelled
    EXPECT_EQ(shown(w, Control::lblSystemInfoTarget), "Ziel: /mnt/ziel");
    ui.chooseFolder("/");
    w.cmdTarget()->click();
    EXPECT_EQ(raised.targets.back(), "/") << "the root keeps its separator";
}

void drop(frmFileSystem& w, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QLabel* target = label(w, "lblSystemInfoTarget");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

TEST(frmFileSystem, DroppingATargetFolder)
{
    ScriptedUi ui;
    TempDir tmp;
    const std::string a = tmp.mkdir("a");
    const std::string b = tmp.mkdir("b");
    const std::string file = tmp.write("f.txt", "x");
    frmFileSystem w;
    Raised raised(w);
    w.setTargetSelectable(true);
    auto url = [](const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); };

    drop(w, {url(a + "/")});
    EXPECT_EQ(shown(w, Control::lblSystemInfoTarget).toStdString(), "Ziel: " + a);
    EXPECT_EQ(raised.targets, std::vector<std::string>{a});

    drop(w, {url(a), url(b)});
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Bitte nur ein Zielverzeichnis angeben!");
    EXPECT_EQ(ui.messages()[0].title, "Aktion abgebrochen ...");
    EXPECT_EQ(ui.messages()[0].icon, Icon::Information);
    EXPECT_EQ(shown(w, Control::lblSystemInfoTarget).toStdString(), "Ziel: " + a) << "the old target stays";
    EXPECT_EQ(raised.targets.size(), 1u);

    drop(w, {url(file)});
    drop(w, {url(tmp.file("missing"))});
    EXPECT_EQ(raised.targets.size(), 1u) << "files and missing entries are not taken";
    EXPECT_EQ(ui.messages().size(), 1u);

    drop(w, {QUrl(QStringLiteral("http://example.org/x"))});
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[1].text.rfind("Fehler bei: 'http://example.org/x'", 0), 0u) << ui.messages()[1].text;
    EXPECT_EQ(ui.messages()[1].title, "Fehler ...");
    EXPECT_EQ(ui.messages()[1].icon, Icon::Critical);

    w.setTargetSelectable(false);
    drop(w, {url(b)});
    EXPECT_EQ(raised.targets.size(), 1u) << "a run with a target keeps it";
}

TEST(frmFileSystem, NewFolderInput)
{
    frmFileSystem w;
    Raised raised(w);
    w.setMakeDirectoryMode(true);
    EXPECT_TRUE(w.findChild<QWidget*>("fraFolder")->isVisibleTo(&w));
    EXPECT_FALSE(w.findChild<QWidget*>("fraFolderFile")->isVisibleTo(&w));
    EXPECT_FALSE(w.findChild<QWidget*>("fraOptions")->isVisibleTo(&w));
    QLineEdit* name = field(w, "txtNewFolder");
    QTest::keyClicks(name, "Neu");
    EXPECT_EQ(raised.targets, (std::vector<std::string>{"N", "Ne", "Neu"}));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(raised.starts, 1);
}

TEST(frmFileSystem, HelpMenuAndKeys)
{
    ScriptedUi ui;
    frmFileSystem w;
    Raised raised(w);
    showActive(w);
    QList<QAction*> entries = w.mnuHelp()->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0]->text(), "HTML Hilfe aufrufen");
    EXPECT_EQ(entries[2]->text(), "Informationen");
    for (QAction* entry : entries)
        EXPECT_EQ(entry->objectName(), "mnuHelpWork");
    QString modal;
    QTimer::singleShot(0, [&modal] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            modal = box->metaObject()->className();
            box->close();
        }
    });
    entries[2]->trigger();
    EXPECT_EQ(modal, "zdr::util::ui::frmAbout") << "the about box over the window";
    entries[3]->trigger();
    ASSERT_EQ(ui.helpOpened().size(), 1u);
    EXPECT_EQ(ui.helpOpened()[0].rfind("https://", 0), 0u);

    showActive(w); // back from the about box
    // F1: the guide at the window's topic.
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(ui.helpOpened().back(), util::ui::helpFilePath() + "#fortschritt");

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(raised.unloads, 1);
}

} // namespace
} // namespace zdr::run::ui
