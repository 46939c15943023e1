#pragma once

#include "engine/EngineTask.h"
#include "engine/PassAction.h"
#include "run/EngineState.h"
#include "run/ProgressView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The headings of a run, a pass and a task.
namespace zdr::run {

// Task label, prompt and title of the window for a folder action; nothing
// for PassAction::None.
struct ActionTitles {
    const char* taskLabel;
    const char* prompt;
    const char* title;
};
std::optional<ActionTitles> actionTitles(engine::PassAction action);
// Those of the registry change run (its information run has the information's).
ActionTitles registryChangeTitles();

// lblSystemInfoSource of a run of several tasks before the start.
std::string tasksPendingText(std::int32_t taskCount);
// lblCountNot before the start: whether all data of the run has arrived.
std::string errorCountInitialText(bool dataComplete);

// The texts of a pass that starts (engine event ActionStart).
ViewUpdate passStarted(const std::string& action, const EngineState& engine);

// The heading of an action pass ("COPY", "DELETE", "ATTRIB") while it works
// on task `index` (from 0) of `records`: "Verzeichnis '/d (komplett)' kopieren
// ..."; a copy of the reviewed rows of several tasks ("differing files" after
// the information pass) names their number. Nothing for the other passes.
std::optional<std::string> actionPassHeading(const std::string& action, std::uint32_t status,
                                             const std::vector<project::Task>& records, std::size_t index);

// state 1: the task waits for the start; anything else: it runs.
inline constexpr std::uint8_t kTaskPending = 1;

// The heading of task `task` of `taskCount` (lblSystemInfoQuestion); nothing
// for an action without one. The registry phases "INFO REG" and "CHANGE"
// have the headings of "INFO" and "COPY".
ViewUpdate taskHeadingText(const std::string& action, std::int32_t task, std::int32_t taskCount, std::uint8_t state);

// The heading of task `task` of `taskCount`, its source description and its
// target (engine event ActionStartAufgabe).
ViewUpdate taskStarted(const std::string& action, std::int32_t task, std::int32_t taskCount, std::uint8_t state,
                       const project::Task& record);

// "von Verzeichnis: …  =>  (Filter …)" for a task.
std::string taskSourceText(const project::Task& record);
// The target line of a copy or attribute task; nothing when it shows none.
std::optional<std::string> taskTargetText(const std::string& action, const project::Task& record);

} // namespace zdr::run
