// The registry coordinator with the real engine and the real progress and
// protocol windows, offscreen: what the user sees of a registry run over a
// list of computers, of a domain's computers, of a cancel; and one run
// against a real registry service.
#include "PrivateSambaServer.h"
#include "ScriptedRegistry.h"
#include "engine/StatusBits.h"
#include "net/clsNetwork.h"
#include "protocol/frmProtocol.h"
#include "registry/RegistryRootKey.h"
#include "registry/SambaRegistryProvider.h"
#include "registry/clsSystemChange.h"
#include "run/clsProgressBar.h"
#include "run/clsSystemChange_Cover.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedNetwork.h"
#include "support/ScriptedUi.h"
#include "util/CommandLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace zdr::run::ui {
namespace {

namespace status = engine::status;
using base::Answer;
using run::Control;
using test::ScriptedRegistry;
using test::ScriptedUi;

constexpr std::uint32_t kRun = status::kCreateProtocol | status::kYield;
const std::string kPath = "HKEY_LOCAL_MACHINE\\Software\\Zendor";

project::Task taskOf(const std::string& computer, const std::string& valueName = "Version")
{
    return {.sourceFolder = computer,
            .selection = {kPath},
            .targetFolder = valueName,
            .exclusions = "2.0",
            .nameFilters = "Spooler"};
}

struct Caller {
    int done = 0;
    int actionStart = 0;
    run::InfoCoverEvents events()
    {
        return {.done = [this] { ++done; }, .actionStart = [this] { ++actionStart; }, .exceptData = {}};
    }
};

// A coordinator whose computers answer from a script.
struct RegistryRun {
    std::shared_ptr<ScriptedRegistry> registry = std::make_shared<ScriptedRegistry>();
    Caller caller;
    std::unique_ptr<clsSystemChange_Cover> cover;

    explicit RegistryRun(std::function<std::unique_ptr<net::clsNetwork>()> network = {})
    {
        clsSystemChange_Cover::Services services;
        services.registry = registry;
        services.network = std::move(network);
        cover = std::make_unique<clsSystemChange_Cover>(caller.events(), services);
    }
    void set(const std::string& computer, registry::RegistryValue value)
    {
        registry->set(computer, registry::rootKey::kLocalMachine, "Software\\Zendor", "Version", std::move(value));
    }
    run::ui::frmFileSystem& window() const { return *cover->progressWindow(); }
    std::string shown(Control control) const { return window().text(control); }
    bool visible(const char* name) const { return window().findChild<QWidget*>(name)->isVisible(); }
};

TEST(clsSystemChange_Cover, RunOverComputersShowsFiguresAndProtocol)
{
    ScriptedUi ui;
    RegistryRun run;
    run.set("PC1", std::int32_t{7});
    run.registry->unreachable("PC2");
    run.set("PC3", std::string("2.0"));
    clsSystemChange_Cover& cover = *run.cover;
    ASSERT_TRUE(cover.fc_Init("INFO", kRun | status::kAutoStart, 0, 2, 32767));
    for (const char* pc : {"PC1", "PC2", "PC3"})
        ASSERT_TRUE(cover.fc_InitAdd(taskOf(pc)));
    ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr)); // runs at once
    run.window().sb_ShowNow();

    ASSERT_EQ(run.registry->requests.size(), 3u);
    EXPECT_EQ(run.registry->requests[0].rootKey, registry::rootKey::kLocalMachine);
    EXPECT_EQ(run.registry->requests[0].keyPath, "Software\\Zendor");
    EXPECT_EQ(run.caller.actionStart, 1);
    // Every computer was read; one failed: finished, not cancelled, and said so.
    EXPECT_EQ(run.shown(Control::Caption), "Vorgang abgeschlossen");
    EXPECT_EQ(run.shown(Control::lblSystemInfoQuestion), "Vorgang abgeschlossen");
    EXPECT_FALSE(cover.RunSucceeded()) << "a read failed";
    EXPECT_EQ(run.shown(Control::lblSystemInfo), " Anzahl Systeme: 3");
    EXPECT_EQ(run.shown(Control::lblSystemInfoObject), " - Der Netzwerkpfad wurde nicht gefunden.");
    EXPECT_EQ(run.shown(Control::lblCount), "von 3 => 3");
    EXPECT_EQ(run.shown(Control::lblCountNot), "1");
    EXPECT_TRUE(run.visible("lblCountNot"));
    EXPECT_TRUE(run.visible("lblSizeNotCaption")) << "the errors' caption";
    EXPECT_EQ(run.window().mainBar()->ValuePercentage(), 100);
    EXPECT_EQ(run.shown(Control::lblSystemInfoTask), "Informationen über Computer sammeln ...");
    EXPECT_EQ(run.shown(Control::lblSystemInfoSource), "Computer: PC3");
    EXPECT_EQ(run.shown(Control::lblSystemInfoTarget),
              "Registry Pfad und Schlüssel: HKEY_LOCAL_MACHINE\\Software\\Zendor - Version = 2.0\r\n"
              "Dienst 'Spooler' beenden und starten");
    EXPECT_FALSE(run.window().cmdTarget()->isVisible()) << "nothing to choose for a registry run";
    EXPECT_EQ(run.window().lblCmdAction()->caption(), "Information erstellen ...");
    EXPECT_TRUE(run.window().lblCmdClose()->isEnabled());
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();

    // The protocol: one line per computer, its failure in its line.
    ASSERT_TRUE(run.window().lblCmdProtocol()->isVisible());
    run.window().lblCmdProtocol()->click();
    protocol::ui::frmProtocol* protocol = run.window().protocolWindow();
    ASSERT_TRUE(protocol && protocol->isVisible());
    EXPECT_EQ(protocol->document().text(),
              "  PC1  ----  ok\r\n  PC2  ----  Der Netzwerkpfad wurde nicht gefunden.\r\n  PC3  ----  ok");

    EXPECT_TRUE(run.window().close());
    EXPECT_EQ(run.caller.done, 1);
}

// What the window says before and after the start, by action and options.
TEST(clsSystemChange_Cover, WindowTextsOfTheInformationAndTheChangeRun)
{
    const struct {
        const char* action;
        std::uint32_t status;
        int tasks;
        const char* title;
        const char* pending;      // lblSystemInfoQuestion before the start (one task) or ...
        const char* source;       // ... lblSystemInfoSource (several tasks)
        const char* taskAfterRun; // lblSystemInfoTask after the run
        const char* question;     // lblSystemInfoQuestion after the run
    } cases[] = {
        {"INFO", kRun, 1, "Information erstellen ...", "Informationsvorgang - Aufgabe (1 / 1) ausstehend ...",
         "Computer: PC1", "Informationen über Computer sammeln ...", "Vorgang erfolgreich abgeschlossen"},
        {"CHANGE", kRun | status::kWithInfo, 1, "Computer Registry ändern ...",
         "Informationsvorgang - Aufgabe (1 / 1) ausstehend ...", "Computer: PC1", "Computer 'PC1 ' ändern ...",
         "Vorgang erfolgreich abgeschlossen"},
        {"CHANGE", kRun, 1, "Computer Registry ändern ...", "Kopiervorgang - Aufgabe (1 / 1) ausstehend ...",
         "Computer: PC1", "Computer 'PC1 ' ändern ...", "Vorgang erfolgreich abgeschlossen"},
        {"CHANGE", kRun | status::kWithInfo, 2, "Computer Registry ändern ...",
         "Bitte starten Sie den Änderungs- und ggf. Informationsvorgang ...", "Durchlauf von 2 Aufgaben ...",
         "Computer 'PC1, PC2 ' ändern ...", "Vorgang erfolgreich abgeschlossen"},
    };
    for (const auto& c : cases) {
        ScriptedUi ui;
        RegistryRun run;
        run.set("PC1", std::int32_t{1});
        run.set("PC2", std::int32_t{2});
        clsSystemChange_Cover& cover = *run.cover;
        cover.fc_Init(c.action, c.status, 0, 2, 32767);
        for (int i = 1; i <= c.tasks; ++i)
            cover.fc_InitAdd(taskOf("PC" + std::to_string(i)));
        ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr)) << c.action;
        EXPECT_EQ(run.shown(Control::Caption), c.title);
        EXPECT_EQ(run.window().lblCmdAction()->caption().toStdString(), c.title);
        EXPECT_EQ(run.shown(Control::lblSystemInfoQuestion), c.pending) << c.action << " " << c.tasks;
        EXPECT_EQ(run.shown(Control::lblSystemInfoSource), c.source);
        EXPECT_EQ(run.registry->requests.size(), 0u) << "waits for the start button";
        run.window().sb_ActionStart();
        EXPECT_EQ(run.shown(Control::lblSystemInfoTask), c.taskAfterRun) << c.action << " " << c.status;
        EXPECT_EQ(run.shown(Control::lblSystemInfoQuestion), c.question);
        // An information run always reads; a change run reads when it has the information phase.
        const bool reads = std::string(c.action) == "INFO" || (c.status & status::kWithInfo);
        EXPECT_EQ(run.registry->requests.size(), reads ? static_cast<std::size_t>(c.tasks) : 0u);
        EXPECT_EQ(run.shown(Control::lblSystemInfo), " Anzahl Systeme: " + std::to_string(reads ? c.tasks : 0));
        EXPECT_EQ(run.window().lblCmdProtocol()->isVisible(), reads) << "the computers' protocol stays offered";
        EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
    }
}

// "[Net][domain]" becomes one task per computer of the domain, shown in a
// protocol window meanwhile; shares and domains found on the way are no tasks.
TEST(clsSystemChange_Cover, NetworkPlaceholderBecomesOneTaskPerComputer)
{
    const std::map<std::string, test::ScriptedNetwork::Children> network{
        {"", {{net::resource::kDisplayDomain, "FIRMA"}, {net::resource::kDisplayDomain, "LABOR"}}},
        {"FIRMA", {{net::resource::kDisplayServer, "\\\\A"}, {net::resource::kDisplayServer, "\\\\B"}}},
        {"LABOR", {{net::resource::kDisplayServer, "\\\\L"}}},
        {"\\\\A", {{net::resource::kDisplayShare, "\\\\A\\daten"}}},
    };
    std::vector<std::string> shownMeanwhile;
    const auto walker = [&] {
        auto scripted = std::make_shared<test::ScriptedNetwork>(network);
        scripted->afterFound = [&](const std::string&) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<protocol::ui::frmProtocol*>(top); p && p->isVisible())
                    shownMeanwhile.push_back(p->document().text());
        };
        return std::make_unique<net::clsNetwork>(scripted);
    };
    const struct {
        const char* computer;
        std::vector<std::string> computers;
    } cases[] = {
        {"[Net][FIRMA]", {"\\\\A", "\\\\B", "danach"}},
        {"[Net][*]", {"\\\\A", "\\\\B", "\\\\L", "danach"}},
        {"[Net][firma][*]", {"\\\\A", "\\\\B", "danach"}}, // a share part means nothing here
        {"[Net][LEER]", {"[Net][LEER]", "danach"}},        // nothing found: the task stays
    };
    for (const auto& c : cases) {
        ScriptedUi ui;
        RegistryRun run(walker);
        shownMeanwhile.clear();
        clsSystemChange_Cover& cover = *run.cover;
        cover.fc_Init("INFO", kRun, 0, 2, 32767);
        project::Task placeholder = taskOf(c.computer);
        placeholder.netSourceCode = "0|||admin|geheim";
        ASSERT_TRUE(cover.fc_InitAdd(placeholder));
        ASSERT_TRUE(cover.fc_InitAdd(taskOf("danach")));
        std::vector<std::string> computers;
        for (const project::Task& task : cover.Tasks()) {
            computers.push_back(task.sourceFolder);
            if (task.sourceFolder != "danach") {
                EXPECT_EQ(task.selection, std::vector<std::string>{kPath});
                EXPECT_EQ(task.netSourceCode, "0|||admin|geheim") << "each computer keeps the task's fields";
            }
        }
        EXPECT_EQ(computers, c.computers) << c.computer;
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_EQ(qobject_cast<protocol::ui::frmProtocol*>(top), nullptr) << "the search window is gone";
        if (c.computers.size() > 2)
            EXPECT_NE(shownMeanwhile.back().find("\\\\B"), std::string::npos) << "names shown while searching";
    }

    // The computer of a placeholder nothing was found for fails with a text.
    ScriptedUi ui;
    RegistryRun run(walker);
    run.cover->fc_Init("INFO", kRun | status::kAutoStart, 0, 2, 32767);
    run.cover->fc_InitAdd(taskOf("[Net][LEER]"));
    ASSERT_TRUE(run.cover->fc_InitActionStart(true, nullptr));
    EXPECT_EQ(run.shown(Control::lblSystemInfoObject),
              " - Für '[Net][LEER]' wurde im Netzwerk kein Computer gefunden.");
    EXPECT_TRUE(run.registry->requests.empty());
}

// A click on the start button during the run asks; Yes stops before the next
// computer and skips the change phase, No leaves the run going.
TEST(clsSystemChange_Cover, StartButtonDuringTheRunAsksToCancel)
{
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        ScriptedUi ui;
        ui.answer(answer);
        RegistryRun run;
        for (const char* pc : {"PC1", "PC2", "PC3"})
            run.set(pc, std::int32_t{1});
        clsSystemChange_Cover& cover = *run.cover;
        cover.fc_Init("CHANGE", kRun | status::kWithInfo, 0, 2, 32767);
        for (const char* pc : {"PC1", "PC2", "PC3"})
            cover.fc_InitAdd(taskOf(pc));
        ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr));
        run::ui::frmFileSystem& w = run.window();
        // The click arrives through the run's next turn of the event loop,
        // after PC2 was read.
        run.registry->onRead = [&](const registry::RegistryReadRequest& request) {
            if (request.computer == "PC2")
                QTimer::singleShot(0, &w, &run::ui::frmFileSystem::sb_ActionStart);
        };
        w.sb_ActionStart();
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.lastText(), "Möchten Sie den Vorgang 'Abbrechen'?");
        if (answer == Answer::No) {
            EXPECT_EQ(run.registry->requests.size(), 3u);
            EXPECT_EQ(run.shown(Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
            EXPECT_EQ(cover.engine()->Action(), "CHANGE");
        } else {
            EXPECT_EQ(run.registry->requests.size(), 2u) << "stopped before PC3";
            EXPECT_EQ(run.shown(Control::lblSystemInfoQuestion), "Vorgang abgebrochen");
            EXPECT_EQ(run.shown(Control::lblSystemInfo), "PC2") << "the last computer, no summary";
            EXPECT_EQ(cover.engine()->Action(), "INFO REG") << "no change phase";
        }
        EXPECT_EQ(cover.RunSucceeded(), answer == Answer::No);
        EXPECT_EQ(w.lblCmdAction()->caption(), "Computer Registry ändern ...");
        EXPECT_TRUE(w.close());
    }
}

TEST(clsSystemChange_Cover, RefusedStartsTellWhyAndShowNoWindow)
{
    ScriptedUi ui;
    RegistryRun run;
    run.cover->fc_Init("CHANGE", kRun, 0, 2, 32767);
    EXPECT_FALSE(run.cover->fc_InitActionStart(true, nullptr)) << "no task";
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.lastText(), "Keine Aufgabe vorhanden, bitte legen Sie mindestens eine Aufgabe an!");
    EXPECT_EQ(ui.messages()[0].title, "Aktion abgebrochen ...");
    EXPECT_EQ(run.cover->progressWindow(), nullptr);

    RegistryRun other;
    other.cover->fc_Init("COPY", kRun, 0, 2, 32767);
    other.cover->fc_InitAdd(taskOf("PC1"));
    EXPECT_FALSE(other.cover->fc_InitActionStart(true, nullptr)) << "not a registry action";
    EXPECT_EQ(other.cover->progressWindow(), nullptr);

    // One run per coordinator.
    RegistryRun twice;
    twice.cover->fc_Init("INFO", kRun, 0, 2, 32767);
    twice.cover->fc_InitAdd(taskOf("PC1"));
    ASSERT_TRUE(twice.cover->fc_SystemRegistry_Info(true, nullptr));
    run::ui::frmFileSystem* first = twice.cover->progressWindow();
    EXPECT_FALSE(twice.cover->fc_SystemRegistry_Change(true, nullptr));
    EXPECT_EQ(twice.cover->progressWindow(), first);
    EXPECT_EQ(ui.messages().size(), 1u);
}

// The coordinator with Samba's tool against a registry service of our own.
TEST(clsSystemChange_Cover, ReadsARealRegistryServiceWithTheTasksLogOn)
{
    test::PrivateSambaServer server;
    if (!server.reason().empty())
        GTEST_SKIP() << server.reason();
    ASSERT_TRUE(server.registry({"createkey", "HKLM\\SOFTWARE\\Zendor"}));
    ASSERT_TRUE(server.registry({"setvalue", "HKLM\\SOFTWARE\\Zendor", "Version", "sz", "2.0"}));
    ScriptedUi ui;
    Caller caller;
    clsSystemChange_Cover::Services services;
    services.registry = std::make_shared<registry::SambaRegistryProvider>(
        registry::SambaRegistryProvider::Options{"net", server.options(server.port()), 60});
    clsSystemChange_Cover cover(caller.events(), services);
    cover.fc_Init("INFO", kRun | status::kAutoStart, 0, 2, 32767);
    const std::string logOn = std::string("0|||root|") + test::PrivateSambaServer::kPassword;
    const std::vector<std::string> path{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Zendor"};
    cover.fc_InitAdd({.sourceFolder = "127.0.0.1",
                      .selection = path,
                      .targetFolder = "Version",
                      .exclusions = "2.0",
                      .netSourceCode = logOn});
    cover.fc_InitAdd(
        {.sourceFolder = "\\\\127.0.0.1", .selection = path, .targetFolder = "Fehlt", .netSourceCode = logOn});
    ASSERT_TRUE(cover.fc_InitActionStart(true, nullptr));
    EXPECT_EQ(cover.engine()->Protocol(),
              "\r\n  127.0.0.1  ----  ok\r\n  \\\\127.0.0.1  ----  Die angegebene Datei wurde nicht gefunden.");
    EXPECT_EQ(cover.progressWindow()->text(Control::lblCount), "von 2 => 2");
    EXPECT_EQ(cover.progressWindow()->text(Control::lblCountNot), "1");
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
}

} // namespace
} // namespace zdr::run::ui
