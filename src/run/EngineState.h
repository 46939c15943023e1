#pragma once

#include "engine/EngineCounters.h"

#include <cstdint>
#include <string>

namespace zdr::engine {
class clsFolderCopy;
}

namespace zdr::run {

// What the progress texts read from the engine at the moment of an event.
struct EngineState {
    std::string action; // the pass now running: "INFO", "COPY", "DELETE", "ATTRIB", "MKDIR"
    std::uint32_t status = 0;
    std::uint32_t statusEx = 0;
    engine::EngineCounters counters;
    std::int32_t secondsUsed = 0;
    std::int32_t secondsMax = 0;
    std::string source;            // current task's source folder
    std::string folderAndFilesDot; // first selected entry of the current task
    std::string fileNameCurrent;
};

// The engine's state now.
EngineState engineStateOf(const engine::clsFolderCopy& engine);

} // namespace zdr::run
