#pragma once

#include "project/Task.h"
#include "registry/RegistryRootKey.h"

#include <cstdint>
#include <string>

namespace zdr::registry {

// One registry task as the engine keeps it: the project's task, whose fields
// mean one computer and the value to read on it (the value and the service
// are shown only; the run neither writes the value nor touches the service),
// and the typed path split into root and key path.
struct SystemTask {
    project::Task task;
    RegistryPath path;

    static SystemTask fromTask(const project::Task& task) { return {task, fc_SplitRegistryPath(registryPathOf(task))}; }
    // The path as typed ("HKEY_LOCAL_MACHINE\Software\..."), in the field of
    // the selected entries.
    static std::string registryPathOf(const project::Task& task);

    // Empty: the local computer; "[Net][domain]": expanded before the run.
    const std::string& computer() const { return task.sourceFolder; }
    const std::string& valueName() const { return task.targetFolder; }
    const std::string& value() const { return task.exclusions; }
    const std::string& service() const { return task.nameFilters; }
    // A network-drive code; its user and password log on to the computer.
    const std::string& netCode() const { return task.netSourceCode; }

    bool operator==(const SystemTask&) const = default;
};

} // namespace zdr::registry
