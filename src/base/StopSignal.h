#pragma once

// Ctrl+C (SIGINT) and SIGTERM end a run as its cancel does: the handler only
// notes the signal; the program cancels what runs at its next turn of the
// event loop and then ends with kExitInterrupted / kExitTerminated. A second
// signal ends the program at once, as without the handler.
namespace zdr::base {

// Installs the handlers; returns the descriptor that becomes readable when a
// signal came (-1 when none could be made).
int installStopSignals();
// The signal that asked the program to stop, 0 while none did.
int stopSignal();
// The exit code for that signal (0 while none came).
int stopExitCode();

} // namespace zdr::base
