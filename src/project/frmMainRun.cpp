// Running the project: the option words from the controls, the tasks to the
// run coordinator, and the coordinator's events (minimising and restoring the
// window, the end of the run, entries excluded in the protocol).
#include "project/frmMain.h"

#include "app/Unattended.h"
#include "project/RunOptions.h"
#include "project/Task.h"
#include "project/clsProject.h"
#include "util/MsgBox.h"
#include "util/Text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <climits>

namespace zdr::project {

namespace {

constexpr const char* kStateTag = "Tag"; // the remembered window state, as decimal text

std::uint32_t number32(const QString& text)
{
    return static_cast<std::uint32_t>(std::clamp<long long>(util::numberValue(text.toStdString()), 0, UINT32_MAX));
}

app::CoverTask coverTaskOf(const QTreeWidgetItem* row)
{
    const auto field = [row](int subItem) { return row->text(subItem).toStdString(); };
    app::CoverTask task;
    task.sourceFolder = field(kSourceFolder);
    task.selectedEntries = field(kSelection);
    task.targetFolder = field(kTargetFolder);
    task.attributeSet = number32(row->text(kAttributeSet));
    task.attributeDel = number32(row->text(kAttributeDel));
    task.exclusions = field(kExclusions);
    task.nameFilters = field(kNameFilters);
    task.fileExtensions = field(kExtensions);
    task.filesSizeMax = field(kFilesSizeMax);
    task.renameCode = field(kRenameKey);
    task.netSourceCode = field(kNetSourceKey);
    task.netTargetCode = field(kNetTargetKey);
    task.dateFrom = field(kDateFrom);
    task.dateTo = field(kDateTo);
    task.backupFolder = field(kBackupDir);
    return task;
}

} // namespace

void frmMain::sb_ProjectRun(bool autoStart)
{
    storeFocusedField();
    const int index = cboAction_->currentIndex();
    if (isRegistryAction(index)) {
        util::ui::msgBox(this, "Registry-Aufgaben können in dieser Version noch nicht ausgeführt werden.",
                         util::Buttons::Ok, util::Icon::Information, "Aktion abgebrochen ...");
        return;
    }
    const std::string action = actionCode(index);
    if (action.empty() || cover_)
        return; // a run is going on
    const auto checkValue = [this](std::string_view name) {
        return clsProject::checkValue(option(std::string(name).c_str()));
    };
    const RunWords words = fc_RunWords(index, checkValue, autoStart, closeAfterRun_);
    const auto level = static_cast<std::uint8_t>(std::clamp<long long>(
        util::numberValue(findChild<QLineEdit*>(QStringLiteral("txtFolderInfoLevel"))->text().toStdString()), 0, 255));
    const auto blockBytes = static_cast<std::uint32_t>(std::clamp<long long>(
        util::numberValue(findChild<QLineEdit*>(QStringLiteral("txtFileBlockSize"))->text().toStdString()), 0,
        INT32_MAX));

    cover_ = runCoverFactory_({.done = [this] { lkl_clsFolderCopy_InfoCover_Done(); },
                               .actionStart = [this] { lkl_clsFolderCopy_InfoCover_ActionStart(); },
                               .exceptData = [this](std::string& kind, std::string& name) {
                                   lkl_clsFolderCopy_InfoCover_ExceptData(kind, name);
                               }});
    if (!cover_)
        return;
    // The coordinator turns the event loop while it prepares (a network
    // source) and an automatic start runs inside fc_InitActionStart.
    starting_ = true;
    bool started = cover_->fc_Init(action, words.status, words.statusEx, level, blockBytes);
    for (int i = 0; started && i < lvwMain_->topLevelItemCount(); ++i)
        started = cover_->fc_InitAdd(coverTaskOf(lvwMain_->topLevelItem(i)));
    started = started && cover_->fc_InitActionStart(true, this);
    starting_ = false;
    if (started)
        return;
    releaseCover();
    // A start from the command line that failed must not leave a program
    // without a window behind.
    if (!isVisible()) {
        if (app::unattended())
            close();
        else
            show();
    }
}

void frmMain::releaseCover()
{
    if (!cover_)
        return;
    QTimer::singleShot(0, qApp, [doomed = std::shared_ptr<app::RunCover>(std::move(cover_))] {});
}

void frmMain::lkl_clsFolderCopy_InfoCover_ActionStart()
{
    if (option("chkFormMinAfterStart")->checkState() != Qt::Checked || !isVisible() || isMinimized())
        return;
    setProperty(kStateTag, QString::number(static_cast<int>(windowState())));
    showMinimized();
    QCoreApplication::processEvents();
}

void frmMain::lkl_clsFolderCopy_InfoCover_Done()
{
    const QString remembered = property(kStateTag).toString();
    if (!remembered.isEmpty()) {
        setProperty(kStateTag, QString());
        setWindowState(static_cast<Qt::WindowStates>(remembered.toInt()));
        show();
        QCoreApplication::processEvents();
    } else if (!isVisible()) {
        // Started from the command line with the window hidden: the program ends.
        releaseCover();
        close();
        return;
    }
    releaseCover();
    if (closeAfterRun_) {
        close();
        return;
    }
    raise();
    activateWindow();
    lvwMain_->setFocus();
}

void frmMain::lkl_clsFolderCopy_InfoCover_ExceptData(std::string& kind, std::string& name)
{
    if (kind == "FOLDER")
        name = "\\" + name;
    auto* box = findChild<QLineEdit*>(QStringLiteral("txtSystemDirAndFilesExclude"));
    const std::string text = box->text().toStdString();
    if (util::icontains(text, name))
        return;
    box->setText(QString::fromStdString(text.empty() ? name : text + ";" + name));
}

} // namespace zdr::project
