#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zdr::registry {

// Runs a command-line tool to its end and collects what it printed. No shell
// is involved: the arguments reach the tool exactly as given. The tool's
// standard input is empty, so it can never wait for a typed password.
struct ToolRun {
    enum class Outcome { Exited, NotFound, TimedOut, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

struct ToolLimits {
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
    // Called about ten times a second while the tool runs; false stops it.
    std::function<bool()> keepWaiting;
    // Output beyond this is dropped (a tool that floods cannot exhaust memory).
    std::size_t maxOutput = 64u << 20;
};

// The program is looked up on PATH unless it contains a "/". The tool runs
// with LC_ALL=C, so its messages are the untranslated ones.
ToolRun runTool(const std::string& program, const std::vector<std::string>& arguments, const ToolLimits& limits);

} // namespace zdr::registry
