#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zdr::run {

// One task as the run coordinator keeps it, in the order of the engine's
// fc_InitAdd arguments. Selected entries that begin with "\" are folders.
struct TaskRecord {
    std::string source;
    std::vector<std::string> selection{"."};
    std::string target;
    std::uint32_t attributesSet = 0;
    std::uint32_t attributesClear = 0;
    std::string exclusions;
    std::string nameFilters;
    std::string extensions;
    std::int32_t filesSizeMaxK = 0;
    std::string renameCode;
    std::string netSource;
    std::string netTarget;
    std::string dateFrom;
    std::string dateTo;
    std::string backupFolder;

    bool operator==(const TaskRecord&) const = default;
};

} // namespace zdr::run
