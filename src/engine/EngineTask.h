#pragma once

#include "project/Task.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zdr::engine {

// One task as the engine keeps it for the run; never changed afterwards
// (except the target of task 1, which the progress window may change).
struct EngineTask {
    // The task as the caller handed it over; fields an action does not use
    // are blank.
    project::Task task;
    // What the run derives from it. Source and target: as written (without a
    // final separator), resolved (links, drive names) when the run reaches
    // them.
    std::string Source;
    std::string Target;
    // Never empty: "." (the folder with its content), "*.*" (its content) or
    // entry names relative to the source folder.
    std::vector<std::string> Selection;
    std::string ExcludeNames; // ";a;\b;" or empty
    std::vector<std::string> ExcludePatterns;
    std::string IncludeNames;
    std::vector<std::string> IncludePatterns;
    std::string Extensions; // ";.txt;.doc;" or empty
    std::uint32_t MaxSizeK = 0;
    bool Filtered = false;
    std::uint32_t RenameFlags = 0;
    std::string RenameCode;
    // Why the rename parameter cannot be used (empty when it can): every
    // rename of the task fails with it.
    std::string RenameProblem;
    std::string BackupFolder; // with its final separator, or empty
    // Source and target resolved (links, drive names) for this run; a
    // folder on a network drive only once the drive is connected.
    bool SourceResolved = false;
    bool TargetResolved = false;

    // Builds the run state by the engine's rules; onlyDifferent is option
    // 0x10000, which makes every task filtered.
    static EngineTask fromTask(const project::Task& task, bool onlyDifferent);
};

inline constexpr const char* kSelectionAll = ".";
inline constexpr const char* kSelectionContent = "*.*";
inline constexpr const char* kSourceComputer = "<Arbeitsplatz>";
inline constexpr const char* kSourceNetSet = "[Net][";

// Splits an exclusion or filter text at ";": entries without "*" go into the
// ";"-framed names text, entries with "*" into the pattern list.
void splitFilterText(const std::string& text, std::string& names, std::vector<std::string>& patterns);

} // namespace zdr::engine
