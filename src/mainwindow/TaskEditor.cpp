#include "mainwindow/TaskEditor.h"

#include "base/DateText.h"
#include "base/Text.h"
#include "mainwindow/TaskListModel.h"
#include "platform/Paths.h"
#include "project/Task.h"
#include "util/Caption.h"
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

using util::ui::caption;
using util::ui::CommandLabel;

namespace {

// A text box of the current task: its caption and sub-item, and whether it
// stores on every key stroke or only when it loses the focus.
struct FieldBox {
    QLineEdit* TaskEditor::Widgets::*box;
    QLabel* TaskEditor::Widgets::*caption;
    int subItem;
    bool eachKey;
};

using W = TaskEditor::Widgets;

constexpr FieldBox kFieldBoxes[] = {
    {&W::txtSystemDir, &W::lblSystemDir, project::kSourceFolder, true},
    {&W::txtSystemDirAndFiles, &W::lblSystemDirAndFiles, project::kSelection, true},
    {&W::txtSystemTargetDir, &W::lblSystemTargetDir, project::kTargetFolder, true},
    {&W::txtSystemDirAndFilesExclude, &W::lblSystemDirAndFilesExclude, project::kExclusions, true},
    {&W::txtSystemDirAndFilesFilter, &W::lblSystemDirAndFilesFilter, project::kNameFilters, true},
    {&W::txtSystemFilesExtensions, &W::lblSystemFilesExtensions, project::kExtensions, true},
    {&W::txtSystemFilesSizeMax, &W::lblSystemFilesSizeMax, project::kFilesSizeMax, false},
    {&W::txtSystemFilesDateTimeFrom, &W::lblSystemFilesDateTime, project::kDateFrom, false},
    {&W::txtSystemFilesDateTimeTo, &W::lblSystemFilesDateTime, project::kDateTo, false},
    {&W::txtBackupDir, &W::lblBackupDir, project::kBackupDir, true},
};

// The captions of the task fields: folder actions, registry actions.
struct FieldCaption {
    QLabel* TaskEditor::Widgets::*label;
    const char* folders;
    const char* registry;
};

constexpr FieldCaption kFieldCaptions[] = {
    {&W::lblSystemDir, "* Quellverzeichnis:", "* System(e):"},
    {&W::lblSystemDirAndFiles, "ausgewählte Daten:", "Registry Pfad:"},
    {&W::lblSystemTargetDir, "* Zielverzeichnis:", "Registry Schlüssel:"},
    {&W::lblSystemDirAndFilesExclude, "Daten ausschließen:", "Registry Wert:"},
    {&W::lblSystemDirAndFilesFilter, "Datei Filter Bezeichnungen:", "Dienst beenden, neu starten:"},
};

const FieldBox* fieldOf(const TaskEditor::Widgets& ui, const QObject* box)
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

// Screen readers name a box by its caption; captions are labels of their
// own beside the boxes, so each box gets its caption's text as its name.
void nameByCaption(QWidget* box, const QLabel* captionLabel)
{
    QString text = captionLabel->text();
    text.remove(QLatin1Char('*'));
    text.remove(QLatin1Char(':'));
    box->setAccessibleName(text.trimmed());
}

} // namespace

void markCaption(QLabel* label, bool filled)
{
    if (!label)
        return;
    QFont font = label->font();
    font.setBold(filled);
    label->setFont(font);
}

TaskEditor::TaskEditor(QWidget* window) : QObject(window), window_(window)
{
    tasks_ = new TaskListModel(window);
    QTreeView* list = ui_.lvwMain = new QTreeView(window);
    list->setObjectName(QStringLiteral("lvwMain"));
    list->setToolTip(QStringLiteral(
        "Liste von Aufgaben über Quell-, Zielverzeichnis, Daten einschließen, - ausschließen, Filter, etc. Diese "
        "Aufgaben werden von oben nach unten durchlaufen und ausgeführt."));
    list->setAccessibleName(QStringLiteral("Aufgaben"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setModel(tasks_);
    for (int c = 0; c < project::kColumnCount; ++c) {
        const int twips = project::taskColumns()[static_cast<std::size_t>(c)].widthTwips;
        if (twips == 0)
            list->setColumnHidden(c, true);
        else
            list->setColumnWidth(c, twips / 15); // 15 twips per pixel at 96 dpi
    }
    list->viewport()->installEventFilter(this);
    list->installEventFilter(this);
    list->setMinimumHeight(4 * list->fontMetrics().height());

    buildFields(window);

    ui_.mnuJobs = new QMenu(QStringLiteral("Aufgaben"), window);
    ui_.mnuJobs->setObjectName(QStringLiteral("mnuJobs"));
    const char* jobItems[] = {"&Umbenennen", "&Löschen", nullptr, "&Neu"};
    for (const char* item : jobItems) {
        QAction* action = item ? ui_.mnuJobs->addAction(QString::fromUtf8(item)) : ui_.mnuJobs->addSeparator();
        action->setObjectName(QStringLiteral("mnuJobsWork"));
    }
    connectEditing();
}

// In the window's Tab order: each caption, its box, a "verbinden" beside it.
void TaskEditor::buildFields(QWidget* window)
{
    const auto textBox = [this, window](const char* name, const char* tip) {
        auto* box = new QLineEdit(window);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(QString::fromUtf8(tip));
        box->installEventFilter(this);
        return box;
    };
    ui_.lblSystemDir = caption("lblSystemDir", "* Quellverzeichnis:", window);
    ui_.txtSystemDir = textBox("txtSystemDir", "Komplettes Quellverzeichnis (z.B.: C:\\Temp).");
    ui_.lblCmdSystemDirConnect =
        new CommandLabel(QStringLiteral("lblCmdSystemDirConnect"), QStringLiteral("&verbinden"), window);
    ui_.lblSystemDirAndFiles = caption("lblSystemDirAndFiles", "ausgewählte Daten:", window);
    ui_.txtSystemDirAndFiles =
        textBox("txtSystemDirAndFiles",
                "Verzeichnisse oder Dateien, die im Quellverzeichnis existieren und herangezogen werden solle, "
                "Verzeichnisse bitte mit einem vorangestellten \"\\\" eintragen (z.B.: \\Daten;Text "
                "01.txt;Text 02.txt).");
    ui_.lblSystemTargetDir = caption("lblSystemTargetDir", "* Zielverzeichnis:", window);
    ui_.txtSystemTargetDir = textBox("txtSystemTargetDir", "Komplettes Zielverzeichnis (z.B.: C:\\Temp).");
    ui_.lblCmdSystemTargetDirConnect =
        new CommandLabel(QStringLiteral("lblCmdSystemTargetDirConnect"), QStringLiteral("ver&binden"), window);
    ui_.lblSystemDirAndFilesExclude = caption("lblSystemDirAndFilesExclude", "Daten ausschließen:", window);
    ui_.txtSystemDirAndFilesExclude =
        textBox("txtSystemDirAndFilesExclude",
                "Verzeichnisse oder Dateien die übersprungen werden sollen, getrennt durch \";\". "
                "Verzeichnisse bitte mit einem \"\\\" vorangestellt eintragen (z.B.: \\Daten;Textdateien).");
    ui_.lblSystemDirAndFilesFilter = caption("lblSystemDirAndFilesFilter", "Datei Filter Bezeichnungen:", window);
    ui_.txtSystemDirAndFilesFilter =
        textBox("txtSystemDirAndFilesFilter",
                "Verzeichnisse oder Dateien die durch die eingebebenen Textdaten mit Wildcards (*, ?) "
                "gefiltert werden, getrennt durch \";\" (z.B.: Daten*;Textdatei*).");
    ui_.lblSystemFilesExtensions = caption("lblSystemFilesExtensions", "Datei Filter Endungen:", window);
    ui_.txtSystemFilesExtensions =
        textBox("txtSystemFilesExtensions",
                "Dateiendungen die genommen werden sollen, getrennt durch \";\" (z.B.: *.txt;*.dat).");
    ui_.lblSystemFilesSizeMax = caption("lblSystemFilesSizeMax", "bis max. Größe (KB):", window);
    ui_.txtSystemFilesSizeMax =
        textBox("txtSystemFilesSizeMax", "Maximale Dateigröße in KB die zur Aktion zugelassen sind.");
    ui_.txtSystemFilesDateTimeFrom =
        textBox("txtSystemFilesDateTimeFrom", "Datei Änderungszeitraum \"von\" die zur Aktion zugelassen sind.");
    ui_.txtSystemFilesDateTimeTo =
        textBox("txtSystemFilesDateTimeTo", "Datei Änderungszeitraum \"bis\" die zur Aktion zugelassen sind.");
    ui_.lblSystemFilesDateTime = caption("lblSystemFilesDateTime", "Datum/Zeit (von/bis):", window);

    const char* attributeTips[] = {"Attribut \"Schreibgeschützt\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Versteckt\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Archiv\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Komprimiert\" setzen, wegsetzen oder unberührt lassen."};
    for (std::size_t i = 0; i < project::attributeBoxes().size(); ++i) {
        const project::AttributeBox& attribute = project::attributeBoxes()[i];
        auto* check = new QCheckBox(QString::fromUtf8(attribute.caption), window);
        check->setObjectName(QString::fromLatin1(attribute.controlName));
        check->setToolTip(QString::fromUtf8(attributeTips[i]));
        check->setTristate(true);
        ui_.chkAttribute[i] = check;
    }
    ui_.Label1 = caption("Label1", project::kAttributeLegend, window);
    ui_.lblAttribute = caption("lblAttribute", "Attribute weg-/setzen:", window);

    ui_.txtRenameAfterActionText =
        textBox("txtRenameAfterActionText", "Bestimmte Daten nach erfolgreicher Aktion umbenennen.");
    ui_.txtRenameAfterActionText->setReadOnly(true);
    ui_.lblRenameAfterAction = caption("lblRenameAfterAction", "Daten umbenennen:", window);
    ui_.lblBackupDir = caption("lblBackupDir", "Sicherungsverzeichnis:", window);
    ui_.txtBackupDir = textBox("txtBackupDir", "Komplettes Sicherungsverzeichnis (z.B.: C:\\Temp).");

    for (const FieldBox& field : kFieldBoxes)
        if (field.caption != &W::lblSystemFilesDateTime)
            nameByCaption(ui_.*field.box, ui_.*field.caption);
    nameByCaption(ui_.txtRenameAfterActionText, ui_.lblRenameAfterAction);
    ui_.txtSystemFilesDateTimeFrom->setAccessibleName(QStringLiteral("Datum/Zeit von"));
    ui_.txtSystemFilesDateTimeTo->setAccessibleName(QStringLiteral("Datum/Zeit bis"));
    ui_.lblCmdSystemDirConnect->setAccessibleName(QStringLiteral("Quellverzeichnis verbinden"));
    ui_.lblCmdSystemTargetDirConnect->setAccessibleName(QStringLiteral("Zielverzeichnis verbinden"));
}

void TaskEditor::connectEditing()
{
    for (const FieldBox& field : kFieldBoxes) {
        QLineEdit* fieldBox = ui_.*field.box;
        if (field.eachKey)
            connect(fieldBox, &QLineEdit::textChanged, this,
                    [this, subItem = field.subItem](const QString& text) { storeField(subItem, text); });
    }
    for (QCheckBox* attribute : ui_.chkAttribute)
        connect(attribute, &QCheckBox::stateChanged, this, [this] { storeAttributes(); });
    connect(ui_.txtSystemDir, &QLineEdit::textChanged, this, [this] {
        if (currentTask_ >= 0)
            emit runnableChanged(!ui_.txtSystemDir->text().isEmpty());
    });
    connectParameters();

    const QList<QAction*> jobs = ui_.mnuJobs->actions();
    connect(jobs[0], &QAction::triggered, this, [this] {
        if (currentTask_ >= 0)
            ui_.lvwMain->edit(tasks_->index(currentTask_, 0));
    });
    connect(jobs[1], &QAction::triggered, this, &TaskEditor::sb_TaskDelete);
    connect(jobs[3], &QAction::triggered, this, &TaskEditor::sb_TaskNew);
}

bool TaskEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (parameterBoxEvent(watched, event))
        return true;
    QTreeView* list = ui_.lvwMain;
    if (event->type() == QEvent::FocusOut) {
        // Another window taking the focus (a message box, another program)
        // does not leave the box; the box is stored when the user leaves it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            storeOnLeaving(watched);
    } else if (watched == list->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex at = list->indexAt(mouse->position().toPoint());
        const int row = at.isValid() ? at.row() : -1;
        if (row < 0)
            list->clearSelection();
        setCurrentTask(row);
        if (mouse->button() == Qt::RightButton)
            showJobsMenu(row >= 0, mouse->globalPosition().toPoint());
    } else if (watched == list && event->type() == QEvent::KeyPress) {
        if (taskListKey(static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void TaskEditor::showJobsMenu(bool onRow, const QPoint& at)
{
    const QList<QAction*> jobs = ui_.mnuJobs->actions();
    jobs[0]->setEnabled(onRow);
    jobs[1]->setEnabled(onRow);
    jobs[3]->setEnabled(!onRow);
    ui_.mnuJobs->popup(at);
}

// Up and Down select the row above or below, Page Up the first and Page Down
// the last; Ctrl+Up and Ctrl+Down move the current task.
bool TaskEditor::taskListKey(QKeyEvent* event)
{
    QTreeView* list = ui_.lvwMain;
    const int count = tasks_->rowCount();
    const int key = event->key();
    // Einfg and Entf add and remove tasks as the list's menu does; F2
    // renames, the menu key (or Shift+F10) opens that menu at the row.
    if (key == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        sb_TaskNew();
        return true;
    }
    if (currentTask_ >= 0 && event->modifiers() == Qt::NoModifier && (key == Qt::Key_Delete || key == Qt::Key_F2)) {
        ui_.mnuJobs->actions()[key == Qt::Key_Delete ? 1 : 0]->trigger();
        return true;
    }
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        const bool onRow = currentTask_ >= 0;
        const QRect at = onRow ? list->visualRect(tasks_->index(currentTask_, 0)) : QRect();
        showJobsMenu(onRow, list->viewport()->mapToGlobal(at.bottomLeft()));
        return true;
    }
    if (count == 0 || (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown))
        return false;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        sb_TaskMove(key == Qt::Key_Up ? -1 : 1);
        return true;
    }
    const int row = currentTask_ >= 0 ? currentTask_ : list->currentIndex().row();
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

void TaskEditor::sb_TaskMove(int direction)
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

QLineEdit* TaskEditor::box(int subItem) const
{
    for (const FieldBox& field : kFieldBoxes)
        if (field.subItem == subItem)
            return ui_.*field.box;
    return nullptr;
}

QString TaskEditor::fieldText(int subItem) const { return box(subItem)->text(); }

void TaskEditor::setFieldText(int subItem, const QString& text) { box(subItem)->setText(text); }

void TaskEditor::storeAsLeft(int subItem) { storeOnLeaving(box(subItem)); }

void TaskEditor::storeOnLeaving(QObject* watched)
{
    const FieldBox* field = fieldOf(ui_, watched);
    if (!field)
        return;
    auto* fieldBox = static_cast<QLineEdit*>(watched);
    if (field->subItem == project::kSourceFolder || field->subItem == project::kTargetFolder)
        storeFolderField(fieldBox, field->subItem);
    else if (field->subItem == project::kDateFrom || field->subItem == project::kDateTo)
        storeDateField(fieldBox, field->subItem);
    else
        storeField(field->subItem, fieldBox->text());
}

void TaskEditor::storeFocusedField()
{
    if (QWidget* focused = QApplication::focusWidget())
        storeOnLeaving(focused);
}

void TaskEditor::setCurrentTask(int row)
{
    currentTask_ = row >= 0 && row < tasks_->rowCount() ? row : -1;
    if (currentTask_ >= 0) {
        ui_.lvwMain->setCurrentIndex(tasks_->index(currentTask_, 0));
        sb_TaskShow(currentTask_);
    }
}

void TaskEditor::showStoredSelection()
{
    QTreeView* list = ui_.lvwMain;
    const QModelIndex selected = list->currentIndex();
    if (selected.isValid() && list->selectionModel()->isRowSelected(selected.row(), {})) {
        setCurrentTask(selected.row());
        if (window_->isVisible())
            list->setFocus();
    }
}

void TaskEditor::focusList() { ui_.lvwMain->setFocus(); }

void TaskEditor::selectRow(int row)
{
    ui_.lvwMain->clearSelection();
    ui_.lvwMain->selectionModel()->setCurrentIndex(tasks_->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

const project::Task* TaskEditor::currentRecord() const
{
    return currentTask_ >= 0 ? &tasks_->tasks()[static_cast<std::size_t>(currentTask_)] : nullptr;
}

void TaskEditor::sb_TaskShow(int row)
{
    const project::Task* task =
        row >= 0 && row < tasks_->rowCount() ? &tasks_->tasks()[static_cast<std::size_t>(row)] : nullptr;
    // Showing a task must not write into it, so no task is current meanwhile.
    const int current = currentTask_;
    currentTask_ = -1;
    for (QCheckBox* attribute : ui_.chkAttribute)
        attribute->setCheckState(Qt::PartiallyChecked);
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

void TaskEditor::storeField(int n, const QString& value)
{
    // The model's edited signal marks the project changed.
    if (currentTask_ >= 0 && tasks_->setField(currentTask_, n, value.toStdString()))
        updateCaptionMarks();
}

void TaskEditor::storeFolderField(QLineEdit* folderBox, int n)
{
    const std::string folder = folderBox->text().toStdString();
    const QString stored = QString::fromStdString(platform::withoutTrailingSeparator(folder));
    if (stored != folderBox->text() && currentTask_ >= 0)
        folderBox->setText(stored);
    storeField(n, stored);
}

void TaskEditor::storeDateField(QLineEdit* dateBox, int n)
{
    if (currentTask_ < 0 || dateBox->text() == fieldOf(*currentRecord(), n))
        return;
    // An empty box removes the bound; anything else must be a date.
    if (!dateBox->text().isEmpty() && !base::parseDateTime(dateBox->text().toStdString())) {
        util::ui::msgBox(window_, "Bitte geben Sie ein korrektes Datum/Zeit Format an!", base::Buttons::Ok,
                         base::Icon::Exclamation, "Fehlerhafte Eingabe");
        return;
    }
    storeField(n, dateBox->text());
}

void TaskEditor::storeAttributes()
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

void TaskEditor::updateCaptionMarks()
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

void TaskEditor::setEditingEnabled(bool enabled)
{
    for (const FieldBox& field : kFieldBoxes) {
        (ui_.*field.box)->setEnabled(enabled);
        (ui_.*field.caption)->setEnabled(enabled);
    }
    for (QCheckBox* attribute : ui_.chkAttribute)
        attribute->setEnabled(enabled);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_.txtRenameAfterActionText, ui_.lblRenameAfterAction, ui_.lblAttribute,
                                         ui_.Label1, ui_.lblCmdSystemDirConnect, ui_.lblCmdSystemTargetDirConnect})
        control->setEnabled(enabled);
    // The options then narrow the rename and backup rows down.
    emit taskShown();
}

void TaskEditor::setOptionOffers(bool rename, bool backup)
{
    const bool hasTask = currentTask_ >= 0;
    ui_.lblRenameAfterAction->setEnabled(rename && hasTask);
    ui_.txtRenameAfterActionText->setEnabled(rename && hasTask);
    ui_.lblBackupDir->setEnabled(backup && hasTask);
    ui_.txtBackupDir->setEnabled(backup && hasTask);
}

void TaskEditor::sb_FieldCaptions(bool registry)
{
    for (const FieldCaption& fieldCaption : kFieldCaptions)
        (ui_.*fieldCaption.label)->setText(QString::fromUtf8(registry ? fieldCaption.registry : fieldCaption.folders));
    // The registry key needs no network drive: only the computers' log-on counts.
    ui_.lblCmdSystemTargetDirConnect->setVisible(!registry);
}

void TaskEditor::sb_TaskNew()
{
    const int row = tasks_->append(project::newTask(nextTaskNumber(tasks_->tasks())));
    selectRow(row);
    setCurrentTask(row);
    emit runnableChanged(true);
}

void TaskEditor::sb_TaskDelete()
{
    if (currentTask_ < 0)
        return;
    const int row = currentTask_;
    currentTask_ = -1;
    tasks_->remove(row);
    ui_.lvwMain->clearSelection();
    sb_TaskShow(-1);
    emit runnableChanged(tasks_->rowCount() > 0);
}

} // namespace zdr::mainwindow
