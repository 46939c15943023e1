#pragma once

#include "run/RunCover.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeView;
class QUrl;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::project {
struct Task;
}

namespace zdr::mainwindow {

class TaskListModel;

// The project editor: project name, action, run options, the task list and
// the editing controls of the current task. Control names are part of the
// project file format. It runs the project through a run coordinator, one
// at a time, and reacts to the coordinator's events.
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
    void setRunCoverFactory(run::RunCoverFactory factory) { runCoverFactory_ = std::move(factory); }
    void setRegistryCoverFactory(run::SystemChangeCoverFactory factory) { registryCoverFactory_ = std::move(factory); }
    bool isRunGoing() const { return cover_ != nullptr || registryCover_ != nullptr; }

    // The project's tasks, as the list shows them.
    TaskListModel& tasks() const { return *tasks_; }
    // Shows the task of a row in the editing controls, or none (-1).
    void sb_TaskShow(int row);
    // The row being edited, or -1.
    int currentTask() const { return currentTask_; }
    void setCurrentTask(int row);

    void sb_TaskNew();
    void sb_TaskDelete();
    // Exchanges the current task with its neighbour above (-1) or below (+1).
    void sb_TaskMove(int direction);

    // Opens the parameter dialog for the current task's rename code
    // (kRenameKey) or network-drive code (kNetSourceKey, kNetTargetKey) and
    // stores what the user stored or deleted.
    void sb_ParameterEdit(int codeSubItem);

    bool isChanged() const { return changed_; }
    void sb_ChangedSet();
    void sb_ChangedClear();
    bool closeAfterRun() const { return closeAfterRun_; }
    // The program's exit code: how the run started from the command line
    // (/a) ended. 0 it succeeded (or there was none), 1 it failed, was
    // cancelled or could not start.
    int exitCode() const { return exitCode_; }

    // The controls the project file stores, in their order.
    static QStringList storedControlOrder();

    // The window's controls by their names; the names are part of the
    // project file format and are set on the widgets only there.
    struct Controls {
        QWidget* fraProject = nullptr;
        QLabel* lblProjectName = nullptr;
        // Run options.
        QCheckBox* chkCopyWithInfo = nullptr;
        QCheckBox* chkCopyNoFileInfo = nullptr;
        QCheckBox* chkCopyInfoOnlyCount = nullptr;
        QCheckBox* chkCopyInfoAskBeforeAction = nullptr;
        QCheckBox* chkInfoAboutFolderEntries = nullptr;
        QCheckBox* chkCopyOnlyDiffrentFiles = nullptr;
        QCheckBox* chkCopyOnlyNewer = nullptr;
        QCheckBox* chkCopyAskByTargetNewer = nullptr;
        QCheckBox* chkCopyOverwriteExisting = nullptr;
        QCheckBox* chkCopyOverwriteProtected = nullptr;
        QCheckBox* chkCopyCreateProtocol = nullptr;
        QCheckBox* chkCopyProtocolShowAuto = nullptr;
        QCheckBox* chkCopyContinueAfterError = nullptr;
        QCheckBox* chkCopyBlockBytes = nullptr;
        QCheckBox* chkCopyFolderOnly = nullptr;
        QCheckBox* chkCopySaveFiles = nullptr;
        QCheckBox* chkCopySaveFilesInZip = nullptr;
        QCheckBox* chkActionAutoStart = nullptr;
        QCheckBox* chkFormMinAfterStart = nullptr;
        QLineEdit* txtFolderInfoLevel = nullptr;
        QLineEdit* txtFileBlockSize = nullptr;
        // The fields of the current task and their captions.
        QLineEdit* txtSystemDir = nullptr;
        QLineEdit* txtSystemDirAndFiles = nullptr;
        QLineEdit* txtSystemTargetDir = nullptr;
        QLineEdit* txtSystemDirAndFilesExclude = nullptr;
        QLineEdit* txtSystemDirAndFilesFilter = nullptr;
        QLineEdit* txtSystemFilesExtensions = nullptr;
        QLineEdit* txtSystemFilesSizeMax = nullptr;
        QLineEdit* txtSystemFilesDateTimeFrom = nullptr;
        QLineEdit* txtSystemFilesDateTimeTo = nullptr;
        QLineEdit* txtRenameAfterActionText = nullptr;
        QLineEdit* txtBackupDir = nullptr;
        QLabel* lblSystemDir = nullptr;
        QLabel* lblSystemDirAndFiles = nullptr;
        QLabel* lblSystemTargetDir = nullptr;
        QLabel* lblSystemDirAndFilesExclude = nullptr;
        QLabel* lblSystemDirAndFilesFilter = nullptr;
        QLabel* lblSystemFilesExtensions = nullptr;
        QLabel* lblSystemFilesSizeMax = nullptr;
        QLabel* lblSystemFilesDateTime = nullptr;
        QLabel* lblAttribute = nullptr;
        QLabel* Label1 = nullptr; // the legend of the attribute boxes
        QLabel* lblRenameAfterAction = nullptr;
        QLabel* lblBackupDir = nullptr;
        // In the order of attributeBoxes().
        std::array<QCheckBox*, 4> chkAttribute{};
        util::ui::CommandLabel* lblCmdSystemDirConnect = nullptr;
        util::ui::CommandLabel* lblCmdSystemTargetDirConnect = nullptr;
        util::ui::CommandLabel* lblCmdProjectLoad = nullptr;
        util::ui::CommandLabel* lblCmdProjectSave = nullptr;
        util::ui::CommandLabel* lblCmdClose = nullptr;
        // The "Extras" menu's registry actions.
        std::array<QAction*, 2> mnuRegistryWork{};
    };
    static QString projectFileFilter();

signals:
    // The window is unloaded, which ends the program with exitCode().
    void unloaded(int exitCode);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildProjectFrame();
    QWidget* buildOptionsFrame();
    QWidget* buildTaskFrame();
    QWidget* buildEditFrame();
    QWidget* buildCommandStrip();
    void buildMenus();
    void nameControlsForReaders();
    void connectCommands();
    void connectEditing();
    void connectOptions();
    void connectParameters();
    bool parameterBoxEvent(QObject* watched, QEvent* event);
    bool taskListKey(QKeyEvent* event);

    QLineEdit* addTextBox(const char* name, const char* tip);
    QCheckBox* addOption(const char* name, const char* caption, const char* tip);
    // A run option by its name in the run words (nullptr for none).
    QCheckBox* option(std::string_view name) const;

    // Editing the current task.
    // The task being edited, or nullptr.
    const project::Task* currentRecord() const;
    void storeField(int subItem, const QString& value);
    void selectRow(int row);
    void storeFolderField(QLineEdit* box, int subItem);
    void storeDateField(QLineEdit* box, int subItem);
    void storeOnLeaving(QObject* box);
    void storeFocusedField();
    void storeAttributes();
    void markCaption(QLabel* caption, bool filled);
    void updateCaptionMarks();
    void setEditingEnabled(bool enabled);
    void updateRunCommand();

    // Options that follow the action and each other.
    void cboAction_Click(int index);
    // Chooses an action, offering the registry actions in the list first
    // when it is one of them (the "Extras" menu).
    void sb_ActionChoose(int index);
    // Adds the registry actions to the list, or removes them while no
    // registry action is chosen.
    void sb_RegistryActionsOffer(bool offer);
    void sb_FieldCaptions(bool registry);
    void sb_OptionsEnable();
    void chkCopyOnlyDiffrentFiles_Click(bool on);
    void chkCopyInfoAskBeforeAction_Click(bool on);
    void applyRenameProtocolRule();

    // Drag and drop from the file manager.
    enum class DropPlace { None, Project, Source, Exclusions, Target };
    DropPlace dropPlaceOf(const QObject* watched) const;
    bool dropFilter(QObject* watched, QEvent* event);
    void dropProject(const QList<QUrl>& urls);
    void dropSource(const QList<QUrl>& urls);
    void dropExclusions(const QList<QUrl>& urls);
    void dropTarget(const QList<QUrl>& urls);
    bool fc_DroppedPath(const QUrl& url, std::string& path);

    // The run's events.
    void lkl_clsFolderCopy_InfoCover_ActionStart();
    void lkl_clsFolderCopy_InfoCover_Done();
    void lkl_clsFolderCopy_InfoCover_ExceptData(protocol::EntryKind kind, std::string& name);
    void lkl_clsSystemChange_InfoCover_Done();
    // After a run: the window as before it, at the front; or the program
    // ends (a hidden window, or /s when `closeAfterRunTest`).
    void sb_RunOver(bool closeAfterRunTest);
    // The end (or the failed start) of the run the command line started.
    void sb_CommandLineRunOver(bool succeeded);
    // A run that could not start: the exit code, and a window or the end.
    void sb_StartFailed();

    bool askSaveBeforeClose();
    void commandClose();

    Controls ui_;
    TaskListModel* tasks_ = nullptr;
    QTreeView* lvwMain_ = nullptr;
    QComboBox* cboAction_ = nullptr;
    QLineEdit* txtProjectName_ = nullptr;
    QMenu* mnuJobs_ = nullptr;
    util::ui::CommandLabel* lblCmdProjectAction_ = nullptr;

    int currentTask_ = -1;
    bool changed_ = false;
    bool closeAfterRun_ = false;
    bool commandLineRun_ = false; // the run of /a has not ended yet
    bool actionRefused_ = false;  // the loaded project's action cannot run (and was replaced)
    int exitCode_ = 0;
    QString lastProject_; // loaded or saved last: where the file dialogs start
    bool closing_ = false;
    QString rememberedProjectName_;
    int shownActionIndex_ = -1;

    run::RunCoverFactory runCoverFactory_;
    run::SystemChangeCoverFactory registryCoverFactory_;
    // The coordinators, from the start to their InfoCover_Done: folders and registry.
    std::unique_ptr<run::RunCover> cover_;
    std::unique_ptr<run::SystemChangeCover> registryCover_;
    bool starting_ = false; // inside the coordinator's preparing calls
};

} // namespace zdr::mainwindow
