#pragma once

#include "EngineRecorder.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"

namespace zdr::test {

// One engine with a recording observer and scripted answers, run on one or
// more tasks.
struct EngineRun {
    EngineRecorder rec;
    ScriptedQuestioner questions;
    engine::clsFolderCopy engine;
    std::uint32_t statusEx = 0; // the extra options of the next run

    explicit EngineRun(net::NetworkDriveFactory drives = {}) : engine(rec, questions, std::move(drives)) {}

    bool run(std::uint32_t status, const std::vector<project::Task>& tasks, std::uint8_t infoLevel = 2)
    {
        std::string error;
        static_cast<void>(engine.fc_Init(status, statusEx, infoLevel, error, 32767));
        for (const project::Task& t : tasks)
            static_cast<void>(engine.fc_InitAdd(t, error)); // a task refused fails the run
        return engine.fc_ActionRun();
    }
    bool run(std::uint32_t status, const project::Task& task, std::uint8_t infoLevel = 2)
    {
        return run(status, std::vector<project::Task>{task}, infoLevel);
    }
    const engine::EngineCounters& counters() const { return engine.Counters(); }
    std::string ready() const
    {
        const auto r = rec.only("Ready");
        return r.empty() ? std::string() : r.back();
    }
};

inline constexpr std::uint32_t kInfo = engine::status::kWithInfo;
inline constexpr std::uint32_t kInfoProtocol = engine::status::kWithInfo | engine::status::kCreateProtocol;

} // namespace zdr::test
