// Drag and drop from the file manager: a project file on the project frame,
// folders and files on the source, selection, exclusion and target rows.
#include "mainwindow/DropTargets.h"

#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "mainwindow/TaskEditor.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"
#include "project/Task.h"
#include "util/MsgBox.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <optional>

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

DropTargets::DropTargets(QWidget* window, TaskEditor& tasks) : QObject(window), window_(window), tasks_(tasks) {}

void DropTargets::addPlace(QWidget* control, Place place)
{
    control->setAcceptDrops(true);
    control->installEventFilter(this);
    places_.push_back({control, place});
}

bool DropTargets::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    const auto target =
        std::find_if(places_.begin(), places_.end(), [watched](const Target& t) { return t.control == watched; });
    if (target == places_.end())
        return false;
    const Place place = target->place;
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* mime = drop->mimeData();
    // File lists only; the rows of the current task only while there is one.
    const bool wanted =
        mime->hasUrls() && (place == Place::Project ? isProjectFile(mime->urls()) : tasks_.currentTask() >= 0);
    if (!wanted) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type != QEvent::Drop)
        return true;
    const QList<QUrl> urls = mime->urls();
    switch (place) {
    case Place::Project: emit projectDropped(urls.front().toLocalFile()); break;
    case Place::Source: dropSource(urls); break;
    case Place::Exclusions: dropExclusions(urls); break;
    case Place::Target: dropTarget(urls); break;
    }
    return true;
}

bool DropTargets::fc_DroppedPath(const QUrl& url, std::string& path)
{
    platform::ErrorCode code = platform::error::kInvalidName;
    path = url.isLocalFile() ? url.toLocalFile().toStdString() : url.toDisplayString().toStdString();
    platform::FileEntry entry;
    if (url.isLocalFile() && platform::statEntry(path, entry, code))
        return true;
    util::ui::msgBox(window_, "Fehler bei: '" + path + "'" + base::kCrLf + base::kCrLf + base::fc_GetApiErrorText(code),
                     base::Buttons::Ok, base::Icon::Critical, "Fehler ...");
    return false;
}

void DropTargets::dropSource(const QList<QUrl>& urls)
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
                util::ui::msgBox(window_, "Bitte nur Daten aus dem Verzeichnis '" + source + "' angeben!",
                                 base::Buttons::Ok, base::Icon::Information, "Aktion abgebrochen ...");
                return;
            }
            entries.push_back(platform::isDirectory(path) ? platform::folderEntryFromRelativePath(rest->substr(1))
                                                          : base::replaceAll(rest->substr(1), "/", "\\"));
        }
    }
    tasks_.setFieldText(project::kSourceFolder, QString::fromStdString(source));
    tasks_.setFieldText(project::kSelection, QString::fromStdString(base::join(entries, ";")));
    tasks_.storeAsLeft(project::kSourceFolder);
    tasks_.storeAsLeft(project::kSelection);
}

void DropTargets::dropExclusions(const QList<QUrl>& urls)
{
    // Exclusions match names at every level of the walk: a folder is entered
    // with its mark, a file by its name.
    std::string text = tasks_.fieldText(project::kExclusions).toStdString();
    for (const QUrl& url : urls) {
        std::string path;
        if (!fc_DroppedPath(url, path))
            return;
        path = platform::withoutTrailingSeparator(path);
        const std::string name =
            platform::isDirectory(path) ? "\\" + platform::fileName(path) : platform::fileName(path);
        text += (text.empty() ? "" : ";") + name;
    }
    tasks_.setFieldText(project::kExclusions, QString::fromStdString(text));
}

void DropTargets::dropTarget(const QList<QUrl>& urls)
{
    if (urls.size() > 1) {
        util::ui::msgBox(window_, "Bitte nur ein Zielverzeichnis angeben!", base::Buttons::Ok, base::Icon::Information,
                         "Aktion abgebrochen ...");
        return;
    }
    std::string path;
    if (urls.isEmpty() || !fc_DroppedPath(urls.front(), path) || !platform::isDirectory(path))
        return;
    tasks_.setFieldText(project::kTargetFolder, QString::fromStdString(path));
    tasks_.storeAsLeft(project::kTargetFolder);
}

} // namespace zdr::mainwindow
