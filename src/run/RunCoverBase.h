#pragma once

#include "net/NetworkDrive.h"
#include "run/ProgressView.h"
#include "run/RunCover.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace zdr::net {
class clsNetwork;
}
namespace zdr::protocol {
struct ProtocolEntry;
}
namespace zdr::protocol::ui {
class frmProtocol;
}

namespace zdr::run {
class RunLog;
struct EngineState;
struct ActionTitles;
} // namespace zdr::run

namespace zdr::run::ui {

class frmFileSystem;

// What the run coordinators (folder tasks, registry tasks) do alike between
// their engine and the progress window: making, filling and showing the
// window, start and cancel, the options, the protocol, the end of a pass and
// of the run, and turning a network placeholder into tasks. Each coordinator
// owns its engine; the shared steps reach it through the engine hooks.
//
// States: Created -> Configured (fc_Init, fc_InitAdd) -> Prepared (an entry
// point made the engine and the window, the tasks wait) -> Running (the start
// command, inside it the engine's run) -> Finished (the window shows the
// summary; its start button runs the tasks again) -> Closed (the window's
// Unload: the run's network drives are released, InfoCover_Done is raised
// once). The caller releases the coordinator after InfoCover_Done.
class RunCoverBase : public QObject {
    Q_OBJECT
public:
    // What a run reaches besides its windows; tests replace them.
    struct Services {
        net::NetworkDriveFactory networkDrives;
        // The network walked for a "[Net][" placeholder.
        std::function<std::unique_ptr<net::clsNetwork>()> network;
    };
    static Services defaultServices();

    ~RunCoverBase() override;

    // One turn of the event loop, when the run allows it (option bit 0x8000).
    void sb_DoEvents();
    // Asks whether to cancel the run; always false.
    bool fc_FolderAndFiles_Cancel();

    frmFileSystem* progressWindow() const { return window_.get(); }

    // The clock (milliseconds) that paces the view of the frequent events;
    // tests give their own, an empty one restores the steady clock.
    static void setViewClock(std::function<std::int64_t()> clock);
    // Cancels every run that goes on now, without asking (Ctrl+C, SIGTERM);
    // true when one was going.
    static bool fc_CancelAllRuns();
    std::uint32_t Status() const { return status_; }

protected:
    RunCoverBase(run::InfoCoverEvents events, Services services);

    // ---- the engine, as the shared steps reach it
    virtual bool hasEngine() const = 0;
    virtual bool engineRunning() const = 0;
    virtual std::uint32_t engineStatus() const = 0;
    virtual void setEngineStatus(std::uint32_t status) = 0;
    virtual void engineCancel() = 0;
    virtual void engineSecondsOffAdd(std::int32_t seconds) = 0;
    virtual std::string engineProtocol() const = 0;
    virtual void engineCloseConnections() = 0;
    virtual void sb_ReleaseEngine() = 0;
    // Hands the engine the options and the tasks (before every start, so what
    // the window changed since is what runs); false with the engine's text.
    virtual bool fc_EngineLoad(std::string& errorText) = 0;
    // The engine's run; true when it did its work.
    virtual bool fc_EngineRun() = 0;
    // Whether the window closes after a run that returned `done`.
    virtual bool closeAfterRun(bool done) const;
    // The last run: every pass ended well and no entry failed.
    bool runSucceeded() const { return runSucceeded_; }
    // Shows the tasks waiting for the start button.
    virtual void sb_ShowPending() = 0;

    // ---- entry points, in this order
    // A new progress window, wired to the shared handlers.
    frmFileSystem& sb_CreateWindow();
    // Headings, empty figures and the error count before the start.
    void sb_FillWindow(const ActionTitles& titles, bool dataComplete);
    // Ticks the option boxes every run offers by Status.
    void sb_SetOptionBoxes();
    // Loads the engine and shows the window over the calling one. When the
    // engine refuses, or there is no task, says why, releases engine and
    // window and returns false.
    bool fc_ShowWindow(std::size_t taskCount, QWidget* callingWindow);
    // Starts the run at once (0x100000 without Ctrl) or shows what waits.
    void sb_StartOrWait();
    // Releases window and engine (and the run's drives if the window never closed).
    void sb_Release();

    // ---- engine events
    // A pass starts: the window's run state, then the pass's texts.
    void sb_ActionStart(const std::string& action, const ViewUpdate& texts);
    // A pass ends: the window's rest state, then the pass's final texts.
    // `entriesFailed`: entries of the pass were not done (the engine's "_Not"
    // counters), even when the pass went on after them.
    void sb_ActionReady(const std::string& action, bool success, bool entriesFailed, const std::string& message,
                        const ViewUpdate& texts);
    // The line that ends a pass of a run without a person: `result` (the
    // state and the engine's message), and the pass's figures where the
    // coordinator has them.
    virtual std::string closingText(const std::string& result) const;
    // An entry failed or was left: a run without a person names it on
    // standard error.
    void sb_EntryFailed(const std::string& path, const std::string& reason);
    // The figures on the terminal of a run without a screen (when it shows them).
    void sb_TerminalFigures(const EngineState& state, double extraDoneK = 0, bool now = false);
    // A message of the engine (a network drive connected, ...).
    void sb_ActionInfo(const std::string& text);
    // A task starts (not while it waits): the protocol file notes it.
    void sb_TaskLog(std::int32_t task, std::int32_t taskCount, std::uint8_t state, const std::string& description);
    void sb_ProtocolAdd(const protocol::ProtocolEntry& entry, bool error);
    void sb_ProtocolDelete(const std::string& key);
    void sb_ProtocolShow(bool& continueRun);
    // Shows an update of the texts and keeps LastMainPercent.
    void show(const ViewUpdate& update);
    // Whether the frequent events of a pass show their texts and turn the
    // event loop now: at the pass's first such event, then every 30 ms. Done
    // per entry, the texts and the turns took longer than the work on a tree
    // of small files; the window shows at most ten refreshes a second anyway.
    bool fc_ViewDue();

    // A "[Net][" placeholder, the last task: walks the network for it; the
    // first resource of the display type found replaces the placeholder in
    // the field `name`, every further one adds a copy of the task before it.
    // The names found show in a protocol window in "NETWORK" mode meanwhile.
    template <class Task>
    void sb_NetworkExpand(std::vector<Task>& tasks, std::string Task::*name, const std::string& domain,
                          const std::string& share, bool onlyComputers, std::uint32_t displayType)
    {
        bool first = true;
        sb_NetworkWalk(domain, share, onlyComputers, displayType, [&](const std::string& found) {
            if (!first)
                tasks.push_back(tasks.back());
            tasks.back().*name = found;
            first = false;
        });
    }

    run::InfoCoverEvents events_;
    Services services_;
    std::unique_ptr<RunLog> log_;
    std::unique_ptr<frmFileSystem> window_; // lkl_frmFileSystem
    std::string action_;
    std::uint32_t status_ = 0;
    std::int32_t lastMainPercent_ = 0;
    QString actionCaption_;
    bool unloaded_ = false;

private:
    void sb_NetworkWalk(const std::string& domain, const std::string& share, bool onlyComputers,
                        std::uint32_t displayType, const std::function<void(const std::string&)>& found);
    void lkl_clsNetwork_ResourceFound(const std::string& name, std::uint32_t displayType);
    void sb_AskCancel();
    // The view's clock (ms), also the measure of a run's length.
    static std::int64_t clockMs();
    // A run of `tookMs` ended: when it was long and its window is not in
    // front, the desktop's notification service tells its result.
    void sb_NoticeIfUnseen(std::int64_t tookMs);

    // Events of the progress window.
    void lkl_frmFileSystem_ActionStart();
    void lkl_frmFileSystem_FolderCopyStatusChange(std::uint32_t bit, bool on);
    void lkl_frmFileSystem_Unload();

    QPointer<protocol::ui::frmProtocol> networkProtocol_; // NetworkProtocol
    std::uint32_t networkDisplayType_ = 0;
    std::int64_t viewShownAt_ = -1; // ms of the steady clock; -1: not yet in this pass
    bool passEnded_ = false;        // in the run now going
    bool passesClean_ = false;      // every pass of it so far ended well, no entry failed
    bool runSucceeded_ = false;
    std::function<void(const std::string&)> networkFound_;
};

} // namespace zdr::run::ui
