#pragma once

#include "engine/EngineTask.h"
#include "engine/FolderCopyObserver.h"
#include "engine/PassAction.h"
#include "run/EngineCover.h"
#include "run/EngineState.h"
#include "run/RunCover.h"
#include "util/MsgBox.h"
#include "util/clsClipboard.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zdr::engine {
class clsFolderCopy;
}

namespace zdr::run::ui {

class frmFileSystem;

using FolderCoverBase = EngineCover<engine::clsFolderCopy>;
extern template class EngineCover<engine::clsFolderCopy>;

// The run coordinator of folder tasks: carries out one run of a caller's
// tasks. It owns the copy engine and the progress window and sits between
// them: every engine event becomes an update of the window, every event of
// the window (start, cancel, an option, the target, closing) a call on the
// engine. The engine's run executes inside the window's start command; the
// coordinator yields to the event loop after most engine events, so the
// window stays usable and a second click on the start button asks to cancel.
// Its states are RunCoverBase's.
class clsFolderCopy_Cover : public FolderCoverBase, private engine::FolderCopyObserver {
    Q_OBJECT
public:
    // The program's coordinator for callers that create one per run.
    static run::RunCoverFactory factory();

    explicit clsFolderCopy_Cover(run::InfoCoverEvents events = {}, Services services = defaultServices());
    ~clsFolderCopy_Cover() override;

    bool fc_InitAdd(const project::Task& task) override;
    bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) override;

    // The entry points: prepare the engine and the window for the action and
    // show the window; false (after a message) when the run cannot be prepared.
    bool fc_FolderAndFiles_Info(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Copy(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Delete(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_Attributes(bool dataComplete, QWidget* callingWindow);
    bool fc_FolderAndFiles_MkDir(bool dataComplete, QWidget* callingWindow);

private:
    struct EntryPoint;
    static const EntryPoint* entryPoint(engine::PassAction pass);
    bool fc_FolderAndFiles(const EntryPoint& entry, bool dataComplete, QWidget* callingWindow);
    void sb_FillWindow(bool dataComplete);
    void sb_SetOptionBoxes(const EntryPoint& entry);

    std::uint32_t engineStatus() const override;
    void setEngineStatus(std::uint32_t status) override;
    bool fc_EngineLoad(std::string& errorText) override;
    bool closeAfterRun(bool done) const override;
    std::string closingText(const std::string& result) const override;
    void sb_ShowPending() override;

    // Events of the progress window only folder runs have.
    void lkl_frmFileSystem_FolderInfoLevelChanged(std::uint8_t level);
    void lkl_frmFileSystem_FolderTargetChanged(const std::string& folder);

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
    protocol::EntryChoice ActionEntryChosen(protocol::EntryKind kind, const std::string& folder,
                                            const std::string& name, std::int16_t task) override;

    EngineState state() const;
    // An entry failed or was left (ActionFileNot/ActionFolderNot with 0).
    void sb_EntryLeft();

    // What the frequent events would show, kept until the view is due.
    enum class Kept : std::uint8_t { Folder, File, Bytes, Figures, Unchanged };
    struct KeptView {
        std::string folder;
        std::string file;
        std::int64_t fileSize = 0;
        std::int64_t bytesTotal = 0;
        std::int64_t bytesDone = 0;
        std::vector<Kept> order; // each kind once, by its latest event
    };
    void sb_Keep(Kept kind);
    void sb_ShowKept();
    // Questions come after what was kept is shown.
    class ShowingQuestioner : public base::Questioner {
    public:
        explicit ShowingQuestioner(clsFolderCopy_Cover& cover) : cover_(cover) {}
        base::Answer ask(const base::MessageRequest& request) override
        {
            cover_.sb_ShowKept();
            return cover_.questioner_.ask(request);
        }

    private:
        clsFolderCopy_Cover& cover_;
    };

    engine::PassAction pass_ = engine::PassAction::None; // the entry point's action
    KeptView kept_;
    std::int64_t leftAmongDone_ = 0; // failures of the pass also counted as done
    std::string noAccessFolder_;     // the last folder the walk could not open
    ShowingQuestioner showingQuestioner_{*this};
    util::ui::MsgBoxQuestioner questioner_;
    util::ui::clsClipboard clipboard_;
};

} // namespace zdr::run::ui
