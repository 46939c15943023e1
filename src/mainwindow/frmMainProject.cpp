// Start-up, loading and saving the project, the modified marker and closing.
#include "mainwindow/frmMain.h"

#include "base/CommandLine.h"
#include "mainwindow/TaskListModel.h"
#include "mainwindow/clsProject.h"
#include "platform/Paths.h"
#include "project/ProjectFile.h"
#include "util/CommandLabel.h"
#include "util/KeyState.h"
#include "util/MsgBox.h"
#include "util/clsCommonDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTreeView>

namespace zdr::mainwindow {

using util::ui::Answer;
using util::ui::Buttons;
using util::ui::Icon;

namespace {

QString programFolder() { return QString::fromStdString(platform::programFolder()); }

// The program's folder is no place for projects (installed, nobody may write
// there): the dialogs start beside the last project, else in the documents.
QString dialogFolder(const QString& lastProject)
{
    if (!lastProject.isEmpty())
        return QFileInfo(lastProject).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

void frmMain::connectCommands()
{
    connect(ui_.lblCmdProjectLoad, &util::ui::CommandLabel::command, this, [this] { sb_ProjectLoad(QString()); });
    connect(ui_.lblCmdProjectSave, &util::ui::CommandLabel::command, this, &frmMain::sb_ProjectSave);
    connect(ui_.lblCmdClose, &util::ui::CommandLabel::command, this, &frmMain::commandClose);
    connect(lblCmdProjectAction_, &util::ui::CommandLabel::command, this,
            [this] { sb_ProjectRun(ui_.chkActionAutoStart->checkState() == Qt::Checked); });
}

void frmMain::fc_Init(const QString& projectFile, const QString& switch1, const QString& switch2)
{
    const bool loaded = projectFile.isEmpty() || sb_ProjectLoad(projectFile);
    const auto isA = [](const QString& s) { return base::isSwitch(s.toStdString(), 'a'); };
    const auto isS = [](const QString& s) { return base::isSwitch(s.toStdString(), 's'); };
    if (isA(switch1) || isA(switch2)) {
        if (util::ui::ctrlKeyHeld()) {
            show();
            return;
        }
        closeAfterRun_ = isS(switch1) || isS(switch2);
        commandLineRun_ = true;
        // What was not loaded is not run (its message was shown).
        if (!loaded || actionRefused_)
            sb_StartFailed();
        else
            sb_ProjectRun(true);
        return;
    }
    show();
    if (projectFile.isEmpty()) {
        sb_TaskNew();
        // The first task of a new project is no edit either.
        changed_ = true;
        sb_ChangedClear();
    }
    // The keyboard starts in the task list, and the focus shows there.
    lvwMain_->setFocus(Qt::TabFocusReason);
}

bool frmMain::sb_ProjectLoad(const QString& fileName)
{
    setCurrentTask(-1);
    sb_TaskShow(-1);

    QString resolved;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile())
        resolved = QFileInfo(fileName).absoluteFilePath();
    else if (!fileName.isEmpty() && QFileInfo(programFolder() + QLatin1Char('/') + fileName).isFile())
        resolved = programFolder() + QLatin1Char('/') + fileName;
    else
        resolved = QString::fromStdString(util::ui::clsCommonDialog().fc_ChooseFile(
            projectFileFilter().toStdString(), dialogFolder(lastProject_).toStdString(), false, std::string(),
            std::string(project::kProjectExtension), this));

    bool loaded = false;
    actionRefused_ = false;
    if (!resolved.isEmpty()) {
        // A registry project stores the index of a registry action: the
        // list must hold it while the project is read.
        sb_RegistryActionsOffer(true);
        loaded = clsProject().fc_ProjectLoadXML(resolved, QString::fromLatin1(project::kProjectRootName.data()), this);
        sb_RegistryActionsOffer(false);
        setWindowTitle(QStringLiteral("Projekt: ") + resolved);
        lastProject_ = resolved;
    } else if (!fileName.isEmpty()) {
        util::ui::msgBox(this,
                         "Projektdatei '" + QFileInfo(fileName).absoluteFilePath().toStdString() + "' nicht gefunden",
                         Buttons::Ok, Icon::Critical);
    }
    const QModelIndex selected = lvwMain_->currentIndex();
    if (selected.isValid() && lvwMain_->selectionModel()->isRowSelected(selected.row(), {})) {
        setCurrentTask(selected.row());
        if (isVisible())
            lvwMain_->setFocus();
    }
    rememberedProjectName_ = txtProjectName_->text();
    lblCmdProjectAction_->setEnabled(tasks_->rowCount() > 0);
    changed_ = true; // the marker is cleared even when nothing was loaded
    sb_ChangedClear();
    return loaded;
}

bool frmMain::sb_ProjectSave()
{
    storeFocusedField();
    if (txtProjectName_->text().isEmpty()) {
        util::ui::msgBox(this, "Bitte vergeben Sie dem Projekt eine Bezeichnung!", Buttons::Ok, Icon::Information,
                         "Aktion abgebrochen ...");
        return false;
    }
    const QString caption = windowTitle();
    QString proposal;
    if (caption == QLatin1String("[Projekt]") || caption == QLatin1String("Projekt: [Projekt]"))
        proposal = txtProjectName_->text();
    else if (!caption.isEmpty())
        proposal = QString(caption).remove(QStringLiteral(" *")).remove(QStringLiteral("Projekt: "));
    else
        proposal = txtProjectName_->text() + QStringLiteral(".ZdrPrj");

    const QString chosen = QString::fromStdString(util::ui::clsCommonDialog().fc_ChooseFile(
        projectFileFilter().toStdString(), dialogFolder(lastProject_).toStdString(), true, proposal.toStdString(),
        std::string(project::kProjectExtension), this));
    // Only a project on the disk loses its marker: a cancelled or failed
    // save leaves the caption and the question before closing as they were.
    if (chosen.isEmpty()
        || !clsProject().fc_ProjectSaveXML(chosen, QString::fromLatin1(project::kProjectRootName.data()), this,
                                           QString()))
        return false;
    setWindowTitle(QStringLiteral("Projekt: ") + chosen);
    lastProject_ = chosen;
    changed_ = true;
    sb_ChangedClear();
    return true;
}

void frmMain::sb_ChangedSet()
{
    if (changed_)
        return;
    if (!windowTitle().contains(QLatin1Char('*')))
        setWindowTitle(windowTitle() + QStringLiteral(" *"));
    changed_ = true;
}

void frmMain::sb_ChangedClear()
{
    if (!changed_)
        return;
    setWindowTitle(QString(windowTitle()).remove(QStringLiteral(" *")));
    changed_ = false;
}

bool frmMain::askSaveBeforeClose()
{
    storeFocusedField();
    if (!windowTitle().contains(QStringLiteral(" *")))
        return true;
    switch (util::ui::msgBox(this, "Möchten Sie die geänderten Daten speichern?", Buttons::YesNoCancel, Icon::Question,
                             "Änderungen speichern ...")) {
    case Answer::Yes: return sb_ProjectSave();
    case Answer::No: return true;
    default: return false;
    }
}

void frmMain::commandClose()
{
    if (!askSaveBeforeClose())
        return;
    closing_ = true;
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Unloading releases the coordinator; its engine must not be in the middle of a run.
    if (starting_ || (cover_ && cover_->IsRunning()) || (registryCover_ && registryCover_->IsRunning())) {
        util::ui::msgBox(this,
                         "Es läuft noch ein Vorgang. Bitte brechen Sie ihn im Fortschrittsfenster ab oder warten Sie "
                         "sein Ende ab.",
                         Buttons::Ok, Icon::Information, "Schließen ...");
        closing_ = false;
        event->ignore();
        return;
    }
    // The window's close box asks like the "Schließen" command.
    if (!closing_ && !askSaveBeforeClose()) {
        event->ignore();
        return;
    }
    closing_ = true;
    QMainWindow::closeEvent(event);
    // Not inside a coordinator here (their own events release them first):
    // they go now, with their windows and the runs' network drives.
    cover_.reset();
    registryCover_.reset();
    emit unloaded(exitCode_);
}

} // namespace zdr::mainwindow
