#pragma once

#include "run/EngineState.h"

#include <cstdint>
#include <string>

namespace zdr::test {

// The engine as the progress texts read it: in a pass (`action`) with its
// option bits and counters.
inline run::EngineState engineIn(const std::string& action, std::uint32_t bits = 0,
                                 const engine::EngineCounters& counters = {})
{
    run::EngineState e;
    e.action = action;
    e.status = bits;
    e.counters = counters;
    return e;
}

} // namespace zdr::test
