#include "base/StopSignal.h"

#include "base/CommandLine.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace zdr::base {

namespace {

std::atomic<int> received{0};
int pipeFds[2] = {-1, -1};

static_assert(std::atomic<int>::is_always_lock_free, "read and written inside a signal handler");

extern "C" void onStopSignal(int number)
{
    received.store(number);
    if (pipeFds[1] >= 0) {
        const char byte = 1;
        // Nothing to do when the pipe is full: a byte is already waiting.
        [[maybe_unused]] const ssize_t written = write(pipeFds[1], &byte, 1);
    }
}

} // namespace

int installStopSignals()
{
    if (pipeFds[0] < 0 && pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        pipeFds[0] = pipeFds[1] = -1;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // The second signal finds the default action again and ends the program.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return pipeFds[0];
}

int stopSignal() { return received.load(); }

int stopExitCode()
{
    switch (received.load()) {
    case 0: return 0;
    case SIGINT: return kExitInterrupted;
    default: return kExitTerminated;
    }
}

} // namespace zdr::base
