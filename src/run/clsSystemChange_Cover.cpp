#include "run/clsSystemChange_Cover.h"

#include "engine/StatusBits.h"
#include "net/NetEnumerator.h"
#include "net/NetPlaceholder.h"
#include "registry/RegistryRootKey.h"
#include "registry/SambaRegistryProvider.h"
#include "registry/clsSystemChange.h"
#include "run/PassTexts.h"
#include "run/SystemChangeTexts.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"

#include <QCheckBox>
#include <QPushButton>

namespace zdr::run::ui {
template class EngineCover<registry::clsSystemChange>;
}

namespace zdr::run::ui {

namespace status = engine::status;
using run::Control;
using run::ui::frmFileSystem;

clsSystemChange_Cover::Services clsSystemChange_Cover::defaultServices()
{
    Services services;
    static_cast<RunCoverBase::Services&>(services) = RunCoverBase::defaultServices();
    services.registry = std::make_shared<registry::SambaRegistryProvider>();
    return services;
}

run::SystemChangeCoverFactory clsSystemChange_Cover::factory()
{
    return [](run::InfoCoverEvents events) { return std::make_unique<clsSystemChange_Cover>(std::move(events)); };
}

clsSystemChange_Cover::clsSystemChange_Cover(run::InfoCoverEvents events, Services services)
    : SystemCoverBase(std::move(events), services), registry_(std::move(services.registry))
{
}

clsSystemChange_Cover::~clsSystemChange_Cover() { sb_Release(); }

// ---- the engine as the shared steps reach it ------------------------------

std::uint32_t clsSystemChange_Cover::engineStatus() const { return engine_->System_Status(); }
void clsSystemChange_Cover::setEngineStatus(std::uint32_t status) { engine_->setSystem_Status(status); }

void clsSystemChange_Cover::engineCancel()
{
    cancelled_ = true;
    SystemCoverBase::engineCancel();
}

bool clsSystemChange_Cover::fc_EngineRun()
{
    cancelled_ = false;
    return SystemCoverBase::fc_EngineRun();
}

// The engine gets the tasks anew before each start, with the options the
// window shows now.
bool clsSystemChange_Cover::fc_EngineLoad(std::string& /*errorText*/)
{
    engine_->fc_Init(status_, folderInfoLevel_);
    for (const project::Task& t : tasks_)
        engine_->fc_InitAdd(t);
    return true;
}

// ---- configuration -----------------------------------------------------------

bool clsSystemChange_Cover::fc_InitAdd(const project::Task& task)
{
    tasks_.push_back(task);
    // "[Net][domain]": the computers of the domain ("*": of all domains).
    if (net::isNetPlaceholder(task.sourceFolder))
        sb_NetworkExpand(tasks_, &project::Task::sourceFolder, net::parseNetPlaceholder(task.sourceFolder).domain, "",
                         true, net::resource::kDisplayServer);
    return true;
}

// ---- entry points -------------------------------------------------------------

namespace {

// The caller's word for a registry run (as the main window passes it).
constexpr std::string_view kInfoWord = "INFO";
constexpr std::string_view kChangeWord = "CHANGE";

} // namespace

bool clsSystemChange_Cover::fc_InitActionStart(bool dataComplete, QWidget* callingWindow)
{
    if (action_ == kInfoWord)
        return fc_SystemRegistry_Info(dataComplete, callingWindow);
    if (action_ == kChangeWord)
        return fc_SystemRegistry_Change(dataComplete, callingWindow);
    return false;
}

bool clsSystemChange_Cover::fc_SystemRegistry_Info(bool dataComplete, QWidget* callingWindow)
{
    return fc_SystemRegistry(Run::Info, dataComplete, callingWindow);
}

bool clsSystemChange_Cover::fc_SystemRegistry_Change(bool dataComplete, QWidget* callingWindow)
{
    return fc_SystemRegistry(Run::Change, dataComplete, callingWindow);
}

bool clsSystemChange_Cover::fc_SystemRegistry(Run run, bool dataComplete, QWidget* callingWindow)
{
    if (engine_)
        return false; // one run per coordinator
    run_ = run;
    action_ = run == Run::Info ? kInfoWord : kChangeWord;
    // The engine's phases follow its option bits; without them the chosen
    // run would read or report nothing.
    if (run_ == Run::Info)
        status_ = (status_ | status::kWithInfo) & ~status::kCopy;
    else
        status_ |= status::kCopy;
    frmFileSystem& w = sb_CreateWindow();
    registry::SystemChangeObserver& observer = *this;
    engine_ = std::make_unique<registry::clsSystemChange>(observer, *registry_, services_.networkDrives);
    sb_FillWindow(run_ == Run::Info ? *run::actionTitles(engine::PassAction::Info) : run::registryChangeTitles(),
                  dataComplete);
    // No target to choose: the row shows the registry value of a task. And
    // computers have no size.
    w.cmdTarget()->hide();
    w.hideSize();
    sb_SetOptionBoxes();
    if (!fc_ShowWindow(tasks_.size(), callingWindow))
        return false;
    sb_StartOrWait();
    return true;
}

void clsSystemChange_Cover::sb_SetOptionBoxes()
{
    RunCoverBase::sb_SetOptionBoxes();
    frmFileSystem& w = *window_;
    // What only folders and files have.
    for (std::uint32_t bit :
         {status::kContinueAfterError, status::kOverwriteExisting, status::kOverwriteProtected, status::kOnlyNewer,
          status::kOnlyDifferent, status::kInfoOnlyCount, status::kFolderEntriesInfo, status::kBlockBytes})
        w.optionBox(bit)->setEnabled(false);
    // An information run always reads.
    if (run_ == Run::Info)
        w.optionBox(status::kWithInfo)->setEnabled(false);
}

void clsSystemChange_Cover::sb_ShowPending()
{
    if (tasks_.size() == 1)
        ActionStartAufgabe((status_ & status::kWithInfo) ? registry::clsSystemChange::kInfoPhase
                                                         : registry::clsSystemChange::kChangePhase,
                           1, 1, run::kTaskPending);
    else
        window_->setText(Control::lblSystemInfoSource, run::tasksPendingText(static_cast<std::int32_t>(tasks_.size())));
}

std::string clsSystemChange_Cover::computers() const
{
    std::string names;
    for (const project::Task& task : tasks_)
        names += (names.empty() ? "" : ", ") + task.sourceFolder;
    return names;
}

// ---- events of the engine -------------------------------------------------------

void clsSystemChange_Cover::ActionStart(const std::string& action)
{
    sb_ActionStart(action, systemPassStarted(systemStateOf(*engine_), computers()));
}

void clsSystemChange_Cover::ActionInfo(const std::string& text) { sb_ActionInfo(text); }

void clsSystemChange_Cover::ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t taskCount,
                                               std::uint8_t state)
{
    const auto index = static_cast<std::size_t>(task - 1);
    if (task < 1 || index >= tasks_.size())
        return;
    const auto record = registry::SystemTask::fromTask(tasks_[index]);
    show(systemTaskStarted(action, task, taskCount, state, record));
    sb_TaskLog(task, taskCount, state, systemTaskDescription(record));
    // A read can take long: the window gets its turn before each computer,
    // also when the computers report no events of their own (0x40000).
    if (state != run::kTaskPending)
        sb_DoEvents();
}

void clsSystemChange_Cover::ActionSystemStart(const std::string& computer)
{
    show(systemStarted(computer));
    sb_DoEvents();
}

void clsSystemChange_Cover::ActionSystemDone()
{
    show(systemFigures(systemStateOf(*engine_), lastMainPercent_));
    sb_DoEvents();
}

void clsSystemChange_Cover::ActionSystemNot(std::int32_t /*code*/)
{
    show(systemNotDone(systemStateOf(*engine_), lastMainPercent_));
    sb_DoEvents();
}

void clsSystemChange_Cover::ActionReady(bool success, const std::string& message, bool protocolPresent)
{
    sb_ActionReady(engine_->Action(), success, engine_->counters().CountSystem_Not > 0, message,
                   systemPassReady(systemStateOf(*engine_), success, cancelled_, message,
                                   window_->text(Control::lblSystemInfoObject)));
    // The change phase adds no lines to the computers' protocol: its start
    // hid the button, which offers that protocol again.
    if (protocolPresent) {
        window_->lblCmdProtocol()->setEnabled(true);
        window_->lblCmdProtocol()->show();
    }
}

void clsSystemChange_Cover::ActionProtocolExists() { window_->sb_Protocol_Exists(); }
void clsSystemChange_Cover::ActionProtocolAdd(const protocol::ProtocolEntry& entry) { sb_ProtocolAdd(entry, false); }
void clsSystemChange_Cover::ActionProtocolDel(const std::string& folderPath) { sb_ProtocolDelete(folderPath); }
void clsSystemChange_Cover::ActionProtocolShow(bool& continueRun) { sb_ProtocolShow(continueRun); }
void clsSystemChange_Cover::ActionEntryGetNext(protocol::WorkListStep& step)
{
    window_->sb_Protocol_EntryGetNext(step);
}

} // namespace zdr::run::ui
