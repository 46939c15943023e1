#pragma once

#include "engine/EngineTask.h"
#include "run/RunCover.h"

#include <string_view>

// The run coordinator's task records: what it keeps of a caller's task and
// what it hands the engine for an action.
namespace zdr::run {

// One record by the rules of fc_InitAdd: folders without a final separator
// (a "[Net][" source as given), for "MKDIR" an existing file's folder as the
// source, the selection split at ";" ("" and "." are the whole folder), the
// extensions as ";.txt;.dat;" and the largest size as a number.
engine::EngineTaskInput fc_TaskRecord(const run::CoverTask& task, std::string_view action);

// The record as the engine receives it for an action: the first nine fields
// always, the others only where the action uses them (blank otherwise). A
// delete or attribute run keeps the time bounds, so it never touches more
// files than its task admits.
engine::EngineTaskInput fc_EngineInput(const engine::EngineTaskInput& record, std::string_view action);

} // namespace zdr::run
