#include "mainwindow/frmMain.h"

#include "base/CommandLine.h"
#include "mainwindow/ActionOptions.h"
#include "mainwindow/DropTargets.h"
#include "mainwindow/ProjectCommands.h"
#include "mainwindow/RunStart.h"
#include "mainwindow/TaskEditor.h"
#include "mainwindow/TaskListModel.h"
#include "project/Task.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"
#include "util/HelpMenu.h"
#include "util/KeyState.h"
#include "util/MsgBox.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

#include <functional>

namespace zdr::mainwindow {

using util::ui::CommandLabel;

QStringList frmMain::storedControlOrder()
{
    return {"chkCopyFolderOnly",
            "chkCopySaveFilesInZip",
            "chkCopySaveFiles",
            "txtFolderInfoLevel",
            "chkInfoAboutFolderEntries",
            "chkFormMinAfterStart",
            "txtBackupDir",
            "txtSystemFilesDateTimeFrom",
            "txtSystemFilesDateTimeTo",
            "txtRenameAfterActionText",
            "txtSystemFilesExtensions",
            "txtSystemFilesSizeMax",
            "txtSystemDirAndFilesFilter",
            "chkAttribute_Compressed",
            "lvwMain",
            "txtSystemDir",
            "txtSystemTargetDir",
            "chkAttribute_Hidden",
            "chkAttribute_Protected",
            "txtSystemDirAndFilesExclude",
            "txtSystemDirAndFiles",
            "chkAttribute_Archive",
            "chkCopyAskByTargetNewer",
            "txtFileBlockSize",
            "chkCopyBlockBytes",
            "chkCopyProtocolShowAuto",
            "chkActionAutoStart",
            "chkCopyContinueAfterError",
            "chkCopyCreateProtocol",
            "chkCopyOnlyNewer",
            "chkCopyWithInfo",
            "chkCopyOverwriteExisting",
            "chkCopyOverwriteProtected",
            "chkCopyNoFileInfo",
            "chkCopyInfoOnlyCount",
            "chkCopyInfoAskBeforeAction",
            "chkCopyOnlyDiffrentFiles",
            "cboAction",
            "txtProjectName"};
}

QString frmMain::projectFileFilter() { return ProjectCommands::projectFileFilter(); }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setProperty("zdrStoredControls", storedControlOrder());
    setWindowTitle(QStringLiteral("[Projekt]"));
    // The parts make their controls in the window's Tab order: the project
    // name, the action and its options, the task list and its fields; the
    // command strip follows.
    project_ = new ProjectCommands(this);
    options_ = new ActionOptions(this, [this] {
        const project::Task* task = editor_->currentRecord();
        return task && !task->renameCode.empty();
    });
    editor_ = new TaskEditor(this);
    run_ = new RunStart(this, *editor_, *options_);
    drops_ = new DropTargets(this, *editor_);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    // A laptop of 1366 x 768 with a panel leaves about 700 pixels: the
    // window's least height stays below that, the task list takes the rest.
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(buildProjectFrame());
    layout->addWidget(buildOptionsFrame());
    layout->addWidget(buildTaskFrame(), 1);
    layout->addWidget(buildEditFrame());
    layout->addWidget(buildCommandStrip());
    setCentralWidget(central);
    resize(900, 700);
    buildMenus();
    connectParts();
    options_->cboAction_Click(options_->actionIndex());
    // What the window sets up is no edit: the first edit marks the project.
    editor_->sb_TaskShow(-1);
    project_->startUnchanged();
}

frmMain::~frmMain()
{
    // The coordinators go while the window is whole, as its own members did.
    run_->release();
}

void frmMain::connectParts()
{
    // Every edit of the tasks (a field, a label renamed in the list, a task
    // added, removed or moved) and of the options is a change of the project.
    connect(&editor_->tasks(), &TaskListModel::edited, project_, &ProjectCommands::sb_ChangedSet);
    connect(options_, &ActionOptions::changed, project_, &ProjectCommands::sb_ChangedSet);

    connect(editor_, &TaskEditor::taskShown, options_, &ActionOptions::sb_OptionsEnable);
    connect(editor_, &TaskEditor::renameEdited, options_, &ActionOptions::applyRenameProtocolRule);
    connect(options_, &ActionOptions::offersChanged, editor_, &TaskEditor::setOptionOffers);
    connect(options_, &ActionOptions::actionShown, this, [this](int index) {
        for (QAction* entry : mnuRegistryWork_)
            entry->setChecked(entry->data().toInt() == index);
        editor_->sb_FieldCaptions(project::isRegistryAction(index));
    });
    connect(editor_, &TaskEditor::runnableChanged, lblCmdProjectAction_, &QWidget::setEnabled);

    connect(project_, &ProjectCommands::loadStarting, this, [this] {
        editor_->setCurrentTask(-1);
        editor_->sb_TaskShow(-1);
        options_->clearRefusal();
    });
    // A registry project stores the index of a registry action: the list
    // must hold it while the project is read.
    connect(project_, &ProjectCommands::reading, options_, &ActionOptions::sb_RegistryActionsOffer);
    connect(project_, &ProjectCommands::loadDone, this, [this] {
        editor_->showStoredSelection();
        lblCmdProjectAction_->setEnabled(editor_->tasks().rowCount() > 0);
    });
    connect(project_, &ProjectCommands::storingEdits, this, &frmMain::storeFocusedField);
    connect(run_, &RunStart::storingEdits, this, &frmMain::storeFocusedField);

    connect(drops_, &DropTargets::projectDropped, project_, &ProjectCommands::loadDropped);
    using Place = DropTargets::Place;
    const TaskEditor::Widgets& fields = editor_->widgets();
    const std::pair<QWidget*, Place> places[] = {
        {fraProject_, Place::Project},
        {project_->lblProjectName(), Place::Project},
        {project_->txtProjectName(), Place::Project},
        {fields.lblSystemDir, Place::Source},
        {fields.lblSystemDirAndFiles, Place::Source},
        {fields.lblSystemDirAndFilesExclude, Place::Exclusions},
        {fields.lblSystemTargetDir, Place::Target},
        {fields.txtSystemDir, Place::Source},
        {fields.txtSystemDirAndFiles, Place::Source},
        {fields.txtSystemDirAndFilesExclude, Place::Exclusions},
        {fields.txtSystemTargetDir, Place::Target},
    };
    for (const auto& [control, place] : places)
        drops_->addPlace(control, place);

    connect(lblCmdProjectLoad_, &CommandLabel::command, this, [this] { project_->sb_ProjectLoad(QString()); });
    connect(lblCmdProjectSave_, &CommandLabel::command, project_, &ProjectCommands::sb_ProjectSave);
    connect(lblCmdClose_, &CommandLabel::command, this, &frmMain::commandClose);
    connect(lblCmdProjectAction_, &CommandLabel::command, this,
            [this] { run_->sb_ProjectRun(options_->widgets().chkActionAutoStart->checkState() == Qt::Checked); });
}

// Commands are labels, which take no focus: the box being edited is stored
// before a command reads the project.
void frmMain::storeFocusedField()
{
    editor_->storeFocusedField();
    if (QApplication::focusWidget() == project_->txtProjectName())
        project_->storeFocusedName();
}

void frmMain::buildMenus()
{
    // The commands of the window by keys the desktops use for them; each
    // runs as a click on its command label.
    QMenu* projectMenu = menuBar()->addMenu(QStringLiteral("&Projekt"));
    projectMenu->setObjectName(QStringLiteral("mnuProject"));
    const struct {
        const char* text;
        QKeySequence keys;
        std::function<void()> command;
    } projectItems[] = {
        {"&Neue Aufgabe", QKeySequence(Qt::CTRL | Qt::Key_N), [this] { editor_->sb_TaskNew(); }},
        {"Projekt &laden ...", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { lblCmdProjectLoad_->click(); }},
        {"Projekt &speichern ...", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { lblCmdProjectSave_->click(); }},
        {"&Aktion ausführen", QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { lblCmdProjectAction_->click(); }},
        {"S&chließen", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { lblCmdClose_->click(); }},
    };
    for (const auto& item : projectItems) {
        QAction* action = projectMenu->addAction(QString::fromUtf8(item.text));
        action->setShortcut(item.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, item.command);
    }
    // The registry actions, which the action list offers only once chosen.
    QMenu* extras = menuBar()->addMenu(QStringLiteral("&Extras"));
    extras->setObjectName(QStringLiteral("mnuExtras"));
    extras->setToolTipsVisible(true);
    auto* registry = new QActionGroup(this);
    registry->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (std::size_t i = 0; i < mnuRegistryWork_.size(); ++i) {
        const int index = i == 0 ? project::kActionRegistryInfo : project::kActionRegistryChange;
        QAction* entry =
            extras->addAction(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(index)].listText));
        mnuRegistryWork_[i] = entry;
        entry->setObjectName(QStringLiteral("mnuRegistryWork"));
        entry->setCheckable(true);
        entry->setData(index);
        entry->setToolTip(QStringLiteral("Registry-Wert auf einer Liste von Computern lesen: die Aufgaben nennen "
                                         "Computer, Registry Pfad, Schlüssel, Wert und Dienst."));
        registry->addAction(entry);
        // Unticked again: back to the program's first action.
        connect(entry, &QAction::triggered, this, [this, index](bool checked) {
            options_->sb_ActionChoose(checked ? index : project::kActionInitialIndex);
        });
    }
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Hilfe"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    util::ui::fillHelpMenu(help, this);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this,
            [this] { util::ui::openHelpFile(this, util::ui::helpTopic::kMainWindow); });
}

QWidget* frmMain::buildProjectFrame()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraProject"));
    fraProject_ = frame;
    auto* grid = new QGridLayout(frame);
    grid->addWidget(project_->lblProjectName(), 0, 0);
    grid->addWidget(project_->txtProjectName(), 0, 1);
    grid->addWidget(options_->widgets().lblAction, 0, 2);
    grid->addWidget(options_->widgets().cboAction, 0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);
    return frame;
}

QWidget* frmMain::buildOptionsFrame()
{
    const ActionOptions::Widgets& options = options_->widgets();
    auto* frame = new QGroupBox(QStringLiteral("Aktionszusammenstellung (Verzeichnisse und Dateien) "), this);
    frame->setObjectName(QStringLiteral("fraCopyFolder"));
    auto* grid = new QGridLayout(frame);
    int i = 0;
    for (QCheckBox* box : options.boxes) {
        grid->addWidget(box, i / 4, i % 4);
        ++i;
    }
    grid->setVerticalSpacing(2);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(options.numberCaptions[0]);
    numbers->addWidget(options.txtFolderInfoLevel);
    numbers->addWidget(options.numberCaptions[1]);
    numbers->addWidget(options.txtFileBlockSize);
    numbers->addStretch();
    // The last row has a free cell: the number fields take it.
    if (i % 4 != 0)
        grid->addLayout(numbers, i / 4, i % 4, 1, 4 - i % 4);
    else
        grid->addLayout(numbers, i / 4, 0, 1, 4);
    return frame;
}

QWidget* frmMain::buildTaskFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Aufgaben:"), this);
    frame->setObjectName(QStringLiteral("fraActionList"));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(editor_->widgets().lvwMain);
    return frame;
}

QWidget* frmMain::buildEditFrame()
{
    const TaskEditor::Widgets& ui = editor_->widgets();
    auto* frame = new QWidget(this);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(3);
    // Columns: caption, box, second caption, second box, "verbinden". A
    // long box spans to the end; two short ones share a row.
    int row = 0;
    const auto addRow = [&](QLabel* label, QWidget* field, QWidget* extra = nullptr) {
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, extra ? 3 : 4);
        if (extra)
            grid->addWidget(extra, row, 4);
        ++row;
    };
    bool pairOpen = false;
    const auto addPair = [&](QLabel* label, QWidget* field) {
        grid->addWidget(label, row, pairOpen ? 2 : 0);
        grid->addWidget(field, row, pairOpen ? 3 : 1, 1, pairOpen ? 2 : 1);
        if (pairOpen)
            ++row;
        pairOpen = !pairOpen;
    };
    addRow(ui.lblSystemDir, ui.txtSystemDir, ui.lblCmdSystemDirConnect);
    addRow(ui.lblSystemDirAndFiles, ui.txtSystemDirAndFiles);
    addRow(ui.lblSystemTargetDir, ui.txtSystemTargetDir, ui.lblCmdSystemTargetDirConnect);
    addRow(ui.lblSystemDirAndFilesExclude, ui.txtSystemDirAndFilesExclude);
    addPair(ui.lblSystemDirAndFilesFilter, ui.txtSystemDirAndFilesFilter);
    addPair(ui.lblSystemFilesExtensions, ui.txtSystemFilesExtensions);
    addPair(ui.lblSystemFilesSizeMax, ui.txtSystemFilesSizeMax);

    auto* dates = new QWidget(this);
    auto* dateLayout = new QHBoxLayout(dates);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    dateLayout->addWidget(ui.txtSystemFilesDateTimeFrom);
    dateLayout->addWidget(ui.txtSystemFilesDateTimeTo);
    addPair(ui.lblSystemFilesDateTime, dates);

    auto* attributes = new QWidget(this);
    auto* attributeLayout = new QHBoxLayout(attributes);
    attributeLayout->setContentsMargins(0, 0, 0, 0);
    for (QCheckBox* box : ui.chkAttribute)
        attributeLayout->addWidget(box);
    attributeLayout->addWidget(ui.Label1);
    attributeLayout->addStretch();
    addRow(ui.lblAttribute, attributes);

    addPair(ui.lblRenameAfterAction, ui.txtRenameAfterActionText);
    addPair(ui.lblBackupDir, ui.txtBackupDir);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return frame;
}

QWidget* frmMain::buildCommandStrip()
{
    auto* strip = new QWidget(this);
    auto* layout = new QHBoxLayout(strip);
    // Each command has an Alt key as "&Aktion ausführen" has (the menus
    // take Alt+P, Alt+E and Alt+H).
    lblCmdProjectAction_ =
        new CommandLabel(QStringLiteral("lblCmdProjectAction"), QStringLiteral("&Aktion ausführen"), this);
    lblCmdProjectAction_->setToolTip(QStringLiteral("Aktion ausführen ..."));
    layout->addWidget(lblCmdProjectAction_);
    layout->addStretch();
    layout->addWidget(lblCmdProjectLoad_ = new CommandLabel(QStringLiteral("lblCmdProjectLoad"),
                                                            QStringLiteral("Projekt &laden"), this));
    layout->addWidget(lblCmdProjectSave_ = new CommandLabel(QStringLiteral("lblCmdProjectSave"),
                                                            QStringLiteral("Projekt &speichern"), this));
    layout->addWidget(lblCmdClose_ =
                          new CommandLabel(QStringLiteral("lblCmdClose"), QStringLiteral("S&chließen"), this));
    return strip;
}

void frmMain::fc_Init(const QString& projectFile, const QString& switch1, const QString& switch2)
{
    const bool loaded = projectFile.isEmpty() || project_->sb_ProjectLoad(projectFile);
    const auto isA = [](const QString& s) { return base::isSwitch(s.toStdString(), 'a'); };
    const auto isS = [](const QString& s) { return base::isSwitch(s.toStdString(), 's'); };
    if (isA(switch1) || isA(switch2)) {
        if (util::ui::ctrlKeyHeld()) {
            show();
            return;
        }
        run_->setCommandLineRun(isS(switch1) || isS(switch2));
        // What was not loaded is not run (its message was shown).
        if (!loaded || options_->actionRefused())
            run_->sb_StartFailed();
        else
            run_->sb_ProjectRun(true);
        return;
    }
    show();
    if (projectFile.isEmpty()) {
        editor_->sb_TaskNew();
        // The first task of a new project is no edit either.
        project_->startUnchanged();
    }
    // The keyboard starts in the task list, and the focus shows there.
    editor_->widgets().lvwMain->setFocus(Qt::TabFocusReason);
}

void frmMain::commandClose()
{
    if (!project_->askSaveBeforeClose())
        return;
    closing_ = true;
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Unloading releases the coordinator; its engine must not be in the middle of a run.
    if (run_->isBusy()) {
        util::ui::msgBox(this,
                         "Es läuft noch ein Vorgang. Bitte brechen Sie ihn im Fortschrittsfenster ab oder warten Sie "
                         "sein Ende ab.",
                         util::ui::Buttons::Ok, util::ui::Icon::Information, "Schließen ...");
        closing_ = false;
        event->ignore();
        return;
    }
    // The window's close box asks like the "Schließen" command.
    if (!closing_ && !project_->askSaveBeforeClose()) {
        event->ignore();
        return;
    }
    closing_ = true;
    QMainWindow::closeEvent(event);
    // Not inside a coordinator here (their own events release them first):
    // they go now, with their windows and the runs' network drives.
    run_->release();
    emit unloaded(run_->exitCode());
}

bool frmMain::sb_ProjectLoad(const QString& fileName) { return project_->sb_ProjectLoad(fileName); }
bool frmMain::sb_ProjectSave() { return project_->sb_ProjectSave(); }
void frmMain::sb_ProjectRun(bool autoStart) { run_->sb_ProjectRun(autoStart); }
void frmMain::setRunCoverFactory(run::RunCoverFactory factory) { run_->setRunCoverFactory(std::move(factory)); }
void frmMain::setRegistryCoverFactory(run::SystemChangeCoverFactory factory)
{
    run_->setRegistryCoverFactory(std::move(factory));
}
bool frmMain::isRunGoing() const { return run_->isRunGoing(); }
TaskListModel& frmMain::tasks() const { return editor_->tasks(); }
void frmMain::sb_TaskShow(int row) { editor_->sb_TaskShow(row); }
int frmMain::currentTask() const { return editor_->currentTask(); }
void frmMain::setCurrentTask(int row) { editor_->setCurrentTask(row); }
void frmMain::sb_TaskNew() { editor_->sb_TaskNew(); }
void frmMain::sb_TaskDelete() { editor_->sb_TaskDelete(); }
void frmMain::sb_TaskMove(int direction) { editor_->sb_TaskMove(direction); }
void frmMain::sb_ParameterEdit(int codeSubItem) { editor_->sb_ParameterEdit(codeSubItem); }
bool frmMain::isChanged() const { return project_->isChanged(); }
void frmMain::sb_ChangedSet() { project_->sb_ChangedSet(); }
void frmMain::sb_ChangedClear() { project_->sb_ChangedClear(); }
bool frmMain::closeAfterRun() const { return run_->closeAfterRun(); }
int frmMain::exitCode() const { return run_->exitCode(); }

} // namespace zdr::mainwindow
