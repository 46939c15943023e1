#pragma once

#include "app/RunCover.h"

#include <string>

namespace zdr::app {

// Stands in for the run coordinator until the program has one: instead of
// running the task it reports what it was handed (to the file named by
// $ZDR_HANDOFF_REPORT when set, which is for tests, else on stderr and in a
// message box) and ends the run at once.
class TaskReportCover : public RunCover {
public:
    explicit TaskReportCover(InfoCoverDone infoCoverDone) : infoCoverDone_(std::move(infoCoverDone)) {}

    bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                 std::uint32_t fileBlockBytes) override;
    bool fc_InitAdd(const CoverTask& task) override;
    bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) override;

    static RunCoverFactory factory();

private:
    InfoCoverDone infoCoverDone_;
    std::string report_;
};

} // namespace zdr::app
