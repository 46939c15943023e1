#include "mainwindow/RunStart.h"

#include "base/Text.h"
#include "base/Unattended.h"
#include "mainwindow/ActionOptions.h"
#include "mainwindow/TaskEditor.h"
#include "mainwindow/TaskListModel.h"
#include "mainwindow/clsProject.h"
#include "project/Task.h"
#include "run/RunOptions.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/clsSystemChange_Cover.h"
#include "util/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

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

RunStart::RunStart(QWidget* window, TaskEditor& tasks, const ActionOptions& options)
    : QObject(window), window_(window), tasks_(tasks), options_(options),
      runCoverFactory_(run::ui::clsFolderCopy_Cover::factory()),
      registryCoverFactory_(run::ui::clsSystemChange_Cover::factory())
{
}

RunStart::~RunStart() = default;

void RunStart::setCommandLineRun(bool closeAfterRun)
{
    closeAfterRun_ = closeAfterRun;
    commandLineRun_ = true;
}

bool RunStart::isBusy() const
{
    return starting_ || (cover_ && cover_->IsRunning()) || (registryCover_ && registryCover_->IsRunning());
}

void RunStart::release()
{
    cover_.reset();
    registryCover_.reset();
}

void RunStart::sb_ProjectRun(bool autoStart)
{
    emit storingEdits();
    const int index = options_.actionIndex();
    const std::string action = project::actionCode(index);
    const bool registry = project::isRegistryAction(index);
    if (action.empty()) {
        // A project file with a damaged action index: nothing can run.
        util::ui::msgBox(window_, "Bitte wählen Sie eine gültige Aktion aus!", util::ui::Buttons::Ok,
                         util::ui::Icon::Information, "Aktion abgebrochen ...");
        sb_StartFailed();
        return;
    }
    if (registry ? registryCover_ != nullptr : cover_ != nullptr)
        return; // a run of that kind is going on
    const auto checkValue = [this](std::string_view name) { return clsProject::checkValue(options_.option(name)); };
    const run::RunWords words = run::fc_RunWords(index, checkValue, autoStart, closeAfterRun_);
    const auto level = static_cast<std::uint8_t>(
        std::clamp<long long>(base::numberValue(options_.widgets().txtFolderInfoLevel->text().toStdString()), 0, 255));
    const auto blockBytes = static_cast<std::uint32_t>(std::clamp<long long>(
        base::numberValue(options_.widgets().txtFileBlockSize->text().toStdString()), 0, INT32_MAX));

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
        started = registryCover_
            && fc_CoverStart(*registryCover_, action, words, 2, blockBytes, tasks_.tasks().tasks(), window_);
        if (!started)
            releaseLater(registryCover_);
    } else {
        cover_ = runCoverFactory_(
            {.done = [this] { lkl_clsFolderCopy_InfoCover_Done(); },
             .actionStart = [this] { lkl_clsFolderCopy_InfoCover_ActionStart(); },
             .exceptData = [this](protocol::EntryKind kind,
                                  std::string& name) { lkl_clsFolderCopy_InfoCover_ExceptData(kind, name); }});
        started = cover_ && fc_CoverStart(*cover_, action, words, level, blockBytes, tasks_.tasks().tasks(), window_);
        if (!started)
            releaseLater(cover_);
    }
    starting_ = false;
    if (!started)
        sb_StartFailed();
}

void RunStart::sb_StartFailed()
{
    sb_CommandLineRunOver(false);
    // A start from the command line that failed must not leave a program
    // without a window behind.
    if (!window_->isVisible()) {
        if (base::unattended())
            window_->close();
        else
            window_->show();
    }
}

void RunStart::lkl_clsFolderCopy_InfoCover_ActionStart()
{
    if (options_.widgets().chkFormMinAfterStart->checkState() != Qt::Checked || !window_->isVisible()
        || window_->isMinimized())
        return;
    window_->setProperty(kStateTag, QString::number(static_cast<int>(window_->windowState())));
    window_->showMinimized();
    QCoreApplication::processEvents();
}

void RunStart::lkl_clsFolderCopy_InfoCover_Done()
{
    sb_CommandLineRunOver(cover_->RunSucceeded());
    releaseLater(cover_);
    sb_RunOver(true);
}

void RunStart::lkl_clsSystemChange_InfoCover_Done()
{
    sb_CommandLineRunOver(registryCover_->RunSucceeded());
    releaseLater(registryCover_);
    sb_RunOver(false);
}

void RunStart::sb_RunOver(bool closeAfterRunTest)
{
    const QString remembered = window_->property(kStateTag).toString();
    if (!remembered.isEmpty()) {
        window_->setProperty(kStateTag, QString());
        window_->setWindowState(static_cast<Qt::WindowStates>(remembered.toInt()));
        window_->show();
        QCoreApplication::processEvents();
    } else if (!window_->isVisible()) {
        // Started from the command line with the window hidden: the program ends.
        window_->close();
        return;
    }
    if (closeAfterRunTest && closeAfterRun_) {
        window_->close();
        return;
    }
    window_->raise();
    window_->activateWindow();
    tasks_.focusList();
}

void RunStart::sb_CommandLineRunOver(bool succeeded)
{
    if (!commandLineRun_)
        return;
    commandLineRun_ = false;
    exitCode_ = succeeded ? 0 : 1;
}

void RunStart::lkl_clsFolderCopy_InfoCover_ExceptData(protocol::EntryKind kind, std::string& name)
{
    if (kind == protocol::EntryKind::Folder)
        name = "\\" + name;
    const std::string text = tasks_.fieldText(project::kExclusions).toStdString();
    // Already there as an entry of its own; a longer one holding the name
    // ("x.tmp" for "t.tmp") is another entry.
    if (base::icontains(";" + text + ";", ";" + name + ";"))
        return;
    tasks_.setFieldText(project::kExclusions, QString::fromStdString(text.empty() ? name : text + ";" + name));
}

} // namespace zdr::mainwindow
