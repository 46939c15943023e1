#pragma once

#include <QMainWindow>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::project {

// The project editor: project name, action, run options, the task list and
// the editing controls of the current task. Control names are part of the
// project file format.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the project file (when given) and shows the window, or starts the
    // run at once for the switch /a (the window then stays hidden).
    void fc_Init(const QString& projectFile, const QString& switch1, const QString& switch2);

    // Loading and saving as the commands do them.
    void sb_ProjectLoad(const QString& fileName);
    void sb_ProjectSave();

    // Shows a task in the editing controls, or none.
    void sb_TaskShow(QTreeWidgetItem* task);
    QTreeWidgetItem* currentTask() const { return currentTask_; }
    void setCurrentTask(QTreeWidgetItem* task);

    void sb_TaskNew();
    void sb_TaskDelete();

    // Opens the parameter dialog for the current task's rename code
    // (kRenameKey) or network-drive code (kNetSourceKey, kNetTargetKey) and
    // stores what the user stored or deleted.
    void sb_ParameterEdit(int codeSubItem);

    bool isChanged() const { return changed_; }
    void sb_ChangedSet();
    void sb_ChangedClear();
    bool closeAfterRun() const { return closeAfterRun_; }

    // The controls the project file stores, in their order.
    static QStringList storedControlOrder();
    static QString projectFileFilter();

signals:
    // The user or the command line asked to run the project.
    void runRequested(bool autoStart);

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
    void connectEditing();
    void connectParameters();
    bool parameterBoxEvent(QObject* watched, QEvent* event);
    void applyRenameProtocolRule();

    QLineEdit* addTextBox(const char* name, const char* tip);
    QCheckBox* addOption(const char* name, const char* caption, const char* tip);

    // Editing the current task.
    void storeField(int subItem, const QString& value);
    void storeFolderField(QLineEdit* box, int subItem);
    void storeAttributes();
    void markCaption(QLabel* caption, bool filled);
    void updateCaptionMarks();
    void setEditingEnabled(bool enabled);
    void updateRunCommand();

    bool askSaveBeforeClose();
    void commandClose();

    QTreeWidget* lvwMain_ = nullptr;
    QComboBox* cboAction_ = nullptr;
    QLineEdit* txtProjectName_ = nullptr;
    QMenu* mnuJobs_ = nullptr;
    util::ui::CommandLabel* lblCmdProjectAction_ = nullptr;

    QTreeWidgetItem* currentTask_ = nullptr;
    bool changed_ = false;
    bool closeAfterRun_ = false;
    bool closing_ = false;
    QString rememberedProjectName_;
};

} // namespace zdr::project
