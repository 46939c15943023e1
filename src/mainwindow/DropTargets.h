#pragma once

#include <QObject>

#include <string>
#include <vector>

class QUrl;
class QWidget;

namespace zdr::mainwindow {

class TaskEditor;

// Drag and drop from the file manager: a project file on the project's
// places, folders and files on the source, selection, exclusion and target
// rows of the current task.
class DropTargets : public QObject {
    Q_OBJECT
public:
    enum class Place { Project, Source, Exclusions, Target };

    DropTargets(QWidget* window, TaskEditor& tasks);

    // The control takes drops for the place.
    void addPlace(QWidget* control, Place place);

signals:
    // One project file was dropped.
    void projectDropped(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dropSource(const QList<QUrl>& urls);
    void dropExclusions(const QList<QUrl>& urls);
    void dropTarget(const QList<QUrl>& urls);
    bool fc_DroppedPath(const QUrl& url, std::string& path);

    QWidget* window_;
    TaskEditor& tasks_;
    struct Target {
        const QObject* control;
        Place place;
    };
    std::vector<Target> places_;
};

} // namespace zdr::mainwindow
