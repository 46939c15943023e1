#pragma once

#include "run/EngineState.h"
#include "run/ProgressView.h"

#include <cstdint>
#include <string>

// The count, size, time and speed figures and the bars while a pass runs.
namespace zdr::run {

// part of whole in whole percent, rounded halves to even, within 0 to 100; 0
// for nothing as a whole.
std::int32_t percentOf(double part, double whole);

// Main-bar percentage of an action pass after the information pass: the mean
// of the count share and the size share (the count share alone when there is
// no size), rounded halves to even, within 0 to 100. `extraDoneK` is the part
// of the file in progress that is already done, in kilobytes.
std::int32_t mainPercent(const engine::EngineCounters& counters, double extraDoneK = 0);

// Figures after a file or folder is done or not done (ActionFileDone,
// ActionFolderDone, ActionFileNot, ActionFolderNot). `lastMainPercent` is the
// percentage last shown; the main bar and the caption change only when the
// percentage does, and then the update carries the new lastMainPercent.
ViewUpdate figures(const EngineState& engine, std::int32_t lastMainPercent, double extraDoneK = 0);

// ActionFileNot / ActionFolderNot: the figures plus the skipped (reason 1) or
// the error figures (any other reason).
ViewUpdate entryNotDone(const EngineState& engine, std::int32_t reason, std::int32_t lastMainPercent);

// ActionFolderDone of a make-directory pass: both bars.
ViewUpdate folderMade(const EngineState& engine);

// ActionFileStart: the file with its size, the sub bar back to 0 (not for the
// information pass).
ViewUpdate fileStarted(const std::string& action, const std::string& name, std::int64_t sizeBytes);

// ActionFileDoneByte: the sub bar, the file line and the figures with the
// bytes copied so far.
ViewUpdate fileProgress(const EngineState& engine, std::int64_t totalBytes, std::int64_t doneBytes,
                        std::int32_t lastMainPercent);

// The sub bar of a make-directory folder start.
ViewUpdate folderStarted(const std::string& action, const std::string& path);

} // namespace zdr::run
