// What a registry run shows in the progress window, without a window.
#include "run/SystemChangeTexts.h"
#include "engine/StatusBits.h"
#include "registry/RegistryRootKey.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

using run::Control;
using namespace registry;

SystemState readState(std::int64_t read, std::int64_t failed, std::int32_t tasks = 4)
{
    SystemState state;
    state.action = clsSystemChange::kInfoPhase;
    state.counters.CountSystem = read;
    state.counters.CountSystem_Not = failed;
    state.taskCount = tasks;
    return state;
}

// How a phase ends: finished (with or without failed reads), cancelled,
// declined in the review, or nothing to change.
TEST(SystemChangeTexts, EndOfAPhase)
{
    const struct {
        const char* name;
        bool success;
        bool cancelled;
        std::int64_t failed;
        std::string message;
        const char* state;   // caption and lblSystemInfoQuestion; "" when left alone
        const char* summary; // lblSystemInfo; "" when left alone
        const char* object;  // lblSystemInfoObject; "" when left alone
    } cases[] = {
        {"all read", true, false, 0, "", "Vorgang erfolgreich abgeschlossen", " Anzahl Systeme: 4", ""},
        {"one failed", false, false, 1, "Zugriff verweigert", "Vorgang abgeschlossen", " Anzahl Systeme: 4",
         "PC3 - Zugriff verweigert"},
        {"cancelled", false, true, 0, "", "Vorgang abgebrochen", "", ""},
        {"cancelled after a failure", false, true, 1, "Zugriff verweigert", "Vorgang abgebrochen", "",
         "PC3 - Zugriff verweigert"},
        {"review declined", false, false, 0, clsSystemChange::kDeclinedByUser, "Vorgang abgebrochen", "",
         "PC3 - Aktion durch Benutzer abgebrochen!"},
        {"nothing differs", true, false, 0, "Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!", "",
         " Anzahl Systeme: 4", "PC3 - Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!"},
    };
    for (const auto& c : cases) {
        const run::ViewUpdate update =
            systemPassReady(readState(4, c.failed), c.success, c.cancelled, c.message, "PC3");
        EXPECT_EQ(update.text(Control::Caption).value_or(""), c.state) << c.name;
        EXPECT_EQ(update.text(Control::lblSystemInfoQuestion).value_or(""), c.state) << c.name;
        EXPECT_EQ(update.text(Control::lblSystemInfo).value_or(""), c.summary) << c.name;
        EXPECT_EQ(update.text(Control::lblSystemInfoObject).value_or(""), c.object) << c.name;
    }
}

TEST(SystemChangeTexts, TaskDetailsNameThePathAsTypedAndTheServiceWhenThereIsOne)
{
    SystemTask task = SystemTask::fromTask({.sourceFolder = "PC1",
                                            .selection = {"HKEY_CURRENT_USER\\Software\\Zendor"},
                                            .targetFolder = "Version",
                                            .exclusions = "2.0"});
    EXPECT_EQ(systemTaskDetails(task),
              "Registry Pfad und Schlüssel: HKEY_CURRENT_USER\\Software\\Zendor - Version = 2.0");
    task.path.rootKey = rootKey::kNone; // the typed path named no root
    task.task.nameFilters = "Spooler";
    EXPECT_EQ(systemTaskDetails(task),
              "Registry Pfad und Schlüssel: Software\\Zendor - Version = 2.0\r\n"
              "Dienst 'Spooler' beenden und starten");
    EXPECT_EQ(systemTaskDescription(task), "Computer: PC1");
}

// The main bar moves only when the whole percentage does.
TEST(SystemChangeTexts, FiguresAndMainBar)
{
    const run::ViewUpdate first = systemFigures(readState(1, 0, 3), 0);
    EXPECT_EQ(first.text(Control::lblCount), "von 3 => 1");
    ASSERT_TRUE(first.lastMainPercent);
    EXPECT_EQ(*first.lastMainPercent, 33);
    EXPECT_FALSE(systemFigures(readState(1, 0, 3), 33).lastMainPercent) << "unchanged percentage, bar left alone";
    const run::ViewUpdate failed = systemNotDone(readState(3, 2, 3), 67);
    EXPECT_EQ(failed.text(Control::lblCountNot), "2");
    EXPECT_EQ(failed.visible(Control::lblSizeNotCaption), true);
    EXPECT_EQ(*failed.lastMainPercent, 100);
}

} // namespace
} // namespace zdr::run
