#include "mainwindow/ProjectCommands.h"

#include "mainwindow/clsProject.h"
#include "platform/Paths.h"
#include "project/ProjectFile.h"
#include "util/MsgBox.h"
#include "util/clsCommonDialog.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QWidget>

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

QString ProjectCommands::projectFileFilter()
{
    return QStringLiteral("Zendor DaroRazu Projekte (*.ZdrPrj)|*.ZdrPrj|Alle Dateien (*.*)|*.*");
}

ProjectCommands::ProjectCommands(QWidget* window) : QObject(window), window_(window)
{
    txtProjectName_ = new QLineEdit(window);
    txtProjectName_->setObjectName(QStringLiteral("txtProjectName"));
    txtProjectName_->setToolTip(QStringLiteral("Bezeichnung, Name des Projektes."));
    txtProjectName_->setAccessibleName(QStringLiteral("Projekt"));
    txtProjectName_->installEventFilter(this);
    lblProjectName_ = new QLabel(QStringLiteral("Projekt:"), window);
    lblProjectName_->setObjectName(QStringLiteral("lblProjectName"));
}

bool ProjectCommands::eventFilter(QObject* watched, QEvent* event)
{
    // As the task's boxes: another window taking the focus does not leave the box.
    if (watched == txtProjectName_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            storeFocusedName();
    }
    return QObject::eventFilter(watched, event);
}

void ProjectCommands::storeFocusedName()
{
    if (txtProjectName_->text() != rememberedProjectName_) {
        rememberedProjectName_ = txtProjectName_->text();
        sb_ChangedSet();
    }
}

void ProjectCommands::startUnchanged()
{
    changed_ = true;
    sb_ChangedClear();
}

bool ProjectCommands::sb_ProjectLoad(const QString& fileName)
{
    emit loadStarting();

    QString resolved;
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile())
        resolved = QFileInfo(fileName).absoluteFilePath();
    else if (!fileName.isEmpty() && QFileInfo(programFolder() + QLatin1Char('/') + fileName).isFile())
        resolved = programFolder() + QLatin1Char('/') + fileName;
    else
        resolved = QString::fromStdString(util::ui::clsCommonDialog().fc_ChooseFile(
            projectFileFilter().toStdString(), dialogFolder(lastProject_).toStdString(), false, std::string(),
            std::string(project::kProjectExtension), window_));

    bool loaded = false;
    if (!resolved.isEmpty()) {
        // A registry project stores the index of a registry action: the
        // list must hold it while the project is read.
        emit reading(true);
        loaded =
            clsProject().fc_ProjectLoadXML(resolved, QString::fromLatin1(project::kProjectRootName.data()), window_);
        emit reading(false);
        window_->setWindowTitle(QStringLiteral("Projekt: ") + resolved);
        lastProject_ = resolved;
    } else if (!fileName.isEmpty()) {
        util::ui::msgBox(window_,
                         "Projektdatei '" + QFileInfo(fileName).absoluteFilePath().toStdString() + "' nicht gefunden",
                         Buttons::Ok, Icon::Critical);
    }
    emit loadDone();
    rememberedProjectName_ = txtProjectName_->text();
    changed_ = true; // the marker is cleared even when nothing was loaded
    sb_ChangedClear();
    return loaded;
}

bool ProjectCommands::sb_ProjectSave()
{
    emit storingEdits();
    if (txtProjectName_->text().isEmpty()) {
        util::ui::msgBox(window_, "Bitte vergeben Sie dem Projekt eine Bezeichnung!", Buttons::Ok, Icon::Information,
                         "Aktion abgebrochen ...");
        return false;
    }
    const QString caption = window_->windowTitle();
    QString proposal;
    if (caption == QLatin1String("[Projekt]") || caption == QLatin1String("Projekt: [Projekt]"))
        proposal = txtProjectName_->text();
    else if (!caption.isEmpty())
        proposal = QString(caption).remove(QStringLiteral(" *")).remove(QStringLiteral("Projekt: "));
    else
        proposal = txtProjectName_->text() + QStringLiteral(".ZdrPrj");

    const QString chosen = QString::fromStdString(util::ui::clsCommonDialog().fc_ChooseFile(
        projectFileFilter().toStdString(), dialogFolder(lastProject_).toStdString(), true, proposal.toStdString(),
        std::string(project::kProjectExtension), window_));
    // Only a project on the disk loses its marker: a cancelled or failed
    // save leaves the caption and the question before closing as they were.
    if (chosen.isEmpty()
        || !clsProject().fc_ProjectSaveXML(chosen, QString::fromLatin1(project::kProjectRootName.data()), window_,
                                           QString()))
        return false;
    window_->setWindowTitle(QStringLiteral("Projekt: ") + chosen);
    lastProject_ = chosen;
    changed_ = true;
    sb_ChangedClear();
    return true;
}

void ProjectCommands::sb_ChangedSet()
{
    if (changed_)
        return;
    if (!window_->windowTitle().contains(QLatin1Char('*')))
        window_->setWindowTitle(window_->windowTitle() + QStringLiteral(" *"));
    changed_ = true;
}

void ProjectCommands::sb_ChangedClear()
{
    if (!changed_)
        return;
    window_->setWindowTitle(QString(window_->windowTitle()).remove(QStringLiteral(" *")));
    changed_ = false;
}

bool ProjectCommands::askSaveBeforeClose()
{
    emit storingEdits();
    if (!window_->windowTitle().contains(QStringLiteral(" *")))
        return true;
    switch (util::ui::msgBox(window_, "Möchten Sie die geänderten Daten speichern?", Buttons::YesNoCancel,
                             Icon::Question, "Änderungen speichern ...")) {
    case Answer::Yes: return sb_ProjectSave();
    case Answer::No: return true;
    default: return false;
    }
}

void ProjectCommands::loadDropped(const QString& fileName)
{
    if (changed_) {
        switch (util::ui::msgBox(window_, "Möchten Sie vorher die geänderten Daten speichern?", Buttons::YesNoCancel,
                                 Icon::Question, "Änderungen speichern ...")) {
        case Answer::Yes:
            if (!sb_ProjectSave())
                return; // the changes would be lost
            break;
        case Answer::No: break;
        default: return;
        }
    }
    sb_ProjectLoad(fileName);
}

} // namespace zdr::mainwindow
