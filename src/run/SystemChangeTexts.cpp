#include "run/SystemChangeTexts.h"

#include "engine/StatusBits.h"
#include "registry/RegistryRootKey.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"

namespace zdr::run {

namespace status = engine::status;
using run::Control;
using run::ViewUpdate;

SystemState systemStateOf(const registry::clsSystemChange& engine)
{
    SystemState state;
    state.action = engine.Action();
    state.status = engine.System_Status();
    state.counters = engine.counters();
    state.taskCount = static_cast<std::int32_t>(engine.tasks().size());
    state.secondsUsed = engine.SecondsUsed();
    state.secondsMax = engine.SecondsMax();
    return state;
}

ViewUpdate systemPassStarted(const SystemState& engine, const std::string& computers)
{
    ViewUpdate update;
    update.setText(Control::lblSystemInfo, "");
    update.setText(Control::lblSystemInfoObject, "");
    if (engine.action == registry::clsSystemChange::kInfoPhase) {
        // A change follows: the computers are read for it.
        update.setText(Control::lblSystemInfoTask,
                       (engine.status & status::kCopy) ? "Informationen über Computer gestartet ..."
                                                       : "Informationen über Computer sammeln ...");
        update.setText(Control::lblSystemInfoQuestion, "Informationsvorgang gestartet ...");
        update.setText(Control::Caption, "lese ...");
        // The number of computers is known: both bars show how far the reads are.
        update.bar(BarAction::Init, WhichBar::Both);
        update.lastMainPercent = 0;
        return update;
    }
    update.setText(Control::lblSystemInfoTask, "Computer '" + computers + " ' ändern ...");
    update.setText(Control::Caption, "kopiere ...");
    update.setText(Control::lblSystemInfoQuestion,
                   (engine.status & status::kWithInfo) ? "Informations- und Registry-Änderungsvorgang gestartet ..."
                                                       : "Änderungsvorgang gestartet ...");
    // The change phase reads and writes nothing per computer: no progress to show.
    update.bar(BarAction::Hide, WhichBar::Both);
    return update;
}

std::string systemTaskDescription(const registry::SystemTask& task) { return "Computer: " + task.computer(); }

std::string systemTaskDetails(const registry::SystemTask& task)
{
    // The path as the user typed it: the root's name, then the key path.
    std::string path(registry::rootKeyName(task.path.rootKey));
    if (!path.empty() && !task.path.keyPath.empty())
        path += "\\";
    path += task.path.keyPath;
    std::string text = "Registry Pfad und Schlüssel: " + path + " - " + task.valueName() + " = " + task.value();
    if (!task.service().empty())
        text += "\r\nDienst '" + task.service() + "' beenden und starten";
    return text;
}

ViewUpdate systemTaskStarted(const std::string& action, std::int32_t task, std::int32_t taskCount, std::uint8_t state,
                             const registry::SystemTask& record)
{
    ViewUpdate update = run::taskHeadingText(action, task, taskCount, state);
    update.setText(Control::lblSystemInfoSource, systemTaskDescription(record));
    update.setText(Control::lblSystemInfoTarget, systemTaskDetails(record));
    return update;
}

ViewUpdate systemStarted(const std::string& computer)
{
    ViewUpdate update;
    update.setText(Control::lblSystemInfo, computer);
    update.bar(BarAction::Value, WhichBar::Sub, 0);
    return update;
}

ViewUpdate systemFigures(const SystemState& engine, std::int32_t lastMainPercent)
{
    ViewUpdate update;
    const std::int64_t read = engine.counters.CountSystem;
    update.setText(Control::lblCount, "von " + std::to_string(engine.taskCount) + " => " + std::to_string(read));
    update.setText(Control::lblTime,
                   "von " + std::to_string(engine.secondsMax) + " => " + std::to_string(engine.secondsUsed) + " s");
    update.bar(BarAction::Value, WhichBar::Sub, 100);
    const std::int32_t p = run::percentOf(static_cast<double>(read), engine.taskCount);
    if (p != lastMainPercent) {
        update.bar(BarAction::Value, WhichBar::Main, p);
        update.lastMainPercent = p;
    }
    return update;
}

ViewUpdate systemNotDone(const SystemState& engine, std::int32_t lastMainPercent)
{
    ViewUpdate update = systemFigures(engine, lastMainPercent);
    update.show(Control::lblCountNot, true);
    update.show(Control::lblSizeNotCaption, true);
    update.setText(Control::lblCountNot, std::to_string(engine.counters.CountSystem_Not));
    return update;
}

std::string systemSummary(const registry::SystemCounters& counters)
{
    return " Anzahl Systeme: " + std::to_string(counters.CountSystem);
}

ViewUpdate systemPassReady(const SystemState& engine, bool success, bool cancelled, const std::string& message,
                           const std::string& objectText)
{
    ViewUpdate update;
    const auto state = [&update](const char* text) {
        update.setText(Control::Caption, text);
        update.setText(Control::lblSystemInfoQuestion, text);
    };
    if (success && message == run::kNothingToCopy) {
        update.setText(Control::lblSystemInfoObject, objectText + " - " + message);
        update.setText(Control::lblSystemInfo, systemSummary(engine.counters));
        return update;
    }
    // A failed read fails the phase, yet every computer was read: the run
    // is finished, not cancelled, and its failures are in the protocol.
    const bool stopped = !success && (cancelled || message == registry::clsSystemChange::kDeclinedByUser);
    if (stopped) {
        state("Vorgang abgebrochen");
    } else {
        state(success && engine.counters.CountSystem_Not == 0 ? "Vorgang erfolgreich abgeschlossen"
                                                              : "Vorgang abgeschlossen");
        update.setText(Control::lblSystemInfo, systemSummary(engine.counters));
    }
    if (!success && !message.empty())
        update.setText(Control::lblSystemInfoObject, objectText + " - " + message);
    return update;
}

} // namespace zdr::run
