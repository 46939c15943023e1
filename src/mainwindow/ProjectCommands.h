#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace zdr::mainwindow {

// The project file of the window: its name box, loading and saving through
// clsProject, the " *" in the caption while the project has changes, and the
// questions before they would be lost (closing, a dropped project). The
// other parts follow a load through the signals.
class ProjectCommands : public QObject {
    Q_OBJECT
public:
    // The window is the form the project file stores; its caption shows the
    // project.
    explicit ProjectCommands(QWidget* window);

    QLabel* lblProjectName() const { return lblProjectName_; }
    QLineEdit* txtProjectName() const { return txtProjectName_; }

    // false when nothing was loaded (not found, damaged, dialog cancelled).
    bool sb_ProjectLoad(const QString& fileName);
    // true when the project is on the disk.
    bool sb_ProjectSave();
    // A project file dropped on the window: asks about changes first.
    void loadDropped(const QString& fileName);

    bool isChanged() const { return changed_; }
    void sb_ChangedSet();
    void sb_ChangedClear();
    // What the window set up is no edit.
    void startUnchanged();

    // Before closing: false when the user cancels or the save failed.
    bool askSaveBeforeClose();
    // Leaving the name box with another name is a change.
    void storeFocusedName();

    static QString projectFileFilter();

signals:
    // A load begins: no task is current, the action's refusal is forgotten.
    void loadStarting();
    // The file's controls are read (true) and were read (false).
    void reading(bool started);
    // A load ended, with or without a project read.
    void loadDone();
    // The box being edited is to be stored before the project is read.
    void storingEdits();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QLineEdit* txtProjectName_ = nullptr;
    QLabel* lblProjectName_ = nullptr;
    bool changed_ = false;
    QString lastProject_; // loaded or saved last: where the file dialogs start
    QString rememberedProjectName_;
};

} // namespace zdr::mainwindow
