#pragma once

#include <string>

// Runs without a person at the screen (scripts, tests, the README's main
// job) are told so by two environment variables; nothing else of the
// environment changes what the program does.
namespace zdr::base {

// ZDR_UNATTENDED set (and not "0"): message boxes are answered with their
// cancel answer and printed to stderr, file dialogs are cancelled, a run that
// waits for its start button does not run, and the progress window closes
// when its run has ended.
bool unattended();
// A run without a screen has nobody at it either: from now on unattended()
// is true whatever the environment says.
void setUnattended();

// ZDR_PROTOCOL_FILE: the file to which every pass of a run appends what it
// listed, did and how it ended; empty when not set.
std::string protocolFileName();

} // namespace zdr::base
