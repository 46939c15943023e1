#pragma once

#include "EngineRecorder.h"
#include "engine/clsFolderCopy.h"
#include "protocol/ProtocolDocument.h"

namespace zdr::test {

// The engine's list entries go into a real protocol document, which answers
// the work-list steps of a "differing files" copy (and of its rename), as the
// protocol window does.
struct ProtocolWorkList : EngineRecorder {
    protocol::ProtocolDocument document;
    void ActionProtocolAdd(const protocol::ProtocolEntry& e) override
    {
        if (document.Task().empty())
            document.fc_Init(protocol::ProtocolDocument::kListView, true);
        document.fc_ListItem_Add(e);
        EngineRecorder::ActionProtocolAdd(e);
    }
    void ActionProtocolErr(const protocol::ProtocolEntry& e) override
    {
        document.fc_ListItem_Err(e);
        EngineRecorder::ActionProtocolErr(e);
    }
    void ActionProtocolDel(const std::string& folder) override
    {
        document.sb_Protocol_Delete(folder);
        EngineRecorder::ActionProtocolDel(folder);
    }
    void ActionEntryGetNext(protocol::WorkListStep& step) override
    {
        document.sb_EntryGetNext(step);
        EngineRecorder::events.push_back("EntryGetNext " + step.type + " " + step.source);
    }
    protocol::EntryChoice ActionEntryChosen(protocol::EntryKind kind, const std::string& folder,
                                            const std::string& name, std::int16_t task) override
    {
        return document.list().choice(kind, folder, name, task);
    }
};

struct ProtocolRun {
    ProtocolWorkList rec;
    ScriptedQuestioner questions;
    engine::clsFolderCopy engine{rec, questions};
    bool run(std::uint32_t status, const project::Task& task, std::uint32_t statusEx = 0)
    {
        std::string error;
        static_cast<void>(engine.fc_Init(status, statusEx, 2, error, 32767));
        static_cast<void>(engine.fc_InitAdd(task, error));
        return engine.fc_ActionRun();
    }
};

} // namespace zdr::test
