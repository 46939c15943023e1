#pragma once

#include "run/RunCover.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class QAction;
class QWidget;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::mainwindow {

class ActionOptions;
class DropTargets;
class ProjectCommands;
class RunStart;
class TaskEditor;
class TaskListModel;

// The project editor: project name, action, run options, the task list and
// the editing controls of the current task. Control names are part of the
// project file format. The window lays out the controls of its parts (the
// project file, the action and its options, the task list and its fields,
// drag and drop, the run start), holds the command labels, the menus and
// the keys, and wires the parts together.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the project file (when given) and shows the window, or starts the
    // run at once for the switch /a (the window then stays hidden).
    void fc_Init(const QString& projectFile, const QString& switch1, const QString& switch2);

    // Loading and saving as the commands do them.
    // false when nothing was loaded (not found, damaged, dialog cancelled).
    bool sb_ProjectLoad(const QString& fileName);
    // true when the project is on the disk.
    bool sb_ProjectSave();

    // Runs every task with the project's action and options; autoStart
    // starts the run without waiting for the progress window's button.
    void sb_ProjectRun(bool autoStart);
    // The coordinators the window creates (tests give their own).
    void setRunCoverFactory(run::RunCoverFactory factory);
    void setRegistryCoverFactory(run::SystemChangeCoverFactory factory);
    bool isRunGoing() const;

    // The project's tasks, as the list shows them.
    TaskListModel& tasks() const;
    // Shows the task of a row in the editing controls, or none (-1).
    void sb_TaskShow(int row);
    // The row being edited, or -1.
    int currentTask() const;
    void setCurrentTask(int row);

    void sb_TaskNew();
    void sb_TaskDelete();
    // Exchanges the current task with its neighbour above (-1) or below (+1).
    void sb_TaskMove(int direction);

    // Opens the parameter dialog for the current task's rename code
    // (kRenameKey) or network-drive code (kNetSourceKey, kNetTargetKey) and
    // stores what the user stored or deleted.
    void sb_ParameterEdit(int codeSubItem);

    bool isChanged() const;
    void sb_ChangedSet();
    void sb_ChangedClear();
    bool closeAfterRun() const;
    // The program's exit code: how the run started from the command line
    // (/a) ended. 0 it succeeded (or there was none), 1 it failed, was
    // cancelled or could not start.
    int exitCode() const;

    // The controls the project file stores, in their order.
    static QStringList storedControlOrder();
    static QString projectFileFilter();

signals:
    // The window is unloaded, which ends the program with exitCode().
    void unloaded(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildProjectFrame();
    QWidget* buildOptionsFrame();
    QWidget* buildTaskFrame();
    QWidget* buildEditFrame();
    QWidget* buildCommandStrip();
    void buildMenus();
    void connectParts();
    void storeFocusedField();
    void commandClose();

    // The parts, in the order their controls are made (the Tab order).
    ProjectCommands* project_ = nullptr;
    ActionOptions* options_ = nullptr;
    TaskEditor* editor_ = nullptr;
    RunStart* run_ = nullptr;
    DropTargets* drops_ = nullptr;

    QWidget* fraProject_ = nullptr;
    util::ui::CommandLabel* lblCmdProjectAction_ = nullptr;
    util::ui::CommandLabel* lblCmdProjectLoad_ = nullptr;
    util::ui::CommandLabel* lblCmdProjectSave_ = nullptr;
    util::ui::CommandLabel* lblCmdClose_ = nullptr;
    // The "Extras" menu's registry actions.
    std::array<QAction*, 2> mnuRegistryWork_{};
    bool closing_ = false;
};

} // namespace zdr::mainwindow
