#pragma once

#include "registry/SystemTask.h"
#include "registry/clsSystemChange.h"
#include "run/ProgressView.h"

#include <cstdint>
#include <string>
#include <vector>

// What a registry run shows in the progress window: the texts and figures of
// its phases, tasks and computers, as data (the window applies them).
namespace zdr::run {

// What the texts read from the registry engine at the moment of an event.
struct SystemState {
    std::string action; // "INFO REG" or "CHANGE"
    std::uint32_t status = 0;
    registry::SystemCounters counters;
    std::int32_t taskCount = 0;
    std::int32_t secondsUsed = 0;
    std::int32_t secondsMax = 0;
};
SystemState systemStateOf(const registry::clsSystemChange& engine);

// A phase starts (ActionStart). `computers` names the computers of the run
// for the change phase's heading.
run::ViewUpdate systemPassStarted(const SystemState& engine, const std::string& computers);

// "Computer: PC1"
std::string systemTaskDescription(const registry::SystemTask& task);
// "Registry Pfad und Schlüssel: HKEY_...\path - name = value", and on a line
// of its own "Dienst 'name' beenden und starten" when the task names one.
std::string systemTaskDetails(const registry::SystemTask& task);
// A task starts or waits (ActionStartAufgabe): its heading, computer and details.
run::ViewUpdate systemTaskStarted(const std::string& action, std::int32_t task, std::int32_t taskCount,
                                  std::uint8_t state, const registry::SystemTask& record);

// A computer is being read (ActionSystemStart).
run::ViewUpdate systemStarted(const std::string& computer);
// A computer is read (ActionSystemDone): count, time and the main bar, which
// changes only when the whole percentage does.
run::ViewUpdate systemFigures(const SystemState& engine, std::int32_t lastMainPercent);
// A read failed (ActionSystemNot): the figures and the error count.
run::ViewUpdate systemNotDone(const SystemState& engine, std::int32_t lastMainPercent);

// " Anzahl Systeme: 3"
std::string systemSummary(const registry::SystemCounters& counters);
// A phase ends (ActionReady). `cancelled`: the user stopped the run.
// `objectText`: what lblSystemInfoObject shows now. A run that read every
// computer but failed on some is finished, not cancelled.
run::ViewUpdate systemPassReady(const SystemState& engine, bool success, bool cancelled, const std::string& message,
                                const std::string& objectText);

} // namespace zdr::run
