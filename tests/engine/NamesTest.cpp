// The names the engine makes: new names of the rename after the copy, and
// the names of the backup of replaced files.
#include "engine/BackupNames.h"
#include "engine/EngineTask.h"
#include "engine/ErrorTexts.h"
#include "engine/RenamePattern.h"

#include <gtest/gtest.h>

namespace zdr::engine {
namespace {

const base::LocalDateTime kDecember7{2026, 12, 7, 9, 5, 3};

// What a volume of the Windows family answers for a name it cannot hold
// ("not found" from exfat-fuse, "invalid" from ntfs-3g and FAT) becomes a
// text that says so; the same answer for a name it holds keeps its own.
TEST(TargetErrorText, NamesTheVolumeRefuses)
{
    using namespace platform::error;
    const struct {
        const char* name;
        platform::ErrorCode code;
        bool volumeRefuses;
        bool saysRefused;
    } cases[] = {
        {"a:b.txt", kFileNotFound, true, true},     {"Frage?", kInvalidParameter, true, true},
        {"ende.", kInvalidName, true, true},        {"ende ", kInvalidParameter, true, true},
        {"neue\nZeile", kPathNotFound, true, true}, {"a\\b", kFileNotFound, true, true},
        {"a:b.txt", kFileNotFound, false, false}, // ext4 holds it: the source went
        {"a:b.txt", kDiskFull, true, false},        {"gut.txt", kFileNotFound, true, false},
        {"..", kFileNotFound, true, false},
    };
    for (const auto& c : cases) {
        const std::string text = fc_TargetErrorText(true, c.name, c.code, c.volumeRefuses);
        EXPECT_EQ(text.find("nicht erlaubt") != std::string::npos, c.saysRefused) << c.name << ": " << text;
        if (!c.saysRefused)
            EXPECT_EQ(text, fc_EntryErrorText(true, c.name, c.code));
    }
    EXPECT_NE(fc_TooLargeText("g.bin", 0xFFFFFFFF).find("höchstens 4.294.967.295 Byte"), std::string::npos);
}

TEST(RenamePattern, PlaceholdersAreReplacedInOnePass)
{
    const struct {
        const char* pattern;
        const char* name;
        bool isFile;
        std::uint64_t numbered;
        const char* expected;
        bool numberUsed;
    } rows[] = {
        {"[NAMETOTAL]_[yyyy][mm][dd]", "a.txt", true, 0, "a.txt_20261207", false},
        {"done [NAMETOTAL]", "Bilder", false, 0, "done Bilder", false},
        {"[yy]-[hh][nn][ss]", "x", true, 0, "26-090503", false},
        {"[NAME]_alt[EXT]", "brief.2026.doc", true, 0, "brief.2026_alt.doc", false},
        {"[NAME]_alt[EXT]", "v1.2", false, 0, "v1.2_alt", false},        // a folder has no extension
        {"[NAME]_alt[EXT]", ".profile", true, 0, ".profile_alt", false}, // a leading dot starts the name
        {"[NAME]_alt[EXT]", "LIESMICH", true, 0, "LIESMICH_alt", false},
        {"Bild [000|1]", "a.jpg", true, 0, "Bild 001", true},
        {"Bild [000|1]", "a.jpg", true, 41, "Bild 042", true},
        {"Bild [0|7]", "a.jpg", true, 1000, "Bild 1007", true}, // more digits than zeros
        {"[nametotal] [Name] [000|] [0a|1]", "a", true, 0, "[nametotal] [Name] [000|] [0a|1]", false}, // none of them
        {"[[NAME]] [", "a", true, 0, "[a] [", false},
        {"x[NAMETOTAL]", "[yyyy].txt", true, 0, "x[yyyy].txt", false}, // the name's own brackets stay
    };
    for (const auto& row : rows) {
        bool numberUsed = false;
        EXPECT_EQ(fc_RenameName(row.pattern, {row.name, row.isFile, kDecember7, row.numbered}, numberUsed),
                  row.expected)
            << row.pattern << " on " << row.name;
        EXPECT_EQ(numberUsed, row.numberUsed) << row.pattern;
        EXPECT_EQ(fc_RenameNumbers(row.pattern), row.numberUsed) << row.pattern;
    }
}

TEST(RenamePattern, OnlyNamesInTheirOwnFolderAreValid)
{
    for (const char* name : {"a", "done a.txt", "...", ".x"})
        EXPECT_TRUE(fc_RenameNameValid(name)) << name;
    for (const std::string& name : std::vector<std::string>{"", ".", "..", "a/b", std::string("a\0b", 3)})
        EXPECT_FALSE(fc_RenameNameValid(name)) << name;
}

TEST(EngineTask, RenameParameterIsReadByTheParameterRules)
{
    const struct {
        const char* parameter;
        std::uint32_t flags;
        const char* code;
        bool problem;
    } rows[] = {
        {"1|26|done [NAMETOTAL]", 26, "done [NAMETOTAL]", false},
        {"1|18|Bild [000|1]", 18, "Bild [000|1]", false}, // the running number keeps its "|"
        {"", 0, "", false},
        {"1|26|alt/[NAMETOTAL]", 26, "alt/[NAMETOTAL]", true}, // would move the entry
        {"1|26|a|b", 26, "a|b", true},
    };
    for (const auto& row : rows) {
        const EngineTask task = EngineTask::fromTask({.sourceFolder = "/s", .renameCode = row.parameter}, false);
        EXPECT_EQ(task.RenameFlags, row.flags) << row.parameter;
        EXPECT_EQ(task.RenameCode, row.code) << row.parameter;
        EXPECT_EQ(!task.RenameProblem.empty(), row.problem) << row.parameter << ": " << task.RenameProblem;
    }
}

TEST(BackupNames, RunFolderAndSavedFiles)
{
    EXPECT_EQ(fc_BackupName(kDecember7), "DaroRazu Backup 261207 090503");
    EXPECT_NE(fc_BackupName(kDecember7), fc_BackupName({2026, 12, 7, 9, 5, 4})) << "runs differ by the second";

    const struct {
        const char* folder;
        const char* name;
        const char* inFolder;
        const char* inArchive;
    } rows[] = {
        {"/Data/Sub", "a.txt", "Data ~ Sub ~ a.txt", "Data/Sub/a.txt"},
        {"/", "a.txt", "a.txt", "a.txt"},
        {"/Mit Leer zeichen", "ä ö.txt", "Mit Leer zeichen ~ ä ö.txt", "Mit Leer zeichen/ä ö.txt"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fc_BackupFileName(row.folder, row.name), row.inFolder);
        EXPECT_EQ(fc_BackupArchiveName(row.folder, row.name), row.inArchive);
    }
    EXPECT_EQ(fc_NumberedName("a.txt", 2), "a (2).txt");
    EXPECT_EQ(fc_NumberedName("LIESMICH", 3), "LIESMICH (3)");
    EXPECT_EQ(fc_NumberedName(".profile", 2), ".profile (2)");
}

TEST(BackupNames, LongPathsKeepTheFileNameAndStayApart)
{
    const std::string deep =
        "/" + std::string(120, 'a') + "/" + std::string(120, 'b') + "/\xC3\xA4" + std::string(40, 'c');
    const std::string one = fc_BackupFileName(deep, "bericht.txt");
    const std::string other = fc_BackupFileName(deep + "x", "bericht.txt");
    EXPECT_LE(one.size(), 240u);
    EXPECT_LE(fc_NumberedName(one, 999).size(), 255u) << "room for numbering";
    EXPECT_EQ(one.substr(one.size() - 11), "bericht.txt");
    EXPECT_NE(one, other);
    EXPECT_NE(static_cast<unsigned char>(one[19]) & 0xC0, 0x80u) << "never cut inside a character";
}

} // namespace
} // namespace zdr::engine
