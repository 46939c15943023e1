// Running the project: the option words from the controls, the tasks to the
// run coordinator, and the coordinator's events (minimising and restoring the
// window, the end of the run, entries excluded in the protocol).
#include "mainwindow/frmMain.h"

#include "base/Text.h"
#include "base/Unattended.h"
#include "mainwindow/TaskListModel.h"
#include "mainwindow/clsProject.h"
#include "project/Task.h"
#include "run/RunOptions.h"
#include "util/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <climits>

namespace zdr::mainwindow {

namespace {

constexpr const char* kStateTag = "Tag"; // the remembered window state, as decimal text

// fc_Init, fc_InitAdd for every task from the first row, fc_InitActionStart;
// false as soon as one refuses.
bool fc_CoverStart(run::RunCover& cover, const std::string& action, const run::RunWords& words, std::uint8_t level,
                   std::uint32_t blockBytes, const std::vector<project::Task>& tasks, QWidget* caller)
{
    bool started = cover.fc_Init(action, words.status, words.statusEx, level, blockBytes);
    for (std::size_t i = 0; started && i < tasks.size(); ++i)
        started = cover.fc_InitAdd(tasks[i]);
    return started && cover.fc_InitActionStart(true, caller);
}

// A coordinator goes on the next turn of the event loop: its events come from
// inside its own windows.
template <class Cover>
void releaseLater(std::unique_ptr<Cover>& cover)
{
    if (cover)
        QTimer::singleShot(0, qApp, [doomed = std::shared_ptr<Cover>(std::move(cover))] {});
}

} // namespace

void frmMain::sb_ProjectRun(bool autoStart)
{
    storeFocusedField();
    const int index = cboAction_->currentIndex();
    const std::string action = project::actionCode(index);
    const bool registry = project::isRegistryAction(index);
    if (action.empty()) {
        // A project file with a damaged action index: nothing can run.
        util::ui::msgBox(this, "Bitte wählen Sie eine gültige Aktion aus!", util::ui::Buttons::Ok,
                         util::ui::Icon::Information, "Aktion abgebrochen ...");
        sb_StartFailed();
        return;
    }
    if (registry ? registryCover_ != nullptr : cover_ != nullptr)
        return; // a run of that kind is going on
    const auto checkValue = [this](std::string_view name) { return clsProject::checkValue(option(name)); };
    const run::RunWords words = run::fc_RunWords(index, checkValue, autoStart, closeAfterRun_);
    const auto level = static_cast<std::uint8_t>(
        std::clamp<long long>(base::numberValue(ui_.txtFolderInfoLevel->text().toStdString()), 0, 255));
    const auto blockBytes = static_cast<std::uint32_t>(
        std::clamp<long long>(base::numberValue(ui_.txtFileBlockSize->text().toStdString()), 0, INT32_MAX));

    // The coordinator turns the event loop while it prepares (a network
    // source) and an automatic start runs inside fc_InitActionStart.
    starting_ = true;
    bool started = false;
    if (registry) {
        // Registry runs read no folder levels, and their protocol lists no
        // entries to exclude: the exclusion box holds a registry value.
        registryCover_ = registryCoverFactory_({.done = [this] { lkl_clsSystemChange_InfoCover_Done(); },
                                                .actionStart = [this] { lkl_clsFolderCopy_InfoCover_ActionStart(); },
                                                .exceptData = {}});
        started = registryCover_ && fc_CoverStart(*registryCover_, action, words, 2, blockBytes, tasks_->tasks(), this);
        if (!started)
            releaseLater(registryCover_);
    } else {
        cover_ = runCoverFactory_(
            {.done = [this] { lkl_clsFolderCopy_InfoCover_Done(); },
             .actionStart = [this] { lkl_clsFolderCopy_InfoCover_ActionStart(); },
             .exceptData = [this](protocol::EntryKind kind,
                                  std::string& name) { lkl_clsFolderCopy_InfoCover_ExceptData(kind, name); }});
        started = cover_ && fc_CoverStart(*cover_, action, words, level, blockBytes, tasks_->tasks(), this);
        if (!started)
            releaseLater(cover_);
    }
    starting_ = false;
    if (!started)
        sb_StartFailed();
}

void frmMain::sb_StartFailed()
{
    sb_CommandLineRunOver(false);
    // A start from the command line that failed must not leave a program
    // without a window behind.
    if (!isVisible()) {
        if (base::unattended())
            close();
        else
            show();
    }
}

void frmMain::lkl_clsFolderCopy_InfoCover_ActionStart()
{
    if (ui_.chkFormMinAfterStart->checkState() != Qt::Checked || !isVisible() || isMinimized())
        return;
    setProperty(kStateTag, QString::number(static_cast<int>(windowState())));
    showMinimized();
    QCoreApplication::processEvents();
}

void frmMain::lkl_clsFolderCopy_InfoCover_Done()
{
    sb_CommandLineRunOver(cover_->RunSucceeded());
    releaseLater(cover_);
    sb_RunOver(true);
}

void frmMain::lkl_clsSystemChange_InfoCover_Done()
{
    sb_CommandLineRunOver(registryCover_->RunSucceeded());
    releaseLater(registryCover_);
    sb_RunOver(false);
}

void frmMain::sb_RunOver(bool closeAfterRunTest)
{
    const QString remembered = property(kStateTag).toString();
    if (!remembered.isEmpty()) {
        setProperty(kStateTag, QString());
        setWindowState(static_cast<Qt::WindowStates>(remembered.toInt()));
        show();
        QCoreApplication::processEvents();
    } else if (!isVisible()) {
        // Started from the command line with the window hidden: the program ends.
        close();
        return;
    }
    if (closeAfterRunTest && closeAfterRun_) {
        close();
        return;
    }
    raise();
    activateWindow();
    lvwMain_->setFocus();
}

void frmMain::sb_CommandLineRunOver(bool succeeded)
{
    if (!commandLineRun_)
        return;
    commandLineRun_ = false;
    exitCode_ = succeeded ? 0 : 1;
}

void frmMain::lkl_clsFolderCopy_InfoCover_ExceptData(protocol::EntryKind kind, std::string& name)
{
    if (kind == protocol::EntryKind::Folder)
        name = "\\" + name;
    QLineEdit* box = ui_.txtSystemDirAndFilesExclude;
    const std::string text = box->text().toStdString();
    // Already there as an entry of its own; a longer one holding the name
    // ("x.tmp" for "t.tmp") is another entry.
    if (base::icontains(";" + text + ";", ";" + name + ";"))
        return;
    box->setText(QString::fromStdString(text.empty() ? name : text + ";" + name));
}

} // namespace zdr::mainwindow
