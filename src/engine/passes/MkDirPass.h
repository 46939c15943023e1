#pragma once

#include "engine/passes/RunContext.h"

#include <string>

namespace zdr::engine {

// The make-directory pass: each task names a new folder (its target) in
// its source folder; it does not walk.
class MkDirPass {
public:
    explicit MkDirPass(RunContext& run) : run_(run) {}

    // The current task names its folder; false: errorText says it must.
    [[nodiscard]] bool fc_NameGiven(std::string& errorText) const;
    // Makes the current task's folder (its source is connected and
    // resolved): its line, its count, the clipboard; false: errorText.
    [[nodiscard]] bool fc_MakeFolder(std::string& errorText);

private:
    RunContext& run_;
};

} // namespace zdr::engine
