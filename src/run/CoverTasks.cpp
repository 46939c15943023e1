#include "run/CoverTasks.h"

#include "base/Text.h"
#include "engine/PassAction.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdint>

namespace zdr::run {

engine::EngineTaskInput fc_TaskRecord(const run::CoverTask& task, std::string_view action)
{
    engine::EngineTaskInput record;
    record.Source = base::startsWith(task.sourceFolder, engine::kSourceNetSet)
        ? task.sourceFolder
        : platform::withoutTrailingSeparator(task.sourceFolder);
    if (engine::passActionOf(action) == engine::PassAction::MkDir && platform::pathExists(record.Source)
        && !platform::isDirectory(record.Source))
        record.Source = platform::parentPath(record.Source);
    record.Target = platform::withoutTrailingSeparator(task.targetFolder);
    if (task.selectedEntries.empty() || task.selectedEntries == engine::kSelectionAll)
        record.Selection = {engine::kSelectionAll};
    else
        record.Selection = base::split(task.selectedEntries, ";");
    record.AttributesSet = task.attributeSet;
    record.AttributesClear = task.attributeDel;
    record.Exclusions = task.exclusions;
    record.NameFilters = task.nameFilters;
    if (!task.fileExtensions.empty())
        record.Extensions = ";" + base::removeAll(task.fileExtensions, '*') + ";";
    record.MaxSizeK =
        static_cast<std::uint32_t>(std::clamp<long long>(base::numberValue(task.filesSizeMax), 0, UINT32_MAX));
    record.RenameParameter = task.renameCode;
    record.NetSource = task.netSourceCode;
    record.NetTarget = task.netTargetCode;
    record.DateFrom = task.dateFrom;
    record.DateTo = task.dateTo;
    record.BackupFolder = task.backupFolder;
    return record;
}

engine::EngineTaskInput fc_EngineInput(const engine::EngineTaskInput& record, std::string_view action)
{
    engine::EngineTaskInput input = record;
    const engine::PassAction kind = engine::passActionOf(action);
    if (kind == engine::PassAction::Copy)
        return input;
    input.RenameParameter.clear();
    input.BackupFolder.clear();
    if (kind == engine::PassAction::MkDir) {
        input.DateFrom.clear();
        input.DateTo.clear();
    }
    return input;
}

} // namespace zdr::run
