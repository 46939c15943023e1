#include "net/NetErrors.h"
#include "net/NetworkDrives.h"
#include "net/clsNetConnect.h"

#include <gtest/gtest.h>

#include <deque>

namespace zdr::net {
namespace {

// A clock that moves only when the user interface is given a turn.
struct FakeClock {
    double now = 1000.0;
    double step = 0.25;
    int turns = 0;
    WaitHooks hooks()
    {
        return {[this] { return now; },
                [this] {
                    ++turns;
                    now += step;
                }};
    }
};

struct Call {
    std::string local, remote, user, password;
    double at;
};

class ScriptedProvider : public NetProvider {
public:
    explicit ScriptedProvider(FakeClock& clock) : clock_(clock) {}
    NetCallResult connect(const std::string& local, const std::string& remote, const std::string& user,
                          const std::string& password) override
    {
        connects.push_back({local, remote, user, password, clock_.now});
        if (connectAnswers.empty())
            return {};
        NetCallResult answer = connectAnswers.front();
        connectAnswers.pop_front();
        return answer;
    }
    NetCallResult cancel(const std::string& local, bool force) override
    {
        cancels.push_back(local);
        lastForce = force;
        return cancelAnswer;
    }
    bool pathAnswers(const std::string& path) override
    {
        asked.push_back(path);
        return answers;
    }

    bool answers = false;
    std::deque<NetCallResult> connectAnswers;
    NetCallResult cancelAnswer;
    std::vector<Call> connects;
    std::vector<std::string> cancels;
    std::vector<std::string> asked;
    bool lastForce = false;

private:
    FakeClock& clock_;
};

class NetConnectTest : public ::testing::Test {
protected:
    FakeClock clock;
    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>(clock);
    clsNetConnect drive{provider, clock.hooks()};
};

const std::string kConnectHead = "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: ";

TEST_F(NetConnectTest, CodesParseAsTheDialogWritesThem)
{
    struct Case {
        std::string code;
        bool ok;
        std::string local, remote;
        bool disconnect;
    };
    const Case cases[] = {
        {"2|Z|\\\\srv\\daten|anna|pw", true, "Z:", "\\\\srv\\daten", true},
        {"0|X:|//srv/daten|anna|pw", true, "X:", "//srv/daten", false},
        {"3|Y:|\\\\srv\\d|u|p", true, "Y:", "\\\\srv\\d", true},
        {"abc|Y:|\\\\srv\\d|u|p", true, "Y:", "\\\\srv\\d", false},
        {"2||||", true, "", "", true},
        {"2|X:|\\\\srv\\d|anna", false, "", "", false},
        {"2", false, "", "", false},
        {"", false, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        clsNetConnect fresh(provider, clock.hooks());
        EXPECT_EQ(fresh.fc_Init(c.code), c.ok);
        EXPECT_EQ(fresh.LocalName(), c.local);
        EXPECT_EQ(fresh.RemoteName(), c.remote);
        EXPECT_EQ(fresh.DisConnectAfterAction(), c.disconnect);
        EXPECT_FALSE(fresh.Connected());
    }
}

TEST_F(NetConnectTest, RefusedCodeKeepsThePreviousOne)
{
    ASSERT_TRUE(drive.fc_Init("2|K|\\\\srv\\a|u|p"));
    EXPECT_FALSE(drive.fc_Init(""));
    EXPECT_FALSE(drive.fc_Init("0|L|\\\\srv\\b"));
    EXPECT_EQ(drive.LocalName(), "K:");
    EXPECT_EQ(drive.RemoteName(), "\\\\srv\\a");
    EXPECT_TRUE(drive.DisConnectAfterAction());
}

TEST_F(NetConnectTest, CredentialsReachTheProviderExactlyAsTyped)
{
    ASSERT_TRUE(drive.fc_Init("0|x|\\\\srv\\d|DOM\\anna|ge|heim|"));
    std::string message = "alt";
    ASSERT_TRUE(drive.fc_Connect(message));
    ASSERT_EQ(provider->connects.size(), 1u);
    EXPECT_EQ(provider->connects[0].local, "x:");
    EXPECT_EQ(provider->connects[0].user, "DOM\\anna");
    // A "|" typed in the password stays part of it.
    EXPECT_EQ(provider->connects[0].password, "ge|heim|");
    EXPECT_TRUE(drive.Connected());
    EXPECT_EQ(message, "");

    clsNetConnect anonymous(provider, clock.hooks());
    ASSERT_TRUE(anonymous.fc_Init("0|Q:|\\\\srv\\d||"));
    ASSERT_TRUE(anonymous.fc_Connect(message));
    EXPECT_EQ(provider->connects.back().user, "");
    EXPECT_EQ(provider->connects.back().password, "");
}

TEST_F(NetConnectTest, EmptyDriveConnectsNothingAndKeepsTheMessage)
{
    ASSERT_TRUE(drive.fc_Init("2||\\\\srv\\d|u|p"));
    std::string message = "unverändert";
    EXPECT_TRUE(drive.fc_Connect(message));
    EXPECT_EQ(message, "unverändert");
    EXPECT_TRUE(provider->connects.empty());
    EXPECT_TRUE(provider->asked.empty());
}

TEST_F(NetConnectTest, DriveThatAlreadyAnswersIsUsedWithoutConnecting)
{
    provider->answers = true;
    ASSERT_TRUE(drive.fc_Init("2|Z|\\\\andere\\freigabe|u|p"));
    std::string message = "alt";
    EXPECT_TRUE(drive.fc_Connect(message));
    EXPECT_EQ(message, "");
    EXPECT_FALSE(drive.Connected());
    EXPECT_TRUE(provider->connects.empty());
    EXPECT_EQ(provider->asked, std::vector<std::string>{"Z:"});
}

TEST_F(NetConnectTest, WrongPasswordTriesThreeTimesFiveSecondsApart)
{
    ASSERT_TRUE(drive.fc_Init("2|Z|\\\\srv\\d|anna|Kennwort9"));
    for (int i = 0; i < 3; ++i)
        provider->connectAnswers.push_back({error::kInvalidPassword, {}});
    std::string message;
    EXPECT_FALSE(drive.fc_Connect(message));
    EXPECT_EQ(message,
              "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: "
              "Username/Password-Kombination ist falsch");
    ASSERT_EQ(provider->connects.size(), 3u);
    EXPECT_GE(provider->connects[1].at - provider->connects[0].at, 5.0);
    EXPECT_LT(provider->connects[1].at - provider->connects[0].at, 5.5);
    EXPECT_GE(provider->connects[2].at - provider->connects[1].at, 5.0);
    // No wait after the last try.
    EXPECT_EQ(clock.now, provider->connects[2].at);
    EXPECT_FALSE(drive.Connected());
    EXPECT_EQ(message.find("Kennwort9"), std::string::npos);
}

TEST_F(NetConnectTest, SecondTrySucceeds)
{
    ASSERT_TRUE(drive.fc_Init("0|Z|\\\\srv\\d|u|p"));
    provider->connectAnswers.push_back({error::kBusy, {}});
    std::string message;
    EXPECT_TRUE(drive.fc_Connect(message));
    EXPECT_EQ(message, "");
    EXPECT_TRUE(drive.Connected());
    EXPECT_EQ(provider->connects.size(), 2u);
}

TEST_F(NetConnectTest, FailureOfTheCallItselfEndsAtOnceWithoutThePassword)
{
    ASSERT_TRUE(drive.fc_Init("0|Z|\\\\srv\\d|u|Sesam123"));
    provider->connectAnswers.push_back({0, "Werkzeug meldet: Anmeldung mit Sesam123 gescheitert"});
    std::string message;
    EXPECT_FALSE(drive.fc_Connect(message));
    EXPECT_EQ(message, "Werkzeug meldet: Anmeldung mit *** gescheitert");
    EXPECT_EQ(provider->connects.size(), 1u);
    EXPECT_EQ(clock.turns, 0);
}

TEST_F(NetConnectTest, EveryErrorNumberHasItsText)
{
    struct Case {
        platform::ErrorCode code;
        const char* text;
    };
    const Case cases[] = {
        {5, "Zugriff verweigert"},
        {53, "Ziel Computer nicht erreichbar oder nicht gestartet"},
        {66, "Lokales Laufwerk hat anderen Typ als die Netzwerk-Ressource"},
        {67, "Die Ressourcenbezeichnung in .lpRemoteName ist ungültig"},
        {85, "Lokaler Laufwerksbuchstabe ist bereits verbunden"},
        {86, "Username/Password-Kombination ist falsch"},
        {170, "Netzwerk ist beschäftigt - später erneut versuchen"},
        {1200, "Die Laufwerksbezeichnung in .lpLocalName ist ungültig"},
        {1202, "Netzwerkverbindung wird bereits gemerkt und wiederhergestellt"},
        {1203, "Keine Verbindung zum Netzwerk oder Pfad nicht erkannt"},
        {1204, "Angegebener Provider (.lpProvider) ist ungültig"},
        {1205, "Persistente Verbindung nicht möglich,da das Benutzer-Profil nicht geöffnet werden konnte"},
        {1206, "Benutzerprofil ist ungültig"},
        {1222, "Es ist keine Netzwerkunterstützung installiert"},
        {2250, "Fehler unbekannt!"},
        {0, "Fehler unbekannt!"},
        {99999, "Fehler unbekannt!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(fc_NetErrorText(c.code), c.text);
        if (c.code == 0)
            continue;
        clsNetConnect once(provider, clock.hooks());
        ASSERT_TRUE(once.fc_Init("0|Z|\\\\srv\\d|u|p"));
        provider->connectAnswers.assign(3, {c.code, {}});
        std::string message;
        EXPECT_FALSE(once.fc_Connect(message));
        EXPECT_EQ(message, kConnectHead + c.text);
    }
}

TEST_F(NetConnectTest, DisconnectIsForcedAndReportsItsError)
{
    ASSERT_TRUE(drive.fc_Init("2|Z|\\\\srv\\d|u|p"));
    std::string message;
    ASSERT_TRUE(drive.fc_Connect(message));
    provider->cancelAnswer = {error::kNotConnected, {}};
    EXPECT_FALSE(drive.fc_DisConnect(message));
    EXPECT_EQ(message, "Fehler: Netzlaufwerk konnte nicht getrennt werden: Fehler unbekannt!");
    EXPECT_TRUE(drive.Connected());
    provider->cancelAnswer = {};
    EXPECT_TRUE(drive.fc_DisConnect(message));
    EXPECT_EQ(message, "");
    EXPECT_FALSE(drive.Connected());
    EXPECT_TRUE(provider->lastForce);
    EXPECT_EQ(provider->cancels, (std::vector<std::string>{"Z:", "Z:"}));
}

TEST_F(NetConnectTest, ClosingTheRunDisconnectsOnlyWhereTheCodeAsks)
{
    std::vector<std::unique_ptr<NetworkDrive>> drives;
    for (const char* code : {"2|A|\\\\s\\a|u|p", "0|B|\\\\s\\b|u|p", "2|C|\\\\s\\c|u|p"}) {
        drives.push_back(std::make_unique<clsNetConnect>(provider, clock.hooks()));
        drives.back()->fc_Init(code);
    }
    drives.push_back(nullptr);
    std::string message;
    ASSERT_TRUE(drives[0]->fc_Connect(message));
    ASSERT_TRUE(drives[1]->fc_Connect(message));
    provider->answers = true; // C: was mapped before the run: this run never connected it
    ASSERT_TRUE(drives[2]->fc_Connect(message));
    ASSERT_FALSE(drives[2]->Connected());
    // The flag decides, and only for what this run connected.
    sb_Action_CloseConnections(drives);
    EXPECT_EQ(provider->cancels, std::vector<std::string>{"A:"});
    for (const auto& slot : drives)
        EXPECT_EQ(slot, nullptr);
}

TEST(ResponsiveWait, WaitsTheSecondsWhileTheInterfaceRuns)
{
    struct Case {
        double start, seconds, step, endsAt;
        int minTurns;
    };
    const Case cases[] = {
        {100.0, 5.0, 0.5, 105.0, 10},
        {100.0, 0.0, 0.5, 100.5, 1},     // one turn even for no time
        {86393.0, 5.0, 0.5, 86395.0, 4}, // gives up just before midnight
    };
    for (const Case& c : cases) {
        FakeClock clock{c.start, c.step, 0};
        sb_Wait(c.seconds, clock.hooks());
        EXPECT_DOUBLE_EQ(clock.now, c.endsAt);
        EXPECT_GE(clock.turns, c.minTurns);
    }
    // The timer wrapping to 0 at midnight ends the wait too.
    double now = 86390.0;
    int turns = 0;
    sb_Wait(5.0, {[&] { return now; }, [&] { now = ++turns == 2 ? 0.0 : now + 0.1; }});
    EXPECT_EQ(turns, 2);
}

} // namespace
} // namespace zdr::net
