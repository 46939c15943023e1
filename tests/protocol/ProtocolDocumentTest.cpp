#include "protocol/ProtocolDocument.h"
#include "ProtocolEntries.h"
#include "protocol/ContextMenuValues.h"

#include <gtest/gtest.h>

namespace zdr::protocol {
namespace {

using test::fileEntry;
using test::folderEntry;
using test::infoEntry;

// The rows of a small copy: two folders, three files and a heading row,
// which sorts between the files of /q and its subfolder.
void fill(ProtocolDocument& doc)
{
    doc.fc_Init("LISTVIEW", true);
    doc.fc_ListItem_Add(folderEntry("/q", 1, 1));
    // A heading row of a folder that has its row already is not added again.
    EXPECT_FALSE(doc.fc_ListItem_Add(infoEntry("/q", "b.txt")));
    doc.fc_ListItem_Add(infoEntry("/q/info", "b.txt"));
    doc.fc_ListItem_Add(fileEntry("/q", "b.txt", 1, 1));
    doc.fc_ListItem_Add(fileEntry("/q", "a.txt", 1, 1));
    doc.fc_ListItem_Add(folderEntry("/q/sub", 2, 2));
    doc.fc_ListItem_Add(fileEntry("/q/sub", "c.txt", 2, 2));
}

std::vector<std::string> walk(ProtocolDocument& doc, const std::string& direction, std::int32_t from)
{
    std::vector<std::string> got;
    auto step = test::step(direction, "COPY", from);
    for (doc.sb_EntryGetNext(step); step.index > 0; doc.sb_EntryGetNext(step))
        got.push_back(step.type + " " + step.sourcePath + " " + step.source);
    EXPECT_EQ(step.index, -1);
    return got;
}

TEST(WorkList, NextWalksTheTickedRowsAndSkipsInfoRows)
{
    ProtocolDocument doc;
    fill(doc);
    EXPECT_EQ(walk(doc, "NEXT", 0),
              (std::vector<std::string>{"FOLDER /q q", "FILE /q a.txt", "FILE /q b.txt", "FOLDER /q/sub sub",
                                        "FILE /q/sub c.txt"}));
    EXPECT_EQ(doc.actionInfo(), "Aktion abgeschlossen.");
}

TEST(WorkList, StepReturnsTheRowsValuesAndMarksHandledRows)
{
    ProtocolDocument doc;
    fill(doc);
    ProtocolList& list = doc.list();
    auto step = test::step("NEXT", "COPY", 0);
    doc.sb_EntryGetNext(step);
    EXPECT_EQ(step.index, 1);
    EXPECT_EQ(doc.actionInfo(), "Daten kopieren ...");
    const RowId first = list.findFolder("/q");
    EXPECT_TRUE(list.bold(first));
    step.direction = "NEXT";
    doc.sb_EntryGetNext(step);
    EXPECT_EQ(step.index, 2);
    EXPECT_EQ(step.type, "FILE");
    EXPECT_EQ(step.sourcePath, "/q");
    EXPECT_EQ(step.source, "a.txt");
    EXPECT_EQ(step.targetPath, "/ziel/q");
    EXPECT_EQ(step.level, 1);
    EXPECT_EQ(step.taskIndex, 1);
    EXPECT_FALSE(list.bold(first));
    EXPECT_EQ(list.icon(first), RowIcon::FolderDone);
    // Jump to the last row: NEXT past it marks it done and finishes.
    step.index = 6;
    step.action = "RENAME";
    doc.sb_EntryGetNext(step);
    EXPECT_EQ(step.index, -1);
    EXPECT_EQ(list.icon(list.findFile("/q/sub", "c.txt")), RowIcon::FileDone);
    EXPECT_EQ(step.type, "");
    EXPECT_EQ(step.taskIndex, 2 - 1); // left as it was
}

TEST(WorkList, PreviousFromMinusOneStartsAtTheLastRow)
{
    ProtocolDocument doc;
    fill(doc);
    auto step = test::step("PREVIOUS", "RENAME", -1);
    doc.sb_EntryGetNext(step);
    EXPECT_EQ(step.index, 6);
    EXPECT_EQ(step.source, "c.txt");
    EXPECT_EQ(step.taskIndex, 2);
    EXPECT_EQ(doc.actionInfo(), "Daten umbenennen ...");
    EXPECT_EQ(walk(doc, "PREVIOUS", -1),
              (std::vector<std::string>{"FILE /q/sub c.txt", "FOLDER /q/sub sub", "FILE /q b.txt", "FILE /q a.txt",
                                        "FOLDER /q q"}));
    // PREVIOUS from the first row marks it done and ends.
    EXPECT_EQ(doc.list().icon(doc.list().findFolder("/q")), RowIcon::FolderDone);
}

TEST(WorkList, UntickedRowsAreLeftOut)
{
    struct Case {
        const char* name;
        std::vector<std::string> unticked; // keys
        std::string direction;
        std::int32_t from;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"all unticked", {"/q", "/qa.txt", "/qb.txt", "/q/sub", "/q/subc.txt"}, "NEXT", 0, {}},
        {"all unticked, from -1", {"/q", "/qa.txt", "/qb.txt", "/q/sub", "/q/subc.txt"}, "NEXT", -1, {}},
        {"all unticked, backwards", {"/q", "/qa.txt", "/qb.txt", "/q/sub", "/q/subc.txt"}, "PREVIOUS", -1, {}},
        {"first and last", {"/q", "/q/subc.txt"}, "NEXT", 0, {"FILE /q a.txt", "FILE /q b.txt", "FOLDER /q/sub sub"}},
        {"a middle file",
         {"/qb.txt"},
         "PREVIOUS",
         -1,
         {"FILE /q/sub c.txt", "FOLDER /q/sub sub", "FILE /q a.txt", "FOLDER /q q"}},
        {"unknown direction", {}, "SIDEWAYS", 0, {}},
    };
    for (const Case& c : cases) {
        ProtocolDocument doc;
        fill(doc);
        ProtocolList& list = doc.list();
        list.flush();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const RowId row = list.workRow(i);
            if (std::find(c.unticked.begin(), c.unticked.end(), list.key(row)) != c.unticked.end())
                list.setTicked(row, false);
        }
        EXPECT_EQ(walk(doc, c.direction, c.from), c.expected) << c.name;
        EXPECT_EQ(doc.actionInfo(), "Aktion abgeschlossen.") << c.name;
    }
}

TEST(WorkList, EmptyProtocolFinishesAtOnce)
{
    ProtocolDocument doc;
    for (const auto& [direction, from] : std::vector<std::pair<std::string, int>>{
             {"NEXT", 0}, {"NEXT", -1}, {"PREVIOUS", -1}, {"PREVIOUS", 0}, {"NEXT", 5}}) {
        auto step = test::step(direction, "COPY", from);
        step.type = step.sourcePath = step.source = step.targetPath = "x";
        doc.sb_EntryGetNext(step);
        EXPECT_EQ(step.index, -1);
        EXPECT_EQ(step.type + step.sourcePath + step.source + step.targetPath, "");
    }
    EXPECT_EQ(doc.fc_NextError(), kNoPosition);
    doc.list().sortView(Column::Entry, false);
    EXPECT_EQ(doc.list().size(), 0u);
}

TEST(ProtocolModes, InitFollowsTheModeRules)
{
    ProtocolDocument doc;
    EXPECT_EQ(doc.columns(), ColumnSet::None);
    EXPECT_EQ(doc.actionInfo(), "(Protokoll erstellen ...)");
    doc.fc_Init("LISTVIEW,INFODIR", true);
    EXPECT_EQ(doc.Task(), "LISTVIEW,INFODIR");
    EXPECT_EQ(columnCaption(doc.columns(), Column::Entry), "Verzeichnis");
    EXPECT_EQ(columnCaption(doc.columns(), Column::Target), "Hauptverzeichnis");
    EXPECT_EQ(columnWidthTwips(doc.columns(), Column::Folder), 3000);
    doc.fc_ListItem_Add(folderEntry("/a"));
    // Text modes leave a folder-space survey alone.
    doc.fc_Init("\r\nZeile", true);
    EXPECT_EQ(doc.Task(), "LISTVIEW,INFODIR");
    EXPECT_TRUE(doc.listShown());
    EXPECT_EQ(doc.text(), "");
    doc.list().flush();
    EXPECT_EQ(doc.list().size(), 1u);
    // A list mode on a list with columns only clears the rows.
    doc.fc_Init("LISTVIEW", false);
    EXPECT_EQ(doc.Task(), "LISTVIEW");
    EXPECT_EQ(doc.columns(), ColumnSet::InfoDir);
    EXPECT_TRUE(doc.display());
    EXPECT_EQ(doc.list().size() + doc.list().pendingCount(), 0u);
    // The text protocol without its leading line break.
    doc.fc_Init("\r\nerste\r\nzweite", true);
    EXPECT_EQ(doc.Task(), "TEXT");
    EXPECT_EQ(doc.text(), "erste\r\nzweite");
    EXPECT_TRUE(doc.reloadShown());
    EXPECT_FALSE(doc.listShown());
    doc.sb_Protocol_Add("dritte");
    EXPECT_EQ(doc.text(), "erste\r\nzweite\r\ndritte");
    doc.sb_Protocol_ReLoaded("\r\nneu");
    EXPECT_EQ(doc.text(), "neu");
    doc.sb_Protocol_ReLoaded("");
    EXPECT_EQ(doc.text(), "neu");
    doc.setTask("");
    EXPECT_EQ(doc.text(), "");
    EXPECT_EQ(doc.Task(), "");
}

TEST(ProtocolModes, NetworkOpensAnEmptyTextView)
{
    ProtocolDocument doc;
    doc.fc_Init("NETWORK", true);
    EXPECT_EQ(doc.Task(), "TEXT");
    EXPECT_FALSE(doc.reloadShown());
    EXPECT_FALSE(doc.listShown());
    doc.sb_Protocol_Add("\\\\server\\share");
    EXPECT_EQ(doc.text(), "\r\n\\\\server\\share");
    // A text that does not begin with a line break keeps its first characters.
    doc.fc_Init("ab", true);
    EXPECT_EQ(doc.text(), "ab");
}

TEST(ProtocolModes, FolderSurveyKeysFolderRowsByText)
{
    ProtocolDocument doc;
    doc.fc_Init("LISTVIEW,INFODIR", true);
    auto row = folderEntry("/a");
    row.par_Info = "/a/     (1)  >>";
    EXPECT_TRUE(doc.fc_ListItem_Add(row));
    row.par_Info = "/a/     (1)  <<";
    EXPECT_TRUE(doc.fc_ListItem_Add(row)); // same folder, other text: another row
    EXPECT_FALSE(doc.fc_ListItem_Add(row));
}

TEST(ProtocolErrors, TextModeWritesTheErrorLine)
{
    for (const std::string mode : {"", "\r\nText"}) {
        ProtocolDocument doc;
        if (!mode.empty())
            doc.fc_Init(mode, true);
        auto folder = folderEntry("/q");
        folder.par_Name = "q";
        folder.par_Target = "Zugriff verweigert";
        doc.fc_ListItem_Err(fileEntry("/q", "a.txt"));
        doc.fc_ListItem_Err(folder);
        EXPECT_EQ(doc.text(),
                  (mode.empty() ? std::string() : "Text")
                      + "\r\nFehler beim Kopieren von: 'a.txt' - /ziel/q\r\nFehler beim Kopieren von: 'q' - Zugriff "
                        "verweigert");
        EXPECT_EQ(doc.list().pendingCount(), 0u);
    }
}

TEST(ProtocolErrors, FailedRowsAreRedFindableAndStayFailed)
{
    ProtocolDocument doc;
    fill(doc);
    auto failed = fileEntry("/q", "b.txt");
    failed.par_Target = "Fehler bei Datei: b.txt - Der Datenträger ist voll.";
    doc.fc_ListItem_Err(failed);
    // Neither the new file nor the folder had a row: both get one.
    auto lost = fileEntry("/q/neu", "n.txt");
    lost.par_Target = "weg";
    doc.fc_ListItem_Err(lost);
    auto locked = folderEntry("/q/zu");
    locked.par_Target = "Zugriff verweigert";
    doc.fc_ListItem_Err(locked);
    ProtocolList& list = doc.list();
    const RowId b = list.findFile("/q", "b.txt");
    EXPECT_EQ(list.icon(b), RowIcon::FileErr);
    EXPECT_EQ(list.colour(b), RowColour::Red);
    EXPECT_EQ(list.messageTag(b), failed.par_Target);
    EXPECT_EQ(list.messageTag(list.findFile("/q/neu", "n.txt")), "weg");
    const RowId zu = list.findFolder("/q/zu");
    ASSERT_NE(zu, kNoRow);
    EXPECT_EQ(list.icon(zu), RowIcon::FolderErr);
    EXPECT_EQ(list.messageTag(zu), "Zugriff verweigert"); // a double click tells why
    // A row that only a failure brought is no work for the copy.
    EXPECT_FALSE(list.ticked(zu));
    EXPECT_TRUE(list.ticked(b));

    // The search goes from hit to hit, the last row included, and wraps.
    std::vector<std::string> hits;
    for (int i = 0; i < 4; ++i)
        hits.push_back(list.key(list.viewRow(doc.fc_NextError())));
    EXPECT_EQ(hits, (std::vector<std::string>{"/qb.txt", "/q/neun.txt", "/q/zu", "/qb.txt"}));

    // Walking over a failed row does not hide its failure.
    walk(doc, "NEXT", 0);
    EXPECT_EQ(list.icon(b), RowIcon::FileErr);
    EXPECT_EQ(list.icon(list.findFile("/q", "a.txt")), RowIcon::FileDone);
}

TEST(ProtocolDelete, WithdrawnFolderLeavesTheWorkList)
{
    ProtocolDocument doc;
    fill(doc);
    doc.sb_Protocol_Delete("/q/sub");
    doc.sb_Protocol_Delete("/gibt/es/nicht");
    EXPECT_EQ(walk(doc, "NEXT", 0),
              (std::vector<std::string>{"FOLDER /q q", "FILE /q a.txt", "FILE /q b.txt", "FILE /q/sub c.txt"}));
}

TEST(ContextMenu, ValuesAndEnablingFollowTheClickedRow)
{
    ProtocolDocument doc;
    doc.fc_Init("LISTVIEW", true);
    doc.fc_ListItem_Add(folderEntry("/home/u/Daten"));
    doc.fc_ListItem_Add(infoEntry("/home/u/Bilder", "x.jpg"));
    doc.fc_ListItem_Add(fileEntry("/home/u/Daten", "brief.txt"));
    auto plain = fileEntry("/home/u/Daten", "  ohne info");
    plain.par_Info = "    ohne info";
    doc.fc_ListItem_Add(plain);
    const ProtocolList& list = doc.list();
    struct Case {
        RowId row;
        MenuItem item;
        std::optional<EntryKind> kind;
        std::string value;
    };
    const RowId folder = list.findFolder("/home/u/Daten");
    const RowId heading = list.findFolder("/home/u/Bilder");
    const RowId file = list.findFile("/home/u/Daten", "brief.txt");
    const RowId bare = list.findFile("/home/u/Daten", "  ohne info");
    const std::vector<Case> cases{
        {folder, MenuItem::FolderName, EntryKind::Folder, "Daten"},
        {folder, MenuItem::FolderPath, EntryKind::Folder, "/home/u/Daten"},
        {heading, MenuItem::FolderName, EntryKind::Folder, "Bilder"},
        {heading, MenuItem::FolderPath, EntryKind::Folder, "/home/u/Bilder"},
        {folder, MenuItem::FileName, std::nullopt, ""},
        {folder, MenuItem::FolderHeading, std::nullopt, ""},
        {file, MenuItem::FileName, EntryKind::File, "brief.txt"},
        {file, MenuItem::FilePath, EntryKind::File, "/home/u/Daten/brief.txt"},
        {bare, MenuItem::FileName, EntryKind::File, "ohne info"},
        {file, MenuItem::FolderPath, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        const auto got = fc_ExceptValue(list, c.row, c.item);
        ASSERT_EQ(got.has_value(), c.kind.has_value()) << static_cast<int>(c.item);
        if (got) {
            EXPECT_EQ(got->kind, *c.kind);
            EXPECT_EQ(got->value, c.value);
        }
    }
    for (const RowIcon icon : {RowIcon::FolderDone, RowIcon::FolderErr, RowIcon::FileDone, RowIcon::FileErr}) {
        for (const MenuItem item : {MenuItem::FolderName, MenuItem::FileName})
            EXPECT_FALSE(menuItemEnabled(item, icon));
    }
    EXPECT_TRUE(menuItemEnabled(MenuItem::FolderHeading, RowIcon::Folder));
    EXPECT_TRUE(menuItemEnabled(MenuItem::FilePath, RowIcon::File));
}

} // namespace
} // namespace zdr::protocol
