#pragma once

#include "app/RunCover.h"
#include "engine/EngineTask.h"
#include "engine/FolderCopyObserver.h"
#include "net/NetworkDrive.h"
#include "run/EngineState.h"
#include "run/ProgressView.h"
#include "util/MsgBox.h"
#include "util/clsClipboard.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zdr::engine {
class clsFolderCopy;
}
namespace zdr::net {
class clsNetwork;
}
namespace zdr::protocol::ui {
class frmProtocol;
}

namespace zdr::run {
class RunLog;
}

namespace zdr::run::ui {

class frmFileSystem;

// The run coordinator: carries out one run of a caller's tasks. It owns the
// copy engine and the progress window and sits between them: every engine
// event becomes an update of the window, every event of the window (start,
// cancel, an option, the target, closing) a call on the engine. The engine's
// run executes inside the window's start command; the coordinator yields to
// the event loop after most engine events, so the window stays usable and a
// second click on the start button asks to cancel.
//
// States: Created -> Configured (fc_Init, fc_InitAdd) -> Prepared (an entry
// point made the engine and the window, the tasks wait) -> Running (the start
// command, inside it the engine's run) -> Finished (the window shows the
// summary; its start button runs the tasks again) -> Closed (the window's
// Unload: the run's network drives are released, InfoCover_Done is raised
// once). The caller releases the coordinator after InfoCover_Done.
class clsFolderCopy_Cover : public QObject, public app::RunCover, private engine::FolderCopyObserver {
    Q_OBJECT
public:
    // What a run reaches besides its windows and the file system; tests
    // replace them.
    struct Services {
        net::NetworkDriveFactory networkDrives;
        // The network walked for a "[Net][" source.
        std::function<std::unique_ptr<net::clsNetwork>()> network;
    };
    static Services defaultServices();
    // The program's coordinator for callers that create one per run.
    static app::RunCoverFactory factory();

    explicit clsFolderCopy_Cover(app::InfoCoverEvents events = {}, Services services = defaultServices());
    ~clsFolderCopy_Cover() override;

    // One turn of the event loop, when the run allows it (option bit 0x8000).
    void sb_DoEvents();
    // Asks whether to cancel the run; always false.
    bool fc_FolderAndFiles_Cancel();

    bool fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx, std::uint8_t folderInfoLevel,
                 std::uint32_t fileBlockBytes) override;
    bool fc_InitAdd(const app::CoverTask& task) override;
    bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) override;

    // The entry points: prepare the engine and the window for the action and
    // show the window; false (after a message) when the run cannot be prepared.
    bool fc_FolderAndFiles_Info(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Copy(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Delete(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Attributes(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_MkDir(bool dataComplete, QWidget* callingWindow);

    // The task records, from the first.
    const std::vector<engine::EngineTaskInput>& Tasks() const { return tasks_; }
    frmFileSystem* progressWindow() const { return window_.get(); }
    const engine::clsFolderCopy* engine() const { return engine_.get(); }
    std::uint32_t Status() const { return status_; }
    bool IsRunning() const override;

private:
    struct EntryPoint;
    static const EntryPoint* entryPoint(const std::string& action);
    bool fc_FolderAndFiles(const EntryPoint& entry, bool dataComplete, QWidget* callingWindow);
    void sb_FillWindow(const EntryPoint& entry, bool dataComplete);
    void sb_SetOptionBoxes(const EntryPoint& entry);
    void sb_ShowPending();
    void sb_ConnectWindow();
    bool fc_EngineLoad(std::string& errorText);
    void sb_Release();
    void sb_AskCancel();
    void sb_NetworkExpand(std::size_t index);
    void lkl_clsNetwork_ResourceFound(const std::string& name, std::uint32_t displayType);

    // Events of the progress window.
    void lkl_frmFileSystem_ActionStart();
    void lkl_frmFileSystem_FolderCopyStatusChange(std::uint32_t bit, bool on);
    void lkl_frmFileSystem_FolderInfoLevelChanged(std::uint8_t level);
    void lkl_frmFileSystem_FolderTargetChanged(const std::string& folder);
    void lkl_frmFileSystem_Unload();

    // Events of the engine (lkl_clsFolderCopy_*), in clsFolderCopy_CoverEvents.cpp.
    void ActionStart(const std::string& action) override;
    void ActionInfo(const std::string& text) override;
    void ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t taskCount,
                            std::uint8_t state) override;
    void ActionFolderSet(const std::string& path) override;
    void ActionFolderStart(const std::string& path) override;
    void ActionFolderDone() override;
    void ActionFolderNot(std::int32_t reason) override;
    void ActionFileStart(const std::string& name, std::int64_t size) override;
    void ActionFileDone() override;
    void ActionFileDoneByte(std::int64_t total, std::int64_t done) override;
    void ActionFileNot(std::int32_t reason) override;
    void ActionReady(bool success, const std::string& message, bool protocolPresent) override;
    void ActionProtocolExists() override;
    void ActionProtocolAdd(const protocol::ProtocolEntry& entry) override;
    void ActionProtocolErr(const protocol::ProtocolEntry& entry) override;
    void ActionProtocolDel(const std::string& folderPath) override;
    void ActionProtocolShow(bool& continueRun) override;
    void ActionEntryGetNext(protocol::WorkListStep& step) override;

    EngineState state() const;
    // Shows an update of the texts and keeps LastMainPercent.
    void show(const ViewUpdate& update);

    app::InfoCoverEvents events_;
    Services services_;
    util::ui::MsgBoxQuestioner questioner_;
    util::ui::clsClipboard clipboard_;
    std::unique_ptr<RunLog> log_;

    std::unique_ptr<frmFileSystem> window_;            // lkl_frmFileSystem
    std::unique_ptr<engine::clsFolderCopy> engine_;    // lkl_clsFolderCopy
    QPointer<protocol::ui::frmProtocol> networkProtocol_; // NetworkProtocol
    std::size_t networkTaskIndex_ = 0;                 // NetworkTaskIndex, from 0

    std::vector<engine::EngineTaskInput> tasks_;
    std::string action_;
    std::uint32_t status_ = 0;
    std::uint32_t statusEx_ = 0;
    std::uint8_t folderInfoLevel_ = 0;
    std::uint32_t fileBlockBytes_ = 0;
    std::int32_t lastMainPercent_ = 0;
    QString actionCaption_;
    bool unloaded_ = false;
};

} // namespace zdr::run::ui
