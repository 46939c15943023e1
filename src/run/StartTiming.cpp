#include "run/StartTiming.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zdr::run {

void noteFirstEntry()
{
    static bool noted = false;
    if (noted)
        return;
    noted = true;
    const char* start = std::getenv("ZDR_BENCH_START_US");
    if (start == nullptr || *start == '\0')
        return;
    char* end = nullptr;
    const long long startUs = std::strtoll(start, &end, 10);
    if (end == start || *end != '\0')
        return;
    const long long nowUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    // The processor time is steadier than the wall time where others share the machine.
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "Zendor DaroRazu: erster Eintrag nach %.1f ms (Prozessorzeit %.1f ms)\n",
                 static_cast<double>(nowUs - startUs) / 1000,
                 static_cast<double>(cpu.tv_sec) * 1000 + static_cast<double>(cpu.tv_nsec) / 1e6);
}

} // namespace zdr::run
