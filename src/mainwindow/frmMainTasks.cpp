// The task list and the editing controls of the current task.
#include "mainwindow/frmMain.h"

#include "base/DateText.h"
#include "base/Text.h"
#include "mainwindow/TaskListModel.h"
#include "mainwindow/clsProject.h"
#include "platform/Paths.h"
#include "project/Task.h"
#include "util/CommandLabel.h"
#include "util/MsgBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

#include <algorithm>

namespace zdr::mainwindow {

namespace {

// A text box of the current task: its caption and sub-item, and whether it
// stores on every key stroke or only when it loses the focus.
struct FieldBox {
    QLineEdit* frmMain::Controls::*box;
    QLabel* frmMain::Controls::*caption;
    int subItem;
    bool eachKey;
};

using C = frmMain::Controls;

constexpr FieldBox kFieldBoxes[] = {
    {&C::txtSystemDir, &C::lblSystemDir, project::kSourceFolder, true},
    {&C::txtSystemDirAndFiles, &C::lblSystemDirAndFiles, project::kSelection, true},
    {&C::txtSystemTargetDir, &C::lblSystemTargetDir, project::kTargetFolder, true},
    {&C::txtSystemDirAndFilesExclude, &C::lblSystemDirAndFilesExclude, project::kExclusions, true},
    {&C::txtSystemDirAndFilesFilter, &C::lblSystemDirAndFilesFilter, project::kNameFilters, true},
    {&C::txtSystemFilesExtensions, &C::lblSystemFilesExtensions, project::kExtensions, true},
    {&C::txtSystemFilesSizeMax, &C::lblSystemFilesSizeMax, project::kFilesSizeMax, false},
    {&C::txtSystemFilesDateTimeFrom, &C::lblSystemFilesDateTime, project::kDateFrom, false},
    {&C::txtSystemFilesDateTimeTo, &C::lblSystemFilesDateTime, project::kDateTo, false},
    {&C::txtBackupDir, &C::lblBackupDir, project::kBackupDir, true},
};

const FieldBox* fieldOf(const frmMain::Controls& ui, const QObject* box)
{
    for (const FieldBox& field : kFieldBoxes)
        if (box == ui.*field.box)
            return &field;
    return nullptr;
}

QString fieldOf(const project::Task& task, int subItem)
{
    return QString::fromStdString(project::fieldText(task, subItem));
}

Qt::CheckState qtState(project::CheckState state)
{
    return state == project::CheckState::Checked ? Qt::Checked
        : state == project::CheckState::Cleared  ? Qt::Unchecked
                                                 : Qt::PartiallyChecked;
}

project::CheckState fromQt(Qt::CheckState state)
{
    return state == Qt::Checked  ? project::CheckState::Checked
        : state == Qt::Unchecked ? project::CheckState::Cleared
                                 : project::CheckState::Grey;
}

} // namespace

void frmMain::connectEditing()
{
    for (const FieldBox& field : kFieldBoxes) {
        QLineEdit* box = ui_.*field.box;
        if (field.eachKey)
            connect(box, &QLineEdit::textChanged, this,
                    [this, subItem = field.subItem](const QString& text) { storeField(subItem, text); });
    }
    for (QCheckBox* box : ui_.chkAttribute)
        connect(box, &QCheckBox::stateChanged, this, [this] { storeAttributes(); });
    connect(ui_.txtSystemDir, &QLineEdit::textChanged, this, [this] { updateRunCommand(); });
    // The project's own number fields are stored with it: an edit is a change.
    for (QLineEdit* box : {ui_.txtFolderInfoLevel, ui_.txtFileBlockSize})
        connect(box, &QLineEdit::textChanged, this, [this] { sb_ChangedSet(); });
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (std::find(ui_.chkAttribute.begin(), ui_.chkAttribute.end(), box) == ui_.chkAttribute.end())
            connect(box, &QCheckBox::stateChanged, this, [this] { sb_ChangedSet(); });

    const QList<QAction*> jobs = mnuJobs_->actions();
    connect(jobs[0], &QAction::triggered, this, [this] {
        if (currentTask_ >= 0)
            lvwMain_->edit(tasks_->index(currentTask_, 0));
    });
    connect(jobs[1], &QAction::triggered, this, &frmMain::sb_TaskDelete);
    connect(jobs[3], &QAction::triggered, this, &frmMain::sb_TaskNew);
    // Every edit of the tasks (a field, a label renamed in the list, a task
    // added, removed or moved) is a change of the project.
    connect(tasks_, &TaskListModel::edited, this, &frmMain::sb_ChangedSet);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (parameterBoxEvent(watched, event) || dropFilter(watched, event))
        return true;
    if (event->type() == QEvent::FocusOut) {
        // Another window taking the focus (a message box, another program)
        // does not leave the box; the box is stored when the user leaves it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            storeOnLeaving(watched);
    } else if (lvwMain_ && watched == lvwMain_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex at = lvwMain_->indexAt(mouse->position().toPoint());
        const int row = at.isValid() ? at.row() : -1;
        if (row < 0)
            lvwMain_->clearSelection();
        setCurrentTask(row);
        if (mouse->button() == Qt::RightButton) {
            const QList<QAction*> jobs = mnuJobs_->actions();
            jobs[0]->setEnabled(row >= 0);
            jobs[1]->setEnabled(row >= 0);
            jobs[3]->setEnabled(row < 0);
            mnuJobs_->popup(mouse->globalPosition().toPoint());
        }
    } else if (watched == lvwMain_ && event->type() == QEvent::KeyPress) {
        if (taskListKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// Up and Down select the row above or below, Page Up the first and Page Down
// the last; Ctrl+Up and Ctrl+Down move the current task.
bool frmMain::taskListKey(QKeyEvent* event)
{
    const int count = tasks_->rowCount();
    const int key = event->key();
    // Einfg and Entf add and remove tasks as the list's menu does; F2
    // renames, the menu key (or Shift+F10) opens that menu at the row.
    const QList<QAction*> jobs = mnuJobs_->actions();
    if (key == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        sb_TaskNew();
        return true;
    }
    if (currentTask_ >= 0 && event->modifiers() == Qt::NoModifier && (key == Qt::Key_Delete || key == Qt::Key_F2)) {
        jobs[key == Qt::Key_Delete ? 1 : 0]->trigger();
        return true;
    }
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        const bool onRow = currentTask_ >= 0;
        jobs[0]->setEnabled(onRow);
        jobs[1]->setEnabled(onRow);
        jobs[3]->setEnabled(!onRow);
        const QRect at = onRow ? lvwMain_->visualRect(tasks_->index(currentTask_, 0)) : QRect();
        mnuJobs_->popup(lvwMain_->viewport()->mapToGlobal(at.bottomLeft()));
        return true;
    }
    if (count == 0 || (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown))
        return false;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        sb_TaskMove(key == Qt::Key_Up ? -1 : 1);
        return true;
    }
    const int row = currentTask_ >= 0 ? currentTask_ : lvwMain_->currentIndex().row();
    int next = 0;
    if (key == Qt::Key_PageDown)
        next = count - 1;
    else if (key == Qt::Key_Up)
        next = row < 0 ? 0 : std::max(row - 1, 0);
    else if (key == Qt::Key_Down)
        next = row < 0 ? 0 : std::min(row + 1, count - 1);
    selectRow(next);
    setCurrentTask(next);
    return true;
}

void frmMain::sb_TaskMove(int direction)
{
    const int moved = currentTask_;
    // The first row up and the last row down stay; the task goes with all
    // its fields and its key.
    currentTask_ = -1;
    if (moved < 0 || !tasks_->move(moved, direction)) {
        currentTask_ = moved;
        return;
    }
    selectRow(moved + direction);
    setCurrentTask(moved + direction);
}

void frmMain::storeOnLeaving(QObject* watched)
{
    if (const FieldBox* field = fieldOf(ui_, watched)) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (field->subItem == project::kSourceFolder || field->subItem == project::kTargetFolder)
            storeFolderField(box, field->subItem);
        else if (field->subItem == project::kDateFrom || field->subItem == project::kDateTo)
            storeDateField(box, field->subItem);
        else
            storeField(field->subItem, box->text());
    } else if (watched == txtProjectName_ && txtProjectName_->text() != rememberedProjectName_) {
        rememberedProjectName_ = txtProjectName_->text();
        sb_ChangedSet();
    }
}

// Commands are labels, which take no focus: the box being edited is stored
// before a command reads the task.
void frmMain::storeFocusedField()
{
    if (QWidget* focused = QApplication::focusWidget(); focused && isAncestorOf(focused))
        storeOnLeaving(focused);
}

void frmMain::setCurrentTask(int row)
{
    currentTask_ = row >= 0 && row < tasks_->rowCount() ? row : -1;
    if (currentTask_ >= 0) {
        lvwMain_->setCurrentIndex(tasks_->index(currentTask_, 0));
        sb_TaskShow(currentTask_);
    }
}

void frmMain::selectRow(int row)
{
    lvwMain_->clearSelection();
    lvwMain_->selectionModel()->setCurrentIndex(tasks_->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

const project::Task* frmMain::currentRecord() const
{
    return currentTask_ >= 0 ? &tasks_->tasks()[static_cast<std::size_t>(currentTask_)] : nullptr;
}

void frmMain::sb_TaskShow(int row)
{
    const project::Task* task =
        row >= 0 && row < tasks_->rowCount() ? &tasks_->tasks()[static_cast<std::size_t>(row)] : nullptr;
    // Showing a task must not write into it, so no task is current meanwhile.
    const int current = currentTask_;
    currentTask_ = -1;
    for (QCheckBox* box : ui_.chkAttribute)
        box->setCheckState(Qt::PartiallyChecked);
    for (const FieldBox& field : kFieldBoxes)
        (ui_.*field.box)->setText(task ? fieldOf(*task, field.subItem) : QString());
    const QString renameText = task ? QString::fromStdString(task->renameText) : QString();
    ui_.txtRenameAfterActionText->setText(renameText.isEmpty() ? QString::fromUtf8(project::kRenameNone) : renameText);
    if (task) {
        for (std::size_t i = 0; i < ui_.chkAttribute.size(); ++i)
            ui_.chkAttribute[i]->setCheckState(qtState(project::boxStateFromMasks(
                project::attributeBoxes()[i].bit, task->attributesToSet(), task->attributesToClear())));
    }
    currentTask_ = current;
    markCaption(ui_.lblCmdSystemDirConnect, task && !task->netSourceCode.empty());
    markCaption(ui_.lblCmdSystemTargetDirConnect, task && !task->netTargetCode.empty());
    setEditingEnabled(task != nullptr);
    updateCaptionMarks();
}

void frmMain::storeField(int n, const QString& value)
{
    // The model's edited signal marks the project changed.
    if (currentTask_ >= 0 && tasks_->setField(currentTask_, n, value.toStdString()))
        updateCaptionMarks();
}

void frmMain::storeFolderField(QLineEdit* box, int n)
{
    const std::string folder = box->text().toStdString();
    const QString stored = QString::fromStdString(platform::withoutTrailingSeparator(folder));
    if (stored != box->text() && currentTask_ >= 0)
        box->setText(stored);
    storeField(n, stored);
}

void frmMain::storeDateField(QLineEdit* box, int n)
{
    if (currentTask_ < 0 || box->text() == fieldOf(*currentRecord(), n))
        return;
    // An empty box removes the bound; anything else must be a date.
    if (!box->text().isEmpty() && !base::parseDateTime(box->text().toStdString())) {
        util::ui::msgBox(this, "Bitte geben Sie ein korrektes Datum/Zeit Format an!", base::Buttons::Ok,
                         base::Icon::Exclamation, "Fehlerhafte Eingabe");
        return;
    }
    storeField(n, box->text());
}

void frmMain::storeAttributes()
{
    if (currentTask_ < 0)
        return;
    std::array<project::CheckState, 4> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = fromQt(ui_.chkAttribute[i]->checkState());
    const auto [set, del] = masksFromBoxes(boxes);
    storeField(project::kAttributeSet, QString::number(set));
    storeField(project::kAttributeDel, QString::number(del));
}

void frmMain::markCaption(QLabel* label, bool filled)
{
    if (!label)
        return;
    QFont font = label->font();
    font.setBold(filled);
    label->setFont(font);
}

void frmMain::updateCaptionMarks()
{
    for (const FieldBox& field : kFieldBoxes) {
        if (field.subItem == project::kDateTo)
            continue;
        bool filled = !(ui_.*field.box)->text().isEmpty();
        if (field.subItem == project::kDateFrom)
            filled = filled || !ui_.txtSystemFilesDateTimeTo->text().isEmpty();
        markCaption(ui_.*field.caption, filled);
    }
    const bool renamed = currentTask_ >= 0 && !currentRecord()->renameCode.empty();
    markCaption(ui_.lblRenameAfterAction, renamed);
}

void frmMain::setEditingEnabled(bool enabled)
{
    for (const FieldBox& field : kFieldBoxes) {
        (ui_.*field.box)->setEnabled(enabled);
        (ui_.*field.caption)->setEnabled(enabled);
    }
    for (QCheckBox* box : ui_.chkAttribute)
        box->setEnabled(enabled);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_.txtRenameAfterActionText, ui_.lblRenameAfterAction, ui_.lblAttribute,
                                         ui_.Label1, ui_.lblCmdSystemDirConnect, ui_.lblCmdSystemTargetDirConnect})
        control->setEnabled(enabled);
    sb_OptionsEnable();
}

void frmMain::updateRunCommand()
{
    if (currentTask_ >= 0)
        lblCmdProjectAction_->setEnabled(!ui_.txtSystemDir->text().isEmpty());
}

void frmMain::sb_TaskNew()
{
    const int row = tasks_->append(project::newTask(nextTaskNumber(tasks_->tasks())));
    selectRow(row);
    setCurrentTask(row);
    lblCmdProjectAction_->setEnabled(true);
}

void frmMain::sb_TaskDelete()
{
    if (currentTask_ < 0)
        return;
    const int row = currentTask_;
    currentTask_ = -1;
    tasks_->remove(row);
    lvwMain_->clearSelection();
    sb_TaskShow(-1);
    lblCmdProjectAction_->setEnabled(tasks_->rowCount() > 0);
}

} // namespace zdr::mainwindow
