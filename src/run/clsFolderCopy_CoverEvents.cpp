// The engine's events: each becomes texts, figures and bars of the progress
// window (computed by the progress texts), a protocol row, or a question.
// The walk's frequent events (folder, file, bytes, done) keep what they show
// until the view is due; then it is shown and the event loop turned. Every
// other event shows what was kept first.
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "engine/ErrorTexts.h"
#include "engine/clsFolderCopy.h"
#include "platform/ErrorCode.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"
#include "run/StartTiming.h"
#include "run/TerminalProgress.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"

#include <QPushButton>

namespace zdr::run::ui {

namespace {
constexpr std::int32_t kUnchanged = 1; // an entry left out: its target is the same
} // namespace

EngineState clsFolderCopy_Cover::state() const { return engineStateOf(*engine_); }

void clsFolderCopy_Cover::ActionStart(const std::string& action)
{
    sb_ShowKept();
    leftAmongDone_ = 0;
    noAccessFolder_.clear();
    const EngineState now = state();
    ViewUpdate update = passStarted(action, now);
    // The engine has loaded no task of this pass yet: the heading names the
    // first one, each task start the next.
    if (const auto heading = actionPassHeading(action, now.status, tasks_, 0))
        update.setText(Control::lblSystemInfoTask, *heading);
    sb_ActionStart(action, update);
}

void clsFolderCopy_Cover::ActionInfo(const std::string& text)
{
    sb_ShowKept();
    sb_ActionInfo(text);
}

void clsFolderCopy_Cover::ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t taskCount,
                                             std::uint8_t state)
{
    const auto index = static_cast<std::size_t>(task - 1);
    if (task < 1 || index >= tasks_.size())
        return;
    sb_ShowKept();
    // A started task names the folders the engine resolved (links followed).
    std::vector<project::Task> shown;
    const project::Task* record = &tasks_[index];
    if (state == 0 && engine_ && engine_->IsRunning()
        && (engine_->Source() != record->sourceFolder || engine_->Target() != record->targetFolder)) {
        shown = tasks_;
        shown[index].sourceFolder = engine_->Source();
        shown[index].targetFolder = engine_->Target();
        record = &shown[index];
    }
    ViewUpdate update = taskStarted(action, task, taskCount, state, *record);
    if (state != kTaskPending)
        if (const auto heading =
                actionPassHeading(action, engine_->FolderCopy_Status(), shown.empty() ? tasks_ : shown, index))
            update.setText(Control::lblSystemInfoTask, *heading);
    show(update);
    const std::optional<std::string> target = taskTargetText(action, *record);
    sb_TaskLog(task, taskCount, state, taskSourceText(*record) + (target ? "  " + *target : ""));
}

// ---- the frequent events: kept, shown when the view is due ----------------------

void clsFolderCopy_Cover::sb_Keep(Kept kind)
{
    noteFirstEntry();
    std::erase(kept_.order, kind);
    kept_.order.push_back(kind);
    if (fc_ViewDue()) {
        sb_ShowKept();
        sb_DoEvents();
    }
}

// What the kept events show, each kind by its latest event, in the order of
// those events: every text ends as the event by event showing left it.
void clsFolderCopy_Cover::sb_ShowKept()
{
    bool figuresShown = false;
    const bool inFile = !kept_.order.empty() && kept_.order.back() == Kept::Bytes;
    for (const Kept kind : kept_.order) {
        figuresShown = figuresShown || kind == Kept::Bytes || kind == Kept::Figures || kind == Kept::Unchanged;
        switch (kind) {
        case Kept::Folder: show(folderStarted(engine_->Action(), kept_.folder)); break;
        case Kept::File: show(fileStarted(engine_->Action(), kept_.file, kept_.fileSize)); break;
        case Kept::Bytes: show(fileProgress(state(), kept_.bytesTotal, kept_.bytesDone, lastMainPercent_)); break;
        case Kept::Figures: show(figures(state(), lastMainPercent_)); break;
        case Kept::Unchanged: show(entryNotDone(state(), kUnchanged, lastMainPercent_)); break;
        }
    }
    kept_.order.clear();
    if (figuresShown)
        sb_TerminalFigures(state(), inFile ? static_cast<double>(kept_.bytesDone) / 1024 : 0);
}

void clsFolderCopy_Cover::ActionFolderSet(const std::string& path)
{
    kept_.folder = path;
    sb_Keep(Kept::Folder);
}

void clsFolderCopy_Cover::ActionFolderStart(const std::string& path)
{
    kept_.folder = path;
    sb_Keep(Kept::Folder);
}

void clsFolderCopy_Cover::ActionFileStart(const std::string& name, std::int64_t size)
{
    kept_.file = name;
    kept_.fileSize = size;
    sb_Keep(Kept::File);
}

void clsFolderCopy_Cover::ActionFileDoneByte(std::int64_t total, std::int64_t done)
{
    kept_.bytesTotal = total;
    kept_.bytesDone = done;
    sb_Keep(Kept::Bytes);
}

void clsFolderCopy_Cover::ActionFileDone() { sb_Keep(Kept::Figures); }

void clsFolderCopy_Cover::ActionFolderDone()
{
    if (engine::passActionOf(engine_->Action()) != engine::PassAction::MkDir) {
        sb_Keep(Kept::Figures);
        return;
    }
    sb_ShowKept();
    const EngineState now = state();
    show(figures(now, lastMainPercent_));
    show(folderMade(now));
    sb_TerminalFigures(now);
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFileNot(std::int32_t reason)
{
    if (reason == kUnchanged) {
        sb_Keep(Kept::Unchanged); // every file of an unchanged tree
        return;
    }
    sb_ShowKept();
    sb_EntryLeft();
    const EngineState now = state();
    show(entryNotDone(now, reason, lastMainPercent_));
    sb_TerminalFigures(now);
    sb_DoEvents();
}

void clsFolderCopy_Cover::ActionFolderNot(std::int32_t reason)
{
    if (reason == kUnchanged) {
        sb_Keep(Kept::Unchanged);
        return;
    }
    sb_ShowKept();
    sb_EntryLeft();
    const EngineState now = state();
    show(entryNotDone(now, reason, lastMainPercent_));
    sb_TerminalFigures(now);
    sb_DoEvents();
}

void clsFolderCopy_Cover::sb_EntryLeft()
{
    const engine::EntryFailure& failure = engine_->LastFailure();
    if (failure.countedDone)
        ++leftAmongDone_;
    if (failure.reason == base::fc_GetApiErrorText(platform::error::kAccessDenied))
        noAccessFolder_ = failure.path;
    sb_EntryFailed(failure.path, failure.reason);
}

void clsFolderCopy_Cover::ActionReady(bool success, const std::string& message, bool /*protocolPresent*/)
{
    sb_ShowKept();
    frmFileSystem& w = *window_;
    const engine::EngineCounters& c = engine_->Counters();
    sb_TerminalFigures(state(), 0, true);
    // A folder the walk could not open fails the pass, but the walk went on
    // past it: the pass ran to its end ("Vorgang abgeschlossen", the folder
    // counted as failed), it did not stop.
    const bool wentOn = !success && message == engine::kNoAccess && !engine_->Cancelled();
    const std::string shown =
        wentOn && !noAccessFolder_.empty() ? message + " ('" + base::escapeControls(noAccessFolder_) + "')" : message;
    sb_ActionReady(
        engine_->Action(), success || wentOn, c.CountFiles_Not + c.CountFolder_Not > 0, shown,
        passReady(state(), success || wentOn, shown, w.cmdTarget()->isEnabled(), w.text(Control::lblSystemInfoObject)));
}

std::string clsFolderCopy_Cover::closingText(const std::string& result) const
{
    return closingLine(state(), result, leftAmongDone_);
}

void clsFolderCopy_Cover::ActionProtocolExists() { window_->sb_Protocol_Exists(); }
void clsFolderCopy_Cover::ActionProtocolAdd(const protocol::ProtocolEntry& entry) { sb_ProtocolAdd(entry, false); }
void clsFolderCopy_Cover::ActionProtocolErr(const protocol::ProtocolEntry& entry) { sb_ProtocolAdd(entry, true); }
void clsFolderCopy_Cover::ActionProtocolDel(const std::string& folderPath) { sb_ProtocolDelete(folderPath); }
void clsFolderCopy_Cover::ActionProtocolShow(bool& continueRun)
{
    sb_ShowKept();
    sb_ProtocolShow(continueRun);
}
void clsFolderCopy_Cover::ActionEntryGetNext(protocol::WorkListStep& step) { window_->sb_Protocol_EntryGetNext(step); }
protocol::EntryChoice clsFolderCopy_Cover::ActionEntryChosen(protocol::EntryKind kind, const std::string& folder,
                                                             const std::string& name, std::int16_t task)
{
    return window_->fc_Protocol_EntryChoice(kind, folder, name, task);
}

} // namespace zdr::run::ui
