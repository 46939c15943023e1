// The task list and the editing controls of the current task.
#include "mainwindow/frmMain.h"

#include "base/DateText.h"
#include "base/Text.h"
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
#include <QTreeWidget>

#include <algorithm>

namespace zdr::project {

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
    {&C::txtSystemDir, &C::lblSystemDir, kSourceFolder, true},
    {&C::txtSystemDirAndFiles, &C::lblSystemDirAndFiles, kSelection, true},
    {&C::txtSystemTargetDir, &C::lblSystemTargetDir, kTargetFolder, true},
    {&C::txtSystemDirAndFilesExclude, &C::lblSystemDirAndFilesExclude, kExclusions, true},
    {&C::txtSystemDirAndFilesFilter, &C::lblSystemDirAndFilesFilter, kNameFilters, true},
    {&C::txtSystemFilesExtensions, &C::lblSystemFilesExtensions, kExtensions, true},
    {&C::txtSystemFilesSizeMax, &C::lblSystemFilesSizeMax, kFilesSizeMax, false},
    {&C::txtSystemFilesDateTimeFrom, &C::lblSystemFilesDateTime, kDateFrom, false},
    {&C::txtSystemFilesDateTimeTo, &C::lblSystemFilesDateTime, kDateTo, false},
    {&C::txtBackupDir, &C::lblBackupDir, kBackupDir, true},
};

const FieldBox* fieldOf(const frmMain::Controls& ui, const QObject* box)
{
    for (const FieldBox& field : kFieldBoxes)
        if (box == ui.*field.box)
            return &field;
    return nullptr;
}

QString subItem(const QTreeWidgetItem* task, int n) { return task->text(n); }

Qt::CheckState qtState(CheckState state)
{
    return state == CheckState::Checked ? Qt::Checked
        : state == CheckState::Cleared  ? Qt::Unchecked
                                        : Qt::PartiallyChecked;
}

CheckState fromQt(Qt::CheckState state)
{
    return state == Qt::Checked ? CheckState::Checked : state == Qt::Unchecked ? CheckState::Cleared : CheckState::Grey;
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
        if (currentTask_)
            lvwMain_->editItem(currentTask_, 0);
    });
    connect(jobs[1], &QAction::triggered, this, &frmMain::sb_TaskDelete);
    connect(jobs[3], &QAction::triggered, this, &frmMain::sb_TaskNew);
    connect(lvwMain_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0)
            sb_ChangedSet();
    });
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
        QTreeWidgetItem* row = lvwMain_->itemAt(mouse->position().toPoint());
        if (!row)
            lvwMain_->clearSelection();
        setCurrentTask(row);
        if (mouse->button() == Qt::RightButton) {
            const QList<QAction*> jobs = mnuJobs_->actions();
            jobs[0]->setEnabled(row != nullptr);
            jobs[1]->setEnabled(row != nullptr);
            jobs[3]->setEnabled(row == nullptr);
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
    const int count = lvwMain_->topLevelItemCount();
    const int key = event->key();
    if (count == 0 || (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown))
        return false;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        sb_TaskMove(key == Qt::Key_Up ? -1 : 1);
        return true;
    }
    const int row = lvwMain_->indexOfTopLevelItem(currentTask_ ? currentTask_ : lvwMain_->currentItem());
    int next = 0;
    if (key == Qt::Key_PageDown)
        next = count - 1;
    else if (key == Qt::Key_Up)
        next = row < 0 ? 0 : std::max(row - 1, 0);
    else if (key == Qt::Key_Down)
        next = row < 0 ? 0 : std::min(row + 1, count - 1);
    QTreeWidgetItem* task = lvwMain_->topLevelItem(next);
    lvwMain_->clearSelection();
    task->setSelected(true);
    setCurrentTask(task);
    return true;
}

void frmMain::sb_TaskMove(int direction)
{
    if (!currentTask_)
        return;
    QTreeWidgetItem* moved = currentTask_;
    QTreeWidgetItem* neighbour = lvwMain_->topLevelItem(lvwMain_->indexOfTopLevelItem(moved) + direction);
    if (!neighbour)
        return; // the first row up, the last row down
    currentTask_ = nullptr;
    // The keys pass through a temporary form, so no two rows share a key at any moment.
    const QVariant movedKey = moved->data(0, kRowKeyRole);
    const QVariant neighbourKey = neighbour->data(0, kRowKeyRole);
    moved->setData(0, kRowKeyRole, QStringLiteral("_") + movedKey.toString());
    neighbour->setData(0, kRowKeyRole, movedKey);
    moved->setData(0, kRowKeyRole, neighbourKey);
    for (int column = 0; column < kColumnCount; ++column) {
        const QString text = moved->text(column);
        moved->setText(column, neighbour->text(column));
        neighbour->setText(column, text);
    }
    lvwMain_->clearSelection();
    neighbour->setSelected(true);
    setCurrentTask(neighbour);
    sb_ChangedSet();
}

void frmMain::storeOnLeaving(QObject* watched)
{
    if (const FieldBox* field = fieldOf(ui_, watched)) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (field->subItem == kSourceFolder || field->subItem == kTargetFolder)
            storeFolderField(box, field->subItem);
        else if (field->subItem == kDateFrom || field->subItem == kDateTo)
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

void frmMain::setCurrentTask(QTreeWidgetItem* task)
{
    currentTask_ = task;
    if (task) {
        lvwMain_->setCurrentItem(task);
        sb_TaskShow(task);
    }
}

void frmMain::sb_TaskShow(QTreeWidgetItem* task)
{
    // Showing a task must not write into it, so no task is current meanwhile.
    QTreeWidgetItem* const current = currentTask_;
    currentTask_ = nullptr;
    for (QCheckBox* box : ui_.chkAttribute)
        box->setCheckState(Qt::PartiallyChecked);
    for (const FieldBox& field : kFieldBoxes)
        (ui_.*field.box)->setText(task ? subItem(task, field.subItem) : QString());
    const QString renameText = task ? subItem(task, kRenameText) : QString();
    ui_.txtRenameAfterActionText->setText(renameText.isEmpty() ? QString::fromUtf8(kRenameNone) : renameText);
    if (task) {
        const auto set = static_cast<std::uint32_t>(base::numberValue(subItem(task, kAttributeSet).toStdString()));
        const auto del = static_cast<std::uint32_t>(base::numberValue(subItem(task, kAttributeDel).toStdString()));
        for (std::size_t i = 0; i < ui_.chkAttribute.size(); ++i)
            ui_.chkAttribute[i]->setCheckState(qtState(boxStateFromMasks(attributeBoxes()[i].bit, set, del)));
    }
    currentTask_ = current;
    markCaption(ui_.lblCmdSystemDirConnect, task && !subItem(task, kNetSourceKey).isEmpty());
    markCaption(ui_.lblCmdSystemTargetDirConnect, task && !subItem(task, kNetTargetKey).isEmpty());
    setEditingEnabled(task != nullptr);
    updateCaptionMarks();
}

void frmMain::storeField(int n, const QString& value)
{
    if (!currentTask_ || currentTask_->text(n) == value)
        return;
    currentTask_->setText(n, value);
    sb_ChangedSet();
    updateCaptionMarks();
}

void frmMain::storeFolderField(QLineEdit* box, int n)
{
    const std::string folder = box->text().toStdString();
    const QString stored = QString::fromStdString(platform::withoutTrailingSeparator(folder));
    if (stored != box->text() && currentTask_)
        box->setText(stored);
    storeField(n, stored);
}

void frmMain::storeDateField(QLineEdit* box, int n)
{
    if (!currentTask_ || box->text() == currentTask_->text(n))
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
    if (!currentTask_)
        return;
    std::array<CheckState, 4> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = fromQt(ui_.chkAttribute[i]->checkState());
    const auto [set, del] = masksFromBoxes(boxes);
    storeField(kAttributeSet, QString::number(set));
    storeField(kAttributeDel, QString::number(del));
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
        if (field.subItem == kDateTo)
            continue;
        bool filled = !(ui_.*field.box)->text().isEmpty();
        if (field.subItem == kDateFrom)
            filled = filled || !ui_.txtSystemFilesDateTimeTo->text().isEmpty();
        markCaption(ui_.*field.caption, filled);
    }
    const bool renamed = currentTask_ && !currentTask_->text(kRenameKey).isEmpty();
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
    if (currentTask_)
        lblCmdProjectAction_->setEnabled(!ui_.txtSystemDir->text().isEmpty());
}

void frmMain::sb_TaskNew()
{
    std::vector<Task> tasks;
    for (int i = 0; i < lvwMain_->topLevelItemCount(); ++i)
        tasks.push_back(Task{.key = lvwMain_->topLevelItem(i)->data(0, kRowKeyRole).toString().toStdString()});
    const Task task = newTask(nextTaskNumber(tasks));
    auto* row = new QTreeWidgetItem(lvwMain_);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    row->setData(0, kRowKeyRole, QString::fromStdString(task.key));
    row->setText(0, QString::fromStdString(task.label));
    lvwMain_->clearSelection();
    row->setSelected(true);
    setCurrentTask(row);
    lblCmdProjectAction_->setEnabled(true);
    sb_ChangedSet();
}

void frmMain::sb_TaskDelete()
{
    if (!currentTask_)
        return;
    QTreeWidgetItem* task = currentTask_;
    currentTask_ = nullptr;
    delete task;
    lvwMain_->clearSelection();
    sb_TaskShow(nullptr);
    lblCmdProjectAction_->setEnabled(lvwMain_->topLevelItemCount() > 0);
    sb_ChangedSet();
}

} // namespace zdr::project
