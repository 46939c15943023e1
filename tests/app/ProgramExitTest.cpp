// The program's exit code as a script sees it: the real program, offscreen
// and without a person at the screen, runs a project (/a, /s) or a hand-off;
// 0 tells that the run succeeded, 1 that it failed, was cancelled or could
// not start.
#include "app/X11Clipboard.h"
#include "shellext/HandOffWire.h"
#include "shellext/WireClient.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace zdr::app {
namespace {

namespace fs = std::filesystem;
namespace wire = shellext::wire;
using namespace std::chrono_literals;
using test::TempDir;

constexpr int kNotEnded = -1;

// A socket in the tree: a copy cannot make one, so its entry fails.
void makeSocket(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

// A terminal (a pseudo-terminal pair) for the program; what the program
// writes on it is read on a thread of its own until the program is gone.
class Terminal {
public:
    Terminal()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        side_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
        reader_ = std::thread([this] {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = read(master_, buffer, sizeof buffer)) > 0) {
                const std::lock_guard guard(lock_);
                shown_.append(buffer, static_cast<std::size_t>(n));
            }
        });
    }
    ~Terminal() { sb_Finish(); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool opened() const { return side_ >= 0; }
    // The program's side; closed here once the program has it.
    int side() const { return side_; }
    void sb_Handed()
    {
        close(side_);
        side_ = -2;
    }
    std::string shown()
    {
        const std::lock_guard guard(lock_);
        return shown_;
    }
    // Everything once the program has ended (the reader reads to the end).
    std::string sb_Finish()
    {
        if (reader_.joinable())
            reader_.join();
        if (master_ >= 0)
            close(master_);
        master_ = -1;
        return shown();
    }

private:
    int master_ = -1;
    int side_ = -1;
    std::mutex lock_;
    std::string shown_;
    std::thread reader_;
};

// Started without a display and without being told that nobody is there
// (cron, ssh, a systemd timer); its standard error (and output) goes to
// `errorOutput`.
struct NoDisplay {
    int errorOutput;
};

// The program with its arguments, unattended and offscreen (or on the X
// display `x11Display`); its receiver's socket goes into `runtimeFolder`.
class Program {
public:
    // fileSizeLimit: the largest file the program may write (ulimit -f), 0 for none.
    Program(const std::vector<std::string>& arguments, const std::string& runtimeFolder, rlim_t fileSizeLimit = 0,
            std::optional<NoDisplay> noDisplay = std::nullopt, const std::string& x11Display = {})
    {
        std::map<std::string, std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            const std::size_t eq = entry.find('=');
            if (eq != std::string::npos)
                env[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        env["QT_QPA_PLATFORM"] = "offscreen";
        env["ZDR_UNATTENDED"] = "1";
        env["XDG_RUNTIME_DIR"] = runtimeFolder;
        env.erase("ZDR_PROTOCOL_FILE");
        if (!x11Display.empty()) {
            env["QT_QPA_PLATFORM"] = "xcb";
            env["DISPLAY"] = x11Display;
            env.erase("WAYLAND_DISPLAY");
            env.erase("XAUTHORITY");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (noDisplay) {
            for (const char* name : {"QT_QPA_PLATFORM", "ZDR_UNATTENDED", "DISPLAY", "WAYLAND_DISPLAY"})
                env.erase(name);
            posix_spawn_file_actions_adddup2(&actions, noDisplay->errorOutput, STDERR_FILENO);
            posix_spawn_file_actions_adddup2(&actions, noDisplay->errorOutput, STDOUT_FILENO);
        }
        std::vector<std::string> envText;
        for (const auto& [key, value] : env)
            envText.push_back(key + "=" + value);
        std::vector<std::string> argText{ZDR_PROGRAM};
        argText.insert(argText.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (std::string& a : argText)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : envText)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        // The limit is inherited, and so is the signal's default action
        // (which would end the program when it writes beyond the limit).
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGXFSZ);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (fileSizeLimit > 0) {
            rlimit limited = saved;
            limited.rlim_cur = fileSizeLimit;
            setrlimit(RLIMIT_FSIZE, &limited);
        }
        if (posix_spawn(&pid_, ZDR_PROGRAM, &actions, &attributes, argv.data(), envp.data()) != 0)
            pid_ = -1;
        setrlimit(RLIMIT_FSIZE, &saved);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program()
    {
        if (pid_ > 0 && exitCode(0s) == kNotEnded) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void sendSignal(int number) const { kill(pid_, number); }

    // The exit code once the program has ended within the limit, else kNotEnded.
    int exitCode(std::chrono::seconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (pid_ > 0 && !ended_) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (std::chrono::steady_clock::now() > end) {
                break;
            } else {
                std::this_thread::sleep_for(20ms);
            }
        }
        return code_;
    }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int code_ = kNotEnded;
};

class ProgramExit : public ::testing::Test {
protected:
    ProgramExit() : runtime_(tree_.mkdir("runtime"))
    {
        chmod(runtime_.c_str(), 0700);
        tree_.write("Daten/Texte/brief.txt", "Brief");
        tree_.write("Daten/Bilder/a.jpg", "Bild");
        tree_.write("Defekt/gut.txt", "gut");
        // A file kind nothing can copy: its entry fails, whatever the user's rights.
        makeSocket(tree_.file("Defekt/Rohr"));
    }

    // A project of one task with the action index and option boxes; more:
    // the task's fields after the target ("|" before each).
    std::string project(const std::string& name, int action, const std::string& source, const std::string& target,
                        const std::vector<const char*>& options = {}, const std::string& more = {}) const
    {
        std::string xml = "<?xml version=\"1.0\"?>\n<ZendorFileCopy>\n  <lvwMain><LVW1>(JOB1|Aufgabe||" + source + "|"
            + target + more + "</LVW1></lvwMain>\n";
        for (const char* option : options)
            xml += std::string("  <") + option + ">1</" + option + ">\n";
        xml += "  <cboAction>" + std::to_string(action) + "</cboAction>\n  <txtProjectName>" + name
            + "</txtProjectName>\n</ZendorFileCopy>\n";
        return tree_.write(name + ".ZdrPrj", xml);
    }

    // Hands the entries to a program started with DLL, as the file manager
    // does; false when no receiver took them.
    bool handOff(const std::string& key, const std::vector<std::string>& entries) const
    {
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        std::string socket;
        std::string error;
        if (!wire::receiverSocketPath(key, socket, error))
            return false;
        wire::WireClient client;
        const auto end = std::chrono::steady_clock::now() + 30s;
        while (!client.connect(socket)) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        for (const std::string& entry : entries)
            if (client.send(wire::kEntry, entry, 10000) != wire::WireClient::SendResult::Accepted)
                return false;
        return client.send(wire::kEnd, std::to_string(entries.size()), 10000) == wire::WireClient::SendResult::Accepted;
    }

    // Runs the program without a display and without a terminal, as cron
    // does (output into a file); returns the exit code and what it wrote.
    std::pair<int, std::string> runLikeCron(const std::vector<std::string>& arguments)
    {
        const std::string log = tree_.file("cron.log");
        const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int code = kNotEnded;
        {
            Program program(arguments, runtime_, 0, NoDisplay{output});
            code = program.exitCode(120s);
        }
        close(output);
        std::ostringstream text;
        text << std::ifstream(log).rdbuf();
        return {code, text.str()};
    }

    TempDir tree_;
    std::string runtime_;
};

TEST_F(ProgramExit, ProjectRunFromTheCommandLine)
{
    const std::string data = tree_.file("Daten");
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        int expected;
    } cases[] = {
        {"information", {project("info", 0, data, "", {"chkCopyWithInfo"}), "/a", "/s"}, 0},
        {"without /s the hidden window closes all the same",
         {project("info2", 0, data, "", {"chkCopyWithInfo"}), "/A"},
         0},
        {"information without \"Aktion mit Infos\": the action is its pass",
         {project("leer", 0, data, ""), "/a", "/s"},
         0},
        {"copy", {project("kopie", 1, data, tree_.mkdir("Ziel1"), {"chkCopyWithInfo"}), "/a", "/s"}, 0},
        {"copy with an entry that fails",
         {project("defekt", 1, tree_.file("Defekt"), tree_.mkdir("Ziel2"), {"chkCopyContinueAfterError"}), "/a", "/s"},
         1},
        {"a source that is not there",
         {project("fehlt", 0, tree_.file("nirgends"), "", {"chkCopyWithInfo"}), "/a", "/s"},
         1},
        {"delete whose review nobody confirms",
         {project("loeschen", 3, data, "", {"chkCopyWithInfo", "chkCopyCreateProtocol", "chkCopyInfoAskBeforeAction"}),
          "/a", "/s"},
         1},
        {"a project file that is nowhere", {tree_.file("fehlt.ZdrPrj"), "/a", "/s"}, 1},
        {"a damaged action index", {project("kaputt", -1, data, "", {"chkCopyWithInfo"}), "/a", "/s"}, 1},
        {"an action that cannot run yet is not replaced by another",
         {project("synchron", 2, data, tree_.mkdir("ZielSynchron"), {"chkCopyWithInfo"}), "/a", "/s"},
         1},
    };
    for (const auto& c : cases) {
        Program program(c.arguments, runtime_);
        EXPECT_EQ(program.exitCode(120s), c.expected) << c.what;
    }
    // Under a file-size limit (ulimit -f) the file that does not fit fails
    // and the run says so; the program is not ended by the system's signal.
    tree_.write("Gross/gross.bin", std::string(512 * 1024, 'g'));
    tree_.write("Gross/klein.txt", "klein");
    Program limited(
        {project("gross", 1, tree_.file("Gross"), tree_.mkdir("Ziel5"), {"chkCopyContinueAfterError"}), "/a", "/s"},
        runtime_, 64 * 1024);
    EXPECT_EQ(limited.exitCode(120s), 1);
    EXPECT_TRUE(fs::exists(tree_.file("Ziel5/Gross/klein.txt")));
    EXPECT_FALSE(fs::exists(tree_.file("Ziel5/Gross/gross.bin")));
    EXPECT_TRUE(fs::exists(tree_.file("Ziel1/Daten/Texte/brief.txt")));
    EXPECT_TRUE(fs::exists(tree_.file("Ziel2/Defekt/gut.txt"))) << "the rest is copied, the run still failed";
    EXPECT_TRUE(fs::exists(tree_.file("Daten/Texte/brief.txt"))) << "a declined review deletes nothing";
}

// Delete, attribute and make-folder projects as a script runs them: started
// at once, the result on the disk and in the exit code.
TEST_F(ProgramExit, ActionsOfAProject)
{
    tree_.write("Weg/Sub/a.txt", "a");
    tree_.write("Weg/b.txt", "b");
    tree_.write("Schutz/c.txt", "c");
    tree_.mkdir("Basis");
    const std::vector<const char*> started = {"chkActionAutoStart", "chkCopyWithInfo", "chkCopyCreateProtocol"};
    const struct {
        const char* what;
        std::string project;
    } cases[] = {
        {"delete", project("loeschen2", 3, tree_.file("Weg"), "", started)},
        // Sub-item 8: the attributes to set (read-only).
        {"attributes", project("schuetzen", 4, tree_.file("Schutz"), "", started, "||||||1")},
        {"make a folder", project("ordner", 5, tree_.file("Basis"), "Neu", {"chkActionAutoStart"})},
    };
    for (const auto& c : cases) {
        Program program({c.project, "/a", "/s"}, runtime_);
        EXPECT_EQ(program.exitCode(120s), 0) << c.what;
    }
    EXPECT_FALSE(fs::exists(tree_.file("Weg")));
    EXPECT_EQ(fs::status(tree_.file("Schutz/c.txt")).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(fs::is_directory(tree_.file("Basis/Neu")));
}

TEST_F(ProgramExit, HandOffRun)
{
    const struct {
        const char* action;
        std::string source;
        std::string shellFolder;
        std::vector<std::string> entries;
        int expected;
    } cases[] = {
        {"INFO", tree_.file("Daten"), "", {"/Texte"}, 0},
        {"COPY", tree_.file("Daten"), tree_.mkdir("Ziel3"), {"/Bilder"}, 0},
        {"COPY", tree_.file("Defekt"), tree_.mkdir("Ziel4"), {"/Rohr", "/gut.txt"}, 1},
        // Waits for the start button, which nobody presses.
        {"DELETE", tree_.file("Daten"), "", {"/Texte"}, 1},
    };
    int key = 0;
    for (const auto& c : cases) {
        const std::string handOffKey = "4711" + std::to_string(++key);
        Program program({"DLL", c.action, handOffKey, "\"" + c.source + "\"", "\"" + c.shellFolder + "\""}, runtime_);
        EXPECT_TRUE(handOff(handOffKey, c.entries)) << c.action;
        EXPECT_EQ(program.exitCode(120s), c.expected) << c.action << " " << c.source;
    }
    EXPECT_TRUE(fs::exists(tree_.file("Ziel3/Bilder/a.jpg")));
    EXPECT_TRUE(fs::exists(tree_.file("Ziel4/gut.txt")));
    EXPECT_TRUE(fs::exists(tree_.file("Daten/Texte/brief.txt")));

    // Refused before anything runs: an action word the program does not know.
    Program unknown({"DLL", "KOPIEREN", "47110", "\"" + tree_.file("Daten") + "\"", "\"\""}, runtime_);
    EXPECT_EQ(unknown.exitCode(120s), 1);
}

// The path of a new folder stays on the clipboard after the program has
// ended: on its way out the program hands the clipboard to the desktop's
// clipboard manager (here one of the test's own on a private X server).
TEST_F(ProgramExit, NewFolderPathOutlivesTheProgram)
{
    test::PrivateXServer x11;
    if (x11.display().empty())
        GTEST_SKIP() << x11.why();
    test::X11ClipboardManager manager(x11.display());
    ASSERT_TRUE(manager.running());
    tree_.mkdir("Basis");
    const std::string made = tree_.file("Basis/Neu");
    Program program({project("ordner", 5, tree_.file("Basis"), "Neu", {"chkActionAutoStart"}), "/a", "/s"}, runtime_, 0,
                    std::nullopt, x11.display());
    ASSERT_EQ(program.exitCode(120s), 0);
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_EQ(manager.saved(), made) << "handed over at the end";
    EXPECT_EQ(test::readX11Clipboard(x11.display(), 30s), made);
}

// From cron, ssh or a systemd timer: no display, and nobody said that nobody
// is at the screen. A run started with /a goes on offscreen and shows its
// progress on the terminal; a window someone should use cannot open.
TEST_F(ProgramExit, WithoutADisplay)
{
    Terminal terminal;
    ASSERT_TRUE(terminal.opened());
    {
        Program program(
            {project("nachts", 1, tree_.file("Daten"), tree_.mkdir("Ziel5"), {"chkCopyWithInfo"}), "/a", "/s"},
            runtime_, 0, NoDisplay{terminal.side()});
        terminal.sb_Handed();
        EXPECT_EQ(program.exitCode(120s), 0);
    }
    const std::string shown = terminal.sb_Finish();
    EXPECT_TRUE(fs::exists(tree_.file("Ziel5/Daten/Texte/brief.txt")));
    EXPECT_NE(shown.find("\rKopieren: "), std::string::npos) << shown;
    EXPECT_NE(shown.find("Vorgang erfolgreich abgeschlossen"), std::string::npos) << shown;

    const std::string errors = tree_.file("fehler.txt");
    const int errorFile = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(errorFile, 0);
    {
        Program window({project("fenster", 1, tree_.file("Daten"), tree_.file("Ziel5"))}, runtime_, 0,
                       NoDisplay{errorFile});
        EXPECT_EQ(window.exitCode(120s), 1);
    }
    close(errorFile);
    std::ostringstream text;
    text << std::ifstream(errors).rdbuf();
    EXPECT_NE(text.str().find("Keine grafische Anzeige gefunden"), std::string::npos) << text.str();
}

// Ctrl+C and SIGTERM cancel a run as its cancel button does: the file being
// copied is not left half-made, the terminal line ends, the run says it was
// cancelled, and the program ends with the signal's documented code.
TEST_F(ProgramExit, SignalsCancelTheRun)
{
    // Copied in blocks of 1 KB with the engine's pause after each: minutes.
    tree_.write("Lang/gross.bin", std::string(4 << 20, 'g'));
    const struct {
        int signal;
        int expected;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& c : cases) {
        const std::string target = tree_.mkdir("Ziel-" + std::to_string(c.signal));
        std::ostringstream xml;
        xml << std::ifstream(project("lang", 1, tree_.file("Lang"), target, {"chkCopyBlockBytes"})).rdbuf();
        std::string text = xml.str();
        text.insert(text.find("<cboAction>"), "<txtFileBlockSize>1024</txtFileBlockSize>");
        const std::string file = tree_.write("lang.ZdrPrj", text);
        Terminal terminal;
        ASSERT_TRUE(terminal.opened());
        int code = kNotEnded;
        {
            Program program({file, "/a", "/s"}, runtime_, 0, NoDisplay{terminal.side()});
            terminal.sb_Handed();
            // The copy of the file has begun once its bytes are shown.
            const auto end = std::chrono::steady_clock::now() + 60s;
            while (terminal.shown().find("\rKopieren: ") == std::string::npos && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(20ms);
            program.sendSignal(c.signal);
            code = program.exitCode(120s);
        }
        const std::string shown = terminal.sb_Finish();
        EXPECT_EQ(code, c.expected) << shown;
        EXPECT_NE(shown.find("Vorgang abgebrochen"), std::string::npos) << shown;
        EXPECT_NE(shown.find("\x1b[K\r\n"), std::string::npos) << "the progress line ends first: " << shown;
        std::vector<std::string> left;
        for (const auto& entry : fs::recursive_directory_iterator(target))
            if (entry.is_regular_file())
                left.push_back(entry.path().filename());
        EXPECT_TRUE(left.empty()) << "half-made: " << left.front();
    }
}

// What a cron mail or a journal shows of an unattended run: every entry that
// failed with its path and reason, a closing line per pass; the help and the
// version without a display; a project file that is not there, by its name.
TEST_F(ProgramExit, UnattendedRunTellsWhatHappened)
{
    for (const char* asked : {"--help", "-h", "/?", "--version"}) {
        const auto [code, text] = runLikeCron({asked});
        EXPECT_EQ(code, 0) << asked;
        EXPECT_NE(text.find(std::string_view(asked) == "--version" ? "Zendor DaroRazu 1." : "/a"), std::string::npos)
            << asked << ": " << text;
        EXPECT_EQ(text.find("Keine grafische Anzeige"), std::string::npos) << text;
    }

    tree_.write("Teils/Offen/gut.txt", "gut");
    makeSocket(tree_.file("Teils/Offen/Rohr"));
    tree_.write("Teils/Zu/geheim.txt", "geheim");
    chmod(tree_.file("Teils/Zu").c_str(), 0);
    const auto [code, text] = runLikeCron(
        {project("teils", 1, tree_.file("Teils"), tree_.mkdir("Ziel6"), {"chkCopyContinueAfterError"}), "/a", "/s"});
    chmod(tree_.file("Teils/Zu").c_str(), 0700);
    EXPECT_EQ(code, 1);
    EXPECT_NE(text.find("Fehler: '" + tree_.file("Teils/Offen/Rohr") + "' - "), std::string::npos) << text;
    EXPECT_NE(text.find("Vorgang abgeschlossen"), std::string::npos) << text;
    EXPECT_NE(text.find(" erledigt, 0 übersprungen, "), std::string::npos) << text;
    EXPECT_EQ(text.find("Vorgang abgebrochen"), std::string::npos) << "the run went on to its end: " << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
    if (geteuid() != 0) // root opens every folder
        EXPECT_NE(text.find("Kein Zugriff! ('" + tree_.file("Teils/Zu") + "')"), std::string::npos) << text;
    EXPECT_TRUE(fs::exists(tree_.file("Ziel6/Teils/Offen/gut.txt")));

    const std::string missing = tree_.file("nirgends.ZdrPrj");
    const auto [missingCode, missingText] = runLikeCron({missing, "/a", "/s"});
    EXPECT_EQ(missingCode, 1);
    EXPECT_NE(missingText.find("Projektdatei '" + missing + "' nicht gefunden"), std::string::npos) << missingText;
    EXPECT_EQ(missingText.find("Keine Aufgabe"), std::string::npos) << missingText;

    // A refused hand-off's message for a desktop without notifications:
    // shown in a window of the program's own, without a display on stderr.
    const auto [messageCode, messageText] = runLikeCron({"--meldung", "ZendorShellExtension", "abgelehnt"});
    EXPECT_EQ(messageCode, 1);
    EXPECT_EQ(messageText, "ZendorShellExtension: abgelehnt\n");

    const auto [damagedCode, damagedText] = runLikeCron({tree_.write("kaputt.ZdrPrj", "<ZendorFileCopy>"), "/a"});
    EXPECT_EQ(damagedCode, 1);
    EXPECT_EQ(damagedText.find("Zendor DaroRazu: Zendor DaroRazu"), std::string::npos) << damagedText;
    EXPECT_EQ(damagedText.find('\r'), std::string::npos) << damagedText;
}

} // namespace
} // namespace zdr::app
