#pragma once

#include <string>
#include <vector>

namespace zdr::shellext {

// Folder of the file this library was loaded from, without a final "/";
// the program is expected beside it.
std::string moduleFolder();

// Starts program with the arguments (argv[1..]) in workingFolder, detached:
// the started process is not our child, so a long-lived file manager
// collects no zombies. started: its process number. Returns false with the
// errno of the failed start.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder, long& started, int& errorNumber);

// Full path of a program found in $PATH, empty when there is none.
std::string findInPath(const std::string& name);

} // namespace zdr::shellext
