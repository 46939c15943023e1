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
        run::CoverTask task;
        const char* action;
        engine::EngineTaskInput expected;
    } cases[] = {
        {"folders lose their final separator",
         {.sourceFolder = "/daten/", .targetFolder = "/ziel/"},
         "COPY",
         {.Source = "/daten", .Selection = {"."}, .Target = "/ziel"}},
        {"a root stays a root",
         {.sourceFolder = "/", .targetFolder = "/"},
         "INFO",
         {.Source = "/", .Selection = {"."}, .Target = "/"}},
        {"a network placeholder stays as given",
         {.sourceFolder = "[Net][WG][daten]/"},
         "INFO",
         {.Source = "[Net][WG][daten]/", .Selection = {"."}}},
        {"a selection of one dot is the whole folder",
         {.sourceFolder = "/d", .selectedEntries = "."},
         "INFO",
         {.Source = "/d", .Selection = {"."}}},
        {"entries are split at the semicolon",
         {.sourceFolder = "/d", .selectedEntries = "\\Bilder;a b.txt"},
         "INFO",
         {.Source = "/d", .Selection = {"\\Bilder", "a b.txt"}}},
        {"extensions lose their stars and are framed",
         {.sourceFolder = "/d", .fileExtensions = "*.txt;*.dat"},
         "INFO",
         {.Source = "/d", .Selection = {"."}, .Extensions = ";.txt;.dat;"}},
        {"the size is the number in front",
         {.sourceFolder = "/d", .filesSizeMax = "512 KB"},
         "INFO",
         {.Source = "/d", .Selection = {"."}, .MaxSizeK = 512}},
        {"a size that is no number is none",
         {.sourceFolder = "/d", .filesSizeMax = "viel"},
         "INFO",
         {.Source = "/d", .Selection = {"."}}},
        {"a negative size is none",
         {.sourceFolder = "/d", .filesSizeMax = "-5"},
         "INFO",
         {.Source = "/d", .Selection = {"."}}},
        {"a new folder's source that names a file is its folder",
         {.sourceFolder = file},
         "MKDIR",
         {.Source = dir.file("Daten"), .Selection = {"."}}},
        {"only a new folder's source moves to the folder",
         {.sourceFolder = file},
         "INFO",
         {.Source = file, .Selection = {"."}}},
    };
    for (const auto& c : cases) {
        const engine::EngineTaskInput got = fc_TaskRecord(c.task, c.action);
        EXPECT_EQ(got.Source, c.expected.Source) << c.what;
        EXPECT_EQ(got.Selection, c.expected.Selection) << c.what;
        EXPECT_EQ(got.Target, c.expected.Target) << c.what;
        EXPECT_EQ(got.Extensions, c.expected.Extensions) << c.what;
        EXPECT_EQ(got.MaxSizeK, c.expected.MaxSizeK) << c.what;
    }
}

// Which fields beyond the first nine each action hands the engine.
TEST(CoverTasks, EngineGetsTheFieldsOfItsAction)
{
    run::CoverTask task{"/d",
                        "\\a",
                        "/z",
                        1,
                        2,
                        "\\x",
                        "f*",
                        "*.txt",
                        "9",
                        "1|20|[NAME]",
                        "2|X:|\\\\s\\a|u|p",
                        "0|Y:|\\\\s\\b|u|p",
                        "1.1.2020",
                        "31.12.2020",
                        "/sich"};
    const engine::EngineTaskInput record = fc_TaskRecord(task, "COPY");
    struct Row {
        const char* action;
        bool rename, backup, dates;
    };
    for (const Row& row :
         {Row{"COPY", true, true, true}, Row{"INFO", false, false, true}, Row{"DELETE", false, false, true},
          Row{"ATTRIB", false, false, true}, Row{"MKDIR", false, false, false}}) {
        const engine::EngineTaskInput in = fc_EngineInput(record, row.action);
        EXPECT_EQ(std::tie(in.Source, in.Selection, in.Target, in.AttributesSet, in.AttributesClear, in.Exclusions,
                           in.NameFilters, in.Extensions, in.MaxSizeK),
                  std::tie(record.Source, record.Selection, record.Target, record.AttributesSet, record.AttributesClear,
                           record.Exclusions, record.NameFilters, record.Extensions, record.MaxSizeK))
            << row.action;
        EXPECT_EQ(in.NetSource, record.NetSource) << row.action;
        EXPECT_EQ(in.NetTarget, record.NetTarget) << row.action;
        EXPECT_EQ(in.RenameParameter.empty(), !row.rename) << row.action;
        EXPECT_EQ(in.BackupFolder.empty(), !row.backup) << row.action;
        EXPECT_EQ(in.DateFrom.empty() && in.DateTo.empty(), !row.dates) << row.action;
    }
}

} // namespace
} // namespace zdr::run
