#pragma once

// Resident memory of the benchmark process itself, for figures per row.
#include <unistd.h>

#include <fstream>

namespace zdr::bench {

inline long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

} // namespace zdr::bench
