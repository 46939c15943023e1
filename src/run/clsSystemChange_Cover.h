#pragma once

#include "registry/SystemChangeObserver.h"
#include "registry/SystemTask.h"
#include "run/EngineCover.h"
#include "run/RunCover.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zdr::registry {
class clsSystemChange;
class RegistryProvider;
} // namespace zdr::registry

namespace zdr::run::ui {
extern template class EngineCover<registry::clsSystemChange>;
}

namespace zdr::run::ui {

using SystemCoverBase = run::ui::EngineCover<registry::clsSystemChange>;

// The coordinator of a registry run: sits between the registry engine and
// the progress window as the folder-run coordinator does between the copy
// engine and the window (same window, same protocol window, same start,
// cancel and end; RunCoverBase). What differs: a task names a computer
// and a registry value, a "[Net][domain]" computer becomes one task per
// computer of the domain, the action is "INFO" (read the value on every
// computer) or "CHANGE" (read, then the change phase, which asks and
// reports), and the window shows computers instead of folders.
class clsSystemChange_Cover : public SystemCoverBase, private registry::SystemChangeObserver {
    Q_OBJECT
public:
    struct Services : RunCoverBase::Services {
        // Reads the computers' registries.
        std::shared_ptr<registry::RegistryProvider> registry;
    };
    // Samba's client tool for the registry, the machine's network.
    static Services defaultServices();
    // The program's registry coordinator for callers that create one per run.
    static run::SystemChangeCoverFactory factory();

    explicit clsSystemChange_Cover(run::InfoCoverEvents events = {}, Services services = defaultServices());
    ~clsSystemChange_Cover() override;

    // One task; a "[Net][domain]" computer becomes one task per computer found.
    bool fc_InitAdd(const project::Task& task) override;
    // "INFO": fc_SystemRegistry_Info, "CHANGE": fc_SystemRegistry_Change;
    // any other action: false.
    bool fc_InitActionStart(bool dataComplete, QWidget* callingWindow) override;
    // The entry points: prepare the engine and the window and show it; false
    // (after a message) when the run cannot be prepared. The information run
    // always reads; the change run always has its change phase.
    bool fc_SystemRegistry_Info(bool dataComplete, QWidget* callingWindow);
    bool fc_SystemRegistry_Change(bool dataComplete, QWidget* callingWindow);

private:
    // The two runs a registry project has.
    enum class Run : std::uint8_t { Info, Change };
    bool fc_SystemRegistry(Run run, bool dataComplete, QWidget* callingWindow);
    void sb_SetOptionBoxes();
    // The computers of the run, for the change phase's heading.
    std::string computers() const;

    std::uint32_t engineStatus() const override;
    void setEngineStatus(std::uint32_t status) override;
    void engineCancel() override;
    bool fc_EngineLoad(std::string& errorText) override;
    bool fc_EngineRun() override;
    void sb_ShowPending() override;

    // Events of the engine (lkl_clsSystemChange_*).
    void ActionStart(const std::string& action) override;
    void ActionInfo(const std::string& text) override;
    void ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t taskCount,
                            std::uint8_t state) override;
    void ActionSystemStart(const std::string& computer) override;
    void ActionSystemDone() override;
    void ActionSystemNot(std::int32_t code) override;
    void ActionReady(bool success, const std::string& message, bool protocolPresent) override;
    void ActionProtocolExists() override;
    void ActionProtocolAdd(const protocol::ProtocolEntry& entry) override;
    void ActionProtocolDel(const std::string& folderPath) override;
    void ActionProtocolShow(bool& continueRun) override;
    void ActionEntryGetNext(protocol::WorkListStep& step) override;

    std::shared_ptr<registry::RegistryProvider> registry_;
    Run run_ = Run::Info;
    bool cancelled_ = false; // the user cancelled the run now going
};

} // namespace zdr::run::ui
