#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zdr::shellext {

// What one invocation hands over: the program's arguments, the entry
// messages and the end message.
struct HandOffPlan {
    std::string actionWord;
    std::string sourceFolder;
    // DLL %s %s "%s" "%s": shown in the start failure message.
    std::string commandLine;
    // The same five fields as the program receives them, quotes included.
    std::vector<std::string> arguments;
    std::vector<std::string> entries;
    std::string endText;
};

// True for "/" and for every mount point of this process's mount table: they
// stand where a drive root stands, so the hand-off uses full paths.
bool isMountRoot(std::string_view path);
// The mount points listed in a mountinfo text (octal escapes undone).
std::vector<std::string> mountPoints(std::string_view mountInfo);

// Plans the hand-off of command offset 1 to 5 for the selection; refuses
// (false, German reason) anything that would hand over a wrong path or that
// the command line or the wire cannot carry, before anything is started.
bool planHandOff(int offset, const std::vector<std::string>& selected, const std::string& shellFolder,
                 const std::string& key, HandOffPlan& plan, std::string& error);

} // namespace zdr::shellext
