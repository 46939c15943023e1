#include "run/clsFolderCopy_Cover.h"

#include "app/Unattended.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "net/NetPlaceholder.h"
#include "net/NetworkDrives.h"
#include "net/clsNetwork.h"
#include "protocol/frmProtocol.h"
#include "run/CoverTasks.h"
#include "run/PassTexts.h"
#include "run/RunLog.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"
#include "util/KeyState.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

#include <array>
#include <cstdio>

namespace zdr::run::ui {

namespace status = engine::status;
using util::ui::Buttons;
using util::ui::Icon;

// What differs between the entry points: the action, and whether the window
// offers each of the four action-bound option boxes (nothing: the box keeps
// the window's own rule).
struct clsFolderCopy_Cover::EntryPoint {
    const char* action;
    std::optional<bool> infoAboutFolderEntries;
    std::optional<bool> onlyDifferent;
    std::optional<bool> onlyNewer;
    std::optional<bool> blockBytes;
};

namespace {

constexpr const char* kAbortedTitle = "Aktion abgebrochen ...";
constexpr const char* kNoTask = "Keine Aufgabe vorhanden, bitte legen Sie mindestens eine Aufgabe an!";

} // namespace

const clsFolderCopy_Cover::EntryPoint* clsFolderCopy_Cover::entryPoint(const std::string& action)
{
    static const std::array<EntryPoint, 5> entries{{
        {"INFO", true, false, false, false},
        {"COPY", false, true, std::nullopt, true},
        {"DELETE", false, false, false, false},
        {"ATTRIB", false, false, false, false},
        {"MKDIR", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    }};
    for (const EntryPoint& entry : entries)
        if (action == entry.action)
            return &entry;
    return nullptr;
}

clsFolderCopy_Cover::Services clsFolderCopy_Cover::defaultServices()
{
    net::WaitHooks hooks = net::defaultWaitHooks();
    // A drive that waits between connection tries keeps the windows alive.
    hooks.doEvents = [] {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    };
    return {net::networkDriveFactory(hooks), [] { return std::make_unique<net::clsNetwork>(); }};
}

app::RunCoverFactory clsFolderCopy_Cover::factory()
{
    return [](app::InfoCoverEvents events) { return std::make_unique<clsFolderCopy_Cover>(std::move(events)); };
}

clsFolderCopy_Cover::clsFolderCopy_Cover(app::InfoCoverEvents events, Services services)
    : events_(std::move(events)), services_(std::move(services))
{
    if (const std::string file = app::protocolFileName(); !file.empty())
        log_ = std::make_unique<RunLog>(file);
}

clsFolderCopy_Cover::~clsFolderCopy_Cover() { sb_Release(); }

bool clsFolderCopy_Cover::IsRunning() const { return engine_ && engine_->IsRunning(); }

void clsFolderCopy_Cover::sb_Release()
{
    // Released without being closed (the caller goes): the run's drives go too.
    if (engine_ && !unloaded_)
        engine_->sb_Action_CloseConnections();
    window_.reset();
    engine_.reset();
}

void clsFolderCopy_Cover::sb_DoEvents()
{
    if (engine_ && (engine_->FolderCopy_Status() & status::kYield))
        QCoreApplication::processEvents();
}

// ---- configuration ---------------------------------------------------------

bool clsFolderCopy_Cover::fc_Init(const std::string& action, std::uint32_t status, std::uint32_t statusEx,
                                  std::uint8_t folderInfoLevel, std::uint32_t fileBlockBytes)
{
    tasks_.clear();
    action_ = action;
    status_ = status;
    statusEx_ = statusEx;
    folderInfoLevel_ = folderInfoLevel;
    fileBlockBytes_ = fileBlockBytes;
    return true;
}

bool clsFolderCopy_Cover::fc_InitAdd(const app::CoverTask& task)
{
    tasks_.push_back(fc_TaskRecord(task, action_));
    if (net::isNetPlaceholder(tasks_.back().Source))
        sb_NetworkExpand(tasks_.size() - 1);
    return true;
}

// A "[Net][" source names shares of the network: the first share found
// takes the placeholder's place, every further one adds a copy of the task.
void clsFolderCopy_Cover::sb_NetworkExpand(std::size_t index)
{
    networkTaskIndex_ = index;
    const net::NetPlaceholder placeholder = net::parseNetPlaceholder(tasks_[index].Source);
    std::unique_ptr<net::clsNetwork> network = services_.network();
    networkProtocol_ = new protocol::ui::frmProtocol;
    networkProtocol_->fc_Init(std::string(protocol::ProtocolDocument::kNetwork), true);
    networkProtocol_->show();
    network->ResourceFound = [this](const std::string& name, std::uint32_t displayType) {
        lkl_clsNetwork_ResourceFound(name, displayType);
    };
    network->fc_Init(placeholder.domain, placeholder.share, placeholder.share.empty());
    delete networkProtocol_.data();
}

void clsFolderCopy_Cover::lkl_clsNetwork_ResourceFound(const std::string& name, std::uint32_t displayType)
{
    if (displayType != net::resource::kDisplayShare)
        return;
    if (networkProtocol_)
        networkProtocol_->sb_Protocol_Add(name);
    if (networkTaskIndex_ == tasks_.size() - 1) {
        tasks_.back().Source = name;
    } else {
        tasks_.push_back(tasks_.back());
        tasks_.back().Source = name;
    }
    ++networkTaskIndex_;
    QCoreApplication::processEvents();
}

// ---- entry points -----------------------------------------------------------

bool clsFolderCopy_Cover::fc_InitActionStart(bool dataComplete, QWidget* callingWindow)
{
    const EntryPoint* entry = entryPoint(action_);
    return entry && fc_FolderAndFiles(*entry, dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Info(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint("INFO"), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Copy(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint("COPY"), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Delete(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint("DELETE"), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Attributes(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint("ATTRIB"), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_MkDir(bool dataComplete, QWidget* callingWindow)
{
    return fc_FolderAndFiles(*entryPoint("MKDIR"), dataComplete, callingWindow);
}

bool clsFolderCopy_Cover::fc_FolderAndFiles(const EntryPoint& entry, bool dataComplete, QWidget* callingWindow)
{
    if (engine_)
        return false; // one run per coordinator
    action_ = entry.action;
    window_ = std::make_unique<frmFileSystem>();
    questioner_.setOwner(window_.get());
    engine::FolderCopyObserver& observer = *this;
    engine_ = std::make_unique<engine::clsFolderCopy>(observer, questioner_, services_.networkDrives);
    engine_->sb_SetClipboardWriter(&clipboard_);
    window_->setRunningQuery([this] { return IsRunning(); });
    sb_ConnectWindow();
    sb_FillWindow(entry, dataComplete);
    if (action_ != "MKDIR")
        sb_SetOptionBoxes(entry);

    std::string errorText;
    if (!fc_EngineLoad(errorText) || tasks_.empty()) {
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
    if (action_ == "MKDIR")
        window_->findChild<QLineEdit*>(QStringLiteral("txtNewFolder"))->setFocus();

    if ((status_ & status::kAutoStart) && !util::ui::ctrlKeyHeld()) {
        window_->sb_ActionStart();
        return true;
    }
    sb_ShowPending();
    if (app::unattended()) {
        // Nobody would ever press the start button.
        std::fprintf(stderr, "Zendor DaroRazu: %s wartet auf den Start und wird ohne Benutzer nicht ausgeführt.\n",
                     action_.c_str());
        if (log_)
            log_->note("=== " + action_ + ": wartet auf den Start, ohne Benutzer nicht ausgeführt");
        QTimer::singleShot(0, window_.get(), &frmFileSystem::sb_Unload);
    }
    return true;
}

void clsFolderCopy_Cover::sb_FillWindow(const EntryPoint& entry, bool dataComplete)
{
    const ActionTitles titles = *actionTitles(entry.action);
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
    if (action_ == "COPY" && tasks_.size() == 1 && tasks_.front().Target.empty()) {
        w.setText(Control::lblSystemInfoTarget, "Ziel: ...");
        w.setTargetSelectable(true);
    }
    if (action_ == "MKDIR") {
        w.setMakeDirectoryMode(true);
        if (!tasks_.empty())
            w.setText(Control::lblSystemFolderSource, tasks_.front().Source);
    }
    w.sb_ShowNow();
}

void clsFolderCopy_Cover::sb_SetOptionBoxes(const EntryPoint& entry)
{
    frmFileSystem& w = *window_;
    const auto set = [&](std::uint32_t bit) { w.optionBox(bit)->setChecked((status_ & bit) != 0); };
    // The protocol before the review of it: a review ticked first would turn
    // the protocol on as its own.
    for (std::uint32_t bit : {status::kContinueAfterError, status::kCreateProtocol, status::kAskBeforeAction,
                              status::kProtocolShowAuto, status::kOnlyNewer, status::kOnlyDifferent,
                              status::kOverwriteExisting, status::kOverwriteProtected, status::kWithInfo,
                              status::kNoFileInfo, status::kInfoOnlyCount})
        set(bit);
    if (action_ == "INFO") {
        set(status::kFolderEntriesInfo);
        w.setFolderInfoLevel(folderInfoLevel_);
    } else if (action_ == "COPY") {
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
    window_->sb_ShowNow();
}

// The engine gets the tasks anew before each start, so what the window
// changed since (target, block size, level, options) is what runs.
bool clsFolderCopy_Cover::fc_EngineLoad(std::string& errorText)
{
    if (!engine_->fc_Init(status_, statusEx_, folderInfoLevel_, errorText, fileBlockBytes_))
        return false;
    for (const engine::EngineTaskInput& record : tasks_)
        if (!engine_->fc_InitAdd(fc_EngineInput(record, action_), errorText))
            return false;
    return true;
}

// ---- events of the progress window ------------------------------------------

void clsFolderCopy_Cover::sb_ConnectWindow()
{
    frmFileSystem* w = window_.get();
    connect(w, &frmFileSystem::ActionStart, this, [this](bool) { lkl_frmFileSystem_ActionStart(); });
    connect(w, &frmFileSystem::ActionProtocolGet, this,
            [this](std::string& text) { text = engine_ ? engine_->Protocol() : std::string(); });
    connect(w, &frmFileSystem::FolderCopyStatusChange, this, &clsFolderCopy_Cover::lkl_frmFileSystem_FolderCopyStatusChange);
    connect(w, &frmFileSystem::FolderInfoLevelChanged, this, &clsFolderCopy_Cover::lkl_frmFileSystem_FolderInfoLevelChanged);
    connect(w, &frmFileSystem::FolderTargetChanged, this, &clsFolderCopy_Cover::lkl_frmFileSystem_FolderTargetChanged);
    connect(w, &frmFileSystem::FileBlockBytesChange, this, [this](std::int32_t bytes) {
        if (bytes > 0)
            fileBlockBytes_ = static_cast<std::uint32_t>(bytes);
    });
    connect(w, &frmFileSystem::ExceptData, this, [this](const std::string& kind, const std::string& value) {
        if (!events_.exceptData)
            return;
        std::string k = kind;
        std::string v = value;
        events_.exceptData(k, v);
    });
    connect(w, &frmFileSystem::Unload, this, &clsFolderCopy_Cover::lkl_frmFileSystem_Unload);
}

void clsFolderCopy_Cover::lkl_frmFileSystem_ActionStart()
{
    if (engine_->IsRunning()) {
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
    const bool done = engine_->fc_ActionRun();
    if ((done && action_ == "MKDIR" && !util::ui::ctrlKeyHeld()) || app::unattended())
        w.sb_Unload();
}

bool clsFolderCopy_Cover::fc_FolderAndFiles_Cancel()
{
    if (engine_)
        sb_AskCancel();
    return false;
}

void clsFolderCopy_Cover::sb_AskCancel()
{
    QElapsedTimer asked;
    asked.start();
    if (util::ui::msgBox(window_.get(), "Möchten Sie den Vorgang 'Abbrechen'?", Buttons::YesNo, Icon::Question,
                         "Vorgang abbrechen ...")
        == util::Answer::Yes) {
        engine_->fc_Cancel();
        return;
    }
    // The time and speed figures leave out the time the question was open.
    engine_->sb_SecondsOffAdd(static_cast<std::int32_t>(asked.elapsed() / 1000));
}

void clsFolderCopy_Cover::lkl_frmFileSystem_FolderCopyStatusChange(std::uint32_t bit, bool on)
{
    status_ = on ? (status_ | bit) : (status_ & ~bit);
    if (engine_)
        engine_->FolderCopy_Status(on ? (engine_->FolderCopy_Status() | bit) : (engine_->FolderCopy_Status() & ~bit));
}

void clsFolderCopy_Cover::lkl_frmFileSystem_FolderInfoLevelChanged(std::uint8_t level)
{
    folderInfoLevel_ = level;
    if (engine_)
        engine_->FolderInfoLevel(level);
}

void clsFolderCopy_Cover::lkl_frmFileSystem_FolderTargetChanged(const std::string& folder)
{
    if (!tasks_.empty())
        tasks_.front().Target = folder;
    if (engine_)
        engine_->Target(folder);
}

void clsFolderCopy_Cover::lkl_frmFileSystem_Unload()
{
    unloaded_ = true;
    if (engine_)
        engine_->sb_Action_CloseConnections();
    if (log_)
        log_->note("=== Ende");
    if (events_.done)
        events_.done();
}

} // namespace zdr::run::ui
