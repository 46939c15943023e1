#include "ProtocolEntries.h"
#include "protocol/ProtocolDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zdr::protocol {
namespace {

using test::fileEntry;
using test::folderEntry;
using test::infoEntry;

std::vector<std::string> workKeys(ProtocolList& list)
{
    list.flush();
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < list.size(); ++i)
        keys.push_back(list.key(list.workRow(i)));
    return keys;
}

std::vector<std::string> viewColumn(ProtocolList& list, Column column)
{
    list.flush();
    std::vector<std::string> values;
    for (std::size_t i = 0; i < list.size(); ++i)
        values.push_back(list.columnText(list.viewRow(i), column));
    return values;
}

TEST(ProtocolList, KeysAreUniquePerKindAndFoundByHash)
{
    ProtocolDocument doc;
    doc.fc_Init("LISTVIEW", true);
    EXPECT_TRUE(doc.fc_ListItem_Add(folderEntry("/q/a")));
    EXPECT_FALSE(doc.fc_ListItem_Add(folderEntry("/q/a", 3)));
    auto first = fileEntry("/q/a", "x.txt");
    auto second = first;
    second.par_Info = "zweiter";
    EXPECT_TRUE(doc.fc_ListItem_Add(first));
    // A second report of the same file keeps the first row as it was.
    EXPECT_FALSE(doc.fc_ListItem_Add(second));
    // A folder whose path equals a file key is another row.
    EXPECT_TRUE(doc.fc_ListItem_Add(folderEntry("/q/ax.txt")));
    ProtocolList& list = doc.list();
    EXPECT_EQ(list.pendingCount(), 3u);
    list.flush();
    ASSERT_EQ(list.size(), 3u);
    const RowId file = list.findFile("/q/a", "x.txt");
    ASSERT_NE(file, kNoRow);
    EXPECT_EQ(list.text(file), first.par_Info);
    EXPECT_EQ(list.key(file), "/q/ax.txt");
    EXPECT_NE(list.findFolder("/q/ax.txt"), file);
    EXPECT_EQ(list.findFolder("/q/b"), kNoRow);
}

TEST(ProtocolList, ManyKeysSurviveIndexGrowthAndRemoval)
{
    ProtocolList list;
    for (int i = 0; i < 5000; ++i)
        list.add(fileEntry("/d" + std::to_string(i % 37), "f" + std::to_string(i)), ProtocolList::FolderKey::ByFolder);
    for (int i = 0; i < 5000; i += 2)
        EXPECT_TRUE(list.remove("/d" + std::to_string(i % 37) + "f" + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) {
        const RowId row = list.findFile("/d" + std::to_string(i % 37), "f" + std::to_string(i));
        EXPECT_EQ(row == kNoRow, i % 2 == 0) << i;
    }
    list.flush();
    EXPECT_EQ(list.size(), 2500u);
    // A removed key can be added again.
    EXPECT_NE(list.add(fileEntry("/d0", "f0"), ProtocolList::FolderKey::ByFolder), kNoRow);
}

TEST(ProtocolList, WorkOrderIsFolderThenItsFilesThenItsSubfolders)
{
    ProtocolList list;
    // Arrival in walk order with names in directory order, in small batches.
    const std::vector<ProtocolEntry> walk{
        folderEntry("/r"),           fileEntry("/r", "zz.txt"), fileEntry("/r", "Ab.txt"), folderEntry("/r/b"),
        fileEntry("/r/b", "  eins"), folderEntry("/r/a b"),     folderEntry("/r/a"),       fileEntry("/r/a", "_x"),
        folderEntry("/r/a/c"),       fileEntry("/r/a/c", "k"),  folderEntry("/r/a.x"),     fileEntry("/r", "a"),
    };
    for (std::size_t i = 0; i < walk.size(); ++i) {
        list.add(walk[i], ProtocolList::FolderKey::ByFolder);
        if (i % 3 == 2)
            list.flush();
    }
    EXPECT_EQ(workKeys(list),
              (std::vector<std::string>{"/r", "/rAb.txt", "/ra", "/rzz.txt", "/r/a", "/r/a_x", "/r/a/c", "/r/a/ck",
                                        "/r/a b", "/r/a.x", "/r/b", "/r/b  eins"}));
    const RowId folder = list.findFolder("/r");
    const RowId file = list.findFile("/r/b", "  eins");
    EXPECT_EQ(list.sortKey(folder), std::string("/r\\____________\x02"));
    EXPECT_EQ(list.sortKey(file), "/r/b\\____________eins");
    EXPECT_EQ(list.columnText(folder, Column::Sort), list.sortKey(folder));
}

TEST(ProtocolList, TargetSideFolderShowsTargetAndSortsBeforeItsFiles)
{
    ProtocolList list;
    ProtocolEntry sub = folderEntry("/quelle/sub");
    sub.par_Target = "/ziel/sub";
    sub.par_SynchActionInTarget = true;
    ProtocolEntry top = folderEntry("/quelle");
    top.par_Target = "/ziel";
    top.par_SynchActionInTarget = true;
    ProtocolEntry file = fileEntry("/quelle", "b.txt");
    file.par_Target = "/ziel";
    file.par_SynchActionInTarget = true;
    // Without the flag the row sorts by its source folder, here before /ziel.
    ProtocolEntry other = fileEntry("/a", "c.txt");
    for (const auto& e : {sub, file, other, top})
        list.add(e, ProtocolList::FolderKey::ByFolder);
    EXPECT_EQ(workKeys(list), (std::vector<std::string>{"/ac.txt", "/quelle", "/quelleb.txt", "/quelle/sub"}));
    EXPECT_EQ(list.text(list.findFolder("/quelle")), "/ziel");
    EXPECT_EQ(list.sortKey(list.findFolder("/quelle")), std::string("/ziel\\____________\x02"));
    // Only folder rows take the target as text.
    EXPECT_EQ(list.text(list.findFile("/quelle", "b.txt")), file.par_Info);
}

TEST(ProtocolList, InfoRowsAreDimmedGreyAndUnticked)
{
    ProtocolList list;
    const RowId info = list.add(infoEntry("/r", "a.txt"), ProtocolList::FolderKey::ByFolder);
    const RowId folder = list.add(folderEntry("/s"), ProtocolList::FolderKey::ByFolder);
    const RowId file = list.add(fileEntry("/s", "a"), ProtocolList::FolderKey::ByFolder);
    EXPECT_TRUE(list.dimmed(info));
    EXPECT_FALSE(list.ticked(info));
    EXPECT_EQ(list.colour(info), RowColour::Grey);
    EXPECT_EQ(list.icon(info), RowIcon::Folder);
    EXPECT_TRUE(list.ticked(folder) && list.ticked(file));
    EXPECT_EQ(list.icon(file), RowIcon::File);
    EXPECT_EQ(list.colour(file), RowColour::Normal);
}

// Every column sorts by its raw value both ways, and rows that arrive later
// join the chosen order at the right place.
TEST(ProtocolList, ViewSortsByEveryColumnAndKeepsOrderWhileFilling)
{
    ProtocolList list;
    std::mt19937 random(7);
    const auto addSome = [&](int count) {
        for (int i = 0; i < count; ++i) {
            const int n = static_cast<int>(random() % 1000);
            auto e = fileEntry("/p" + std::to_string(n % 13), "N" + std::to_string(n) + "_" + std::to_string(i));
            e.par_Level = static_cast<std::int16_t>(n % 17 - 3);
            e.par_SystemActionTypeIndex = static_cast<std::int16_t>(n % 11);
            e.par_Type = n % 5 == 0 ? "INFO" : "FILE";
            list.add(e, ProtocolList::FolderKey::ByFolder);
        }
        list.flush();
    };
    addSome(300);
    for (int column = 0; column < kColumnCount; ++column) {
        for (const bool ascending : {true, false}) {
            list.sortView(static_cast<Column>(column), ascending);
            addSome(40);
            for (std::size_t i = 1; i < list.size(); ++i) {
                const int c = list.compare(static_cast<Column>(column), list.viewRow(i - 1), list.viewRow(i));
                ASSERT_TRUE(ascending ? c < 0 : c > 0) << "column " << column << " row " << i;
            }
            for (std::size_t i = 1; i < list.size(); ++i)
                ASSERT_LT(list.compare(Column::Sort, list.workRow(i - 1), list.workRow(i)), 0);
        }
    }
    list.sortView(Column::Level, true);
    const auto levels = viewColumn(list, Column::Level);
    EXPECT_EQ(levels.front(), "-3");
    EXPECT_EQ(levels.back(), "13"); // numbers, not texts
    for (std::size_t i = 0; i < list.size(); ++i)
        ASSERT_EQ(list.viewPosition(list.viewRow(i)), i);
}

TEST(ProtocolList, RemovingRowsWaitingOrShown)
{
    ProtocolList list;
    list.add(folderEntry("/a"), ProtocolList::FolderKey::ByFolder);
    list.add(folderEntry("/b"), ProtocolList::FolderKey::ByFolder);
    list.flush();
    list.add(folderEntry("/c"), ProtocolList::FolderKey::ByFolder);
    EXPECT_TRUE(list.remove("/c"));
    EXPECT_TRUE(list.remove("/a"));
    EXPECT_FALSE(list.remove("/a"));
    EXPECT_FALSE(list.remove("/unbekannt"));
    EXPECT_EQ(workKeys(list), std::vector<std::string>{"/b"});
    list.add(fileEntry("/b", "x"), ProtocolList::FolderKey::ByFolder);
    list.flush();
    // A file key when no folder has it.
    EXPECT_TRUE(list.remove("/bx"));
    EXPECT_EQ(workKeys(list), std::vector<std::string>{"/b"});
}

// Names from disk may hold anything a file system allows.
TEST(ProtocolList, OddTextsAreKeptByteForByteAndSortWithoutHarm)
{
    const std::vector<std::string> names{"a|b", "x~°~y", "zeile1\nzeile2", "cr\r\nlf", "bad\xFF\xFE", "\xC3",
                                         "",    "   ",   "\x02",           "~°~"};
    ProtocolDocument doc;
    doc.fc_Init("LISTVIEW", true);
    for (const auto& name : names) {
        EXPECT_TRUE(doc.fc_ListItem_Add(fileEntry("/o|d\xFF", name)));
        EXPECT_TRUE(doc.fc_ListItem_Add(folderEntry("/o|d\xFF/" + name + "~°~")));
    }
    ProtocolList& list = doc.list();
    for (int column = 0; column < kColumnCount; ++column) {
        list.sortView(static_cast<Column>(column), column % 2 == 0);
        EXPECT_EQ(list.size(), names.size() * 2);
    }
    for (const auto& name : names)
        EXPECT_NE(list.findFile("/o|d\xFF", name), kNoRow) << name;
    // The work list hands the values back unchanged.
    std::vector<std::string> seen;
    auto step = test::step("NEXT", "COPY", 0);
    for (doc.sb_EntryGetNext(step); step.index > 0; doc.sb_EntryGetNext(step)) {
        if (step.type == "FILE")
            seen.push_back(step.source);
    }
    std::sort(seen.begin(), seen.end());
    auto expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace zdr::protocol
