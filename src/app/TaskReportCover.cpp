#include "app/TaskReportCover.h"

#include "platform/FileIo.h"
#include "util/MsgBox.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace zdr::app {

namespace {

std::string hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%X", value);
    return text;
}

} // namespace

bool TaskReportCover::fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx,
                              std::uint8_t folderInfoLevel, std::uint32_t fileBlockBytes)
{
    report_ = "Action=" + action + "\nStatus=" + hex(status) + "\nStatusEx=" + hex(statusEx)
        + "\nFolderInfoLevel=" + std::to_string(folderInfoLevel) + "\nFileBlockBytes=" + std::to_string(fileBlockBytes)
        + "\n";
    return true;
}

bool TaskReportCover::fc_InitAdd(const CoverTask& task)
{
    report_ += "Source=" + task.sourceFolder + "\nSelection=" + task.selectedEntries + "\nTarget=" + task.targetFolder
        + "\nAttributeSet=" + std::to_string(task.attributeSet) + "\nAttributeDel=" + std::to_string(task.attributeDel)
        + "\nOthers=" + task.exclusions + task.nameFilters + task.fileExtensions + task.filesSizeMax + task.renameCode
        + task.netSourceCode + task.netTargetCode + task.dateFrom + task.dateTo + task.backupFolder + "\n";
    return true;
}

bool TaskReportCover::fc_InitActionStart(bool dataComplete, QWidget* /*callingWindow*/)
{
    report_ += std::string("DataComplete=") + (dataComplete ? "1" : "0") + "\n";
    const char* file = std::getenv("ZDR_HANDOFF_REPORT");
    platform::ErrorCode error = 0;
    if (file && *file) {
        if (!platform::writeFileAtomically(file, report_, error))
            std::fprintf(stderr, "%s: not written\n", file);
    } else {
        std::fprintf(stderr, "%s", report_.c_str());
        util::ui::msgBox(nullptr,
                         "Übergabe aus dem Dateimanager erhalten; diese Version führt sie noch nicht aus.\r\n\r\n"
                             + report_,
                         util::ui::Buttons::Ok, util::ui::Icon::Information);
    }
    QTimer::singleShot(0, [done = infoCoverDone_] { done(); });
    return true;
}

RunCoverFactory TaskReportCover::factory()
{
    return [](InfoCoverDone done) { return std::make_unique<TaskReportCover>(std::move(done)); };
}

} // namespace zdr::app
