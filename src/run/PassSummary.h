#pragma once

#include "run/EngineState.h"
#include "run/ProgressView.h"

#include <string>

// The end of a pass (engine event ActionReady): final state and summary.
namespace zdr::run {

// The engine's message when a compare finds every file up to date.
// A copy that stopped for want of a target (the user may still choose one).
inline constexpr const char* kTargetWanted = "Eingabe erwartet...";
inline constexpr const char* kNothingToCopy = "Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!";

// The summary lines of a pass (CR LF between them); empty for "MKDIR" and
// unknown actions.
std::string passSummary(const EngineState& engine);

// `targetMissing`: the target button is enabled (the run stopped for want of
// a target). `objectText`: what lblSystemInfoObject shows now.
ViewUpdate passReady(const EngineState& engine, bool success, const std::string& message, bool targetMissing,
                     const std::string& objectText);

} // namespace zdr::run
