#pragma once

#include <QObject>

#include <array>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTreeView;
class QWidget;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::project {
struct Task;
}

namespace zdr::mainwindow {

class TaskListModel;

// The task list and the editing controls of the current task: the list and
// its menu, the field boxes with their captions, the attribute boxes, the
// rename box and the two "verbinden" labels with the parameter dialog. Every
// edit goes into the task model, whose `edited` signal marks the project
// changed. The window lays the widgets out; they are created here in the
// window's Tab order.
class TaskEditor : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QTreeView* lvwMain = nullptr;
        QMenu* mnuJobs = nullptr;
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
    };

    // The widgets are children of the window.
    explicit TaskEditor(QWidget* window);

    const Widgets& widgets() const { return ui_; }
    TaskListModel& tasks() const { return *tasks_; }

    // Shows the task of a row in the editing controls, or none (-1).
    void sb_TaskShow(int row);
    // The row being edited, or -1.
    int currentTask() const { return currentTask_; }
    // The task being edited, or nullptr.
    const project::Task* currentRecord() const;
    void setCurrentTask(int row);
    // After a project was read: the row the file selected becomes current;
    // the list takes the focus when the window shows.
    void showStoredSelection();
    void focusList();

    void sb_TaskNew();
    void sb_TaskDelete();
    // Exchanges the current task with its neighbour above (-1) or below (+1).
    void sb_TaskMove(int direction);

    // Opens the parameter dialog for the current task's rename code
    // (kRenameKey) or network-drive code (kNetSourceKey, kNetTargetKey) and
    // stores what the user stored or deleted.
    void sb_ParameterEdit(int codeSubItem);

    // The text of a field's box, and filling it as a user types (drops, the
    // protocol's exclusions); storeAsLeft stores it as on leaving the box.
    QString fieldText(int subItem) const;
    void setFieldText(int subItem, const QString& text);
    void storeAsLeft(int subItem);
    // Commands take no focus: the box being edited is stored before one
    // reads the task.
    void storeFocusedField();

    // The field captions of folder or registry actions.
    void sb_FieldCaptions(bool registry);
    // What the options offer: the rename box for copies, the backup folder
    // while replaced files are saved.
    void setOptionOffers(bool rename, bool backup);

signals:
    // The current task was shown or none: the options that depend on it
    // follow.
    void taskShown();
    // The rename dialog stored a code for the current task.
    void renameEdited();
    // Whether the run command can start.
    void runnableChanged(bool runnable);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFields(QWidget* window);
    void connectEditing();
    void connectParameters();
    bool taskListKey(QKeyEvent* event);
    bool parameterBoxEvent(QObject* watched, QEvent* event);
    void showJobsMenu(bool onRow, const QPoint& at);

    QLineEdit* box(int subItem) const;
    void storeField(int subItem, const QString& value);
    void selectRow(int row);
    void storeFolderField(QLineEdit* box, int subItem);
    void storeDateField(QLineEdit* box, int subItem);
    void storeOnLeaving(QObject* box);
    void storeAttributes();
    void updateCaptionMarks();
    void setEditingEnabled(bool enabled);

    QWidget* window_;
    Widgets ui_;
    TaskListModel* tasks_ = nullptr;
    int currentTask_ = -1;
};

// Marks a caption as filled (bold).
void markCaption(QLabel* caption, bool filled);

} // namespace zdr::mainwindow
