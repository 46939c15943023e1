#include "run/clsFolderCopy_Cover.h"

#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "net/NetEnumerator.h"
#include "net/NetPlaceholder.h"
#include "run/CoverTasks.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/frmFileSystem.h"
#include "util/KeyState.h"

#include <QCheckBox>
#include <QLineEdit>

#include <array>

namespace zdr::run::ui {

namespace status = engine::status;

template class EngineCover<engine::clsFolderCopy>;

// What differs between the entry points: the action, and whether the window
// offers each of the four action-bound option boxes (nothing: the box keeps
// the window's own rule).
struct clsFolderCopy_Cover::EntryPoint {
    engine::PassAction pass;
    const char* action; // the engine's word for it
    std::optional<bool> infoAboutFolderEntries;
    std::optional<bool> onlyDifferent;
    std::optional<bool> onlyNewer;
    std::optional<bool> blockBytes;
};

const clsFolderCopy_Cover::EntryPoint* clsFolderCopy_Cover::entryPoint(engine::PassAction pass)
{
    using engine::PassAction;
    static const std::array<EntryPoint, 5> entries{{
        {PassAction::Info, "INFO", true, false, false, false},
        {PassAction::Copy, "COPY", false, true, std::nullopt, true},
        {PassAction::Delete, "DELETE", false, false, false, false},
        {PassAction::Attrib, "ATTRIB", false, false, false, false},
        {PassAction::MkDir, "MKDIR", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    }};
    for (const EntryPoint& entry : entries)
        if (pass == entry.pass)
            return &entry;
    return nullptr;
}

run::RunCoverFactory clsFolderCopy_Cover::factory()
{
    return [](run::InfoCoverEvents events) { return std::make_unique<clsFolderCopy_Cover>(std::move(events)); };
}

clsFolderCopy_Cover::clsFolderCopy_Cover(run::InfoCoverEvents events, Services services)
    : FolderCoverBase(std::move(events), std::move(services))
{
}

clsFolderCopy_Cover::~clsFolderCopy_Cover() { sb_Release(); }

// ---- the engine as the shared steps reach it ------------------------------

std::uint32_t clsFolderCopy_Cover::engineStatus() const { return engine_->FolderCopy_Status(); }
void clsFolderCopy_Cover::setEngineStatus(std::uint32_t status) { engine_->FolderCopy_Status(status); }

// A new folder made: the window closes, unless Ctrl is held.
bool clsFolderCopy_Cover::closeAfterRun(bool done) const
{
    return done && pass_ == engine::PassAction::MkDir && !util::ui::ctrlKeyHeld();
}

// ---- configuration ---------------------------------------------------------

bool clsFolderCopy_Cover::fc_InitAdd(const project::Task& task)
{
    tasks_.push_back(fc_TaskRecord(task, action_));
    // A "[Net][" source names shares of the network: one task per share.
    if (const std::string& source = tasks_.back().sourceFolder; net::isNetPlaceholder(source)) {
        const net::NetPlaceholder placeholder = net::parseNetPlaceholder(source);
        sb_NetworkExpand(tasks_, &project::Task::sourceFolder, placeholder.domain, placeholder.share,
                         placeholder.share.empty(), net::resource::kDisplayShare);
    }
    return true;
}

// ---- entry points -----------------------------------------------------------

bool clsFolderCopy_Cover::fc_InitActionStart(bool dataComplete, QWidget* callingWindow)
{
    const EntryPoint* entry = entryPoint(engine::passActionOf(action_));
    return entry && fc_FolderAndFiles(*entry, dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Info(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint(engine::PassAction::Info), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Copy(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint(engine::PassAction::Copy), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Delete(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint(engine::PassAction::Delete), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Attributes(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint(engine::PassAction::Attrib), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_MkDir(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint(engine::PassAction::MkDir), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles(const EntryPoint& entry, bool dataComplete, QWidget* callingWindow)
{
    if (engine_)
        return false; // one run per coordinator
    action_ = entry.action;
    pass_ = entry.pass;
    // The information action is its pass: it runs whether or not the project
    // asks for an information pass before an action.
    if (pass_ == engine::PassAction::Info)
        status_ |= status::kWithInfo;
    frmFileSystem& w = sb_CreateWindow();
    questioner_.setOwner(&w);
    engine::FolderCopyObserver& observer = *this;
    engine_ = std::make_unique<engine::clsFolderCopy>(observer, showingQuestioner_, services_.networkDrives);
    engine_->sb_SetClipboardWriter(&clipboard_);
    engine_->sb_SetDoEvents([this] { sb_DoEvents(); }); // the block copy's pause, the packing of the backup
    connect(&w, &frmFileSystem::FolderInfoLevelChanged, this,
            &clsFolderCopy_Cover::lkl_frmFileSystem_FolderInfoLevelChanged);
    connect(&w, &frmFileSystem::FolderTargetChanged, this, &clsFolderCopy_Cover::lkl_frmFileSystem_FolderTargetChanged);
    connect(&w, &frmFileSystem::FileBlockBytesChange, this, [this](std::int32_t bytes) {
        if (bytes > 0)
            fileBlockBytes_ = static_cast<std::uint32_t>(bytes);
    });
    sb_FillWindow(dataComplete);
    if (pass_ != engine::PassAction::MkDir)
        sb_SetOptionBoxes(entry);
    if (!fc_ShowWindow(tasks_.size(), callingWindow))
        return false;
    if (pass_ == engine::PassAction::MkDir)
        w.txtNewFolder()->setFocus();
    sb_StartOrWait();
    return true;
}

void clsFolderCopy_Cover::sb_FillWindow(bool dataComplete)
{
    RunCoverBase::sb_FillWindow(*actionTitles(pass_), dataComplete);
    frmFileSystem& w = *window_;
    if (pass_ == engine::PassAction::Copy && tasks_.size() == 1 && tasks_.front().targetFolder.empty()) {
        w.setText(Control::lblSystemInfoTarget, "Ziel: ...");
        w.setTargetSelectable(true);
        // A copy handed over from a file manager has no target: the picker
        // starts beside the handed entries, not at the file system's top.
        w.setTargetStartFolder(tasks_.front().sourceFolder);
    }
    if (pass_ == engine::PassAction::MkDir) {
        w.setMakeDirectoryMode(true);
        // The only option a new folder has: the caller's bit decides, the box shows it.
        w.optionBox(status::kFolderToClipboard)->setChecked((status_ & status::kFolderToClipboard) != 0);
        if (!tasks_.empty())
            w.setText(Control::lblSystemFolderSource, tasks_.front().sourceFolder);
    }
    w.sb_ShowNow();
}

void clsFolderCopy_Cover::sb_SetOptionBoxes(const EntryPoint& entry)
{
    RunCoverBase::sb_SetOptionBoxes();
    frmFileSystem& w = *window_;
    const auto set = [&](std::uint32_t bit) { w.optionBox(bit)->setChecked((status_ & bit) != 0); };
    if (pass_ == engine::PassAction::Info) {
        set(status::kFolderEntriesInfo);
        w.setFolderInfoLevel(folderInfoLevel_);
        w.optionBox(status::kWithInfo)->setEnabled(false); // the action itself
    } else if (pass_ == engine::PassAction::Copy) {
        w.setFileBlockSize(static_cast<std::int32_t>(fileBlockBytes_));
        set(status::kBlockBytes);
    }
    const auto offer = [&](std::uint32_t bit, const std::optional<bool>& enabled) {
        if (enabled)
            w.optionBox(bit)->setEnabled(*enabled);
    };
    offer(status::kFolderEntriesInfo, entry.infoAboutFolderEntries);
    offer(status::kOnlyDifferent, entry.onlyDifferent);
    offer(status::kOnlyNewer, entry.onlyNewer);
    offer(status::kBlockBytes, entry.blockBytes);
}

void clsFolderCopy_Cover::sb_ShowPending()
{
    if (tasks_.size() == 1)
        ActionStartAufgabe(action_, 1, 1, kTaskPending);
    else
        window_->setText(Control::lblSystemInfoSource, tasksPendingText(static_cast<std::int32_t>(tasks_.size())));
}

// The engine gets the tasks anew before each start, so what the window
// changed since (target, block size, level, options) is what runs.
bool clsFolderCopy_Cover::fc_EngineLoad(std::string& errorText)
{
    if (!engine_->fc_Init(status_, statusEx_, folderInfoLevel_, errorText, fileBlockBytes_))
        return false;
    for (const project::Task& record : tasks_)
        if (!engine_->fc_InitAdd(fc_EngineInput(record, action_), errorText))
            return false;
    return true;
}

// ---- events of the progress window ------------------------------------------

void clsFolderCopy_Cover::lkl_frmFileSystem_FolderInfoLevelChanged(std::uint8_t level)
{
    folderInfoLevel_ = level;
    if (engine_)
        engine_->FolderInfoLevel(level);
}

void clsFolderCopy_Cover::lkl_frmFileSystem_FolderTargetChanged(const std::string& folder)
{
    if (!tasks_.empty())
        tasks_.front().targetFolder = folder;
    if (engine_)
        engine_->Target(folder);
    // The run that stopped for want of a target asks no longer.
    frmFileSystem& w = *window_;
    if (pass_ != engine::PassAction::MkDir && w.text(Control::lblSystemInfoQuestion) == kTargetWanted) {
        const ActionTitles titles = *actionTitles(pass_);
        w.setText(Control::lblSystemInfoQuestion, titles.prompt);
        w.setText(Control::Caption, titles.title);
        w.setText(Control::lblSystemInfoObject, "");
    }
}

} // namespace zdr::run::ui
