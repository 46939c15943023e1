#include "app/frmStart.h"
#include "app/HandOffAction.h"
#include "shellext/WireClient.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <future>

namespace zdr::app {
namespace {

namespace fs = std::filesystem;
namespace wire = shellext::wire;
using test::ScriptedUi;
using Sent = wire::WireClient::SendResult;

constexpr const char* kKey = "1122025143055123";

// Every wait ends as soon as its condition holds; the bound only keeps a
// broken receiver from hanging the test, also on a machine under load.
constexpr int kPatienceMs = 120000;

template <typename Condition>
bool waitFor(Condition condition)
{
    return QTest::qWaitFor(condition, kPatienceMs);
}

// What frmStart handed to the run coordinator.
struct CoverLog {
    int created = 0;
    std::vector<std::string> calls;
    std::string action;
    std::uint32_t status = 0;
    std::uint32_t statusEx = 99;
    int folderInfoLevel = 0;
    std::uint32_t fileBlockBytes = 0;
    project::Task task;
    bool dataComplete = false;
    QWidget* callingWindow = reinterpret_cast<QWidget*>(1);
    bool released = false;
    bool refuseInit = false;
    bool refuseStart = false;
    bool succeeded = true;
    run::InfoCoverDone done;
};

class ScriptedCover : public run::RunCover {
public:
    explicit ScriptedCover(CoverLog& log) : log_(log) {}
    ~ScriptedCover() override { log_.released = true; }

    bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                 std::uint32_t fileBlockBytes) override
    {
        log_.calls.push_back("fc_Init");
        log_.action = action;
        log_.status = status;
        log_.statusEx = statusEx;
        log_.folderInfoLevel = folderInfoLevel;
        log_.fileBlockBytes = fileBlockBytes;
        return !log_.refuseInit;
    }
    bool fc_InitAdd(const project::Task& task) override
    {
        log_.calls.push_back("fc_InitAdd");
        log_.task = task;
        return true;
    }
    bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) override
    {
        log_.calls.push_back("fc_InitActionStart");
        log_.dataComplete = dataComplete;
        log_.callingWindow = callingWindow;
        return !log_.refuseStart;
    }
    bool IsRunning() const override { return false; }
    bool RunSucceeded() const override { return log_.succeeded; }

private:
    CoverLog& log_;
};

class HandOff : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/zdr-rt-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime_ = pattern;
        setenv("XDG_RUNTIME_DIR", pattern, 1);
    }
    static void TearDownTestSuite() { fs::remove_all(runtime_); }

    HandOff()
        : form_([this](run::InfoCoverEvents events) {
              ++log_.created;
              log_.done = std::move(events.done);
              return std::make_unique<ScriptedCover>(log_);
          })
    {
        QObject::connect(&form_, &frmStart::ended, [this](int code) { exitCode_ = code; });
    }

    bool init(const std::string& action = "COPY", const std::string& source = "/daten",
              const std::string& shell = "/ziel")
    {
        return form_.fc_Init("DLL", action, kKey, source, shell);
    }

    // Sends from another thread, as the file manager does, while this one
    // runs the receiver; returns each message's answer.
    std::vector<Sent> send(const std::vector<wire::Message>& messages, const std::string& path = {})
    {
        auto sending = std::async(std::launch::async, [&] {
            std::vector<Sent> results;
            wire::WireClient client;
            if (!client.connect(path.empty() ? form_.socketPath() : path))
                return results;
            for (const wire::Message& m : messages) {
                results.push_back(client.send(m.dwData, m.payload, kPatienceMs));
                if (results.back() != Sent::Accepted)
                    break;
            }
            return results;
        });
        EXPECT_TRUE(waitFor([&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        return sending.get();
    }

    bool waitForEnd()
    {
        return waitFor([this] { return exitCode_ >= 0; });
    }

    static inline std::string runtime_;
    ScriptedUi ui_;
    CoverLog log_;
    frmStart form_;
    int exitCode_ = -1;
};

const std::vector<Sent> kAccepted3{Sent::Accepted, Sent::Accepted, Sent::Accepted};

TEST_F(HandOff, TwoEntriesBecomeOneTask)
{
    ASSERT_TRUE(init());
    EXPECT_EQ(form_.windowTitle(), QString("Zendor DaroRazu - ") + kKey);
    EXPECT_FALSE(form_.isVisible());
    struct stat st {};
    ASSERT_EQ(stat(form_.socketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(send({{wire::kEntry, "/Bilder"}, {wire::kEntry, "/Texte"}, {wire::kEnd, "2"}}), kAccepted3);
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"fc_Init", "fc_InitAdd", "fc_InitActionStart"}));
    EXPECT_EQ(log_.action, "COPY");
    EXPECT_EQ(log_.status, 0x10870Bu);
    EXPECT_EQ(log_.statusEx, 0u);
    EXPECT_EQ(log_.folderInfoLevel, 2);
    EXPECT_EQ(log_.fileBlockBytes, 65536u);
    project::Task expected;
    expected.sourceFolder = "/daten";
    expected.selection = {"\\Bilder", "\\Texte"}; // nothing there: the folder form
    expected.targetFolder = "/ziel";
    EXPECT_EQ(log_.task.sourceFolder, expected.sourceFolder);
    EXPECT_EQ(log_.task.selection, expected.selection);
    EXPECT_EQ(log_.task.targetFolder, expected.targetFolder);
    EXPECT_EQ(log_.task.attributesToSet() | log_.task.attributesToClear(), 0u);
    EXPECT_EQ(std::tie(log_.task.exclusions, log_.task.backupFolder), std::make_tuple(std::string(), std::string()));
    EXPECT_TRUE(log_.dataComplete);
    EXPECT_EQ(log_.callingWindow, nullptr);
    EXPECT_FALSE(log_.released);
    EXPECT_EQ(exitCode_, -1);

    // The run is over: the coordinator goes, the program ends.
    log_.done();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(exitCode_, 0);
    EXPECT_TRUE(log_.released);
    EXPECT_FALSE(fs::exists(form_.socketPath()));
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(HandOff, StatusWordPerActionWord)
{
    struct Case {
        const char* word;
        const char* action;
        std::uint32_t status;
    };
    for (const Case& c :
         {Case{"INFO", "INFO", 0x10800A}, Case{"INFODIR", "INFO", 0x12800A}, Case{"COPY", "COPY", 0x10870B},
          Case{"DELETE", "DELETE", 0x852A}, Case{"ATTRIB", "ATTRIB", 0x10874A}, Case{"MKDIR", "MKDIR", 0x600000}}) {
        const HandOffAction* a = handOffAction(c.word);
        ASSERT_NE(a, nullptr) << c.word;
        EXPECT_EQ(a->action, c.action);
        EXPECT_EQ(a->pass, engine::passActionOf(c.action)) << c.word;
        EXPECT_EQ(a->status, c.status) << c.word;
    }
    for (const char* unknown : {"", "copy", "COPYX", "RENAME"})
        EXPECT_EQ(handOffAction(unknown), nullptr) << unknown;
}

TEST_F(HandOff, InfoDirRunsTheInformationAction)
{
    ASSERT_TRUE(init("INFODIR", "/daten", ""));
    EXPECT_EQ(send({{wire::kEntry, "/Bilder"}, {wire::kEnd, "1"}}),
              (std::vector<Sent>{Sent::Accepted, Sent::Accepted}));
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(log_.action, "INFO");
    EXPECT_EQ(log_.status, 0x12800Au);
    EXPECT_EQ(log_.task.targetFolder, "");
}

TEST_F(HandOff, MakeFolderSendsOnlyTheCount)
{
    ASSERT_TRUE(init("MKDIR", "/daten/Bilder", ""));
    EXPECT_EQ(send({{wire::kEnd, "1"}}), std::vector<Sent>{Sent::Accepted});
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(project::fieldText(log_.task, project::kSelection), "");
    EXPECT_EQ(log_.task.sourceFolder, "/daten/Bilder");
    EXPECT_TRUE(log_.dataComplete);
}

TEST_F(HandOff, CountThatDoesNotMatchOnlyClearsDataComplete)
{
    struct Case {
        std::vector<wire::Message> messages;
        bool complete;
    };
    const std::vector<Case> cases{
        {{{wire::kEntry, "/a"}, {wire::kEntry, "/b"}, {wire::kEnd, "3"}}, false},    // fewer than announced
        {{{wire::kEntry, "/a"}, {wire::kEntry, "/b"}, {wire::kEnd, "1"}}, false},    // more than announced
        {{{wire::kEntry, "/a"}, {wire::kEntry, "/b"}, {wire::kEnd, "zwei"}}, false}, // no number at all
        {{{wire::kEntry, "/a"}, {wire::kEntry, "/b"}, {wire::kEnd, std::string("2\0x", 3)}}, true}, // cut at the zero
        {{{wire::kEntry, "/a"}, {99, "/c"}, {wire::kEnd, "1"}}, true}, // unknown dwData ignored
    };
    for (const Case& c : cases) {
        CoverLog log;
        frmStart form([&log](run::InfoCoverEvents events) {
            log.done = std::move(events.done);
            return std::make_unique<ScriptedCover>(log);
        });
        ASSERT_TRUE(form.fc_Init("INFO", "INFO", kKey, "/daten", ""));
        std::vector<Sent> answers = send(c.messages, form.socketPath());
        EXPECT_EQ(answers.size(), c.messages.size());
        ASSERT_TRUE(waitFor([&log] { return log.calls.size() == 3; }));
        EXPECT_EQ(log.dataComplete, c.complete) << c.messages.back().payload;
        EXPECT_EQ(project::fieldText(log.task, project::kSelection),
                  "\\a" + std::string(c.messages[1].dwData == wire::kEntry ? ";\\b" : ""));
    }
    EXPECT_TRUE(ui_.messages().empty());
}

// The received entries become a task's selection in its stored form: folders
// with their mark, files by name, as the main window stores them.
TEST(HandOffSelection, EntriesTakeTheStoredForm)
{
    test::TempDir tree;
    tree.write("Daten/brief.txt", "b");
    tree.write("Daten/Sub/x.txt", "x");
    tree.mkdir("Daten/Bilder");
    const std::string data = tree.file("Daten");
    const struct {
        std::string list;
        std::string source;
        std::string stored;
    } cases[] = {
        {"/Bilder;/brief.txt", data, "\\Bilder;brief.txt"},
        {"/Sub;/Sub/x.txt", data, "\\Sub;Sub\\x.txt"},
        {"/fehlt", data, "\\fehlt"},
        {"", data, ""},
        {"/;/media/usb", "<Arbeitsplatz>", "/;/media/usb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(storedSelection(c.list, c.source), c.stored) << c.list;
}

TEST_F(HandOff, FullPathsBelowMyComputer)
{
    ASSERT_TRUE(init("INFO", "<Arbeitsplatz>", ""));
    EXPECT_EQ(send({{wire::kEntry, "/"}, {wire::kEntry, "/media/usb"}, {wire::kEnd, "2"}}), kAccepted3);
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(log_.task.sourceFolder, "<Arbeitsplatz>");
    EXPECT_EQ(project::fieldText(log_.task, project::kSelection), "/;/media/usb");
}

// Every bad entry ends the hand-off with a message; nothing reaches the coordinator.
TEST_F(HandOff, BadEntriesRunNothing)
{
    struct Case {
        std::string source;
        std::string entry;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"/daten", "/../etc", "\"..\""},
        {"/daten", "/a/../../etc", "\"..\""},
        {"/daten", "Bilder", "nicht unter dem Quellordner"},
        {"/daten", "/", "nicht unter dem Quellordner"},
        {"/daten", "/a;/etc", "\";\""},
        {"<Arbeitsplatz>", "media", "kein vollständiger Pfad"},
    };
    for (const Case& c : cases) {
        ScriptedUi ui;
        CoverLog log;
        int code = -1;
        frmStart form([&log](run::InfoCoverEvents) { return std::make_unique<ScriptedCover>(log); });
        QObject::connect(&form, &frmStart::ended, [&code](int e) { code = e; });
        ASSERT_TRUE(form.fc_Init("DLL", "COPY", kKey, c.source, ""));
        EXPECT_EQ(send({{wire::kEntry, "/gut"}, {wire::kEntry, c.entry}, {wire::kEnd, "2"}}, form.socketPath()),
                  (std::vector<Sent>{Sent::Accepted, Sent::Refused}))
            << c.entry;
        ASSERT_TRUE(waitFor([&code] { return code >= 0; }));
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(log.calls.empty()) << c.entry;
        EXPECT_TRUE(log.released);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].title, "Aktion abgebrochen ...");
        EXPECT_EQ(ui.messages()[0].icon, util::ui::Icon::Critical);
        EXPECT_EQ(ui.lastText().rfind(
                      "Die Übergabe aus dem Dateimanager wurde abgebrochen, nichts wurde ausgeführt.\r\n\r\n", 0),
                  0u);
        EXPECT_NE(ui.lastText().find(c.reason), std::string::npos) << ui.lastText();
    }
    // Only the end message: entries were the point of the hand-off (a copy
    // of the whole source folder is not what was asked for).
    for (const char* action : {"COPY", "DELETE", "INFO"}) {
        ScriptedUi ui;
        CoverLog log;
        int code = -1;
        frmStart form([&log](run::InfoCoverEvents) { return std::make_unique<ScriptedCover>(log); });
        QObject::connect(&form, &frmStart::ended, [&code](int e) { code = e; });
        ASSERT_TRUE(form.fc_Init("DLL", action, kKey, "/daten", "/ziel"));
        EXPECT_EQ(send({{wire::kEnd, "0"}}, form.socketPath()), std::vector<Sent>{Sent::Refused}) << action;
        ASSERT_TRUE(waitFor([&code] { return code >= 0; }));
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(log.calls.empty()) << action;
        EXPECT_NE(ui.lastText().find("keine Einträge"), std::string::npos) << ui.lastText();
    }
}

// Without a runtime folder the hand-off goes through the abstract namespace.
TEST_F(HandOff, WithoutARuntimeFolder)
{
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    // The abstract namespace is the machine's: a key of this process only.
    ASSERT_TRUE(form_.fc_Init("DLL", "COPY", std::to_string(getpid()), "/daten", "/ziel"));
    EXPECT_TRUE(wire::isAbstractAddress(form_.socketPath()));
    EXPECT_EQ(send({{wire::kEntry, "/A"}, {wire::kEnd, "1"}}), (std::vector<Sent>{Sent::Accepted, Sent::Accepted}));
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(project::fieldText(log_.task, project::kSelection), "\\A");
}

TEST_F(HandOff, OversizedPayloadIsRefused)
{
    ASSERT_TRUE(init());
    auto sending = std::async(std::launch::async, [path = form_.socketPath()] {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
            return -1;
        std::string frame = {1, 0, 0, 0, 0, 2, 0, 0}; // 512 bytes announced
        frame += std::string(512, 'x');
        ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        char answer = 9;
        const ssize_t n = recv(fd, &answer, 1, 0);
        close(fd);
        return n == 1 ? answer : -2;
    });
    ASSERT_TRUE(waitFor([&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(sending.get(), static_cast<int>(wire::Reply::Refused));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(exitCode_, 1);
    EXPECT_TRUE(log_.calls.empty());
    EXPECT_NE(ui_.lastText().find("länger als 256 Bytes"), std::string::npos) << ui_.lastText();
}

TEST_F(HandOff, OnlyOneSenderAndOnlyUntilTheEnd)
{
    ASSERT_TRUE(init());
    // A sender with another key looks for another name and finds nobody.
    std::string otherPath;
    std::string error;
    ASSERT_TRUE(wire::receiverSocketPath("999", otherPath, error));
    wire::WireClient stranger;
    EXPECT_FALSE(stranger.connect(otherPath));

    // The first sender holds the hand-off; a second one is turned away.
    auto first = std::async(std::launch::async, [path = form_.socketPath()] {
        auto client = std::make_unique<wire::WireClient>();
        client->connect(path);
        client->send(wire::kEntry, "/a", kPatienceMs);
        return client;
    });
    ASSERT_TRUE(waitFor([&] { return first.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    std::unique_ptr<wire::WireClient> holder = first.get();
    EXPECT_NE(send({{wire::kEntry, "/fremd"}}), std::vector<Sent>{Sent::Accepted});
    EXPECT_EQ(form_.dataList(), ";/a");

    auto finish = std::async(std::launch::async, [&holder] { return holder->send(wire::kEnd, "1", kPatienceMs); });
    ASSERT_TRUE(waitFor([&] { return finish.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(finish.get(), Sent::Accepted);
    // After the end message the name is gone; the same sender is refused.
    wire::WireClient late;
    EXPECT_FALSE(late.connect(form_.socketPath()));
    auto again = std::async(std::launch::async, [&holder] { return holder->send(wire::kEntry, "/b", kPatienceMs); });
    ASSERT_TRUE(waitFor([&] { return again.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(again.get(), Sent::Refused);
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    EXPECT_EQ(project::fieldText(log_.task, project::kSelection), "\\a");
}

TEST_F(HandOff, EndMessageThatNeverArrives)
{
    form_.setTimeoutMs(100);
    ASSERT_TRUE(init());
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(exitCode_, 1);
    EXPECT_NE(ui_.lastText().find("Endnachricht"), std::string::npos) << ui_.lastText();
    EXPECT_TRUE(log_.calls.empty());
    EXPECT_FALSE(fs::exists(form_.socketPath()));
}

TEST_F(HandOff, SenderThatHangsUpEarly)
{
    ASSERT_TRUE(init());
    EXPECT_EQ(send({{wire::kEntry, "/a"}}), std::vector<Sent>{Sent::Accepted});
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(exitCode_, 1);
    EXPECT_NE(ui_.lastText().find("vor ihrem Ende"), std::string::npos) << ui_.lastText();
    EXPECT_TRUE(log_.calls.empty());
}

TEST_F(HandOff, RefusedAtOnce)
{
    struct Case {
        std::string action;
        std::string source;
        std::string shell;
        std::string reason;
    };
    for (const Case& c : {Case{"RENAME", "/daten", "", "Unbekannte Aktion: RENAME"},
                          Case{"copy", "/daten", "", "Unbekannte Aktion: copy"},
                          Case{"COPY", "daten", "", "Ungültiger Quellordner: daten"},
                          Case{"COPY", "/daten/..", "", "Ungültiger Quellordner"},
                          Case{"COPY", "/daten", "ziel", "Ungültiger Zielordner: ziel"}}) {
        ScriptedUi ui;
        int code = -1;
        int created = 0;
        frmStart form([&created](run::InfoCoverEvents) {
            ++created;
            return std::unique_ptr<run::RunCover>();
        });
        QObject::connect(&form, &frmStart::ended, [&code](int e) { code = e; });
        EXPECT_FALSE(form.fc_Init("DLL", c.action, kKey, c.source, c.shell));
        ASSERT_TRUE(waitFor([&code] { return code >= 0; }));
        EXPECT_EQ(code, 1);
        EXPECT_EQ(created, 0);
        EXPECT_NE(ui.lastText().find(c.reason), std::string::npos) << ui.lastText();
    }
    ScriptedUi ui;
    frmStart badKey([](run::InfoCoverEvents) { return std::unique_ptr<run::RunCover>(); });
    EXPECT_FALSE(badKey.fc_Init("DLL", "COPY", "../../etc/x", "/daten", ""));
    ASSERT_TRUE(waitFor([&ui] { return !ui.messages().empty(); }));
    EXPECT_NE(ui.lastText().find("Übergabeschlüssel"), std::string::npos);
}

TEST_F(HandOff, StaleSocketIsReplacedLiveOneIsNot)
{
    std::string path;
    std::string error;
    ASSERT_TRUE(wire::receiverSocketPath(kKey, path, error));
    {
        // A socket file whose receiver died.
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        close(fd);
    }
    ASSERT_TRUE(init());

    ScriptedUi ui;
    frmStart twin([](run::InfoCoverEvents) { return std::unique_ptr<run::RunCover>(); });
    EXPECT_FALSE(twin.fc_Init("DLL", "COPY", kKey, "/daten", ""));
    ASSERT_TRUE(waitFor([&ui] { return !ui.messages().empty(); }));
    EXPECT_NE(ui.lastText().find("bereits"), std::string::npos) << ui.lastText();
    // The first receiver still serves.
    EXPECT_EQ(send({{wire::kEntry, "/a"}, {wire::kEnd, "1"}}), (std::vector<Sent>{Sent::Accepted, Sent::Accepted}));
}

// A script that started the hand-off learns from the exit code how the run went.
TEST_F(HandOff, RunThatDidNotSucceedEndsWithOne)
{
    ASSERT_TRUE(init("INFO"));
    EXPECT_EQ(send({{wire::kEntry, "/Bilder"}, {wire::kEnd, "1"}}).size(), 2u);
    ASSERT_TRUE(waitFor([this] { return log_.calls.size() == 3; }));
    log_.succeeded = false; // failed, cancelled or never started
    log_.done();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(exitCode_, 1);
    EXPECT_TRUE(log_.released);
}

TEST_F(HandOff, CoordinatorThatRefusesIsReleased)
{
    for (const bool atInit : {true, false}) {
        CoverLog log;
        log.refuseInit = atInit;
        log.refuseStart = !atInit;
        int code = -1;
        frmStart form([&log](run::InfoCoverEvents) { return std::make_unique<ScriptedCover>(log); });
        QObject::connect(&form, &frmStart::ended, [&code](int e) { code = e; });
        ASSERT_TRUE(form.fc_Init("DLL", "DELETE", kKey, "/daten", ""));
        EXPECT_EQ(send({{wire::kEntry, "/a"}, {wire::kEnd, "1"}}, form.socketPath()).size(), 2u);
        ASSERT_TRUE(waitFor([&code] { return code >= 0; }));
        EXPECT_EQ(code, 1);
        EXPECT_TRUE(log.released);
        EXPECT_EQ(log.calls.size(), atInit ? 1u : 3u);
    }
    EXPECT_TRUE(ui_.messages().empty()); // the coordinator speaks for itself
}

} // namespace
} // namespace zdr::app
