#pragma once

#include <string>
#include <vector>

namespace zdr::app {

// The program's start: splits the command line and opens the main window,
// the hand-off receiver, or refuses a malformed hand-off. Returns the exit code.
int Main(int argc, char** argv);

} // namespace zdr::app
