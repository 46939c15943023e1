#include "net/ResponsiveWait.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace zdr::net {

namespace {

double secondsSinceMidnight()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double fraction = duration<double>(now - system_clock::from_time_t(t)).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

} // namespace

WaitHooks defaultWaitHooks()
{
    return {secondsSinceMidnight, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }};
}

void sb_Wait(double seconds, const WaitHooks& hooks)
{
    constexpr double kNearMidnight = 86395.0;
    const double start = hooks.timer();
    hooks.doEvents();
    for (;;) {
        const double now = hooks.timer();
        if (now >= start + seconds || now >= kNearMidnight || now <= 0.0)
            return;
        hooks.doEvents();
    }
}

} // namespace zdr::net
