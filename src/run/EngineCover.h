#pragma once

#include "run/RunCover.h"
#include "run/RunCoverBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zdr::run::ui {

// A coordinator over one engine: what the caller sees (run::RunCover) and
// the engine hooks that read alike for the copy engine and the registry
// engine. The coordinator keeps the tasks as its fc_InitAdd made them and
// adds the rest: its entry points,
// fc_InitAdd, the engine's option word and the engine's events.
//
// The members that reach the engine are defined below the class: each
// coordinator's header declares its EngineCover `extern template`, and its
// source file, which knows the engine, instantiates it.
template <class Engine>
class EngineCover : public RunCoverBase, public run::RunCover {
public:
    bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                 std::uint32_t fileBlockBytes) override
    {
        tasks_.clear();
        action_ = action;
        status_ = status;
        statusEx_ = statusEx;
        folderInfoLevel_ = folderInfoLevel;
        fileBlockBytes_ = fileBlockBytes;
        return true;
    }
    bool IsRunning() const override { return engineRunning(); }
    bool RunSucceeded() const override { return runSucceeded(); }

    // The task records, from the first.
    const std::vector<project::Task>& Tasks() const { return tasks_; }
    const Engine* engine() const { return engine_.get(); }

protected:
    using RunCoverBase::RunCoverBase;
    ~EngineCover() override;

    bool hasEngine() const override { return engine_ != nullptr; }
    bool engineRunning() const override;
    void engineCancel() override;
    void engineSecondsOffAdd(std::int32_t seconds) override;
    std::string engineProtocol() const override;
    void engineCloseConnections() override;
    bool fc_EngineRun() override;
    void sb_ReleaseEngine() override;

    std::unique_ptr<Engine> engine_;
    std::vector<project::Task> tasks_;
    std::uint32_t statusEx_ = 0;
    std::uint8_t folderInfoLevel_ = 0;
    std::uint32_t fileBlockBytes_ = 0;
};

template <class Engine>
EngineCover<Engine>::~EngineCover() = default;

template <class Engine>
bool EngineCover<Engine>::engineRunning() const
{
    return engine_ && engine_->IsRunning();
}

template <class Engine>
void EngineCover<Engine>::engineCancel()
{
    engine_->fc_Cancel();
}

template <class Engine>
void EngineCover<Engine>::engineSecondsOffAdd(std::int32_t seconds)
{
    engine_->sb_SecondsOffAdd(seconds);
}

template <class Engine>
std::string EngineCover<Engine>::engineProtocol() const
{
    return engine_->Protocol();
}

template <class Engine>
void EngineCover<Engine>::engineCloseConnections()
{
    engine_->sb_Action_CloseConnections();
}

template <class Engine>
bool EngineCover<Engine>::fc_EngineRun()
{
    return engine_->fc_ActionRun();
}

template <class Engine>
void EngineCover<Engine>::sb_ReleaseEngine()
{
    engine_.reset();
}

} // namespace zdr::run::ui
