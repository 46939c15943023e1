#include "registry/SystemTask.h"

#include "project/Task.h"

namespace zdr::registry {

std::string SystemTask::registryPathOf(const project::Task& task)
{
    return project::fieldText(task, project::kSelection);
}

} // namespace zdr::registry
