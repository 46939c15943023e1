#include "run/EngineState.h"

#include "engine/clsFolderCopy.h"

namespace zdr::run {

EngineState engineStateOf(const engine::clsFolderCopy& engine)
{
    EngineState state;
    state.action = engine.Action();
    state.status = engine.FolderCopy_Status();
    state.statusEx = engine.FolderCopy_StatusEx();
    state.counters = engine.Counters();
    state.secondsUsed = engine.SecondsUsed();
    state.secondsMax = engine.SecondsMax();
    state.source = engine.Source();
    state.folderAndFilesDot = engine.FolderAndFilesDot();
    state.fileNameCurrent = engine.FileName_Current();
    return state;
}

} // namespace zdr::run
