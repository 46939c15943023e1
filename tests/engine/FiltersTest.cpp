// The rules that decide which entries take part: task splitting, wildcards,
// the file and folder rules, extensions, size texts and the time estimate.
#include "engine/EngineTask.h"
#include "engine/EntryFilter.h"
#include "engine/FileCompare.h"
#include "engine/SizeText.h"
#include "engine/TimeEstimate.h"
#include "engine/Wildcard.h"

#include <gtest/gtest.h>

#include <ctime>

namespace zdr::engine {
namespace {

using platform::FileEntry;

TEST(EngineTask, SplitsExclusionsAndFiltersIntoNamesAndPatterns)
{
    const struct {
        const char* text;
        const char* names;
        std::vector<std::string> patterns;
    } cases[] = {
        {"Temp;*.bak;\\Cache", ";Temp;\\Cache;", {"*.bak"}},
        {"", "", {}},
        {";;", "", {}},
        {"a.txt;", ";a.txt;", {}},
        {"*;\\T*", "", {"*", "\\T*"}},
    };
    for (const auto& c : cases) {
        std::string names;
        std::vector<std::string> patterns;
        splitFilterText(c.text, names, patterns);
        EXPECT_EQ(names, c.names) << c.text;
        EXPECT_EQ(patterns, c.patterns) << c.text;
    }
}

TEST(EngineTask, NormalisesFoldersSelectionRenameAndFiltered)
{
    project::Task in;
    in.sourceFolder = "/data/src/";
    in.targetFolder = "/data/dst//";
    in.backupFolder = "/data/backup";
    in.renameCode = "x|24|[NAMETOTAL]_[yyyy]";
    EngineTask t = EngineTask::fromTask(in, false);
    EXPECT_EQ(t.Source, "/data/src");
    EXPECT_EQ(t.Target, "/data/dst");
    EXPECT_EQ(t.BackupFolder, "/data/backup/");
    EXPECT_EQ(t.Selection, std::vector<std::string>{"."}); // empty selection: the whole folder
    EXPECT_EQ(t.RenameFlags, 24u);
    EXPECT_EQ(t.RenameCode, "[NAMETOTAL]_[yyyy]");
    EXPECT_FALSE(t.Filtered);

    in.sourceFolder = "[Net][Share]\\";
    in.backupFolder.clear();
    in.selection = {"", "a.txt", "\\Sub"};
    in.dateFrom = "01.01.2020"; // a date range alone does not filter
    t = EngineTask::fromTask(in, false);
    EXPECT_EQ(t.Source, "[Net][Share]\\");
    EXPECT_EQ(t.BackupFolder, ""); // never the root
    EXPECT_EQ(t.Selection, (std::vector<std::string>{"a.txt", "\\Sub"}));
    EXPECT_FALSE(t.Filtered);
    EXPECT_TRUE(EngineTask::fromTask(in, true).Filtered);
    in.sizeMaxK = "1";
    EXPECT_TRUE(EngineTask::fromTask(in, false).Filtered);

    // Extensions as typed are searched framed and without stars; the size
    // is the number in front, text that is none is no limit.
    in.extensions = "*.txt;*.dat";
    in.sizeMaxK = "512 KB";
    t = EngineTask::fromTask(in, false);
    EXPECT_EQ(t.Extensions, ";.txt;.dat;");
    EXPECT_EQ(t.MaxSizeK, 512u);
    for (const char* none : {"viel", "-5", ""}) {
        in.sizeMaxK = none;
        EXPECT_EQ(EngineTask::fromTask(in, false).MaxSizeK, 0u) << none;
    }
}

TEST(Wildcard, MatchesLikeTheProgramsPatterns)
{
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.txt", "a.txt", true},
        {"*.txt", "a.TXT", false}, // case-sensitive
        {"*.txt", ".txt", true},
        {"*.txt", "a.txt.bak", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "aäc", true}, // one character, two bytes
        {"v#", "v1", true},
        {"v#", "vx", false},
        {"v##", "v12", true},
        {"[abc]x", "bx", true},
        {"[abc]x", "dx", false},
        {"[a-c]x", "cx", true},
        {"[!a-c]x", "cx", false},
        {"[!a-c]x", "dx", true},
        {"[x", "[x", true}, // an unclosed list is literal
        {"*", "", true},
        {"", "", true},
        {"", "a", false},
        {"**a**", "bab", true},
        {"*a*b*c*", "xaybzc", true},
        {"*a*b*c*", "xaybz", false},
        {"\\Temp*", "\\Temp1", true},
        {"*", "\xFF\xFE", true},
        {"?", "\xFF", true},
        {"?", "\xC3", true},          // truncated sequence is one character
        {"\xC3\x97", "\xD7", false},  // a stray byte is not the character of its value
        {"A", "\xE0\x81\x81", false}, // nor is an overlong form
        {"[\xC3\x80-\xC3\xBF]", "\xD7", false},
        {"a*", "a|b~°~c", true},
        // Patterns stay case-sensitive in every script; "?" and lists take
        // whole characters.
        {"отчёт.*", "ОТЧЁТ.txt", false},
        {"от?ёт.txt", "отчёт.txt", true},
        {"[а-я]*", "ж", true},
        {"[а-я]*", "Ж", false},
        {"σοφο?", "σοφος", true},
        {"*\xC4*", "\xC3\x84", false}, // a stray byte is not Ä
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
}

TEST(Wildcard, ManyStarsStayFast)
{
    // Backtracking to the last star only: this must not take exponential time.
    const std::string name(5000, 'a');
    EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", name));
}

TEST(Extensions, LastDotDecidesWithoutRegardToCase)
{
    EXPECT_TRUE(fc_ExtensionListed(";.txt;.doc;", "Brief.TXT"));
    EXPECT_TRUE(fc_ExtensionListed(";.gz;", "archiv.tar.gz"));
    EXPECT_FALSE(fc_ExtensionListed(";.tar.gz;", "archiv.tar.gz"));
    EXPECT_FALSE(fc_ExtensionListed(";.txt;", "README"));
    EXPECT_FALSE(fc_ExtensionListed(";.txt;", "a.txt2"));
    EXPECT_TRUE(fc_ExtensionListed(";.;", "punkt."));
}

FileEntry file(std::string name, std::uint64_t size = 10, std::int64_t mtime = 0, std::uint32_t attributes = 0)
{
    FileEntry e;
    e.name = std::move(name);
    e.size = size;
    e.lastWrite = mtime;
    e.attributes = attributes;
    return e;
}

std::int64_t localNanos(int y, int mo, int d, int h, int mi, int s)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm)) * 1000000000;
}

TEST(EntryFilter, FileRulesInTheirOrder)
{
    const std::int64_t noon = localNanos(2026, 3, 10, 12, 0, 0);
    const struct {
        const char* label;
        project::Task task;
        bool folderOnly;
        FileEntry entry;
        bool passes;
    } cases[] = {
        {"no rules", {}, false, file("a.txt"), true},
        {"folders only", {}, true, file("a.txt"), false},
        {"extension listed", {.extensions = "*.txt"}, false, file("a.TXT"), true},
        {"extension missing", {.extensions = "*.txt"}, false, file("README"), false},
        {"size at the limit", {.sizeMaxK = "2"}, false, file("a", 2000), true},
        {"size one above", {.sizeMaxK = "2"}, false, file("a", 2001), false},
        {"5 GiB over a 1 MB limit", {.sizeMaxK = "1000"}, false, file("big", 5ULL << 30), false},
        {"include name", {.nameFilters = "a.txt;b.txt"}, false, file("B.TXT"), true},
        {"include name missing", {.nameFilters = "a.txt"}, false, file("c.txt"), false},
        {"include pattern", {.nameFilters = "*.doc"}, false, file("x.doc"), true},
        {"name or pattern", {.nameFilters = "a.txt;*.doc"}, false, file("x.doc"), true},
        {"name or pattern (name)", {.nameFilters = "a.txt;*.doc"}, false, file("a.txt"), true},
        {"folder pattern filters no file", {.nameFilters = "\\D*"}, false, file("Daten"), false},
        {"date from", {.dateFrom = "10.03.2026 12:00"}, false, file("a", 1, noon), true},
        {"date from, older", {.dateFrom = "10.03.2026 12:00:01"}, false, file("a", 1, noon), false},
        {"date to", {.dateTo = "10.03.2026 12:00"}, false, file("a", 1, noon), true},
        {"date to, newer", {.dateTo = "10.03.2026 11:59:59"}, false, file("a", 1, noon), false},
        {"date binds pattern matches",
         {.nameFilters = "*.txt", .dateTo = "01.01.2000"},
         false,
         file("a.txt", 1, noon),
         false},
        {"exclude name", {.exclusions = "a.txt"}, false, file("A.txt"), false},
        {"exclude folder name keeps file", {.exclusions = "\\a.txt"}, false, file("a.txt"), true},
        {"exclude pattern", {.exclusions = "*.bak"}, false, file("x.bak"), false},
        {"exclude pattern is case-sensitive", {.exclusions = "*.bak"}, false, file("x.BAK"), true},
        {"exclude beats include", {.exclusions = "a.txt", .nameFilters = "*.txt"}, false, file("a.txt"), false},
        // Names compare without regard to case in every script; a byte that
        // is not UTF-8 equals only itself.
        {"exclude Cyrillic", {.exclusions = "ОТЧЁТ.TXT"}, false, file("отчёт.txt"), false},
        {"exclude Greek, final sigma", {.exclusions = "ΣΟΦΟΣ.doc"}, false, file("σοφος.DOC"), false},
        {"exclude Armenian", {.exclusions = "ՀԱՅ.txt"}, false, file("հայ.txt"), false},
        {"exclude Georgian Mtavruli", {.exclusions = "ᲐᲑᲒ.txt"}, false, file("აბგ.txt"), false},
        {"exclude by the Kelvin sign", {.exclusions = "\xE2\x84\xAA.txt"}, false, file("k.txt"), false},
        {"exclude Latin-1 byte only itself", {.exclusions = "\xC4rger"}, false, file("\xE4rger"), true},
        {"exclude stray byte itself", {.exclusions = "\xC4rger"}, false, file("\xC4RGER"), false},
        {"stray byte no umlaut", {.exclusions = "\xC3rger"}, false, file("\xC3\x83rger"), true},
        {"include Cyrillic", {.nameFilters = "ДАННЫЕ.CSV"}, false, file("данные.csv"), true},
        {"extension Cyrillic", {.extensions = "*.ТХТ"}, false, file("a.тхт"), true},
    };
    for (const auto& c : cases) {
        EntryFilter filter;
        std::string error;
        ASSERT_TRUE(filter.load(EngineTask::fromTask(c.task, false), c.folderOnly, error)) << c.label << error;
        EXPECT_EQ(filter.filePasses(c.entry), c.passes) << c.label;
    }
}

TEST(EntryFilter, FolderRules)
{
    const struct {
        const char* exclusions;
        const char* folder;
        bool passes;
    } cases[] = {
        {"\\Temp", "Temp", false},   {"\\Temp", "TEMP", false},
        {"Temp", "Temp", true},      {"\\T*", "Tmp", false},
        {"\\T*", "tmp", true},       {"*.old", "x.old", false},
        {"", "Temp", true},          {"\\ЧЕРНОВИК", "Черновик", false},
        {"\\Ωμέγα", "ΩΜΈΓΑ", false},
    };
    for (const auto& c : cases) {
        EntryFilter filter;
        std::string error;
        ASSERT_TRUE(filter.load(EngineTask::fromTask({.exclusions = c.exclusions}, false), false, error));
        EXPECT_EQ(filter.folderPasses(c.folder), c.passes) << c.exclusions << " / " << c.folder;
    }
}

TEST(EntryFilter, UnreadableDateIsAnError)
{
    EntryFilter filter;
    std::string error;
    EXPECT_FALSE(filter.load(EngineTask::fromTask({.dateFrom = "gestern"}, false), false, error));
    EXPECT_EQ(error, "Datum 'gestern' ist ungültig!");
}

TEST(SizeText, UnitsAndPictures)
{
    const struct {
        double kb;
        const char* unit;
        const char* format;
        const char* expected;
    } cases[] = {
        {0, "", "", ""},
        {0.5, "", "", "512 Byte"},
        {1, "", "", "1,00 KB"},
        {1023.994, "", "", "1.023,99 KB"},
        {1024, "", "", "1,00 MB"},
        {1536 * 1024.0, "", "", "1,50 GB"},
        {0, "MB", "0,000.00", "0.000,00 MB"},
        {2560, "MB", "0,000.00", "0.002,50 MB"},
        {0, "KB", "", "0,00 KB"},
        {2, "B", "", "2048 Byte"},
        {-4, "", "", "-4,00 KB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fc_SizeText(c.kb, c.unit, c.format), c.expected) << c.kb << " " << c.unit;
}

TEST(FileCompare, EqualityAndItsReasons)
{
    FileEntry s = file("a", 100, 1000);
    FileEntry t = s;
    EXPECT_TRUE(fc_FilesEqual(s, t, false));
    t.lastWrite = 1100; // one unit of the file time
    EXPECT_FALSE(fc_FilesEqual(s, t, false));
    EXPECT_TRUE(fc_FilesEqual(s, t, true)); // target newer: nothing to do
    t = s;
    t.attributes = platform::attr::kHidden;
    EXPECT_FALSE(fc_FilesEqual(s, t, false));
    EXPECT_EQ(fc_DifferenceText(s, t, false), "'' Attribute ungleich: 'versteckt'");
    t = s;
    t.attributes = platform::attr::kArchive; // not compared
    EXPECT_TRUE(fc_FilesEqual(s, t, false));
    t = s;
    t.size = 2048;
    EXPECT_EQ(fc_DifferenceText(s, t, false), "'100 Byte' Größe ungleich: '2,00 KB'");
    t.lastWrite = s.lastWrite + 5'000'000'000;
    EXPECT_NE(fc_DifferenceText(s, t, false).find("' (x  ~>  x): '"), std::string::npos);
    EXPECT_EQ(fc_DifferenceText(s, s, false), "");
    EXPECT_EQ(fc_AttributeText(0x1 | 0x4 | 0x800), "schreigeschützt, System, kompirmiert");
}

// Times as the target volume keeps them: in 100-ns units, and no finer than
// the volume (NTFS, exFAT through its FUSE driver, FAT).
TEST(FileCompare, TimesAtTheTargetVolumesPrecision)
{
    constexpr std::int64_t s = 1'700'000'001'123'456'789;
    const struct {
        std::int64_t target;
        std::int64_t precision;
        bool same;
        bool notLater;
    } cases[] = {
        {s, 1, true, true},
        {s - 89, 1, true, true},                          // NTFS cut it to 100 ns
        {s - 90, 1, false, false},                        // one unit earlier
        {s + 10, 1, true, true},                          // within the same unit
        {s + 111, 1, false, true},                        // one unit later
        {s - 123'456'789, 1'000'000'000, true, true},     // exFAT through FUSE: whole seconds
        {s - 1'123'456'789, 1'000'000'000, false, false}, // changed by more than a second
        {s + 876'543'211, 2'000'000'000, true, true},     // FAT rounded up to its two seconds
        {s - 1'123'456'789, 2'000'000'000, true, true},   // FAT cut down
        {s - 2'123'456'789, 2'000'000'000, false, false},
        {s + 3'000'000'000, 2'000'000'000, false, true}, // target newer
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fc_SameTime(s, c.target, c.precision), c.same) << c.target - s << " at " << c.precision;
        EXPECT_EQ(fc_NotLater(s, c.target, c.precision), c.notLater) << c.target - s << " at " << c.precision;
    }
    FileEntry source = file("a", 100, s);
    FileEntry target = file("a", 100, s - 123'456'789);
    EXPECT_TRUE(fc_FilesEqual(source, target, false, 1'000'000'000));
    EXPECT_EQ(fc_DifferenceText(source, target, false, 1'000'000'000), "");
    target.size = 101; // a change in size goes whatever the time
    EXPECT_FALSE(fc_FilesEqual(source, target, false, 1'000'000'000));
}

TEST(FileCompare, DifferenceLines)
{
    using platform::attr::kHidden;
    using platform::attr::kReadOnly;
    const std::int64_t noon = localNanos(2024, 5, 1, 12, 0, 0);
    const std::int64_t later = localNanos(2024, 5, 2, 8, 30, 15);
    const struct {
        const char* label;
        FileEntry source;
        FileEntry target;
        bool onlyNewer;
        const char* text;
    } cases[] = {
        {"source newer", file("a", 10, later), file("a", 10, noon), false,
         "'02.05.2024 08:30:15' (x  =>  x): '01.05.2024 12:00:00'"},
        {"target newer", file("a", 10, noon), file("a", 10, later), false,
         "'01.05.2024 12:00:00' (x  ~>  x): '02.05.2024 08:30:15'"},
        {"all three", file("a", 10, later, kReadOnly | kHidden), file("a", 3000, noon), false,
         "'02.05.2024 08:30:15' (x  =>  x): '01.05.2024 12:00:00' - 'schreigeschützt, versteckt' Attribute ungleich: "
         "'' - '10 Byte' Größe ungleich: '2,93 KB'"},
        {"only newer: the source's size", file("a", 10, later), file("a", 3000, noon), true,
         "'02.05.2024 08:30:15' (x  =>  x): '01.05.2024 12:00:00' -  '10 Byte"},
        {"source newer below a second", file("a", 10, noon + 250'000'000), file("a", 10, noon), false,
         "'01.05.2024 12:00:00' (x  =>  x): '01.05.2024 12:00:00' Zeitunterschied: '0,25 s'"},
        {"target newer by one unit of the file time", file("a", 10, noon), file("a", 10, noon + 100), false,
         "'01.05.2024 12:00:00' (x  ~>  x): '01.05.2024 12:00:00' Zeitunterschied: '0,0000001 s'"},
        {"a nanosecond within the unit", file("a", 10, noon), file("a", 10, noon + 1), false, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fc_DifferenceText(c.source, c.target, c.onlyNewer), c.text) << c.label;

    EXPECT_EQ(fc_AttributeText(0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100 | 0x800 | 0x10),
              "schreigeschützt, versteckt, System, Archiv, normal, temporär, kompirmiert");
    EXPECT_EQ(fc_AttributeText(0), "");
    // A file time in universal and in local time.
    const std::int64_t utcNoon = 1714564800LL * 1000000000 + 999999999; // 01.05.2024 12:00:00.999 UTC
    EXPECT_EQ(base::formatDateTime(fc_FileTimeToDate(utcNoon, false)), "01.05.2024 12:00:00");
    EXPECT_EQ(fc_FileTimeToDate(utcNoon, true), base::LocalDateTime::fromUnixNanos(utcNoon));
    EXPECT_EQ(base::formatDateTime(fc_FileTimeToDate(-1, false)), "31.12.1969 23:59:59");
}

TEST(TimeEstimate, CountsAndSizes)
{
    EngineCounters c;
    c.CountFiles = 90;
    c.CountFolder = 10;
    c.CountFiles_Done = 20;
    c.CountFolder_Done = 5;
    c.SizeTotal = 1000;
    c.SizeTotal_Done = 100;
    EXPECT_EQ(fc_EstimateSeconds(10, c, 0, true), 40);           // 10 × 100 / 25
    EXPECT_EQ(fc_EstimateSeconds(10, c, 0, false), 70);          // (40 + 100) / 2
    EXPECT_EQ(fc_EstimateSeconds(10, c, 100 * 1024, false), 45); // the file in progress counts whole
    EngineCounters empty;
    empty.CountFiles = 3;
    EXPECT_EQ(fc_EstimateSeconds(2, empty, 0, false), 60); // nothing done: 0.1 handled, no size
}

} // namespace
} // namespace zdr::engine
