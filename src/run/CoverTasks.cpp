#include "run/CoverTasks.h"

#include "base/Text.h"
#include "engine/PassAction.h"
#include "platform/Paths.h"

namespace zdr::run {

project::Task fc_TaskRecord(const project::Task& task, std::string_view action)
{
    project::Task record = task;
    if (!base::startsWith(record.sourceFolder, engine::kSourceNetSet))
        record.sourceFolder = platform::withoutTrailingSeparator(record.sourceFolder);
    if (engine::passActionOf(action) == engine::PassAction::MkDir && platform::pathExists(record.sourceFolder)
        && !platform::isDirectory(record.sourceFolder))
        record.sourceFolder = platform::parentPath(record.sourceFolder);
    record.targetFolder = platform::withoutTrailingSeparator(record.targetFolder);
    if (record.selection.empty())
        record.selection = {engine::kSelectionAll};
    return record;
}

project::Task fc_EngineInput(const project::Task& record, std::string_view action)
{
    project::Task input = record;
    const engine::PassAction kind = engine::passActionOf(action);
    if (kind == engine::PassAction::Copy)
        return input;
    input.renameCode.clear();
    input.backupFolder.clear();
    if (kind == engine::PassAction::MkDir) {
        input.dateFrom.clear();
        input.dateTo.clear();
    }
    return input;
}

} // namespace zdr::run
