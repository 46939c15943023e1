// The engine's events: each becomes texts, figures and bars of the progress
// window (computed by the progress texts), a protocol row, or a question.
// Handlers of the walk's frequent events end with a turn of the event loop.
#include "engine/clsFolderCopy.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"

#include <QPushButton>

namespace zdr::run::ui {

EngineState clsFolderCopy_Cover::state() const { return engineStateOf(*engine_); }

void clsFolderCopy_Cover::ActionStart(const std::string& action) { sb_ActionStart(action, passStarted(action, state())); }

void clsFolderCopy_Cover::ActionInfo(const std::string& text) { sb_ActionInfo(text); }

void clsFolderCopy_Cover::ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t taskCount,
                                             std::uint8_t state)
{
    const auto index = static_cast<std::size_t>(task - 1);
    if (task < 1 || index >= tasks_.size())
        return;
    show(taskStarted(action, task, taskCount, state, tasks_[index]));
    const std::optional<std::string> target = taskTargetText(action, tasks_[index]);
    sb_TaskLog(task, taskCount, state, taskSourceText(tasks_[index]) + (target ? "  " + *target : ""));
}

void clsFolderCopy_Cover::ActionFolderSet(const std::string& path)
{
    show(folderStarted(engine_->Action(), path));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFolderStart(const std::string& path)
{
    show(folderStarted(engine_->Action(), path));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFileStart(const std::string& name, std::int64_t size)
{
    show(fileStarted(engine_->Action(), name, size));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFileDoneByte(std::int64_t total, std::int64_t done)
{
    show(fileProgress(state(), total, done, lastMainPercent_));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFileDone()
{
    show(figures(state(), lastMainPercent_));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFolderDone()
{
    const EngineState now = state();
    show(figures(now, lastMainPercent_));
    if (now.action == "MKDIR")
        show(folderMade(now));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFileNot(std::int32_t reason)
{
    show(entryNotDone(state(), reason, lastMainPercent_));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFolderNot(std::int32_t reason)
{
    show(entryNotDone(state(), reason, lastMainPercent_));
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionReady(bool success, const std::string& message, bool /*protocolPresent*/)
{
    frmFileSystem& w = *window_;
    const engine::EngineCounters& c = engine_->Counters();
    sb_ActionReady(engine_->Action(), success, c.CountFiles_Not + c.CountFolder_Not > 0, message,
                   passReady(state(), success, message, w.cmdTarget()->isEnabled(),
                             w.text(Control::lblSystemInfoObject)));
}

void clsFolderCopy_Cover::ActionProtocolExists() { window_->sb_Protocol_Exists(); }
void clsFolderCopy_Cover::ActionProtocolAdd(const protocol::ProtocolEntry& entry) { sb_ProtocolAdd(entry, false); }
void clsFolderCopy_Cover::ActionProtocolErr(const protocol::ProtocolEntry& entry) { sb_ProtocolAdd(entry, true); }
void clsFolderCopy_Cover::ActionProtocolDel(const std::string& folderPath) { sb_ProtocolDelete(folderPath); }
void clsFolderCopy_Cover::ActionProtocolShow(bool& continueRun) { sb_ProtocolShow(continueRun); }
void clsFolderCopy_Cover::ActionEntryGetNext(protocol::WorkListStep& step) { window_->sb_Protocol_EntryGetNext(step); }

} // namespace zdr::run::ui
