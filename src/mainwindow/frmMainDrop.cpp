// Drag and drop from the file manager: a project file on the project frame,
// folders and files on the source, selection, exclusion and target rows.
#include "mainwindow/frmMain.h"

#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"
#include "project/Task.h"
#include "util/MsgBox.h"

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace zdr::mainwindow {

namespace {

bool isProjectFile(const QList<QUrl>& urls)
{
    return urls.size() == 1 && urls.front().isLocalFile()
        && urls.front().toLocalFile().contains(QStringLiteral(".ZdrPrj"), Qt::CaseInsensitive);
}

// A path below a folder: the rest after it, with its leading separator.
std::optional<std::string> restBelow(const std::string& path, const std::string& folder)
{
    const std::string prefix = platform::isRoot(folder) ? folder : folder + platform::kSeparator;
    if (!base::startsWith(path, prefix) || path.size() == prefix.size())
        return std::nullopt;
    return path.substr(prefix.size() - 1);
}

} // namespace

frmMain::DropPlace frmMain::dropPlaceOf(const QObject* watched) const
{
    const struct {
        const QObject* control;
        DropPlace place;
    } places[] = {
        {ui_.fraProject, DropPlace::Project},
        {ui_.lblProjectName, DropPlace::Project},
        {txtProjectName_, DropPlace::Project},
        {ui_.txtSystemDir, DropPlace::Source},
        {ui_.lblSystemDir, DropPlace::Source},
        {ui_.txtSystemDirAndFiles, DropPlace::Source},
        {ui_.lblSystemDirAndFiles, DropPlace::Source},
        {ui_.txtSystemDirAndFilesExclude, DropPlace::Exclusions},
        {ui_.lblSystemDirAndFilesExclude, DropPlace::Exclusions},
        {ui_.txtSystemTargetDir, DropPlace::Target},
        {ui_.lblSystemTargetDir, DropPlace::Target},
    };
    for (const auto& p : places)
        if (watched == p.control)
            return p.place;
    return DropPlace::None;
}

bool frmMain::dropFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    const DropPlace place = dropPlaceOf(watched);
    if (place == DropPlace::None)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* mime = drop->mimeData();
    // File lists only; the rows of the current task only while there is one.
    const bool wanted =
        mime->hasUrls() && (place == DropPlace::Project ? isProjectFile(mime->urls()) : currentTask_ >= 0);
    if (!wanted) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type != QEvent::Drop)
        return true;
    const QList<QUrl> urls = mime->urls();
    switch (place) {
    case DropPlace::Project: dropProject(urls); break;
    case DropPlace::Source: dropSource(urls); break;
    case DropPlace::Exclusions: dropExclusions(urls); break;
    case DropPlace::Target: dropTarget(urls); break;
    case DropPlace::None: break;
    }
    return true;
}

bool frmMain::fc_DroppedPath(const QUrl& url, std::string& path)
{
    platform::ErrorCode code = platform::error::kInvalidName;
    path = url.isLocalFile() ? url.toLocalFile().toStdString() : url.toDisplayString().toStdString();
    platform::FileEntry entry;
    if (url.isLocalFile() && platform::statEntry(path, entry, code))
        return true;
    util::ui::msgBox(this, "Fehler bei: '" + path + "'" + base::kCrLf + base::kCrLf + base::fc_GetApiErrorText(code),
                     base::Buttons::Ok, base::Icon::Critical, "Fehler ...");
    return false;
}

void frmMain::dropProject(const QList<QUrl>& urls)
{
    if (!isProjectFile(urls))
        return;
    if (changed_) {
        switch (util::ui::msgBox(this, "Möchten Sie vorher die geänderten Daten speichern?", base::Buttons::YesNoCancel,
                                 base::Icon::Question, "Änderungen speichern ...")) {
        case base::Answer::Yes:
            if (!sb_ProjectSave())
                return; // the changes would be lost
            break;
        case base::Answer::No: break;
        default: return;
        }
    }
    sb_ProjectLoad(urls.front().toLocalFile());
}

void frmMain::dropSource(const QList<QUrl>& urls)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        std::string path;
        if (!fc_DroppedPath(url, path))
            return;
        paths.push_back(platform::withoutTrailingSeparator(path));
    }
    if (paths.empty())
        return;
    std::string source;
    std::vector<std::string> entries;
    if (platform::isRoot(paths.front())) {
        // The roots of the computer's drives, as full paths.
        source = "<Arbeitsplatz>";
        entries = paths;
    } else {
        source = platform::parentPath(paths.front());
        for (const std::string& path : paths) {
            const std::optional<std::string> rest = restBelow(path, source);
            if (!rest) {
                util::ui::msgBox(this, "Bitte nur Daten aus dem Verzeichnis '" + source + "' angeben!",
                                 base::Buttons::Ok, base::Icon::Information, "Aktion abgebrochen ...");
                return;
            }
            entries.push_back(platform::isDirectory(path) ? platform::folderEntryFromRelativePath(rest->substr(1))
                                                          : base::replaceAll(rest->substr(1), "/", "\\"));
        }
    }
    QLineEdit* sourceBox = ui_.txtSystemDir;
    QLineEdit* selectionBox = ui_.txtSystemDirAndFiles;
    sourceBox->setText(QString::fromStdString(source));
    selectionBox->setText(QString::fromStdString(base::join(entries, ";")));
    storeFolderField(sourceBox, project::kSourceFolder);
    storeField(project::kSelection, selectionBox->text());
}

void frmMain::dropExclusions(const QList<QUrl>& urls)
{
    // Exclusions match names at every level of the walk: a folder is entered
    // with its mark, a file by its name.
    QLineEdit* box = ui_.txtSystemDirAndFilesExclude;
    std::string text = box->text().toStdString();
    for (const QUrl& url : urls) {
        std::string path;
        if (!fc_DroppedPath(url, path))
            return;
        path = platform::withoutTrailingSeparator(path);
        const std::string name =
            platform::isDirectory(path) ? "\\" + platform::fileName(path) : platform::fileName(path);
        text += (text.empty() ? "" : ";") + name;
    }
    box->setText(QString::fromStdString(text));
}

void frmMain::dropTarget(const QList<QUrl>& urls)
{
    if (urls.size() > 1) {
        util::ui::msgBox(this, "Bitte nur ein Zielverzeichnis angeben!", base::Buttons::Ok, base::Icon::Information,
                         "Aktion abgebrochen ...");
        return;
    }
    std::string path;
    if (urls.isEmpty() || !fc_DroppedPath(urls.front(), path) || !platform::isDirectory(path))
        return;
    QLineEdit* box = ui_.txtSystemTargetDir;
    box->setText(QString::fromStdString(path));
    storeFolderField(box, project::kTargetFolder);
}

} // namespace zdr::mainwindow
