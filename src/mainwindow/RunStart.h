#pragma once

#include "run/RunCover.h"

#include <QObject>

#include <memory>
#include <string>

class QWidget;

namespace zdr::mainwindow {

class ActionOptions;
class TaskEditor;

// Running the project: the option words from the options, the tasks to a run
// coordinator (folders or registry, one of each at a time), and the
// coordinator's events: minimising and restoring the window, the end of the
// run, entries excluded in the protocol. It keeps the exit code of the run
// the command line started.
class RunStart : public QObject {
    Q_OBJECT
public:
    RunStart(QWidget* window, TaskEditor& tasks, const ActionOptions& options);
    ~RunStart() override;

    // Runs every task with the project's action and options; autoStart
    // starts the run without waiting for the progress window's button.
    void sb_ProjectRun(bool autoStart);
    // A run that could not start: the exit code, and a window or the end.
    void sb_StartFailed();
    // The run the command line starts (/a), with /s the program ends after it.
    void setCommandLineRun(bool closeAfterRun);

    void setRunCoverFactory(run::RunCoverFactory factory) { runCoverFactory_ = std::move(factory); }
    void setRegistryCoverFactory(run::SystemChangeCoverFactory factory) { registryCoverFactory_ = std::move(factory); }
    bool isRunGoing() const { return cover_ != nullptr || registryCover_ != nullptr; }
    // A coordinator prepares or its engine runs: the window must not unload.
    bool isBusy() const;
    // Unloading: the coordinators go, with their windows and network drives.
    void release();

    bool closeAfterRun() const { return closeAfterRun_; }
    // 0 the command line's run succeeded (or there was none), 1 it failed,
    // was cancelled or could not start.
    int exitCode() const { return exitCode_; }

signals:
    // The box being edited is to be stored before the run reads the tasks.
    void storingEdits();

private:
    void lkl_clsFolderCopy_InfoCover_ActionStart();
    void lkl_clsFolderCopy_InfoCover_Done();
    void lkl_clsFolderCopy_InfoCover_ExceptData(protocol::EntryKind kind, std::string& name);
    void lkl_clsSystemChange_InfoCover_Done();
    // After a run: the window as before it, at the front; or the program
    // ends (a hidden window, or /s when `closeAfterRunTest`).
    void sb_RunOver(bool closeAfterRunTest);
    // The end (or the failed start) of the run the command line started.
    void sb_CommandLineRunOver(bool succeeded);

    QWidget* window_;
    TaskEditor& tasks_;
    const ActionOptions& options_;
    bool closeAfterRun_ = false;
    bool commandLineRun_ = false; // the run of /a has not ended yet
    int exitCode_ = 0;

    run::RunCoverFactory runCoverFactory_;
    run::SystemChangeCoverFactory registryCoverFactory_;
    // The coordinators, from the start to their InfoCover_Done: folders and registry.
    std::unique_ptr<run::RunCover> cover_;
    std::unique_ptr<run::SystemChangeCover> registryCover_;
    bool starting_ = false; // inside the coordinator's preparing calls
};

} // namespace zdr::mainwindow
