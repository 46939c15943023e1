// The protocol lines exactly as the engine writes them: the text protocol,
// the list entries of a "differing files" information pass, the folder
// report and error entries.
#include "engine/ProtocolLines.h"
#include "EngineRecorder.h"

#include <gtest/gtest.h>

namespace zdr::engine {
namespace {

using test::EngineRecorder;

struct Lines {
    ProtocolLines lines;
    EngineRecorder rec;
    void add(const ProtocolRecord& r, bool onlyDifferent = false) { lines.add(r, onlyDifferent, 3, rec); }
};

TEST(ProtocolLines, TextProtocolOfTheInformationPass)
{
    Lines p;
    p.add({.action = PassAction::Info,
           .level = 0,
           .type = protocol::EntryKind::Folder,
           .name = "Data",
           .text = "ok",
           .folder = "/s/Data"});
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "a.txt",
           .text = "ok",
           .folder = "/s/Data"});
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "b.txt",
           .text = "ok",
           .folder = "/s/Data"});
    p.add({.action = PassAction::Info,
           .level = 3,
           .type = protocol::EntryKind::Folder,
           .name = "D",
           .text = "ok",
           .folder = "/s/Data/A/B/D"});
    p.add({.action = PassAction::Info,
           .level = 3,
           .type = protocol::EntryKind::Folder,
           .name = "D",
           .text = "ok",
           .folder = "/s/Data/A/B/D"});
    p.add({.action = PassAction::Info,
           .level = 4,
           .type = protocol::EntryKind::File,
           .name = "c",
           .text = "ok",
           .folder = "/s/Data/A/B/D"});
    EXPECT_EQ(p.lines.text(),
              "\r\n/s/Data"
              "\r\n    a.txt  ----  ok"
              "\r\n    b.txt  ----  ok"
              "\r\n      /D/  ----  ok              /s/Data/A/B/D"
              "\r\n          c  ----  ok");
    // Announced once, when the first line arrives.
    EXPECT_EQ(p.rec.only("ProtocolExists").size(), 1u);
    EXPECT_TRUE(p.rec.added.empty());
}

TEST(ProtocolLines, FileOfANewFolderGetsItsHeading)
{
    Lines p;
    p.add({.action = PassAction::Copy,
           .level = 2,
           .type = protocol::EntryKind::File,
           .name = "x",
           .text = "ok",
           .folder = "/s/A"});
    p.add({.action = PassAction::Copy,
           .level = 2,
           .type = protocol::EntryKind::File,
           .name = "y",
           .text = "ok",
           .folder = "/s/A"});
    p.add({.action = PassAction::Delete,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "z",
           .text = "ok",
           .folder = "/s"});
    EXPECT_EQ(p.lines.text(), "\r\n(/s/A)\r\n      x  ----  ok\r\n      y  ----  ok\r\n(/s)\r\n    z  ----  ok");
    p.lines.clear();
    EXPECT_EQ(p.lines.text(), "");
    p.add({.action = PassAction::Copy,
           .level = 2,
           .type = protocol::EntryKind::File,
           .name = "x",
           .text = "ok",
           .folder = "/s/A"});
    EXPECT_EQ(p.lines.text(), "\r\n(/s/A)\r\n      x  ----  ok"); // a new pass names its folder again
}

TEST(ProtocolLines, ActionPassOfADifferingFilesRun)
{
    Lines p;
    p.add({.action = PassAction::Copy,
           .level = 1,
           .type = protocol::EntryKind::Folder,
           .name = "A",
           .text = "ok",
           .folder = "/s/A"},
          true);
    p.add({.action = PassAction::Copy,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "x",
           .text = "ok",
           .folder = "/s/A"},
          true);
    EXPECT_EQ(p.lines.text(), "\r\n/s/A\r\n    x  ----  ok");
}

TEST(ProtocolLines, InformationOfADifferingFilesRunBecomesListEntries)
{
    Lines p;
    p.add({.action = PassAction::Info,
           .level = 0,
           .type = protocol::EntryKind::Folder,
           .name = "Data",
           .text = "ok",
           .folder = "/s/Data",
           .target = "/t/Data"},
          true);
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "a",
           .text = "diff",
           .folder = "/s/Data",
           .target = "/t/Data"},
          true);
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "b",
           .text = "diff",
           .folder = "/s/Data",
           .target = "/t/Data"},
          true);
    p.add({.action = PassAction::Info,
           .level = 2,
           .type = protocol::EntryKind::File,
           .name = "c",
           .text = "d",
           .folder = "/s/Data/S",
           .target = "/t/Data/S"},
          true);
    const std::vector<protocol::ProtocolEntry> expected = {
        {"FOLDER", "Data", "/s/Data", "/s/Data", "/t/Data", false, 0, 3},
        {"FILE", "a", "    a  ----  diff", "/s/Data", "/t/Data", false, 1, 3},
        {"FILE", "b", "    b  ----  diff", "/s/Data", "/t/Data", false, 1, 3},
        {"INFO", "c", "(/s/Data/S)", "/s/Data/S", "", false, 2, 3},
        {"FILE", "c", "      c  ----  d", "/s/Data/S", "/t/Data/S", false, 2, 3},
    };
    EXPECT_EQ(p.rec.added, expected);
    EXPECT_EQ(p.lines.text(), "");
}

// A name with control characters is printed escaped and stays on its line;
// the list entry keeps the real name and folder (they find the file again).
TEST(ProtocolLines, ControlCharactersOfNamesShowEscaped)
{
    Lines p;
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "a\nb.txt",
           .text = "ok",
           .folder = "/s/\x1b"});
    EXPECT_EQ(p.lines.text(), "\r\n(/s/\\x1b)\r\n    a\\nb.txt  ----  ok");
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "t\tab",
           .text = "diff",
           .folder = "/s/D\r",
           .target = "/t/D\r"},
          true);
    const std::vector<protocol::ProtocolEntry> expected = {
        {"INFO", "t\tab", "(/s/D\\r)", "/s/D\r", "", false, 1, 3},
        {"FILE", "t\tab", "    t\\tab  ----  diff", "/s/D\r", "/t/D\r", false, 1, 3},
    };
    EXPECT_EQ(p.rec.added, expected);
}

TEST(ProtocolLines, FolderReport)
{
    Lines p;
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::Folder,
           .folder = "/s/D",
           .report = FolderReport::Start});
    p.add({.action = PassAction::Info,
           .level = 2,
           .type = protocol::EntryKind::Folder,
           .folder = "/s/D/A",
           .report = FolderReport::Start});
    p.add({.action = PassAction::Info,
           .level = 2,
           .type = protocol::EntryKind::Folder,
           .name = "X",
           .text = "1 MB",
           .folder = "/s/D/A",
           .report = FolderReport::End});
    p.add({.action = PassAction::Info,
           .level = 1,
           .type = protocol::EntryKind::Folder,
           .name = "A",
           .text = "2 MB",
           .folder = "/s/D",
           .report = FolderReport::End});
    p.add({.action = PassAction::Info,
           .level = 0,
           .type = protocol::EntryKind::Folder,
           .name = "/s/D",
           .text = "3 MB",
           .report = FolderReport::End});
    const std::vector<protocol::ProtocolEntry> expected = {
        {"FOLDER", "", "/s/D/     (0)  >>", "(", "/s/D", false, 1, 3},
        {"FOLDER", "", "/s/D/A/     (1)  >>", "     (", "/s/D/A", false, 2, 3},
        {"FOLDER", "X", "/s/D/A/X/     (2)", "          1 MB", "/s/D/A", false, 2, 3},
        {"FOLDER", "A", "/s/D/A/     (1)  <<", "     ) 2 MB", "/s/D", false, 1, 3},
        {"FOLDER", "/s/D", "/s/D/     (0)  <<", ") 3 MB", "/s/D", false, 0, 3},
    };
    EXPECT_EQ(p.rec.added, expected);
}

TEST(ProtocolLines, ErrorEntryInsteadOfALine)
{
    Lines p;
    p.add({.action = PassAction::Copy,
           .level = 1,
           .type = protocol::EntryKind::File,
           .name = "x",
           .text = "ok",
           .folder = "/s",
           .target = "Fehler bei Datei: x",
           .error = true});
    ASSERT_EQ(p.rec.errors.size(), 1u);
    EXPECT_EQ(p.rec.errors[0].par_Target, "Fehler bei Datei: x");
    EXPECT_EQ(p.rec.errors[0].par_Info, "\r\n(/s)\r\n    x  ----  ok");
    EXPECT_EQ(p.lines.text(), "");
    EXPECT_TRUE(p.rec.only("ProtocolExists").empty());
}

} // namespace
} // namespace zdr::engine
