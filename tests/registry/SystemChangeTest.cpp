#include "ScriptedRegistry.h"
#include "engine/StatusBits.h"
#include "registry/RegistryRootKey.h"
#include "registry/SystemChangeObserver.h"
#include "registry/clsSystemChange.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zdr::registry {
namespace {

using test::ScriptedRegistry;
namespace st = engine::status;
namespace rk = rootKey;

constexpr std::uint32_t kHklm = rk::kLocalMachine;
const std::string kPath = "Software\\Zendor";

// Writes every event as one line, so a test compares the whole order.
class Recorder : public SystemChangeObserver {
public:
    std::vector<std::string> log;
    std::vector<protocol::ProtocolEntry> entries;
    bool protocolAnswer = true;
    std::function<void(const std::string&)> onSystemStart;

    void ActionStart(const std::string& action) override { log.push_back("Start " + action); }
    void ActionInfo(const std::string& text) override { log.push_back("Info " + text); }
    void ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t count,
                            std::uint8_t kind) override
    {
        log.push_back("Aufgabe " + action + " " + std::to_string(task) + "/" + std::to_string(count) + " "
                      + std::to_string(kind));
    }
    void ActionSystemStart(const std::string& computer) override
    {
        log.push_back("SystemStart " + computer);
        if (onSystemStart)
            onSystemStart(computer);
    }
    void ActionSystemDone() override { log.push_back("SystemDone"); }
    void ActionSystemNot(std::int32_t code) override { log.push_back("SystemNot " + std::to_string(code)); }
    void ActionReady(bool success, const std::string& message, bool protocolPresent) override
    {
        log.push_back(std::string("Ready ") + (success ? "ok" : "failed") + " [" + message + "]"
                      + (protocolPresent ? " protocol" : ""));
    }
    void ActionProtocolExists() override { log.push_back("ProtocolExists"); }
    void ActionProtocolAdd(const protocol::ProtocolEntry& entry) override
    {
        log.push_back("ProtocolAdd " + entry.par_Name);
        entries.push_back(entry);
    }
    void ActionProtocolShow(bool& continueRun) override
    {
        log.push_back(std::string("ProtocolShow ") + (continueRun ? "preset true" : "preset false"));
        continueRun = protocolAnswer;
    }
};

// A task of a registry project: the fields the registry actions relabel.
project::Task registryTask(const std::string& computer, std::uint32_t root, const std::string& name,
                           const std::string& value, const std::string& service, const std::string& netCode)
{
    const std::string rootName(rootKeyName(root));
    return {.sourceFolder = computer,
            .selection = {rootName.empty() ? kPath : rootName + "\\" + kPath},
            .targetFolder = name,
            .exclusions = value,
            .nameFilters = service,
            .netSourceCode = netCode};
}

struct Fixture {
    ScriptedRegistry registry;
    Recorder events;
    clsSystemChange engine{events, registry};

    void add(const std::string& computer, std::uint32_t root = kHklm, const std::string& name = "Version",
             const std::string& netCode = {})
    {
        engine.fc_InitAdd(registryTask(computer, root, name, "2", "Spooler", netCode));
    }
};

TEST(RegistryPath, RootNamesAnyCaseAndPathSplit)
{
    const struct {
        const char* typed;
        std::uint32_t root;
        const char* keyPath;
    } cases[] = {
        {"hkey_local_machine\\Software\\X", rk::kLocalMachine, "Software\\X"},
        {"HKEY_CLASSES_ROOT\\.txt", rk::kClassesRoot, ".txt"},
        {"Hkey_Current_User\\Software", rk::kCurrentUser, "Software"},
        {"HKEY_USERS\\", rk::kUsers, ""},
        {"HKEY_PERFORMANCE_DATA\\a", rk::kPerformanceData, "a"},
        {"HKEY_CURRENT_CONFIG\\System\\x", rk::kCurrentConfig, "System\\x"},
        {"HKEY_DYN_DATA\\Config Manager", rk::kDynData, "Config Manager"},
        {"Software", rk::kNone, "Software"},       // no "\": all of it is the key path
        {"HKLM\\Software", rk::kNone, "Software"}, // short names are not in the table
        {"\\Software\\X", rk::kNone, "Software\\X"},
        {"", rk::kNone, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fc_SplitRegistryPath(c.typed), (RegistryPath{c.root, c.keyPath})) << c.typed;
        if (c.root != rk::kNone)
            EXPECT_EQ(fc_RootKeyHandle(rootKeyName(c.root)), c.root);
    }
    EXPECT_EQ(rootKeyName(0), "");
    EXPECT_EQ(rootKeyName(0x80000007), "");
}

TEST(clsSystemChange, InformationPhaseReadsEveryComputerAndWritesItsLine)
{
    Fixture run;
    run.registry.set("PC1", kHklm, kPath, "Version", std::int32_t{7});
    run.registry.set("pc2", kHklm, "SOFTWARE\\zendor", "version", std::string("1.2"));
    run.registry.set("PC3", kHklm, kPath, "Version", std::vector<std::uint8_t>{1, 2});
    run.engine.fc_Init(st::kWithInfo | st::kCreateProtocol, 2);
    run.add("PC1");
    run.add("PC2");
    run.add("PC3");
    EXPECT_TRUE(run.engine.fc_ActionRun());

    const std::vector<std::string> expected{
        "Start INFO REG",         "Aufgabe INFO REG 1/3 0", "SystemStart PC1", "SystemDone",
        "ProtocolExists",         "Aufgabe INFO REG 2/3 0", "SystemStart PC2", "SystemDone",
        "Aufgabe INFO REG 3/3 0", "SystemStart PC3",        "SystemDone",      "Ready ok [] protocol"};
    EXPECT_EQ(run.events.log, expected);
    EXPECT_EQ(run.engine.Protocol(), "\r\n  PC1  ----  ok\r\n  PC2  ----  ok\r\n  PC3  ----  ok");
    EXPECT_EQ(run.engine.counters().CountSystem, 3);
    EXPECT_EQ(run.engine.Action(), "INFO REG");
    EXPECT_EQ(run.engine.Computer(), "PC3");
    EXPECT_FALSE(run.engine.IsRunning());
    ASSERT_EQ(run.registry.requests.size(), 3u);
    EXPECT_EQ(run.registry.requests[1].computer, "PC2");
    EXPECT_EQ(run.registry.requests[1].rootKey, kHklm);
    EXPECT_EQ(run.registry.requests[1].keyPath, kPath);
    EXPECT_EQ(run.registry.requests[1].valueName, "Version");
    EXPECT_EQ(run.registry.requests[1].user, "");
}

TEST(clsSystemChange, NoPerEntryEventsStillCountsEveryComputer)
{
    Fixture run;
    run.registry.set("PC1", kHklm, kPath, "Version", std::int32_t{1});
    run.engine.fc_Init(st::kWithInfo | st::kNoFileInfo, 2);
    run.add("PC1");
    run.add("PC2"); // fails: still counted
    run.engine.fc_ActionRun();
    for (const std::string& line : run.events.log)
        EXPECT_EQ(line.find("System"), std::string::npos) << line;
    EXPECT_EQ(run.engine.counters().CountSystem, 2);
    EXPECT_EQ(run.engine.Protocol(), ""); // no protocol asked for
}

TEST(clsSystemChange, FailedReadsFailThePhaseAndShowInTheComputersLine)
{
    Fixture run;
    run.registry.set("PC1", kHklm, kPath, "Version", std::int32_t{1});
    run.registry.unreachable("PC2");
    run.registry.set("PC3", kHklm, kPath, "Version", std::string("x"));
    run.registry.denyKey("PC4", kHklm, kPath);
    run.registry.set("PC5", kHklm, kPath, "Version", std::string("x"));
    run.registry.setOtherType("PC6", kHklm, kPath, "Version", "REG_MULTI_SZ");
    run.engine.fc_Init(st::kWithInfo | st::kCreateProtocol, 2);
    run.add("PC1");
    run.add("PC2");
    run.add("PC3");
    run.add("PC4");
    run.add("PC5", kHklm, "Fehlt");
    run.add("PC6");
    run.add("PC7", rk::kNone);
    run.add("[Net][Firma]");
    run.add("PC9", kHklm, "Version", "0||srv|admin|geheim"); // a damaged log-on is not tried
    run.add("PC10");
    run.registry.set("PC9", kHklm, kPath, "Version", std::string("x"));
    run.registry.set("PC10", kHklm, kPath, "Version", std::string("spät"));
    run.engine.fc_ActionRun();

    EXPECT_EQ(run.engine.Protocol(),
              "\r\n  PC1  ----  ok"
              "\r\n  PC2  ----  Der Netzwerkpfad wurde nicht gefunden."
              "\r\n  PC3  ----  ok"
              "\r\n  PC4  ----  Zugriff verweigert"
              "\r\n  PC5  ----  Die angegebene Datei wurde nicht gefunden."
              "\r\n  PC6  ----  Der Registry-Wert 'Version' hat den Typ REG_MULTI_SZ; gelesen werden nur REG_SZ, "
              "REG_BINARY und REG_DWORD."
              "\r\n  PC7  ----  Das Handle ist ungültig."
              "\r\n  [Net][Firma]  ----  Für '[Net][Firma]' wurde im Netzwerk kein Computer gefunden."
              "\r\n  PC9  ----  Die Netzwerkfreigabe 'srv' hat nicht die Form \\\\Server\\Freigabe."
              "\r\n  PC10  ----  ok");
    // A later good read does not clear the failure of an earlier one.
    EXPECT_EQ(run.events.log.back(),
              "Ready failed [Die Netzwerkfreigabe 'srv' hat nicht die Form "
              "\\\\Server\\Freigabe.] protocol");
    EXPECT_EQ(run.engine.counters().CountSystem, 10);
    EXPECT_EQ(run.engine.counters().CountSystem_Not, 7) << "every failed read counts as an error";
    EXPECT_EQ(std::count(run.events.log.begin(), run.events.log.end(), "SystemNot 53"), 2) << "PC2, the placeholder";
    // Neither the unknown root, the placeholder nor the damaged code reach the network.
    EXPECT_EQ(run.registry.requests.size(), 7u);
}

TEST(clsSystemChange, CancelStopsBeforeTheNextComputerAndSkipsTheChangePhase)
{
    Fixture run;
    for (const char* pc : {"PC1", "PC2", "PC3"})
        run.registry.set(pc, kHklm, kPath, "Version", std::int32_t{1});
    run.engine.fc_Init(st::kWithInfo | st::kCopy | st::kCreateProtocol, 2);
    run.add("PC1");
    run.add("PC2");
    run.add("PC3");
    run.events.onSystemStart = [&](const std::string& pc) {
        EXPECT_TRUE(run.engine.IsRunning());
        if (pc == "PC2")
            run.engine.fc_Cancel();
    };
    run.engine.fc_ActionRun();
    EXPECT_EQ(run.registry.requests.size(), 2u);
    EXPECT_EQ(run.events.log.back(), "Ready failed [] protocol");
    for (const std::string& line : run.events.log)
        EXPECT_EQ(line.find("CHANGE"), std::string::npos) << line;

    // The cancel belonged to that run only.
    run.events.log.clear();
    run.events.onSystemStart = nullptr;
    run.engine.fc_ActionRun();
    EXPECT_EQ(run.registry.requests.size(), 5u);
    EXPECT_EQ(run.events.log.back(), "Ready ok [] protocol");
}

TEST(clsSystemChange, ChangePhaseRules)
{
    const std::vector<std::string> info{"Start INFO REG", "Aufgabe INFO REG 1/1 0", "SystemStart PC1"};
    const struct {
        const char* name;
        std::uint32_t status;
        bool readFails;
        bool answer;
        std::vector<std::string> tail; // the events after the information phase
    } cases[] = {
        {"change after info", st::kCopy | st::kWithInfo, false, true, {"Ready ok []", "Start CHANGE", "Ready ok []"}},
        {"change only", st::kCopy, false, true, {"Start CHANGE", "Ready ok []"}},
        {"failed read fails the change too",
         st::kCopy | st::kWithInfo,
         true,
         true,
         {"Ready failed [Der Netzwerkpfad wurde nicht gefunden.]", "Start CHANGE",
          "Ready failed [Der Netzwerkpfad wurde nicht gefunden.]"}},
        {"nothing to do ends quietly", st::kCopy | st::kWithInfo | st::kSkipEmpty, false, true, {"Ready ok []"}},
        {"only different: nothing differs",
         st::kCopy | st::kWithInfo | st::kOnlyDifferent,
         false,
         true,
         {"Ready ok []", "Ready ok [Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!]"}},
        {"ask, user goes on",
         st::kCopy | st::kWithInfo | st::kAskBeforeAction,
         false,
         true,
         {"Ready ok []", "ProtocolShow preset true", "Start CHANGE", "Ready ok []"}},
        {"ask, user declines",
         st::kCopy | st::kWithInfo | st::kAskBeforeAction,
         false,
         false,
         {"Ready ok []", "ProtocolShow preset true", "Ready failed [Aktion durch Benutzer abgebrochen!]"}},
        {"folder report shows the protocol",
         st::kWithInfo | st::kFolderEntriesInfo,
         false,
         false,
         {"Ready ok []", "ProtocolShow preset false"}},
    };
    for (const auto& c : cases) {
        Fixture run;
        if (c.readFails)
            run.registry.unreachable("PC1");
        else
            run.registry.set("PC1", kHklm, kPath, "Version", std::int32_t{1});
        run.events.protocolAnswer = c.answer;
        run.engine.fc_Init(c.status, 2);
        run.add("PC1");
        run.engine.fc_ActionRun();
        std::vector<std::string> expected = (c.status & st::kWithInfo) ? info : std::vector<std::string>{};
        if (c.status & st::kWithInfo)
            expected.push_back(c.readFails ? "SystemNot 53" : "SystemDone");
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(run.events.log, expected) << c.name;
    }
}

TEST(clsSystemChange, ProtocolEntriesInsteadOfLinesWhenOnlyDifferent)
{
    Fixture run;
    run.registry.set("PC1", kHklm, kPath, "Version", std::int32_t{1});
    run.engine.fc_Init(st::kWithInfo | st::kCreateProtocol | st::kOnlyDifferent, 2);
    run.add("PC1");
    run.add("PC2");
    run.engine.fc_ActionRun();
    EXPECT_EQ(run.engine.Protocol(), "");
    ASSERT_EQ(run.events.entries.size(), 2u);
    EXPECT_EQ(run.events.entries[0], (protocol::ProtocolEntry{"FILE", "PC1", "  PC1  ----  ok", "", "", false, 0, 1}));
    EXPECT_EQ(run.events.entries[1].par_Info, "  PC2  ----  Die angegebene Datei wurde nicht gefunden.");
    EXPECT_EQ(run.events.entries[1].par_SystemActionTypeIndex, 2);
    EXPECT_EQ(run.events.log.back(), "Ready failed [Die angegebene Datei wurde nicht gefunden.]");

    // The folder report leaves the computer lines out.
    Fixture report;
    report.engine.fc_Init(st::kWithInfo | st::kCreateProtocol | st::kFolderEntriesInfo, 2);
    report.add("PC1");
    report.engine.fc_ActionRun();
    EXPECT_EQ(report.engine.Protocol(), "");
    EXPECT_TRUE(report.events.entries.empty());
}

// A drive that logs what is done with it.
class FakeDrive : public net::NetworkDrive {
public:
    FakeDrive(std::vector<std::string>& log, bool connects) : log_(log), connects_(connects) {}
    ~FakeDrive() override { log_.push_back("released"); }
    bool fc_Init(const std::string& code) override
    {
        const auto fields = base::split(code, "|");
        if (code.empty() || fields.size() < 3)
            return false;
        disconnect_ = fields[0] == "2";
        local_ = fields[1];
        remote_ = fields[2];
        return true;
    }
    bool fc_Connect(std::string& message) override
    {
        log_.push_back("connect " + local_);
        connected_ = connects_;
        message = connects_ ? ""
                            : "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: Zugriff "
                              "verweigert";
        return connects_;
    }
    bool fc_DisConnect(std::string&) override
    {
        log_.push_back("disconnect " + local_);
        return true;
    }
    std::string LocalName() const override { return local_; }
    std::string RemoteName() const override { return remote_; }
    bool Connected() const override { return connected_; }
    bool DisConnectAfterAction() const override { return disconnect_; }

private:
    std::vector<std::string>& log_;
    bool connects_;
    bool disconnect_ = false;
    bool connected_ = false;
    std::string local_;
    std::string remote_;
};

TEST(clsSystemChange, NetworkDrivesConnectPassTheirLogOnAndAreReleased)
{
    ScriptedRegistry registry;
    registry.set("PC1", kHklm, kPath, "Version", std::int32_t{1});
    registry.set("PC2", kHklm, kPath, "Version", std::int32_t{1});
    Recorder events;
    std::vector<std::string> drives;
    bool nextConnects = true;
    clsSystemChange engine(events, registry, [&] { return std::make_unique<FakeDrive>(drives, nextConnects); });
    engine.fc_Init(st::kWithInfo | st::kNoFileInfo, 2);
    engine.fc_InitAdd(registryTask("PC1", kHklm, "Version", "", "", "2|X:|\\\\srv\\daten|FIRMA\\admin|ge|heim"));
    engine.fc_InitAdd(registryTask("PC2", kHklm, "Version", "", "", ""));
    engine.fc_ActionRun();

    EXPECT_EQ(drives, (std::vector<std::string>{"connect X:", "disconnect X:", "released"}));
    const std::vector<std::string> expected{"Start INFO REG",
                                            "Aufgabe INFO REG 1/2 0",
                                            "Info Computer 'PC1': 'X:' mit Netzlaufwerk '\\\\srv\\daten' verbinden ...",
                                            "Info Computer 'PC1': 'X:' mit Netzlaufwerk '\\\\srv\\daten' verbunden",
                                            "Aufgabe INFO REG 2/2 0",
                                            "Ready ok []"};
    EXPECT_EQ(events.log, expected);
    ASSERT_EQ(registry.requests.size(), 2u);
    EXPECT_EQ(registry.requests[0].user, "FIRMA\\admin");
    EXPECT_EQ(registry.requests[0].password, "ge|heim"); // a "|" in the password survives
    EXPECT_EQ(registry.requests[1].user, "");

    // A drive that cannot be connected fails the phase; the value is read all the same.
    drives.clear();
    events.log.clear();
    nextConnects = false;
    engine.fc_ActionRun();
    EXPECT_EQ(registry.requests.size(), 4u);
    EXPECT_EQ(events.log.back(),
              "Ready failed [Computer 'PC1': 'X:' konnte nicht verbunden werden: Fehler: "
              "Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: Zugriff verweigert]");
    EXPECT_EQ(drives.back(), "released");
}

TEST(clsSystemChange, SecondsOffAreNotCountedAndTheEstimateFollowsTheComputers)
{
    Fixture run;
    auto now = std::chrono::steady_clock::time_point{};
    run.engine.setClock([&] { return now; });
    run.engine.fc_Init(st::kWithInfo, 2);
    for (const char* pc : {"PC1", "PC2", "PC3", "PC4"}) {
        run.registry.set(pc, kHklm, kPath, "Version", std::int32_t{1});
        run.add(pc);
    }
    std::vector<std::int32_t> estimates;
    run.registry.onRead = [&](const RegistryReadRequest& request) {
        now += std::chrono::seconds(10);
        if (request.computer == "PC2")
            run.engine.sb_SecondsOffAdd(10); // a question kept the user for 10 s
    };
    run.events.onSystemStart = [&](const std::string&) { estimates.push_back(run.engine.SecondsMax()); };
    run.engine.fc_ActionRun();
    EXPECT_EQ(run.engine.SecondsUsed(), 30);
    EXPECT_EQ(estimates, (std::vector<std::int32_t>{0, 40, 20, 26}));
    EXPECT_EQ(run.engine.SecondsMax(), 30);
}

TEST(clsSystemChange, InitEmptiesTheTaskList)
{
    Fixture run;
    run.engine.fc_Init(st::kWithInfo, 2);
    run.add("PC1");
    run.add("PC2");
    EXPECT_TRUE(run.engine.fc_Init(st::kCopy, 3));
    run.add("PC3");
    ASSERT_EQ(run.engine.tasks().size(), 1u);
    EXPECT_EQ(run.engine.tasks()[0], SystemTask::fromTask(registryTask("PC3", kHklm, "Version", "2", "Spooler", "")));
    EXPECT_EQ(run.engine.tasks()[0].path, (RegistryPath{kHklm, kPath}));
    EXPECT_EQ(run.engine.System_Status(), st::kCopy);
    EXPECT_EQ(run.engine.FolderInfoLevel(), 3);
}

} // namespace
} // namespace zdr::registry
