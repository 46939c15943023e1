#include "run/RunCoverBase.h"

#include "base/ProgramInfo.h"
#include "base/Text.h"
#include "base/Unattended.h"
#include "engine/StatusBits.h"
#include "net/NetworkDrives.h"
#include "net/clsNetwork.h"
#include "protocol/frmProtocol.h"
#include "run/PassTexts.h"
#include "run/RunLog.h"
#include "run/TerminalProgress.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"
#include "util/DesktopNotice.h"
#include "util/KeyState.h"
#include "util/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace zdr::run::ui {

namespace status = engine::status;
using util::ui::Buttons;
using util::ui::Icon;

namespace {

constexpr const char* kAbortedTitle = "Aktion abgebrochen ...";
constexpr const char* kNoTask = "Keine Aufgabe vorhanden, bitte legen Sie mindestens eine Aufgabe an!";
constexpr std::int64_t kViewPaceMs = 30; // "Abbrechen ..." is seen well within 200 ms
// A run this long that ends behind other windows is told on the desktop.
constexpr std::int64_t kNoticeAfterMs = 10000;

// The coordinators alive now, for a cancel that comes from outside (a signal).
std::vector<RunCoverBase*>& liveCovers()
{
    static std::vector<RunCoverBase*> covers;
    return covers;
}

std::function<std::int64_t()>& viewClock()
{
    static std::function<std::int64_t()> clock;
    return clock;
}

} // namespace

RunCoverBase::Services RunCoverBase::defaultServices()
{
    net::WaitHooks hooks = net::defaultWaitHooks();
    // A drive that waits between connection tries keeps the windows alive.
    hooks.doEvents = [] {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    };
    return {net::networkDriveFactory(hooks), [] { return std::make_unique<net::clsNetwork>(); }};
}

RunCoverBase::RunCoverBase(run::InfoCoverEvents events, Services services)
    : events_(std::move(events)), services_(std::move(services))
{
    if (const std::string file = base::protocolFileName(); !file.empty())
        log_ = std::make_unique<RunLog>(file);
    liveCovers().push_back(this);
}

RunCoverBase::~RunCoverBase() { std::erase(liveCovers(), this); }

bool RunCoverBase::fc_CancelAllRuns()
{
    bool any = false;
    for (RunCoverBase* cover : liveCovers()) {
        if (cover->hasEngine() && cover->engineRunning()) {
            cover->engineCancel();
            any = true;
        }
    }
    return any;
}

bool RunCoverBase::closeAfterRun(bool /*done*/) const { return false; }

void RunCoverBase::sb_DoEvents()
{
    if (hasEngine() && (engineStatus() & status::kYield))
        QCoreApplication::processEvents();
}

void RunCoverBase::sb_Release()
{
    // Released without being closed (the caller goes): the run's drives go too.
    if (hasEngine() && !unloaded_)
        engineCloseConnections();
    window_.reset();
    sb_ReleaseEngine();
}

// ---- network placeholder ------------------------------------------------------

void RunCoverBase::sb_NetworkWalk(const std::string& domain, const std::string& share, bool onlyComputers,
                                  std::uint32_t displayType, const std::function<void(const std::string&)>& found)
{
    std::unique_ptr<net::clsNetwork> network = services_.network();
    networkDisplayType_ = displayType;
    networkFound_ = found;
    networkProtocol_ = new protocol::ui::frmProtocol;
    networkProtocol_->fc_Init(std::string(protocol::ProtocolDocument::kNetwork), true);
    networkProtocol_->show();
    network->ResourceFound = [this](const std::string& name, std::uint32_t type) {
        lkl_clsNetwork_ResourceFound(name, type);
    };
    network->fc_Init(domain, share, onlyComputers);
    delete networkProtocol_.data();
    networkFound_ = nullptr;
}

void RunCoverBase::lkl_clsNetwork_ResourceFound(const std::string& name, std::uint32_t displayType)
{
    if (displayType != networkDisplayType_)
        return;
    if (networkProtocol_)
        networkProtocol_->sb_Protocol_Add(name);
    networkFound_(name);
    QCoreApplication::processEvents();
}

// ---- entry points -------------------------------------------------------------

frmFileSystem& RunCoverBase::sb_CreateWindow()
{
    window_ = std::make_unique<frmFileSystem>();
    frmFileSystem* w = window_.get();
    w->setRunningQuery([this] { return engineRunning(); });
    connect(w, &frmFileSystem::ActionStart, this, [this](bool) { lkl_frmFileSystem_ActionStart(); });
    connect(w, &frmFileSystem::ActionProtocolGet, this,
            [this](std::string& text) { text = hasEngine() ? engineProtocol() : std::string(); });
    connect(w, &frmFileSystem::FolderCopyStatusChange, this, &RunCoverBase::lkl_frmFileSystem_FolderCopyStatusChange);
    connect(w, &frmFileSystem::ExceptData, this, [this](protocol::EntryKind kind, const std::string& value) {
        if (!events_.exceptData)
            return;
        std::string v = value;
        events_.exceptData(kind, v);
    });
    connect(w, &frmFileSystem::Unload, this, &RunCoverBase::lkl_frmFileSystem_Unload);
    return *w;
}

void RunCoverBase::sb_FillWindow(const ActionTitles& titles, bool dataComplete)
{
    frmFileSystem& w = *window_;
    w.setText(Control::lblSystemInfoTask, titles.taskLabel);
    w.setText(Control::lblSystemInfoQuestion, titles.prompt);
    for (Control c : {Control::lblSystemInfo, Control::lblTime, Control::lblSize, Control::lblCount,
                      Control::lblSizeNot, Control::lblCountToDo})
        w.setText(c, "");
    w.setText(Control::lblCountNot, errorCountInitialText(dataComplete));
    w.setText(Control::Caption, titles.title);
    // Also what a pass gives back that ends without having started (a review declined).
    actionCaption_ = QString::fromUtf8(titles.title);
    w.lblCmdAction()->setCaption(actionCaption_);
}

void RunCoverBase::sb_SetOptionBoxes()
{
    // The protocol before the review of it: a review ticked first would turn
    // the protocol on as its own.
    for (std::uint32_t bit :
         {status::kContinueAfterError, status::kCreateProtocol, status::kAskBeforeAction, status::kProtocolShowAuto,
          status::kOnlyNewer, status::kOnlyDifferent, status::kOverwriteExisting, status::kOverwriteProtected,
          status::kWithInfo, status::kNoFileInfo, status::kInfoOnlyCount})
        window_->optionBox(bit)->setChecked((status_ & bit) != 0);
}

bool RunCoverBase::fc_ShowWindow(std::size_t taskCount, QWidget* callingWindow)
{
    std::string errorText;
    if (!fc_EngineLoad(errorText) || taskCount == 0) {
        util::ui::msgBox(callingWindow, errorText.empty() ? kNoTask : errorText, Buttons::Ok, Icon::Critical,
                         kAbortedTitle);
        sb_Release();
        return false;
    }
    window_->adjustSize();
    if (callingWindow) {
        const QRect caller = callingWindow->geometry();
        window_->move(caller.left() + caller.width() / 2 - window_->width() / 2,
                      caller.top() + caller.height() / 2 - window_->height() / 2);
    }
    window_->show();
    return true;
}

void RunCoverBase::sb_StartOrWait()
{
    if ((status_ & status::kAutoStart) && !util::ui::ctrlKeyHeld()) {
        window_->sb_ActionStart();
        return;
    }
    sb_ShowPending();
    window_->sb_ShowNow();
    if (base::unattended()) {
        // Nobody would ever press the start button.
        printNote("Zendor DaroRazu: " + action_ + " wartet auf den Start und wird ohne Benutzer nicht ausgeführt.");
        if (log_)
            log_->note("=== " + action_ + ": wartet auf den Start, ohne Benutzer nicht ausgeführt");
        QTimer::singleShot(0, window_.get(), &frmFileSystem::sb_Unload);
    }
}

// ---- events of the progress window -------------------------------------------

void RunCoverBase::lkl_frmFileSystem_ActionStart()
{
    if (engineRunning()) {
        sb_AskCancel();
        return;
    }
    frmFileSystem& w = *window_;
    w.setText(Control::lblCountNot, "(keine)");
    w.setText(Control::lblSizeNot, "");
    w.sb_Protocol_SetBack();
    std::string errorText;
    if (!fc_EngineLoad(errorText)) {
        util::ui::msgBox(&w, errorText, Buttons::Ok, Icon::Critical, kAbortedTitle);
        return;
    }
    runSucceeded_ = false;
    passEnded_ = false;
    passesClean_ = true;
    const std::int64_t began = clockMs();
    const bool done = fc_EngineRun();
    runSucceeded_ = done && passEnded_ && passesClean_;
    sb_NoticeIfUnseen(clockMs() - began);
    if (closeAfterRun(done) || base::unattended())
        w.sb_Unload();
}

bool RunCoverBase::fc_FolderAndFiles_Cancel()
{
    if (hasEngine())
        sb_AskCancel();
    return false;
}

void RunCoverBase::sb_AskCancel()
{
    QElapsedTimer asked;
    asked.start();
    if (util::ui::msgBox(window_.get(), "Möchten Sie den Vorgang 'Abbrechen'?", Buttons::YesNo, Icon::Question,
                         "Vorgang abbrechen ...")
        == base::Answer::Yes) {
        engineCancel();
        return;
    }
    // The time and speed figures leave out the time the question was open.
    engineSecondsOffAdd(static_cast<std::int32_t>(asked.elapsed() / 1000));
}

void RunCoverBase::lkl_frmFileSystem_FolderCopyStatusChange(std::uint32_t bit, bool on)
{
    status_ = on ? (status_ | bit) : (status_ & ~bit);
    if (hasEngine())
        setEngineStatus(on ? (engineStatus() | bit) : (engineStatus() & ~bit));
}

void RunCoverBase::lkl_frmFileSystem_Unload()
{
    unloaded_ = true;
    if (hasEngine())
        engineCloseConnections();
    if (log_)
        log_->note("=== Ende");
    if (events_.done)
        events_.done();
}

// ---- engine events --------------------------------------------------------------

void RunCoverBase::show(const ViewUpdate& update)
{
    window_->apply(update);
    if (update.initFolderInfoProtocol)
        window_->fc_Protocol_Init(std::string(protocol::ProtocolDocument::kListViewInfoDir), true);
    if (update.lastMainPercent)
        lastMainPercent_ = *update.lastMainPercent;
}

void RunCoverBase::setViewClock(std::function<std::int64_t()> clock) { viewClock() = std::move(clock); }

namespace {

// Milliseconds of the monotonic clock as the kernel last ticked it: read at
// every entry of a walk, where the precise clock costs three times as much,
// and a tick of a few ms is nothing against the pace.
std::int64_t coarseMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

std::int64_t RunCoverBase::clockMs() { return viewClock() ? viewClock()() : coarseMs(); }

void RunCoverBase::sb_NoticeIfUnseen(std::int64_t tookMs)
{
    frmFileSystem& w = *window_;
    // Short runs are watched; a run without a person has nobody to tell.
    if (tookMs < kNoticeAfterMs || base::unattended() || (w.isActiveWindow() && !w.isMinimized()))
        return;
    const std::string result = w.text(Control::lblSystemInfoQuestion);
    const std::string summary = w.text(Control::lblSystemInfo);
    util::ui::notifyDesktop(
        std::string(base::kProgramTitle) + ": " + result,
        base::replaceAll(w.text(Control::lblSystemInfoTask) + (summary.empty() ? "" : "\r\n" + summary), "\r\n", "\n"));
}

bool RunCoverBase::fc_ViewDue()
{
    const std::int64_t now = clockMs();
    if (viewShownAt_ >= 0 && now - viewShownAt_ < kViewPaceMs)
        return false;
    viewShownAt_ = now;
    return true;
}

void RunCoverBase::sb_ActionStart(const std::string& action, const ViewUpdate& texts)
{
    viewShownAt_ = -1;
    if (events_.actionStart)
        events_.actionStart();
    frmFileSystem& w = *window_;
    ViewUpdate update;
    update.show(Control::lblCountExistsTimeOk, false);
    update.show(Control::lblCountExistsTimeOkCaption, false);
    w.apply(update);
    w.lblCmdClose()->setEnabled(false);
    actionCaption_ = w.lblCmdAction()->caption();
    w.lblCmdAction()->setCaption(QStringLiteral("Abbrechen ..."));
    w.lblCmdProtocol()->hide();
    w.lblCmdProtocol()->setEnabled(false);
    show(texts);
    if (log_)
        log_->passStarted(action, w.text(Control::lblSystemInfoTask));
    if (TerminalProgress* terminal = terminalProgress())
        terminal->passStarted(w.text(Control::lblSystemInfoTask));
    sb_DoEvents();
}

void RunCoverBase::sb_ActionReady(const std::string& action, bool success, bool entriesFailed,
                                  const std::string& message, const ViewUpdate& texts)
{
    passEnded_ = true;
    passesClean_ = passesClean_ && success && !entriesFailed;
    frmFileSystem& w = *window_;
    w.lblCmdAction()->setCaption(actionCaption_);
    w.lblCmdClose()->setEnabled(true);
    show(texts);
    w.sb_ShowNow();
    // Nobody sees the window: the result goes to standard error (a cron
    // mail, a journal), also without a terminal.
    if (base::unattended())
        printNote(closingText(w.text(Control::lblSystemInfoQuestion) + (message.empty() ? "" : ": " + message)));
    if (log_)
        // The summary, also of a pass whose texts give one despite a failure.
        log_->passEnded(action, w.text(Control::lblSystemInfoQuestion),
                        (success || texts.text(Control::lblSystemInfo) ? w.text(Control::lblSystemInfo) : std::string())
                            + (message.empty() ? "" : "\r\nMeldung: " + message),
                        engineProtocol());
}

std::string RunCoverBase::closingText(const std::string& result) const { return result; }

void RunCoverBase::sb_EntryFailed(const std::string& path, const std::string& reason)
{
    if (base::unattended())
        printNote(failureLine(path, reason));
}

void RunCoverBase::sb_TerminalFigures(const EngineState& state, double extraDoneK, bool now)
{
    if (TerminalProgress* terminal = terminalProgress())
        terminal->update(state, extraDoneK, now);
}

void RunCoverBase::sb_ActionInfo(const std::string& text)
{
    window_->setText(Control::lblSystemInfoObject, text);
    sb_DoEvents();
}

void RunCoverBase::sb_TaskLog(std::int32_t task, std::int32_t taskCount, std::uint8_t state,
                              const std::string& description)
{
    if (log_ && state != kTaskPending)
        log_->note("Aufgabe " + std::to_string(task) + " / " + std::to_string(taskCount) + ": " + description);
}

void RunCoverBase::sb_ProtocolAdd(const protocol::ProtocolEntry& entry, bool error)
{
    window_->fc_Protocol_ListItem_Add(entry, error);
    if (log_)
        log_->entry(entry, error);
}

void RunCoverBase::sb_ProtocolDelete(const std::string& key)
{
    window_->sb_Protocol_Delete(key);
    if (log_)
        log_->removeRow(key);
}

void RunCoverBase::sb_ProtocolShow(bool& continueRun)
{
    if (base::unattended()) {
        // Nobody can review the protocol: nothing is confirmed on their behalf.
        continueRun = false;
        return;
    }
    // Nothing has been done yet: the window says it waits, over the
    // information pass's figures.
    window_->setText(Control::Caption, actionCaption_.toStdString() + " - wartet auf Prüfung");
    window_->setText(Control::lblSystemInfoQuestion, "Bitte prüfen Sie die Liste und starten Sie dort die Aktion ...");
    window_->sb_ShowNow();
    window_->setReviewAction(action_);
    window_->sb_Protocol_Show(continueRun, engineProtocol(), true);
}

} // namespace zdr::run::ui
