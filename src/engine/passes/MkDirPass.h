#pragma once

#include "engine/passes/RunContext.h"

namespace zdr::engine {

// The make-directory pass: each task names a new folder (its target) in
// its source folder; it does not walk.
class MkDirPass {
public:
    explicit MkDirPass(RunContext& run) : run_(run) {}

    // The current task names its folder; false: the error text says it must.
    bool fc_NameGiven();
    // Makes the current task's folder (its source is connected and
    // resolved): its line, its count, the clipboard; false: the error text.
    bool fc_MakeFolder();

private:
    RunContext& run_;
};

} // namespace zdr::engine
