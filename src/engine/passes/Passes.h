#pragma once

#include "engine/TaskFolders.h"
#include "engine/passes/BackupStore.h"
#include "engine/passes/CopyPass.h"
#include "engine/passes/DeletePass.h"
#include "engine/passes/EntryPolicy.h"
#include "engine/passes/InfoPass.h"
#include "engine/passes/MkDirPass.h"
#include "engine/passes/RenamePass.h"
#include "engine/passes/RunContext.h"
#include "engine/passes/TreeWalk.h"

#include <optional>
#include <vector>

namespace zdr::engine {

// The run context and the pass objects of one engine, each made once and
// wired to the context and to the parts it uses; and what the task driver
// keeps for a run.
struct Passes {
    Passes(FolderCopyObserver& observer, base::Questioner& questioner)
        : run(observer, questioner), info(run), policy(run), rename(run), backup(run),
          copy(run, policy, rename, backup), remove(run, policy), attrib(run, policy), mkdir(run), walk(run, policy)
    {
    }

    RunContext run;
    InfoPass info;
    EntryPolicy policy;
    RenamePass rename;
    BackupStore backup;
    CopyPass copy;
    DeletePass remove;
    AttribPass attrib;
    MkDirPass mkdir;
    TreeWalk walk;
    // The folders no delete or attribute change takes as a whole, read once
    // per run when one needs them.
    std::optional<ProtectedFolders> protectedFolders;
};

} // namespace zdr::engine
