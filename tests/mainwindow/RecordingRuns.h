#pragma once

#include "run/RunCover.h"

#include <QCoreApplication>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zdr::test {

// What the main window handed to its coordinators of one kind (folder tasks
// or registry tasks): a coordinator that records its calls.
struct RecordingRuns {
    struct Run {
        std::string action;
        std::uint32_t status = 0;
        std::uint32_t statusEx = 0;
        int level = 0;
        std::uint32_t blockBytes = 0;
        std::vector<project::Task> tasks;
        bool dataComplete = false;
        QWidget* caller = nullptr;
    };
    std::vector<Run> runs;
    run::InfoCoverEvents events; // of the last coordinator
    int alive = 0;
    bool refuseStart = false;
    bool succeeded = true; // what the coordinators say of their run

    // A coordinator released after its run goes on the next turn of the loop.
    ~RecordingRuns() { QCoreApplication::processEvents(); }

    run::RunCoverFactory factory()
    {
        return [this](run::InfoCoverEvents e) {
            events = std::move(e);
            runs.emplace_back();
            return std::make_unique<Cover>(*this);
        };
    }

    class Cover : public run::RunCover {
    public:
        explicit Cover(RecordingRuns& runs) : r_(runs) { ++r_.alive; }
        ~Cover() override { --r_.alive; }
        bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx, std::uint8_t level,
                     std::uint32_t blockBytes) override
        {
            Run& run = r_.runs.back();
            run.action = action;
            run.status = status;
            run.statusEx = statusEx;
            run.level = level;
            run.blockBytes = blockBytes;
            return true;
        }
        bool fc_InitAdd(const project::Task& task) override
        {
            r_.runs.back().tasks.push_back(task);
            return true;
        }
        bool fc_InitActionStart(bool dataComplete, QWidget* caller) override
        {
            r_.runs.back().dataComplete = dataComplete;
            r_.runs.back().caller = caller;
            return !r_.refuseStart;
        }
        bool IsRunning() const override { return false; }
        bool RunSucceeded() const override { return r_.succeeded; }

    private:
        RecordingRuns& r_;
    };
};

} // namespace zdr::test
