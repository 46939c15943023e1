#pragma once

#include <functional>

namespace zdr::net {

// The clock and the user interface a wait runs against. Tests give a timer
// that advances when the interface is given a turn, so no test sleeps.
struct WaitHooks {
    // Seconds since midnight, local time.
    std::function<double()> timer;
    // One turn of the user interface's event loop. It should block briefly
    // (a few milliseconds) so that a wait does not spin the processor.
    std::function<void()> doEvents;
};

// The system clock and a turn that only sleeps (for headless runs).
WaitHooks defaultWaitHooks();

// Waits the given seconds while the user interface keeps running. Gives up
// early at midnight, when the timer reaches 86395 or falls to 0 or below.
void sb_Wait(double seconds, const WaitHooks& hooks);

} // namespace zdr::net
