#include "run/PassTexts.h"
#include "EngineStates.h"
#include "engine/StatusBits.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

namespace status = engine::status;

EngineState engineAt(const std::string& action, std::uint32_t bits, const std::string& dot = ".")
{
    EngineState e = test::engineIn(action, bits);
    e.source = "/d";
    e.folderAndFilesDot = dot;
    return e;
}

TEST(PassTexts, InformationPassStart)
{
    ViewUpdate plain = passStarted("INFO", engineAt("INFO", 0));
    EXPECT_EQ(plain.text(Control::lblSystemInfoTask), "Informationen über Daten sammeln ...");
    EXPECT_EQ(plain.text(Control::lblSystemInfoQuestion), "Informationsvorgang gestartet ...");
    EXPECT_EQ(plain.text(Control::lblSystemInfo), "");
    EXPECT_EQ(plain.text(Control::lblSystemInfoObject), "");
    EXPECT_EQ(plain.text(Control::Caption), "lese ...");
    EXPECT_EQ(plain.bars, (std::vector<BarCommand>{{BarAction::Hide, WhichBar::Both, 0}}));
    EXPECT_EQ(plain.lastMainPercent, 0);
    EXPECT_FALSE(plain.initFolderInfoProtocol);
    EXPECT_TRUE(plain.shown.empty());

    ViewUpdate withCopy = passStarted("INFO", engineAt("INFO", status::kCopy | status::kFolderEntriesInfo));
    EXPECT_EQ(withCopy.text(Control::lblSystemInfoTask), "Informationen über zu kopierende Daten sammeln ...");
    EXPECT_EQ(withCopy.text(Control::lblSystemInfoQuestion), "Informations- und Kopiervorgang gestartet ...");
    EXPECT_TRUE(withCopy.initFolderInfoProtocol);

    // Comparing files shows the to-do figure instead of folder information.
    ViewUpdate compare = passStarted("INFO", engineAt("INFO", status::kOnlyDifferent | status::kFolderEntriesInfo));
    EXPECT_FALSE(compare.initFolderInfoProtocol);
    EXPECT_EQ(compare.visible(Control::lblCountToDo), true);
    EXPECT_EQ(compare.visible(Control::lblCountToDoCaption), true);
    EXPECT_EQ(compare.text(Control::lblCountToDo), "");
}

TEST(PassTexts, ActionPassStartTable)
{
    struct Case {
        const char* action;
        std::uint32_t bits;
        const char* dot;
        const char* task;
        const char* caption;
        const char* question;
        WhichBar bars;
    };
    const Case cases[] = {
        {"COPY", status::kWithInfo, ".", "Verzeichnis '/d (komplett)' kopieren ...", "kopiere ...",
         "Kopiervorgang gestartet ...", WhichBar::Both},
        {"COPY", 0, "\\a", "Verzeichnis '/d (Auswahl)' kopieren ...", "kopiere ...", "Kopiervorgang gestartet ...",
         WhichBar::Sub},
        {"DELETE", 0, "\\a", "Verzeichnis '/d (Auswahl)' löschen ...", "lösche ...", "Löschvorgang gestartet ...",
         WhichBar::Sub},
        {"DELETE", status::kWithInfo, ".", "Verzeichnis '/d (komplett)' löschen ...", "lösche ...",
         "Löschvorgang gestartet ...", WhichBar::Both},
        {"ATTRIB", 0, ".", "Verzeichnis '/d (komplett)' Attribute setzen/wegsetzen ...", "setze ...",
         "Attribute setzen gestartet ...", WhichBar::Sub},
        {"ATTRIB", 0, "x.txt", "Verzeichnis '/d (Auswahl)' Attribute setzen/wegsetzen ...", "setze ...",
         "Attribute setzen gestartet ...", WhichBar::Sub},
    };
    for (const Case& c : cases) {
        ViewUpdate u = passStarted(c.action, engineAt(c.action, c.bits, c.dot));
        EXPECT_EQ(u.text(Control::lblSystemInfoTask), c.task);
        EXPECT_EQ(u.text(Control::Caption), c.caption);
        EXPECT_EQ(u.text(Control::lblSystemInfoQuestion), c.question);
        EXPECT_EQ(u.bars, (std::vector<BarCommand>{{BarAction::Init, c.bars, 0}})) << c.action;
        EXPECT_TRUE(u.shown.empty());
    }
    ViewUpdate compare = passStarted("COPY", engineAt("COPY", status::kOnlyDifferent));
    EXPECT_EQ(compare.visible(Control::lblCountExistsTimeOk), true);
    EXPECT_EQ(compare.visible(Control::lblCountExistsTimeOkCaption), true);
    EXPECT_EQ(compare.text(Control::lblCountExistsTimeOk), "0");
}

TEST(PassTexts, ActionPassHeadingNamesTheTaskAtWork)
{
    std::vector<project::Task> records(2);
    records[0].sourceFolder = "/eins";
    records[0].selection = {"."};
    records[1].sourceFolder = "/zwei";
    records[1].selection = {"a.txt"};
    EXPECT_EQ(actionPassHeading("COPY", 0, records, 0), "Verzeichnis '/eins (komplett)' kopieren ...");
    EXPECT_EQ(actionPassHeading("DELETE", 0, records, 1), "Verzeichnis '/zwei (Auswahl)' löschen ...");
    // The reviewed rows of all tasks are copied in one go.
    EXPECT_EQ(actionPassHeading("COPY", status::kWithInfo | status::kOnlyDifferent, records, 0),
              "Daten von 2 Aufgaben kopieren ...");
    EXPECT_EQ(actionPassHeading("COPY", status::kWithInfo | status::kOnlyDifferent, {records[1]}, 0),
              "Verzeichnis '/zwei (Auswahl)' kopieren ...");
    EXPECT_FALSE(actionPassHeading("INFO", 0, records, 0));
    EXPECT_FALSE(actionPassHeading("COPY", 0, records, 2));
}

TEST(PassTexts, MakeDirectoryPassStart)
{
    ViewUpdate u = passStarted("MKDIR", engineAt("MKDIR", status::kWithInfo));
    EXPECT_EQ(u.visible(Control::lblCreateFolderError), false);
    EXPECT_EQ(u.text(Control::lblCreateFolderError), "");
    EXPECT_EQ(u.bars, (std::vector<BarCommand>{{BarAction::Init, WhichBar::Both, 0}}));
    EXPECT_FALSE(u.text(Control::Caption));
}

project::Task task(std::vector<std::string> selection)
{
    project::Task r;
    r.sourceFolder = "/data";
    r.selection = std::move(selection);
    return r;
}

TEST(PassTexts, TaskSourceDescriptions)
{
    struct Case {
        project::Task record;
        const char* expected;
    };
    project::Task excluded = task({"."});
    excluded.exclusions = "tmp";
    project::Task folderFiltered = task({"\\sub\\deep"});
    folderFiltered.extensions = "*.txt";
    folderFiltered.sizeMaxK = "100";
    project::Task mixed = task({"\\a", "\\b", "c.txt"});
    mixed.attributeSet = 1;
    project::Task all = task({"\\a", "\\b"});
    all.exclusions = "x";
    all.extensions = "*.a";
    all.sizeMaxK = "1";
    all.attributeSet = 2;
    all.attributeClear = 4;
    const Case cases[] = {
        {task({"."}), "von Verzeichnis: /data (komplett)"},
        {excluded, "von Verzeichnis: /data (komplett, Filter Daten auss.)"},
        {task({"\\sub"}), "von Verzeichnis: /data/sub  =>  ()"},
        {folderFiltered, "von Verzeichnis: /data/sub/deep  =>  (Filter Dateierw., Filter Dateigröße)"},
        {task({"a.txt"}), "von Datei: /data/a.txt  =>  ()"},
        {mixed, "von Verzeichnis: /data  =>  (Filter Ordner 2, Dateien 1, Attrib. setzen)"},
        {task({"x", "y"}), "von Verzeichnis: /data  =>  (Filter Dateien 2)"},
        {all,
         "von Verzeichnis: /data  =>  (Filter Ordner 2, Filter Daten auss., Filter Dateierw., Filter Dateigröße, "
         "Attrib. setzen, Attrib. wegsetzen)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(taskSourceText(c.record), c.expected);
}

TEST(PassTexts, TaskHeadingsAndTargets)
{
    project::Task r = task({"."});
    r.targetFolder = "/t";
    ViewUpdate copy = taskStarted("COPY", 1, 3, 0, r);
    EXPECT_EQ(copy.text(Control::lblSystemInfoQuestion), "Kopiervorgang - Aufgabe (1 / 3) gestartet ...");
    EXPECT_EQ(copy.text(Control::lblSystemInfoSource), "von Verzeichnis: /data (komplett)");
    EXPECT_EQ(copy.text(Control::lblSystemInfoTarget), "Ziel: /t");

    const std::pair<const char*, const char*> headings[] = {
        {"INFO", "Informationsvorgang - Aufgabe (2 / 2) ausstehend ..."},
        {"DELETE", "Löschvorgang - Aufgabe (2 / 2) ausstehend ..."},
        {"ATTRIB", "Attribute setzen - Aufgabe (2 / 2) ausstehend ..."},
    };
    for (const auto& [action, heading] : headings)
        EXPECT_EQ(taskStarted(action, 2, 2, kTaskPending, r).text(Control::lblSystemInfoQuestion), heading);
    EXPECT_FALSE(taskStarted("MKDIR", 1, 1, 0, r).text(Control::lblSystemInfoQuestion));
    EXPECT_FALSE(taskStarted("INFO", 1, 1, 0, r).text(Control::lblSystemInfoTarget));

    r.targetFolder.clear(); // the chosen target is not overwritten by an empty one
    EXPECT_FALSE(taskStarted("COPY", 1, 1, 0, r).text(Control::lblSystemInfoTarget));
}

TEST(PassTexts, AttributeTargetLines)
{
    struct Case {
        std::uint32_t set, clear;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {0x21, 0, "    setzen:  Archive,  Schreibgeschützt, "},
        {0, 0x800, "wegsetzen:  Komprimiert, "},
        {0x2, 0x820, "    setzen:  Versteckt, \r\nwegsetzen:  Archive,  Komprimiert, "},
        {0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        project::Task r = task({"."});
        r.attributeSet = c.set;
        r.attributeClear = c.clear;
        EXPECT_EQ(taskTargetText("ATTRIB", r), c.expected) << c.set << " " << c.clear;
    }
}

TEST(PassTexts, RunTexts)
{
    EXPECT_EQ(tasksPendingText(3), "Durchlauf von 3 Aufgaben ...");
    EXPECT_EQ(errorCountInitialText(true), "(keine)");
    EXPECT_EQ(errorCountInitialText(false), "Datenempfang");
    ASSERT_TRUE(actionTitles(engine::PassAction::Attrib));
    EXPECT_STREQ(actionTitles(engine::PassAction::Attrib)->title, "Daten Attribute ...");
    EXPECT_STREQ(actionTitles(engine::PassAction::Copy)->prompt,
                 "Bitte starten Sie den Kopier- und ggf. Informationsvorgang ...");
    EXPECT_STREQ(registryChangeTitles().title, "Computer Registry ändern ...");
    EXPECT_FALSE(actionTitles(engine::PassAction::None));
}

} // namespace
} // namespace zdr::run
