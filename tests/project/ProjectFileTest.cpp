#include "project/ProjectFile.h"
#include "ProjectGenerator.h"
#include "project/Task.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zdr::project {
namespace {

using test::TempDir;

std::string wrap(const std::string& body)
{
    return "<?xml version=\"1.0\"?><ZendorFileCopy>" + body + "</ZendorFileCopy>";
}

TEST(RowLine, EscapesPipesInAllFieldsButTheKey)
{
    ListViewRow row{"(JOB1", "a|b", {"C:\\x|y", "", "~°~"}};
    const std::string line = encodeRowLine(row, "(JOB1", kSubItemCount);
    EXPECT_EQ(line.rfind("(JOB1|a~°~b|(JOB1|C:\\x~°~y||~°~|", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 21); // 22 fields
    const DecodedRowLine back = decodeRowLine(line);
    EXPECT_EQ(back.row.key, "(JOB1");
    EXPECT_EQ(back.row.text, "a|b");
    EXPECT_EQ(back.selectedKey, "(JOB1");
    ASSERT_EQ(back.row.subItems.size(), 19u);
    EXPECT_EQ(back.row.subItems[0], "C:\\x|y");
    // A value that itself held "~°~" comes back as "|".
    EXPECT_EQ(back.row.subItems[2], "|");
}

TEST(RowLine, AKeyHoldingAPipeSurvivesWritingAndReading)
{
    // Keys are read with escapes removed; writing them raw would split the line.
    const ListViewRow row{"(JOB1|x", "t", {"s"}};
    const DecodedRowLine back = decodeRowLine(encodeRowLine(row, row.key, 1));
    EXPECT_EQ(back.row, row);
    EXPECT_EQ(back.selectedKey, row.key);
}

TEST(RowLine, EscapesAtTheEndsOfFieldsAndShortLines)
{
    const DecodedRowLine d = decodeRowLine("(JOB2|~°~start|~°~|end~°~|~°~");
    EXPECT_EQ(d.row.text, "|start");
    EXPECT_EQ(d.selectedKey, "|");
    EXPECT_EQ(d.row.subItems, (std::vector<std::string>{"end|", "|"}));
    const DecodedRowLine keyOnly = decodeRowLine("(JOB3");
    EXPECT_EQ(keyOnly.row.key, "(JOB3");
    EXPECT_TRUE(keyOnly.row.subItems.empty());
}

TEST(ProjectFile, ReadsElementsByKindInFileOrder)
{
    ProjectDocument doc;
    std::string why;
    ASSERT_TRUE(parseProjectXml(wrap("<txtProjectName>Demo Ä</txtProjectName><cmdIgnored>x</cmdIgnored>"
                                     "<chkCopyWithInfo> 1 </chkCopyWithInfo><unknownThing/>"
                                     "<lstNames><LST0>a</LST0><LST1>b</LST1></lstNames>"
                                     "<lvwMain><LVW1>(JOB1|T1|(JOB2|/src</LVW1><LVW2>(JOB2|T2|(JOB2</LVW2></lvwMain>"
                                     "<cboAction>3</cboAction>"),
                                kProjectRootName, doc, why))
        << why;
    ASSERT_EQ(doc.elements.size(), 5u);
    EXPECT_EQ(doc.elements[0].value, "Demo Ä");
    EXPECT_EQ(doc.elements[1].value, "1");
    EXPECT_EQ(doc.elements[2].listEntries, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(doc.elements[3].listView.rows.size(), 2u);
    EXPECT_EQ(doc.elements[3].listView.selectedKey, "(JOB2");
    EXPECT_EQ(doc.elements[3].listView.rows[0].subItems, std::vector<std::string>{"/src"});
    EXPECT_EQ(doc.find("cboAction")->value, "3");
    EXPECT_EQ(doc.find("unknownThing"), nullptr);
    EXPECT_EQ(doc.find("cmdIgnored"), nullptr);
}

TEST(ProjectFile, RefusesMalformedFilesWithAGermanReasonAndTouchesNothing)
{
    struct Case {
        std::string xml;
        const char* reason;
    };
    const Case cases[] = {
        {"", "kein gültiges XML"},
        {"<ZendorFileCopy><txtA>x</txtB></ZendorFileCopy>", "kein gültiges XML"},
        {"<?xml version=\"1.0\"?><Other><txtA/></Other>", "Stammelement 'ZendorFileCopy' fehlt"},
        {wrap("<txtA>caf\xE9</txtA>"), "kein gültiges UTF-8"},
        {wrap("<chkA>7</chkA>"), "Der Wert '7' von 'chkA' ist ungültig"},
        {wrap("<chkA>yes</chkA>"), "ist ungültig"},
        {wrap("<cboA>-2</cboA>"), "ist ungültig"},
        {wrap("<lvwMain><LVW1>(JOB1|a|</LVW1><LVW2>(JOB1|b|</LVW2></lvwMain>"), "mehrfach vorhanden"},
        {wrap("<lvwMain><LVW1>(JOB1|a|(JOB9</LVW1></lvwMain>"), "'(JOB9' ist in 'lvwMain' nicht vorhanden"},
        {wrap("<lvwMain><LVW1>|a|</LVW1></lvwMain>"), "keinen Schlüssel"},
        {std::string("<ZendorFileCopy>\0</ZendorFileCopy>", 34), "kein gültiges XML"},
        {std::string("\xFF\xFE<\0Z\0\x00\xD8<\0", 10), "kein gültiges UTF-16"}, // a lone surrogate
        {std::string("\xFE\xFF\0<\0", 5), "kein gültiges UTF-16"},              // half a unit
        // Not well-formed, though the parser would take it: the path would end at the NUL.
        {wrap("<lvwMain><LVW1>(JOB1|a||/data&#0;/sub</LVW1></lvwMain>"), "ungültigen Zeichenverweis ('&#0;'"},
        {wrap("<txtSystemDir>/data&#x0;</txtSystemDir>"), "ungültigen Zeichenverweis"},
        {wrap("<txtA>&#xD800;</txtA>"), "ungültigen Zeichenverweis"},
        {wrap("<txtA>a\x01"
              "b</txtA>"),
         "Steuerzeichen"},
        // The last would win: a copy project would run as a delete.
        {wrap("<cboAction>1</cboAction><txtA/><cboAction>3</cboAction>"),
         "Das Element 'cboAction' ist mehrfach vorhanden"},
        {wrap("<lvwMain><LVW1>(JOB1|a|</LVW1><LVW1>(JOB2|b|</LVW1></lvwMain>"), "in 'lvwMain' mehrfach vorhanden"},
        // Beyond the limits of what a file may make the program hold.
        {wrap("<txtA>" + std::string(kMaxProjectFieldBytes + 1, 'x') + "</txtA>"), "länger als 64 KB"},
        {wrap("<lvwMain><LVW1>(JOB1|a||" + std::string(kMaxProjectFieldBytes + 1, 'x') + "</LVW1></lvwMain>"),
         "länger als 64 KB"},
        {wrap([] {
             std::string rows;
             for (std::size_t i = 1; i <= kMaxProjectRows + 1; ++i)
                 rows +=
                     "<LVW" + std::to_string(i) + ">(JOB" + std::to_string(i) + "|a|</LVW" + std::to_string(i) + ">";
             return "<lvwMain>" + rows + "</lvwMain>";
         }()),
         "mehr als 10000 Einträge"},
    };
    for (const Case& c : cases) {
        ProjectDocument doc;
        doc.elements.push_back({"txtKeep", ControlKind::Text, "unchanged", {}, {}});
        const ProjectDocument before = doc;
        std::string why;
        EXPECT_FALSE(parseProjectXml(c.xml, kProjectRootName, doc, why)) << c.xml;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_EQ(doc, before);
    }
}

TEST(ProjectFile, AcceptsLatin1FilesOfOlderPrograms)
{
    ProjectDocument doc;
    std::string why;
    ASSERT_TRUE(parseProjectXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><ZendorFileCopy>"
                                "<txtProjectName>Gr\xF6\xDF"
                                "e</txtProjectName></ZendorFileCopy>",
                                kProjectRootName, doc, why))
        << why;
    EXPECT_EQ(doc.elements[0].value, "Größe");
}

TEST(ProjectFile, ReadsUtf16FilesWithAByteOrderMark)
{
    const std::u16string xml = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<ZendorFileCopy>"
                               u"<txtProjectName>Größe \U0001F600</txtProjectName></ZendorFileCopy>";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t unit : xml) {
            const char high = static_cast<char>(unit >> 8);
            const char low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        ProjectDocument doc;
        std::string why;
        ASSERT_TRUE(parseProjectXml(bytes, kProjectRootName, doc, why)) << why;
        EXPECT_EQ(doc.elements[0].value, "Größe \xF0\x9F\x98\x80");
    }
}

TEST(ProjectFile, FilesThatCannotBeReadGiveAClearReason)
{
    TempDir dir;
    ProjectDocument doc;
    std::string why;
    EXPECT_FALSE(readProjectFile(dir.file("vanished.ZdrPrj"), kProjectRootName, doc, why));
    EXPECT_NE(why.find("kann nicht gelesen werden"), std::string::npos) << why;

    const std::string big = dir.file("big.ZdrPrj");
    {
        std::ofstream out(big, std::ios::binary);
        out << "<ZendorFileCopy><txtA>";
        std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            out << chunk;
        out << "</txtA></ZendorFileCopy>";
    }
    EXPECT_FALSE(readProjectFile(big, kProjectRootName, doc, why));
    EXPECT_NE(why.find("zu groß"), std::string::npos) << why;
    EXPECT_TRUE(doc.elements.empty());

    // A pipe with a writer that never ends is refused at once, not read: in a
    // child that an alarm ends should it wait.
    const std::string pipe = dir.file("pipe.ZdrPrj");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int writer = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string xml = wrap("<txtA>x</txtA>");
    ASSERT_EQ(write(writer, xml.data(), xml.size()), static_cast<ssize_t>(xml.size()));
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        ProjectDocument piped;
        std::string reason;
        const bool refused = !readProjectFile(pipe, kProjectRootName, piped, reason)
            && reason == "'" + pipe + "' ist keine gewöhnliche Datei (eine Pipe, ein Gerät ...).";
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    close(writer);
    EXPECT_TRUE(WIFEXITED(status)) << "waited for the pipe";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "read the pipe, or said something else";
}

TEST(ProjectFile, GeneratedProjectsRoundTripFieldForField)
{
    test::ProjectGenerator generator(42, true);
    for (int i = 0; i < 300; ++i) {
        const ProjectDocument doc = generator.next();
        ProjectDocument back;
        std::string why;
        const std::string xml = writeProjectXml(doc, kProjectRootName);
        ASSERT_TRUE(parseProjectXml(xml, kProjectRootName, back, why)) << why << "\n" << xml;
        ASSERT_EQ(back.elements.size(), doc.elements.size());
        for (std::size_t e = 0; e < doc.elements.size(); ++e)
            ASSERT_EQ(back.elements[e], doc.elements[e]) << describe(back.elements[e]) << "\n---\n"
                                                         << describe(doc.elements[e]);
    }
}

TEST(ProjectFile, FailedSaveKeepsThePreviousFile)
{
    TempDir dir;
    ProjectDocument doc;
    doc.elements.push_back({"txtProjectName", ControlKind::Text, "eins", {}, {}});
    std::string why;
    const std::string file = dir.file("p.ZdrPrj");
    ASSERT_TRUE(writeProjectFile(file, kProjectRootName, doc, why)) << why;
    const std::string saved = dir.read("p.ZdrPrj");
    EXPECT_NE(saved.find("<txtProjectName>eins</txtProjectName>"), std::string::npos);

    doc.elements[0].value = std::string(4096, 'z');
    {
        test::FileSizeLimit full(1024);
        EXPECT_FALSE(writeProjectFile(file, kProjectRootName, doc, why));
    }
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(dir.read("p.ZdrPrj"), saved);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";

    // A new project that holds a network password is its owner's alone.
    ProjectDocument secret;
    ListViewRow row{"JOB1", "Aufgabe", std::vector<std::string>(16)};
    row.subItems[13] = "2|Z:|\\\\server\\share|anna|geheim";
    secret.elements.push_back({"lvwMain", ControlKind::ListView, {}, {}, {{row}, "JOB1"}});
    ASSERT_TRUE(writeProjectFile(dir.file("geheim.ZdrPrj"), kProjectRootName, secret, why)) << why;
    EXPECT_EQ(std::filesystem::status(dir.file("geheim.ZdrPrj")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

} // namespace
} // namespace zdr::project
