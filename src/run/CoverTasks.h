#pragma once

#include "engine/EngineTask.h"
#include "run/RunCover.h"

#include <string_view>

// The run coordinator's task records: what it keeps of a caller's task and
// what it hands the engine for an action.
namespace zdr::run {

// The task as the coordinator keeps it, by the rules of fc_InitAdd: folders
// without a final separator (a "[Net][" source as given), for "MKDIR" an
// existing file's folder as the source, an empty selection as "." (the whole
// folder).
project::Task fc_TaskRecord(const project::Task& task, std::string_view action);

// The task as the engine receives it for an action: the fields the action
// does not use are blank (rename code and backup folder outside a copy). A
// delete or attribute run keeps the time bounds, so it never touches more
// files than its task admits.
project::Task fc_EngineInput(const project::Task& record, std::string_view action);

} // namespace zdr::run
