// The task parameters: the rename box and the two "verbinden" labels open the
// parameter dialog, and what the user stored there goes into the current task.
#include "mainwindow/TaskEditor.h"

#include "mainwindow/frmParameter.h"
#include "project/Task.h"
#include "util/CommandLabel.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace zdr::mainwindow {

using util::ui::CommandLabel;

namespace {

CommandLabel* connectLabel(const TaskEditor::Widgets& ui, int codeSubItem)
{
    return codeSubItem == project::kNetSourceKey ? ui.lblCmdSystemDirConnect : ui.lblCmdSystemTargetDirConnect;
}

} // namespace

void TaskEditor::connectParameters()
{
    for (int codeSubItem : {project::kNetSourceKey, project::kNetTargetKey})
        connect(connectLabel(ui_, codeSubItem), &CommandLabel::command, this,
                [this, codeSubItem] { sb_ParameterEdit(codeSubItem); });
}

bool TaskEditor::parameterBoxEvent(QObject* watched, QEvent* event)
{
    if (watched != ui_.txtRenameAfterActionText)
        return false;
    // A click opens the dialog; so do Enter and Space for the keyboard.
    bool open = false;
    if (event->type() == QEvent::MouseButtonRelease)
        open = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        open = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    if (open)
        sb_ParameterEdit(project::kRenameKey);
    return open;
}

void TaskEditor::sb_ParameterEdit(int codeSubItem)
{
    if (currentTask_ < 0)
        return;
    // The dialog is modal, but the task list can change meanwhile (a run's
    // events): the answer goes only to the task it was asked for.
    const std::string key = currentRecord()->key;
    const auto stored = [this, codeSubItem] {
        return QString::fromStdString(project::fieldText(*currentRecord(), codeSubItem));
    };
    QLineEdit* renameBox = ui_.txtRenameAfterActionText;
    QString mode;
    QString text;
    QString folder;
    if (codeSubItem == project::kRenameKey) {
        mode = QStringLiteral("RENAME");
        text = renameBox->text();
    } else if (codeSubItem == project::kNetSourceKey) {
        mode = QStringLiteral("NETCONNECT,SOURCE");
        folder = ui_.txtSystemDir->text();
    } else {
        mode = QStringLiteral("NETCONNECT,TARGET");
        folder = ui_.txtSystemTargetDir->text();
    }

    frmParameter dialog(window_);
    if (!dialog.fc_Init(mode, stored(), text, folder))
        return;
    dialog.exec();
    if (!dialog.ParameterSaved() || currentTask_ < 0 || currentRecord()->key != key)
        return;
    if (dialog.ActionKEY() != stored()) {
        storeField(codeSubItem, dialog.ActionKEY());
        if (codeSubItem == project::kRenameKey) {
            storeField(project::kRenameText, dialog.ActiontText());
            renameBox->setText(dialog.ActiontText());
        }
    }
    if (codeSubItem == project::kRenameKey)
        emit renameEdited();
    else
        markCaption(connectLabel(ui_, codeSubItem), !stored().isEmpty());
}

} // namespace zdr::mainwindow
