#pragma once

#include "engine/EngineCounters.h"

#include <cstdint>

namespace zdr::engine {

// Estimated total seconds of a pass after `elapsed` seconds: the mean of the
// estimate by entry counts and the one by kilobytes (the file in progress
// counts with its whole size), or the count estimate alone when countOnly
// (option 0x80000).
std::int32_t fc_EstimateSeconds(std::int64_t elapsed, const EngineCounters& counters, std::int64_t currentFileBytes,
                                bool countOnly);

} // namespace zdr::engine
