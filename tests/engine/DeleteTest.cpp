// The delete and the attribute pass on real trees: what goes and what
// stays, the read-only question after the first attempt, the error policy,
// and the safety of a delete: it never leaves its task's folder (links,
// named entries, folders swapped for links while it runs, other file
// systems mounted inside), deletes only what the filters admit, and a
// cancelled delete reports exactly what it deleted.
#include "EngineRun.h"
#include "TreeState.h"
#include "engine/TaskFolders.h"
#include "platform/MountTable.h"
#include "support/ScopedEnv.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zdr::engine {
namespace {

namespace fs = std::filesystem;
using base::Answer;
using test::EngineRun;
using test::kInfo;
using test::TempDir;

constexpr std::uint32_t kDelete = status::kDelete | status::kCreateProtocol;
constexpr std::uint32_t kAttrib = status::kAttrib | status::kCreateProtocol;
constexpr std::uint32_t kGoOn = status::kContinueAfterError;

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::size_t filesBelow(const std::string& root)
{
    std::size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(root))
        n += e.is_regular_file() ? 1 : 0;
    return n;
}

// A file even root can neither delete nor change while it lives: the
// root-proof way to make an entry fail. ok() is false where the volume
// has no such flag.
class Immutable {
public:
    explicit Immutable(const std::string& path) : path_(path) { ok_ = set(true); }
    ~Immutable()
    {
        if (ok_)
            set(false);
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool ok() const { return ok_; }

private:
    bool set(bool on)
    {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
            && (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL,
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0)
            ::close(fd);
        return done;
    }
    std::string path_;
    bool ok_ = false;
};

TEST(Delete, TheFolderWithItsContentGoesAfterItsContent)
{
    TempDir dir;
    dir.write("src/a.txt", "aa");
    dir.write("src/Sub/b.txt", "bbb");
    dir.write("src/Sub/.versteckt", "");
    dir.mkdir("src/Leer");
    const std::string src = dir.file("src");
    EngineRun r;
    EXPECT_TRUE(r.run(kInfo | kDelete, {.sourceFolder = src}));
    EXPECT_FALSE(fs::exists(src));
    EXPECT_EQ(r.ready(), "Ready true '' protocol");
    EXPECT_EQ(r.counters().CountFiles_Done, 3);
    EXPECT_EQ(r.counters().CountFolder_Done, 3);
    EXPECT_EQ(r.counters().SizeTotal_Done, 5.0 / 1024);
    const std::string protocol = r.engine.Protocol();
    EXPECT_EQ(countOf(protocol, "  ----  ok"), 6u) << protocol;
    EXPECT_NE(protocol.find("/src/  ----  ok              " + dir.path()), std::string::npos) << protocol;
    EXPECT_NE(protocol.find("/Sub/  ----  ok              " + src), std::string::npos) << protocol;

    // Within Sub: the folder is entered, its files go, then the folder itself.
    const auto& events = r.rec.events;
    const auto pass = std::find(events.begin(), events.end(), "Start DELETE");
    const auto at = [&](const std::string& e) { return std::find(pass, events.end(), e) - events.begin(); };
    EXPECT_LT(at("FolderSet " + src + "/Sub"), at("FileStart b.txt 3"));
    EXPECT_LT(at("FileStart b.txt 3"), at("FolderStart " + src + "/Sub"));
    EXPECT_EQ(events.at(static_cast<std::size_t>(at("FolderStart " + src))), events.at(events.size() - 3))
        << "the source folder is the last entry";

    // Its content only: the folder stays.
    dir.write("src2/a.txt", "a");
    dir.write("src2/Sub/b.txt", "b");
    EngineRun content;
    EXPECT_TRUE(content.run(kDelete, {.sourceFolder = dir.file("src2"), .selection = {"*.*"}}));
    EXPECT_TRUE(fs::is_directory(dir.file("src2")));
    EXPECT_TRUE(fs::is_empty(dir.file("src2")));
}

TEST(Delete, NeverLeavesTheTasksFolder)
{
    TempDir dir;
    dir.write("outside/keep.txt", "keep");
    dir.write("outside/Sub/deep.txt", "deep");
    const auto outsideBefore = test::treeState(dir.file("outside"));
    dir.write("src/a.txt", "a");
    dir.mkdir("src/Sub");
    fs::create_directory_symlink(dir.file("outside"), dir.file("src/Sub/folderLink"));
    fs::create_symlink(dir.file("outside/keep.txt"), dir.file("src/fileLink"));
    fs::create_symlink(dir.file("nirgendwo"), dir.file("src/dangling"));
    const std::string src = dir.file("src");

    // Named entries through a link, or up and out, are refused before anything happens.
    EngineRun named;
    named.run(kDelete | kGoOn,
              {.sourceFolder = src, .selection = {"\\Sub\\folderLink\\keep.txt", "..\\outside", "a.txt"}});
    EXPECT_TRUE(test::differences(outsideBefore, test::treeState(dir.file("outside"))).empty());
    EXPECT_FALSE(fs::exists(dir.file("src/a.txt"))) << "the sound entry of the list goes";
    ASSERT_EQ(named.questions.asked.size(), 2u);
    EXPECT_NE(named.questions.asked[0].text.find("nicht vom System aufgelöst"), std::string::npos)
        << named.questions.asked[0].text;
    // Refused entries are errors of the run, each with its line.
    EXPECT_EQ(named.counters().CountFiles_Not, 2);
    EXPECT_EQ(named.rec.errors.size(), 2u);
    EXPECT_NE(named.engine.Protocol().find("keep.txt  ----  Fehler: Der Name der Datei kann nicht vom System aufgelöst "
                                           "werden."),
              std::string::npos)
        << named.engine.Protocol();

    // The whole tree: links go as links, never what they point to.
    EngineRun whole;
    EXPECT_TRUE(whole.run(kInfo | kDelete, {.sourceFolder = src}));
    EXPECT_FALSE(fs::exists(src));
    EXPECT_TRUE(test::differences(outsideBefore, test::treeState(dir.file("outside"))).empty());
    EXPECT_EQ(whole.counters().CountFiles_Done, 3) << "three links";
}

// The guard on its own: never the system's root, its top folders, a home
// folder or a folder that holds one (no test deletes any of them).
TEST(Delete, NeverTakesTheSystemOrAHomeAsAWhole)
{
    const std::vector<HomeFolder> homes{{"anna", "/home/anna"}, {"www-data", "/var/www"}, {"", "/srv/ich"}};
    const struct {
        const char* folder;
        const char* reason;
    } rows[] = {
        {"/", "ist das Stammverzeichnis des Systems"},
        {"/usr", "ist ein Systemverzeichnis"},
        {"/etc", "ist ein Systemverzeichnis"},
        {"/lib64", "ist ein Systemverzeichnis"},
        {"/var", "ist ein Systemverzeichnis"},
        {"/home/anna", "ist das Benutzerverzeichnis von 'anna'"},
        {"/home", "enthält das Benutzerverzeichnis von 'anna' ('/home/anna')"},
        {"/var/www", "ist das Benutzerverzeichnis von 'www-data'"},
        {"/srv/ich", "ist das Benutzerverzeichnis des angemeldeten Benutzers"},
        {"/home/anna/Dokumente", ""},
        {"/usr/local/share/alt", ""},
        {"/home2", ""},
        {"/library", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fc_ProtectedFolderReason(row.folder, homes), row.reason) << row.folder;
    EXPECT_TRUE(fc_IsSystemFolder("/boot"));
    EXPECT_FALSE(fc_IsSystemFolder("/usr/share"));

    // End to end in a throw-away home: the home itself, a link to it, and
    // the folder that holds it are refused before anything is touched; the
    // message names the folder the link leads to and why.
    TempDir dir;
    const std::string home = dir.mkdir("Benutzer/ich");
    dir.write("Benutzer/ich/brief.txt", "bleibt");
    fs::create_directory_symlink(home, dir.file("verweis"));
    const auto before = test::treeState(dir.path());
    test::ScopedEnv env("HOME", home.c_str());
    const struct {
        std::uint32_t status;
        std::string source;
        std::string message;
    } runs[] = {
        {kInfo | kDelete, home,
         "Quelle: '" + home + "' ist das Benutzerverzeichnis des angemeldeten Benutzers: hier wird nichts gelöscht!"},
        {kDelete, dir.file("verweis"),
         "Quelle: '" + home + "' ist das Benutzerverzeichnis des angemeldeten Benutzers: hier wird nichts gelöscht!"},
        {kAttrib, dir.file("verweis/"),
         "Quelle: '" + home
             + "' ist das Benutzerverzeichnis des angemeldeten Benutzers: hier werden keine Attribute geändert!"},
        {kDelete, dir.file("Benutzer"),
         "Quelle: '" + dir.file("Benutzer") + "' enthält das Benutzerverzeichnis des angemeldeten Benutzers ('" + home
             + "'): hier wird nichts gelöscht!"},
    };
    for (const auto& run : runs) {
        EngineRun r;
        EXPECT_FALSE(r.run(run.status, {.sourceFolder = run.source, .selection = {"*.*"}})) << run.source;
        EXPECT_EQ(r.ready(), "Ready false '" + run.message + "' none");
        EXPECT_EQ(r.rec.only("FileStart").size(), 0u);
    }
    // Named entries: a home among them is refused; entries inside a home go.
    EngineRun named;
    EXPECT_FALSE(named.run(kDelete, {.sourceFolder = dir.file("Benutzer"), .selection = {"\\ich"}}));
    EXPECT_EQ(named.ready(),
              "Ready false 'Quelle: '" + home
                  + "' ist das Benutzerverzeichnis des angemeldeten Benutzers: hier wird nichts gelöscht!' none");
    EXPECT_TRUE(test::differences(before, test::treeState(dir.path())).empty());
    EngineRun inside;
    EXPECT_TRUE(inside.run(kDelete, {.sourceFolder = dir.file("verweis"), .selection = {"brief.txt"}}));
    EXPECT_FALSE(fs::exists(dir.file("Benutzer/ich/brief.txt")));
}

// The guard by what a folder is: a home mounted a second time elsewhere
// (a bind mount, in a mount namespace of the test's own, on temporary
// folders only) is that home there too, the folders holding that mount
// point hold it, and a run that would delete it is refused. Ordinary
// folders stay free.
TEST(Delete, AHomeMountedElsewhereIsKnownByWhatItIs)
{
    TempDir dir;
    const std::string home = dir.mkdir("home/anna");
    dir.write("home/anna/brief.txt", "bleibt");
    const std::string free = dir.mkdir("frei");
    EXPECT_EQ(ProtectedFolders({{"anna", home}}, {}, platform::readMountInfo()).reason(free), "");
    if (geteuid() != 0)
        GTEST_SKIP() << "a bind mount needs root (in a mount namespace of the test's own)";
    const std::string elsewhere = dir.mkdir("anderswo");
    const std::string mounted = dir.mkdir("anderswo/h");
    const std::string whole = dir.mkdir("ganz");
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        std::string failures;
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(77);
        if (mount(home.c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0
            || mount(dir.file("home").c_str(), whole.c_str(), nullptr, MS_BIND, nullptr) != 0)
            _exit(78);
        const ProtectedFolders guard({{"anna", home}}, {}, platform::readMountInfo());
        const std::string again =
            "das Benutzerverzeichnis von 'anna' ('" + home + "', hier ein weiteres Mal eingehängt)";
        const struct {
            std::string folder;
            std::string reason;
        } rows[] = {
            {mounted, "ist " + again},
            {whole + "/anna", "ist " + again},
            {elsewhere, "enthält das Benutzerverzeichnis von 'anna' ('" + mounted + "')"},
            {whole, "enthält das Benutzerverzeichnis von 'anna' ('" + home + "')"},
            {mounted + "/Dokumente", ""},
            {free, ""},
        };
        fs::create_directory(mounted + "/Dokumente");
        for (const auto& row : rows)
            if (const std::string got = guard.reason(row.folder); got != row.reason)
                failures += row.folder + ": '" + got + "' statt '" + row.reason + "'\n";
        // End to end: the home of $HOME, reached through the other mount.
        test::ScopedEnv env("HOME", home.c_str());
        EngineRun r;
        if (r.run(kDelete, {.sourceFolder = mounted, .selection = {"*.*"}}))
            failures += "the delete ran\n";
        if (r.ready()
            != "Ready false 'Quelle: '" + mounted + "' ist das Benutzerverzeichnis des angemeldeten Benutzers ('" + home
                + "', hier ein weiteres Mal eingehängt): hier wird nichts gelöscht!' none")
            failures += r.ready() + "\n";
        if (!fs::exists(home + "/brief.txt"))
            failures += "the home was emptied\n";
        (void)!write(report[1], failures.data(), failures.size());
        _exit(failures.empty() ? 0 : 1);
    }
    close(report[1]);
    std::string failures;
    char buffer[4096];
    for (ssize_t n = 0; (n = read(report[0], buffer, sizeof buffer)) > 0;)
        failures.append(buffer, static_cast<std::size_t>(n));
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace of its own here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << failures;
    EXPECT_EQ(dir.read("home/anna/brief.txt"), "bleibt");
}

// A source reached through a link is resolved once: the run and its
// protocol name the folder it leads to.
TEST(Delete, SourceThroughALinkIsTheFolderItLeadsTo)
{
    TempDir dir;
    dir.write("echt/Sub/a.txt", "a");
    fs::create_directory_symlink(dir.file("echt/Sub"), dir.file("verweis"));
    EngineRun r;
    EXPECT_TRUE(r.run(kDelete, {.sourceFolder = dir.file("verweis")}));
    EXPECT_FALSE(fs::exists(dir.file("echt/Sub")));
    EXPECT_TRUE(fs::is_symlink(dir.file("verweis")));
    EXPECT_EQ(r.engine.Source(), dir.file("echt/Sub"));
    EXPECT_NE(r.engine.Protocol().find("(" + dir.file("echt/Sub") + ")"), std::string::npos) << r.engine.Protocol();
}

TEST(Delete, FolderSwappedForALinkWhileItRunsLeadsNowhere)
{
    // The delete, and the attribute run that sets read-only and hidden.
    for (const std::uint32_t action : {kDelete, kAttrib}) {
        TempDir dir;
        dir.write("outside/x1.txt", "keep");
        dir.write("outside/x2.txt", "keep");
        const auto outsideBefore = test::treeState(dir.file("outside"));
        for (int i = 1; i <= 5; ++i)
            dir.write("src/Sub/x" + std::to_string(i) + ".txt", "gone");
        const std::string src = dir.file("src");
        EngineRun r;
        bool swapped = false;
        r.rec.onEvent = [&](const std::string& e) {
            // Inside Sub, after its first file: Sub is moved away and a link to
            // the outside folder takes its name.
            if (!swapped && e.rfind("FileStart x", 0) == 0) {
                swapped = true;
                fs::rename(dir.file("src/Sub"), dir.file("moved"));
                fs::create_directory_symlink(dir.file("outside"), dir.file("src/Sub"));
            }
        };
        r.run(action | kGoOn,
              {.sourceFolder = src,
               .selection = {"*.*"},
               .attributeSet = platform::attr::kReadOnly | platform::attr::kHidden});
        ASSERT_TRUE(swapped);
        for (const std::string& d : test::differences(outsideBefore, test::treeState(dir.file("outside"))))
            ADD_FAILURE() << (action == kDelete ? "delete: " : "attributes: ") << d;
        if (action == kDelete)
            EXPECT_TRUE(fs::is_empty(dir.file("moved"))) << "the files went from the folder the walk had open";
    }
}

TEST(Delete, StopsAtAnotherFileSystemMountedInside)
{
    TempDir dir;
    dir.write("src/a.txt", "a");
    const std::string mountPoint = dir.mkdir("src/Laufwerk");
    test::ScratchMount mount = test::ScratchMount::tmpfs(mountPoint, "1M");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    dir.write("src/Laufwerk/fremd.txt", "fremd");
    EngineRun r;
    r.run(kInfo | kDelete | kGoOn, {.sourceFolder = dir.file("src")});
    EXPECT_TRUE(fs::exists(dir.file("src/Laufwerk/fremd.txt")));
    EXPECT_FALSE(fs::exists(dir.file("src/a.txt")));
    EXPECT_NE(
        r.engine.Protocol().find("nicht gelöscht (Fehler bei Verzeichnis: Laufwerk - ein anderes Laufwerk ist hier "
                                 "eingebunden) => Fehler ignorieren, weiter"),
        std::string::npos)
        << r.engine.Protocol();
    EXPECT_EQ(r.counters().CountFolder_Not, 2) << "the mounted folder, and the source that still holds it";
}

TEST(Delete, OnlyWhatTheFiltersAdmit)
{
    TempDir dir;
    for (const char* f :
         {"a.txt", "b.bak", "c.doc", "Keep/k.txt", "Sub/d.txt", "Sub/e.doc", "Sub/groß.txt", "Nur/f.txt"})
        dir.write(std::string("src/") + f,
                  std::string(std::string(f).find("groß") != std::string::npos ? 3000 : 10, 'x'));
    const std::string src = dir.file("src");
    EngineRun r;
    r.questions.answers = {Answer::Ignore, Answer::Ignore};
    EXPECT_TRUE(r.run(kInfo | kDelete,
                      {.sourceFolder = src, .exclusions = "\\Keep;*.bak", .extensions = "*.txt", .sizeMaxK = "2"}));
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(src))
        left.push_back(e.path().string().substr(src.size() + 1));
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left,
              (std::vector<std::string>{"Keep", "Keep/k.txt", "Sub", "Sub/e.doc", "Sub/groß.txt", "b.bak", "c.doc"}));
    // The folders that still hold what the filters kept are not empty: each
    // asks once and is left, and so is the source.
    ASSERT_EQ(r.questions.asked.size(), 2u);
    EXPECT_EQ(r.questions.asked[0].text,
              "Verzeichnis '" + src
                  + "/Sub' konnte nicht gelöscht werden!\r\n\r\nFehler bei "
                    "Verzeichnis: Sub - Das Verzeichnis ist nicht leer.\r\n\r\n=> Vorgang wiederholen?");
    EXPECT_EQ(r.counters().CountFolder_Not, 2);
    EXPECT_EQ(r.ready(), "Ready false 'Fehler bei Löschen Verzeichnis: 'src'' protocol");
}

TEST(Delete, ReadOnlyIsAskedAfterTheFirstAttempt)
{
    const std::string question = "' ist schreibgeschützt!\r\n\r\n => Datei trotzdem löschen?";
    const struct {
        const char* label;
        std::uint32_t status;
        std::vector<Answer> answers;
        bool gone1;
        bool gone2;
        std::size_t questions;
        const char* line1;
    } rows[] = {
        {"yes, not for all", 0, {Answer::Yes, Answer::No, Answer::Yes}, true, true, 3, "r1.txt  ----  ok (geschützt)"},
        {"yes for all", 0, {Answer::Yes, Answer::Yes}, true, true, 2, "r1.txt  ----  ok (geschützt)"},
        {"no", 0, {Answer::No, Answer::No}, false, false, 2, "r1.txt  ----  Datei übersprungen"},
        {"cancel", 0, {Answer::Cancel}, false, false, 1, "r1.txt  ----  Datei nicht ausgeführt => abgebrochen"},
        {"option 0x400", status::kOverwriteProtected, {}, true, true, 0, "r1.txt  ----  ok (geschützt)"},
    };
    // In a folder of the user's own without write bits too: it gives them
    // up while the run works in it, and gets its bits back.
    for (const unsigned folderMode : {0755u, 0555u}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.label) + (folderMode == 0555 ? ", read-only folder" : ""));
            TempDir dir;
            dir.write("src/r1.txt", "1");
            dir.write("src/r2.txt", "2");
            platform::ErrorCode code = 0;
            for (const char* f : {"src/r1.txt", "src/r2.txt"})
                EXPECT_TRUE(platform::setAttributes(dir.file(f), platform::attr::kReadOnly, code));
            ::chmod(dir.file("src").c_str(), folderMode);
            EngineRun r;
            r.questions.answers = {row.answers.begin(), row.answers.end()};
            // Named one after the other, so the order is known.
            r.run(kDelete | row.status, {.sourceFolder = dir.file("src"), .selection = {"r1.txt", "r2.txt"}});
            EXPECT_EQ(!fs::exists(dir.file("src/r1.txt")), row.gone1);
            EXPECT_EQ(!fs::exists(dir.file("src/r2.txt")), row.gone2);
            ASSERT_EQ(r.questions.asked.size(), row.questions);
            if (row.questions > 0) {
                EXPECT_EQ(r.questions.asked[0].text, "Datei '" + dir.file("src/r1.txt") + question);
                EXPECT_EQ(r.questions.asked[0].title, "Datei Fehler ...");
            }
            if (row.questions > 1 && row.answers[0] == Answer::Yes)
                EXPECT_EQ(r.questions.asked[1].text, "Möchten Sie alle schreibgeschützten Daten löschen?");
            EXPECT_NE(r.engine.Protocol().find(row.line1), std::string::npos) << r.engine.Protocol();
            const std::int64_t deleted = (row.gone1 ? 1 : 0) + (row.gone2 ? 1 : 0);
            EXPECT_EQ(r.counters().CountFiles_Done - r.counters().CountFiles_Not, deleted);
            EXPECT_EQ(test::entryState(dir.file("src")).mode & 0777, folderMode);
        }
    }
    // Walked: the files of a read-only folder go, and so does the folder.
    TempDir dir;
    dir.write("src/RO/Sub/a.txt", "a");
    dir.write("src/RO/b.txt", "b");
    for (const char* folder : {"src/RO/Sub", "src/RO"})
        ::chmod(dir.file(folder).c_str(), 0555);
    EngineRun r;
    r.run(kDelete | status::kOverwriteProtected, {.sourceFolder = dir.file("src/RO")});
    EXPECT_EQ(r.ready(), "Ready true '' protocol") << r.engine.Protocol();
    EXPECT_FALSE(fs::exists(dir.file("src/RO")));
}

TEST(Delete, FailuresFollowThePolicy)
{
    TempDir dir;
    dir.write("src/fest.txt", "f");
    dir.write("src/los.txt", "l");
    Immutable locked(dir.file("src/fest.txt"));
    if (!locked.ok())
        GTEST_SKIP() << "the volume has no immutable flag";
    const std::string src = dir.file("src");
    const std::string failure = "Fehler bei Datei: fest.txt - Zugriff verweigert";

    EngineRun asked;
    asked.questions.answers = {Answer::Retry, Answer::Ignore};
    asked.run(kDelete, {.sourceFolder = src, .selection = {"fest.txt", "los.txt"}});
    ASSERT_EQ(asked.questions.asked.size(), 2u) << "asked again after the retry";
    EXPECT_EQ(asked.questions.asked[0].text,
              "Datei '" + src + "/fest.txt' konnte nicht gelöscht werden!\r\n\r\n" + failure
                  + "\r\n\r\n=> Vorgang wiederholen?");
    EXPECT_NE(asked.engine.Protocol().find("fest.txt  ----  nicht gelöscht (" + failure + ") => Abbruch"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("src/los.txt"))) << "a file never stops the walk";
    EXPECT_EQ(asked.ready(), "Ready false '" + failure + "' protocol") << "a kept failure fails the pass";

    dir.write("src/los.txt", "l");
    EngineRun goOn;
    goOn.run(kDelete | kGoOn, {.sourceFolder = src, .selection = {"fest.txt", "los.txt"}});
    EXPECT_TRUE(goOn.questions.asked.empty());
    EXPECT_NE(goOn.engine.Protocol().find("nicht gelöscht (" + failure + ") => Fehler ignorieren, weiter"),
              std::string::npos);
    EXPECT_EQ(goOn.ready(), "Ready true '' protocol");
    EXPECT_EQ(goOn.counters().CountFiles_Not, 1);

    dir.write("src/los.txt", "l");
    EngineRun aborted;
    aborted.questions.answers = {Answer::Abort};
    aborted.run(kDelete, {.sourceFolder = src, .selection = {"fest.txt", "los.txt"}});
    EXPECT_NE(aborted.engine.Protocol().find("fest.txt  ----  Datei nicht ausgeführt => abgebrochen"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("src/los.txt"))) << "the run stops";
}

TEST(Delete, CancelledRunReportsExactlyWhatWasDeleted)
{
    TempDir dir;
    for (int i = 0; i < 120; ++i)
        dir.write("src/F" + std::to_string(i % 4) + "/G" + std::to_string(i % 3) + "/f" + std::to_string(i), "x");
    const std::string src = dir.file("src");
    for (const int stopAfter : {1, 7, 25}) {
        SCOPED_TRACE(stopAfter);
        const std::size_t before = filesBelow(src);
        std::size_t foldersBefore = 0;
        for (const auto& e : fs::recursive_directory_iterator(src))
            foldersBefore += e.is_directory() ? 1 : 0;
        EngineRun r;
        int done = 0;
        r.rec.onEvent = [&](const std::string& e) {
            if (e == "FileDone" && ++done == stopAfter)
                r.engine.fc_Cancel();
        };
        r.run(kDelete, {.sourceFolder = src, .selection = {"*.*"}});
        std::size_t foldersAfter = 0;
        for (const auto& e : fs::recursive_directory_iterator(src))
            foldersAfter += e.is_directory() ? 1 : 0;
        // Removals already on their way when the cancel came still finish,
        // and are reported; nothing after them starts.
        const std::size_t deleted = before - filesBelow(src);
        EXPECT_GE(deleted, static_cast<std::size_t>(stopAfter));
        EXPECT_LE(deleted, static_cast<std::size_t>(stopAfter) + 32);
        EXPECT_LT(deleted, before);
        EXPECT_EQ(r.counters().CountFiles_Done - r.counters().CountFiles_Not, static_cast<std::int64_t>(deleted));
        EXPECT_EQ(r.counters().CountFolder_Done, static_cast<std::int64_t>(foldersBefore - foldersAfter));
        EXPECT_EQ(countOf(r.engine.Protocol(), "  ----  ok"), deleted + foldersBefore - foldersAfter);
        EXPECT_EQ(r.ready(), "Ready false '' protocol") << "a cancel fails the pass";
    }
}

TEST(Attributes, MasksSetThenClear)
{
    using namespace platform::attr;
    const struct {
        std::uint32_t before;
        std::uint32_t set;
        std::uint32_t clear;
        std::uint32_t after;
    } rows[] = {
        {kArchive, kReadOnly, kReadOnly, kArchive}, // clearing comes second
        {kArchive, kHidden | kSystem, kArchive, kHidden | kSystem},
        {kHidden | kReadOnly | kArchive, 0, kHidden | kReadOnly, kArchive},
        {kArchive, kReadOnly, 0, kReadOnly | kArchive},
        // The store goes first: the owner cannot write it once the file is read-only.
        {kArchive, kReadOnly | kHidden, 0, kReadOnly | kHidden | kArchive},
        {kReadOnly | kArchive, kSystem, 0, kReadOnly | kSystem | kArchive},
    };
    for (const auto& row : rows) {
        TempDir dir;
        const std::string file = dir.write("src/f.txt", "f");
        platform::ErrorCode code = 0;
        EXPECT_TRUE(platform::setAttributes(file, row.before, code));
        EngineRun r;
        EXPECT_TRUE(r.run(kAttrib,
                          {.sourceFolder = dir.file("src"),
                           .selection = {"*.*"},
                           .attributeSet = row.set,
                           .attributeClear = row.clear}));
        EXPECT_EQ(test::entryState(file).attributes, row.after) << std::hex << row.set << " " << row.clear;
        EXPECT_NE(r.engine.Protocol().find("f.txt  ----  ok"), std::string::npos);
        EXPECT_EQ(r.counters().CountFiles_Done, 1);
    }
}

TEST(Attributes, FoldersAfterTheirContentAndNothingWrittenWhenAsWanted)
{
    TempDir dir;
    const std::string file = dir.write("src/Sub/f.txt", "f");
    dir.write("outside.txt", "o");
    fs::create_symlink(dir.file("outside.txt"), dir.file("src/Sub/link"));
    platform::ErrorCode code = 0;
    EXPECT_TRUE(platform::setAttributes(file, platform::attr::kHidden | platform::attr::kArchive, code));
    struct stat before {};
    ::stat(file.c_str(), &before);
    const auto outsideBefore = test::entryState(dir.file("outside.txt"));
    EngineRun r;
    EXPECT_TRUE(r.run(kAttrib, {.sourceFolder = dir.file("src"), .attributeSet = platform::attr::kHidden}));
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec) << "already as wanted: not written";
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(r.counters().CountFiles_Done, 2);
    EXPECT_EQ(r.counters().CountFolder_Done, 2);
    EXPECT_NE(test::entryState(dir.file("src/Sub")).attributes & platform::attr::kHidden, 0u);
    EXPECT_EQ(test::entryState(dir.file("outside.txt")), outsideBefore) << "a link's target is not the task's";
    const auto& events = r.rec.events;
    const auto at = [&](const std::string& e) { return std::find(events.begin(), events.end(), e) - events.begin(); };
    EXPECT_LT(at("FileStart f.txt 1"), at("FolderStart " + dir.file("src/Sub")));
}

// A folder keeps "read-only" in its store and its write bits as they are,
// so it still takes and gives up entries; one without write bits (a copy
// of a read-only folder) still takes the other bits.
TEST(Attributes, ReadOnlyFolderKeepsItsWriteBits)
{
    TempDir dir;
    dir.write("src/Sub/f.txt", "f");
    if (setxattr(dir.file("src").c_str(), "user.probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "no user extended attributes on " << dir.path();
    using namespace platform::attr;
    const unsigned mode = test::entryState(dir.file("src/Sub")).mode;
    EngineRun set;
    EXPECT_TRUE(set.run(kAttrib, {.sourceFolder = dir.file("src"), .attributeSet = kReadOnly | kHidden}));
    for (const char* folder : {"src", "src/Sub"}) {
        EXPECT_EQ(test::entryState(dir.file(folder)).attributes, kDirectory | kReadOnly | kHidden) << folder;
        EXPECT_EQ(test::entryState(dir.file(folder)).mode, mode) << folder;
    }
    EXPECT_EQ(test::entryState(dir.file("src/Sub/f.txt")).mode & 0222, 0u) << "a file's read-only is its mode";
    EXPECT_NO_THROW(dir.write("src/Sub/new.txt", "n"));
    EXPECT_EQ(dir.read("src/Sub/new.txt"), "n");

    ASSERT_EQ(::chmod(dir.file("src/Sub").c_str(), 0555), 0);
    EngineRun system;
    EXPECT_TRUE(system.run(kAttrib, {.sourceFolder = dir.file("src"), .attributeSet = kSystem}));
    EXPECT_EQ(system.counters().CountFolder_Not, 0);
    EXPECT_EQ(test::entryState(dir.file("src/Sub")).attributes, kDirectory | kReadOnly | kHidden | kSystem);
    EXPECT_EQ(test::entryState(dir.file("src/Sub")).mode & 0777, 0555u);

    EngineRun clear;
    EXPECT_TRUE(clear.run(kAttrib, {.sourceFolder = dir.file("src"), .attributeClear = kReadOnly}));
    EXPECT_EQ(test::entryState(dir.file("src")).attributes, kDirectory | kHidden | kSystem);
    EXPECT_EQ(test::entryState(dir.file("src/Sub")).mode & 0777, 0755u);
}

TEST(Attributes, ACompressedFlagOnAVolumeThatCompresses)
{
    TempDir dir;
    const std::string mountPoint = dir.mkdir("btrfs");
    test::ScratchMount mount = test::ScratchMount::btrfs(mountPoint, dir.file("image"));
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a btrfs image here";
    const std::string file = dir.write("btrfs/src/f.txt", std::string(10000, 'a'));
    EngineRun on;
    EXPECT_TRUE(on.run(kAttrib, {.sourceFolder = dir.file("btrfs/src"), .attributeSet = platform::attr::kCompressed}));
    EXPECT_NE(test::entryState(file).attributes & platform::attr::kCompressed, 0u);
    EXPECT_NE(test::entryState(dir.file("btrfs/src")).attributes & platform::attr::kCompressed, 0u);
    EngineRun off;
    EXPECT_TRUE(
        off.run(kAttrib, {.sourceFolder = dir.file("btrfs/src"), .attributeClear = platform::attr::kCompressed}));
    EXPECT_EQ(test::entryState(file).attributes & platform::attr::kCompressed, 0u);

    // A volume that does not compress says so, and the entry fails.
    TempDir plain;
    plain.write("src/f.txt", "f");
    EngineRun refused;
    refused.run(
        kAttrib | kGoOn,
        {.sourceFolder = plain.file("src"), .selection = {"f.txt"}, .attributeSet = platform::attr::kCompressed});
    EXPECT_NE(refused.engine.Protocol().find("nicht gesetzt (Fehler, Daten Kompression fehlgeschlagen)"),
              std::string::npos)
        << refused.engine.Protocol();
}

TEST(Attributes, AFailureAsksWhetherToChangeIt)
{
    TempDir dir;
    const std::string file = dir.write("src/fest.txt", "f");
    Immutable locked(file);
    if (!locked.ok())
        GTEST_SKIP() << "the volume has no immutable flag";
    EngineRun r;
    r.questions.answers = {Answer::Ignore};
    r.run(kAttrib,
          {.sourceFolder = dir.file("src"), .selection = {"fest.txt"}, .attributeSet = platform::attr::kReadOnly});
    ASSERT_EQ(r.questions.asked.size(), 1u);
    EXPECT_EQ(r.questions.asked[0].text.substr(0, r.questions.asked[0].text.find("\r")),
              "Datei '" + file + "' konnte nicht verändert werden!");
    EXPECT_NE(r.engine.Protocol().find("nicht gesetzt (Fehler bei Datei: fest.txt - Zugriff verweigert) => Abbruch"),
              std::string::npos);
}

} // namespace
} // namespace zdr::engine
