#include "run/CoverTasks.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

TEST(CoverTasks, RecordFollowsTheRulesOfInitAdd)
{
    test::TempDir dir;
    const std::string file = dir.write("Daten/brief.txt", "x");
    const struct {
        const char* what;
        project::Task task;
        const char* action;
        project::Task expected;
    } cases[] = {
        {"folders lose their final separator",
         {.sourceFolder = "/daten/", .targetFolder = "/ziel/"},
         "COPY",
         {.sourceFolder = "/daten", .selection = {"."}, .targetFolder = "/ziel"}},
        {"a root stays a root",
         {.sourceFolder = "/", .targetFolder = "/"},
         "INFO",
         {.sourceFolder = "/", .selection = {"."}, .targetFolder = "/"}},
        {"a network placeholder stays as given",
         {.sourceFolder = "[Net][WG][daten]/"},
         "INFO",
         {.sourceFolder = "[Net][WG][daten]/", .selection = {"."}}},
        {"a selection of one dot is the whole folder",
         {.sourceFolder = "/d", .selection = {"."}},
         "INFO",
         {.sourceFolder = "/d", .selection = {"."}}},
        {"entries stay as given",
         {.sourceFolder = "/d", .selection = {"\\Bilder", "a b.txt"}},
         "INFO",
         {.sourceFolder = "/d", .selection = {"\\Bilder", "a b.txt"}}},
        {"a new folder's source that names a file is its folder",
         {.sourceFolder = file},
         "MKDIR",
         {.sourceFolder = dir.file("Daten"), .selection = {"."}}},
        {"only a new folder's source moves to the folder",
         {.sourceFolder = file},
         "INFO",
         {.sourceFolder = file, .selection = {"."}}},
    };
    for (const auto& c : cases) {
        const project::Task got = fc_TaskRecord(c.task, c.action);
        EXPECT_EQ(got.sourceFolder, c.expected.sourceFolder) << c.what;
        EXPECT_EQ(got.selection, c.expected.selection) << c.what;
        EXPECT_EQ(got.targetFolder, c.expected.targetFolder) << c.what;
    }
}

// Which fields each action hands the engine: the others are blank.
TEST(CoverTasks, EngineGetsTheFieldsOfItsAction)
{
    const project::Task task{.sourceFolder = "/d",
                             .selection = {"\\a"},
                             .targetFolder = "/z",
                             .attributeSet = 1,
                             .attributeClear = 2,
                             .exclusions = "\\x",
                             .nameFilters = "f*",
                             .extensions = "*.txt",
                             .sizeMaxK = "9",
                             .renameCode = "1|20|[NAME]",
                             .netSourceCode = "2|X:|\\\\s\\a|u|p",
                             .netTargetCode = "0|Y:|\\\\s\\b|u|p",
                             .dateFrom = "1.1.2020",
                             .dateTo = "31.12.2020",
                             .backupFolder = "/sich"};
    const project::Task record = fc_TaskRecord(task, "COPY");
    struct Row {
        const char* action;
        bool rename, backup, dates;
    };
    for (const Row& row :
         {Row{"COPY", true, true, true}, Row{"INFO", false, false, true}, Row{"DELETE", false, false, true},
          Row{"ATTRIB", false, false, true}, Row{"MKDIR", false, false, false}}) {
        const project::Task in = fc_EngineInput(record, row.action);
        project::Task expected = record;
        if (!row.rename)
            expected.renameCode.clear();
        if (!row.backup)
            expected.backupFolder.clear();
        if (!row.dates)
            expected.dateFrom = expected.dateTo = "";
        EXPECT_EQ(in, expected) << row.action;
    }
}

} // namespace
} // namespace zdr::run
