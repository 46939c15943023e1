#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Runs a system tool (mount helpers) without a shell and with the C locale,
// so its messages can be recognised. Secrets go to the tool through its
// standard input (a dialog) or a private file, never on its command line or
// in its environment.
namespace zdr::net {

struct ToolRun {
    bool started = false;
    int startError = 0; // errno when the tool could not be started
    bool timedOut = false;
    int exitCode = -1;
    std::string out;
    std::string err;
};

// One answer to what the tool has printed on standard output so far.
struct ToolReply {
    std::string text;
    bool closeInput = false;
};
// Called whenever the tool printed more; nullopt: nothing to say yet.
using ToolDialog = std::function<std::optional<ToolReply>(const std::string& outputSoFar)>;

// Full path of a tool: a name with "/" is taken as is, else PATH is searched,
// then /usr/sbin and /sbin. Empty when there is no such executable.
std::string findTool(const std::string& name);

// Runs argv[0] (a full path). Without a dialog the tool's input is closed at
// once. A tool still running after timeoutSeconds is killed.
ToolRun runTool(const std::vector<std::string>& argv, const ToolDialog& dialog, int timeoutSeconds);

} // namespace zdr::net
