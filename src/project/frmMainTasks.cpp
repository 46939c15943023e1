// The task list and the editing controls of the current task.
#include "project/frmMain.h"

#include "platform/Paths.h"
#include "project/Task.h"
#include "project/clsProject.h"
#include "util/CommandLabel.h"
#include "base/DateText.h"
#include "util/MsgBox.h"
#include "base/Text.h"

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
    const char* box;
    const char* caption;
    int subItem;
    bool eachKey;
};

constexpr FieldBox kFieldBoxes[] = {
    {"txtSystemDir", "lblSystemDir", kSourceFolder, true},
    {"txtSystemDirAndFiles", "lblSystemDirAndFiles", kSelection, true},
    {"txtSystemTargetDir", "lblSystemTargetDir", kTargetFolder, true},
    {"txtSystemDirAndFilesExclude", "lblSystemDirAndFilesExclude", kExclusions, true},
    {"txtSystemDirAndFilesFilter", "lblSystemDirAndFilesFilter", kNameFilters, true},
    {"txtSystemFilesExtensions", "lblSystemFilesExtensions", kExtensions, true},
    {"txtSystemFilesSizeMax", "lblSystemFilesSizeMax", kFilesSizeMax, false},
    {"txtSystemFilesDateTimeFrom", "lblSystemFilesDateTime", kDateFrom, false},
    {"txtSystemFilesDateTimeTo", "lblSystemFilesDateTime", kDateTo, false},
    {"txtBackupDir", "lblBackupDir", kBackupDir, true},
};

const FieldBox* fieldOf(const QObject* box)
{
    for (const FieldBox& field : kFieldBoxes)
        if (box->objectName() == QLatin1String(field.box))
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
    return state == Qt::Checked ? CheckState::Checked
        : state == Qt::Unchecked ? CheckState::Cleared
                                 : CheckState::Grey;
}

} // namespace

void frmMain::connectEditing()
{
    for (const FieldBox& field : kFieldBoxes) {
        auto* box = findChild<QLineEdit*>(QString::fromLatin1(field.box));
        if (field.eachKey)
            connect(box, &QLineEdit::textChanged, this, [this, subItem = field.subItem](const QString& text) {
                storeField(subItem, text);
            });
    }
    for (const AttributeBox& attribute : attributeBoxes())
        connect(findChild<QCheckBox*>(QString::fromLatin1(attribute.controlName)), &QCheckBox::stateChanged, this,
                [this] { storeAttributes(); });
    connect(findChild<QLineEdit*>(QStringLiteral("txtSystemDir")), &QLineEdit::textChanged, this,
            [this] { updateRunCommand(); });
    // The project's own number fields are stored with it: an edit is a change.
    for (const char* name : {"txtFolderInfoLevel", "txtFileBlockSize"})
        connect(findChild<QLineEdit*>(QString::fromLatin1(name)), &QLineEdit::textChanged, this,
                [this] { sb_ChangedSet(); });
    for (QCheckBox* box : findChildren<QCheckBox*>())
        if (!box->objectName().startsWith(QLatin1String("chkAttribute_")))
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
    if (const FieldBox* field = fieldOf(watched)) {
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
    for (const AttributeBox& attribute : attributeBoxes())
        findChild<QCheckBox*>(QString::fromLatin1(attribute.controlName))->setCheckState(Qt::PartiallyChecked);
    for (const FieldBox& field : kFieldBoxes)
        findChild<QLineEdit*>(QString::fromLatin1(field.box))->setText(task ? subItem(task, field.subItem) : QString());
    auto* rename = findChild<QLineEdit*>(QStringLiteral("txtRenameAfterActionText"));
    const QString renameText = task ? subItem(task, kRenameText) : QString();
    rename->setText(renameText.isEmpty() ? QString::fromUtf8(kRenameNone) : renameText);
    if (task) {
        const auto set = static_cast<std::uint32_t>(base::numberValue(subItem(task, kAttributeSet).toStdString()));
        const auto del = static_cast<std::uint32_t>(base::numberValue(subItem(task, kAttributeDel).toStdString()));
        for (const AttributeBox& attribute : attributeBoxes())
            findChild<QCheckBox*>(QString::fromLatin1(attribute.controlName))
                ->setCheckState(qtState(boxStateFromMasks(attribute.bit, set, del)));
    }
    currentTask_ = current;
    markCaption(findChild<QLabel*>(QStringLiteral("lblCmdSystemDirConnect")),
                task && !subItem(task, kNetSourceKey).isEmpty());
    markCaption(findChild<QLabel*>(QStringLiteral("lblCmdSystemTargetDirConnect")),
                task && !subItem(task, kNetTargetKey).isEmpty());
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
        boxes[i] = fromQt(findChild<QCheckBox*>(QString::fromLatin1(attributeBoxes()[i].controlName))->checkState());
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
        bool filled = !findChild<QLineEdit*>(QString::fromLatin1(field.box))->text().isEmpty();
        if (field.subItem == kDateFrom)
            filled = filled || !findChild<QLineEdit*>(QStringLiteral("txtSystemFilesDateTimeTo"))->text().isEmpty();
        markCaption(findChild<QLabel*>(QString::fromLatin1(field.caption)), filled);
    }
    const bool renamed = currentTask_ && !currentTask_->text(kRenameKey).isEmpty();
    markCaption(findChild<QLabel*>(QStringLiteral("lblRenameAfterAction")), renamed);
}

void frmMain::setEditingEnabled(bool enabled)
{
    for (const FieldBox& field : kFieldBoxes) {
        findChild<QWidget*>(QString::fromLatin1(field.box))->setEnabled(enabled);
        findChild<QWidget*>(QString::fromLatin1(field.caption))->setEnabled(enabled);
    }
    for (const AttributeBox& attribute : attributeBoxes())
        findChild<QWidget*>(QString::fromLatin1(attribute.controlName))->setEnabled(enabled);
    for (const char* name : {"txtRenameAfterActionText", "lblRenameAfterAction", "lblAttribute", "Label1",
                             "lblCmdSystemDirConnect", "lblCmdSystemTargetDirConnect"})
        findChild<QWidget*>(QString::fromLatin1(name))->setEnabled(enabled);
    sb_OptionsEnable();
}

void frmMain::updateRunCommand()
{
    if (currentTask_)
        lblCmdProjectAction_->setEnabled(!findChild<QLineEdit*>(QStringLiteral("txtSystemDir"))->text().isEmpty());
}

void frmMain::sb_TaskNew()
{
    std::vector<Task> tasks;
    for (int i = 0; i < lvwMain_->topLevelItemCount(); ++i)
        tasks.push_back(Task{lvwMain_->topLevelItem(i)->data(0, kRowKeyRole).toString().toStdString(), {}, {}});
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
