#include "mainwindow/frmMain.h"

#include "mainwindow/TaskListModel.h"
#include "mainwindow/clsProject.h"
#include "project/Task.h"
#include "run/OptionBoxes.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/clsSystemChange_Cover.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"
#include "util/HelpMenu.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
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

namespace {

// Run options of the options frame in their order. The boxes the progress
// window has too take its caption and tool tip; the others bring their own.
struct OptionBox {
    const char* name;
    QCheckBox* frmMain::Controls::*box;
    const char* caption = nullptr;
    const char* tip = nullptr;
};

using C = frmMain::Controls;

constexpr OptionBox kOptionBoxes[] = {
    {"chkCopyWithInfo", &C::chkCopyWithInfo},
    {"chkCopyNoFileInfo", &C::chkCopyNoFileInfo},
    {"chkCopyInfoOnlyCount", &C::chkCopyInfoOnlyCount},
    {"chkCopyInfoAskBeforeAction", &C::chkCopyInfoAskBeforeAction},
    {"chkInfoAboutFolderEntries", &C::chkInfoAboutFolderEntries},
    {"chkCopyOnlyDiffrentFiles", &C::chkCopyOnlyDiffrentFiles},
    {"chkCopyOnlyNewer", &C::chkCopyOnlyNewer},
    {"chkCopyAskByTargetNewer", &C::chkCopyAskByTargetNewer, "bei neuerem Ziel nachfragen",
     "Vergleicht bei ungleichen Dateien das Datum eines neueren Ziels mit der Quelle."},
    {"chkCopyOverwriteExisting", &C::chkCopyOverwriteExisting},
    {"chkCopyOverwriteProtected", &C::chkCopyOverwriteProtected},
    {"chkCopyCreateProtocol", &C::chkCopyCreateProtocol},
    {"chkCopyProtocolShowAuto", &C::chkCopyProtocolShowAuto},
    {"chkCopyContinueAfterError", &C::chkCopyContinueAfterError},
    {"chkCopyBlockBytes", &C::chkCopyBlockBytes},
    {"chkCopyFolderOnly", &C::chkCopyFolderOnly, "nur Verzeichnisse",
     "Nur Verzeichnisse bearbeiten, Dateien werden übersprungen."},
    {"chkCopySaveFiles", &C::chkCopySaveFiles, "ersetzte Dateien sichern",
     "Dateien, die beim Kopieren ersetzt werden, vorher in das Sicherungsverzeichnis sichern."},
    {"chkCopySaveFilesInZip", &C::chkCopySaveFilesInZip, "Sicherung als Zip-Archiv",
     "Die gesicherten Dateien am Ende in ein Zip-Archiv packen."},
    {"chkActionAutoStart", &C::chkActionAutoStart, "Aktion automatisch starten",
     "Die Aktion beginnt sofort, ohne auf den Start im Fortschrittsfenster zu warten."},
    {"chkFormMinAfterStart", &C::chkFormMinAfterStart, "Fenster nach Start minimieren",
     "Das Hauptfenster wird während der Aktion minimiert und danach wiederhergestellt."},
};

QLabel* caption(const char* name, const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

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

QString frmMain::projectFileFilter()
{
    return QStringLiteral("Zendor DaroRazu Projekte (*.ZdrPrj)|*.ZdrPrj|Alle Dateien (*.*)|*.*");
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), runCoverFactory_(run::ui::clsFolderCopy_Cover::factory()),
      registryCoverFactory_(run::ui::clsSystemChange_Cover::factory())
{
    setObjectName(QStringLiteral("frmMain"));
    setProperty("zdrStoredControls", storedControlOrder());
    setWindowTitle(QStringLiteral("[Projekt]"));
    buildControls();
    buildMenus();
    connectCommands();
    connectEditing();
    connectOptions();
    connectParameters();
    cboAction_Click(cboAction_->currentIndex());
    // What the window sets up is no edit: the first edit marks the project.
    changed_ = true;
    sb_TaskShow(-1);
    sb_ChangedClear();
}

frmMain::~frmMain() = default;

QCheckBox* frmMain::option(std::string_view name) const
{
    for (const OptionBox& option : kOptionBoxes)
        if (name == option.name)
            return ui_.*option.box;
    return nullptr;
}

QLineEdit* frmMain::addTextBox(const char* name, const char* tip)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    if (tip)
        box->setToolTip(QString::fromUtf8(tip));
    box->installEventFilter(this);
    return box;
}

QCheckBox* frmMain::addOption(const char* name, const char* captionText, const char* tip)
{
    auto* box = new QCheckBox(QString::fromUtf8(captionText), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromUtf8(tip));
    return box;
}

void frmMain::buildControls()
{
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
    nameControlsForReaders();
}

// Screen readers name a box by its caption; captions are labels of their
// own beside the boxes, so each box gets its caption's text as its name.
void frmMain::nameControlsForReaders()
{
    const auto name = [](QWidget* box, const QLabel* captionLabel) {
        QString text = captionLabel->text();
        text.remove(QLatin1Char('*'));
        text.remove(QLatin1Char(':'));
        box->setAccessibleName(text.trimmed());
    };
    name(txtProjectName_, ui_.lblProjectName);
    name(cboAction_, findChild<QLabel*>(QStringLiteral("lblAction")));
    name(ui_.txtSystemDir, ui_.lblSystemDir);
    name(ui_.txtSystemDirAndFiles, ui_.lblSystemDirAndFiles);
    name(ui_.txtSystemTargetDir, ui_.lblSystemTargetDir);
    name(ui_.txtSystemDirAndFilesExclude, ui_.lblSystemDirAndFilesExclude);
    name(ui_.txtSystemDirAndFilesFilter, ui_.lblSystemDirAndFilesFilter);
    name(ui_.txtSystemFilesExtensions, ui_.lblSystemFilesExtensions);
    name(ui_.txtSystemFilesSizeMax, ui_.lblSystemFilesSizeMax);
    name(ui_.txtRenameAfterActionText, ui_.lblRenameAfterAction);
    name(ui_.txtBackupDir, ui_.lblBackupDir);
    ui_.txtSystemFilesDateTimeFrom->setAccessibleName(QStringLiteral("Datum/Zeit von"));
    ui_.txtSystemFilesDateTimeTo->setAccessibleName(QStringLiteral("Datum/Zeit bis"));
    ui_.txtFolderInfoLevel->setAccessibleName(QStringLiteral("Verzeichnistiefe"));
    ui_.txtFileBlockSize->setAccessibleName(QStringLiteral("Blockgröße"));
    lvwMain_->setAccessibleName(QStringLiteral("Aufgaben"));
    ui_.lblCmdSystemDirConnect->setAccessibleName(QStringLiteral("Quellverzeichnis verbinden"));
    ui_.lblCmdSystemTargetDirConnect->setAccessibleName(QStringLiteral("Zielverzeichnis verbinden"));
}

void frmMain::buildMenus()
{
    mnuJobs_ = new QMenu(QStringLiteral("Aufgaben"), this);
    mnuJobs_->setObjectName(QStringLiteral("mnuJobs"));
    const char* jobItems[] = {"&Umbenennen", "&Löschen", nullptr, "&Neu"};
    for (const char* item : jobItems) {
        QAction* action = item ? mnuJobs_->addAction(QString::fromUtf8(item)) : mnuJobs_->addSeparator();
        action->setObjectName(QStringLiteral("mnuJobsWork"));
    }
    // The commands of the window by keys the desktops use for them; each
    // runs as a click on its command label.
    QMenu* projectMenu = menuBar()->addMenu(QStringLiteral("&Projekt"));
    projectMenu->setObjectName(QStringLiteral("mnuProject"));
    const struct {
        const char* text;
        QKeySequence keys;
        std::function<void()> command;
    } projectItems[] = {
        {"&Neue Aufgabe", QKeySequence(Qt::CTRL | Qt::Key_N), [this] { sb_TaskNew(); }},
        {"Projekt &laden ...", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { ui_.lblCmdProjectLoad->click(); }},
        {"Projekt &speichern ...", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { ui_.lblCmdProjectSave->click(); }},
        {"&Aktion ausführen", QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { lblCmdProjectAction_->click(); }},
        {"S&chließen", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { ui_.lblCmdClose->click(); }},
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
    for (std::size_t i = 0; i < ui_.mnuRegistryWork.size(); ++i) {
        const int index = i == 0 ? project::kActionRegistryInfo : project::kActionRegistryChange;
        QAction* entry =
            extras->addAction(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(index)].listText));
        ui_.mnuRegistryWork[i] = entry;
        entry->setObjectName(QStringLiteral("mnuRegistryWork"));
        entry->setCheckable(true);
        entry->setData(index);
        entry->setToolTip(QStringLiteral("Registry-Wert auf einer Liste von Computern lesen: die Aufgaben nennen "
                                         "Computer, Registry Pfad, Schlüssel, Wert und Dienst."));
        registry->addAction(entry);
        // Unticked again: back to the program's first action.
        connect(entry, &QAction::triggered, this,
                [this, index](bool checked) { sb_ActionChoose(checked ? index : project::kActionInitialIndex); });
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
    auto* grid = new QGridLayout(frame);
    txtProjectName_ = addTextBox("txtProjectName", "Bezeichnung, Name des Projektes.");
    cboAction_ = new QComboBox(this);
    cboAction_->setObjectName(QStringLiteral("cboAction"));
    cboAction_->setToolTip(QStringLiteral("Aktion die durchgeführt werden soll, z.B.: Informationen ausgeben, "
                                          "Daten kopieren, - löschen oder Attribute setzen."));
    for (int i = 0; i < project::kActionListCount; ++i)
        cboAction_->addItem(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(i)].listText));
    cboAction_->setCurrentIndex(project::kActionInitialIndex);
    ui_.fraProject = frame;
    ui_.lblProjectName = caption("lblProjectName", "Projekt:", this);
    // Project files are dropped on the frame, its caption or the name box.
    for (QWidget* place : std::initializer_list<QWidget*>{frame, ui_.lblProjectName, txtProjectName_}) {
        place->setAcceptDrops(true);
        place->installEventFilter(this);
    }
    grid->addWidget(ui_.lblProjectName, 0, 0);
    grid->addWidget(txtProjectName_, 0, 1);
    grid->addWidget(caption("lblAction", "Aktion:", this), 0, 2);
    grid->addWidget(cboAction_, 0, 3);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 1);
    return frame;
}

QWidget* frmMain::buildOptionsFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("Aktionszusammenstellung (Verzeichnisse und Dateien) "), this);
    frame->setObjectName(QStringLiteral("fraCopyFolder"));
    auto* grid = new QGridLayout(frame);
    int i = 0;
    for (OptionBox option : kOptionBoxes) {
        if (!option.caption) {
            const run::OptionBox* shared = run::progressOptionBox(option.name);
            option = {shared->name, option.box, shared->caption, shared->tip};
        }
        ui_.*option.box = addOption(option.name, option.caption, option.tip);
        grid->addWidget(ui_.*option.box, i / 4, i % 4);
        ++i;
    }
    grid->setVerticalSpacing(2);
    auto* numbers = new QHBoxLayout;
    const struct {
        const char* text;
        int width;
    } numberFields[] = {{"2", 50}, {"32767", 70}};
    for (std::size_t f = 0; f < std::size(numberFields); ++f) {
        const run::NumberField& field = run::optionNumberFields()[f];
        QLineEdit* box = addTextBox(field.name, field.tip);
        (f == 0 ? ui_.txtFolderInfoLevel : ui_.txtFileBlockSize) = box;
        box->setText(QString::fromLatin1(numberFields[f].text));
        box->setMaximumWidth(numberFields[f].width);
        numbers->addWidget(new QLabel(QString::fromUtf8(field.caption), this));
        numbers->addWidget(box);
    }
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
    tasks_ = new TaskListModel(this);
    lvwMain_ = new QTreeView(this);
    lvwMain_->setObjectName(QStringLiteral("lvwMain"));
    lvwMain_->setToolTip(QStringLiteral(
        "Liste von Aufgaben über Quell-, Zielverzeichnis, Daten einschließen, - ausschließen, Filter, etc. Diese "
        "Aufgaben werden von oben nach unten durchlaufen und ausgeführt."));
    lvwMain_->setRootIsDecorated(false);
    lvwMain_->setUniformRowHeights(true);
    lvwMain_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwMain_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwMain_->setModel(tasks_);
    for (int c = 0; c < project::kColumnCount; ++c) {
        const int twips = project::taskColumns()[static_cast<std::size_t>(c)].widthTwips;
        if (twips == 0)
            lvwMain_->setColumnHidden(c, true);
        else
            lvwMain_->setColumnWidth(c, twips / 15); // 15 twips per pixel at 96 dpi
    }
    lvwMain_->viewport()->installEventFilter(this);
    lvwMain_->installEventFilter(this);
    lvwMain_->setMinimumHeight(4 * lvwMain_->fontMetrics().height());
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(lvwMain_);
    return frame;
}

QWidget* frmMain::buildEditFrame()
{
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
    addRow(ui_.lblSystemDir = caption("lblSystemDir", "* Quellverzeichnis:", this),
           ui_.txtSystemDir = addTextBox("txtSystemDir", "Komplettes Quellverzeichnis (z.B.: C:\\Temp)."),
           ui_.lblCmdSystemDirConnect =
               new CommandLabel(QStringLiteral("lblCmdSystemDirConnect"), QStringLiteral("&verbinden"), this));
    addRow(ui_.lblSystemDirAndFiles = caption("lblSystemDirAndFiles", "ausgewählte Daten:", this),
           ui_.txtSystemDirAndFiles = addTextBox(
               "txtSystemDirAndFiles",
               "Verzeichnisse oder Dateien, die im Quellverzeichnis existieren und herangezogen werden solle, "
               "Verzeichnisse bitte mit einem vorangestellten \"\\\" eintragen (z.B.: \\Daten;Text "
               "01.txt;Text 02.txt)."));
    addRow(ui_.lblSystemTargetDir = caption("lblSystemTargetDir", "* Zielverzeichnis:", this),
           ui_.txtSystemTargetDir = addTextBox("txtSystemTargetDir", "Komplettes Zielverzeichnis (z.B.: C:\\Temp)."),
           ui_.lblCmdSystemTargetDirConnect =
               new CommandLabel(QStringLiteral("lblCmdSystemTargetDirConnect"), QStringLiteral("ver&binden"), this));
    addRow(ui_.lblSystemDirAndFilesExclude = caption("lblSystemDirAndFilesExclude", "Daten ausschließen:", this),
           ui_.txtSystemDirAndFilesExclude =
               addTextBox("txtSystemDirAndFilesExclude",
                          "Verzeichnisse oder Dateien die übersprungen werden sollen, getrennt durch \";\". "
                          "Verzeichnisse bitte mit einem \"\\\" vorangestellt eintragen (z.B.: \\Daten;Textdateien)."));
    addPair(ui_.lblSystemDirAndFilesFilter = caption("lblSystemDirAndFilesFilter", "Datei Filter Bezeichnungen:", this),
            ui_.txtSystemDirAndFilesFilter =
                addTextBox("txtSystemDirAndFilesFilter",
                           "Verzeichnisse oder Dateien die durch die eingebebenen Textdaten mit Wildcards (*, ?) "
                           "gefiltert werden, getrennt durch \";\" (z.B.: Daten*;Textdatei*)."));
    addPair(ui_.lblSystemFilesExtensions = caption("lblSystemFilesExtensions", "Datei Filter Endungen:", this),
            ui_.txtSystemFilesExtensions =
                addTextBox("txtSystemFilesExtensions",
                           "Dateiendungen die genommen werden sollen, getrennt durch \";\" (z.B.: *.txt;*.dat)."));
    addPair(ui_.lblSystemFilesSizeMax = caption("lblSystemFilesSizeMax", "bis max. Größe (KB):", this),
            ui_.txtSystemFilesSizeMax =
                addTextBox("txtSystemFilesSizeMax", "Maximale Dateigröße in KB die zur Aktion zugelassen sind."));

    auto* dates = new QWidget(this);
    auto* dateLayout = new QHBoxLayout(dates);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    dateLayout->addWidget(ui_.txtSystemFilesDateTimeFrom =
                              addTextBox("txtSystemFilesDateTimeFrom",
                                         "Datei Änderungszeitraum \"von\" die zur Aktion zugelassen sind."));
    dateLayout->addWidget(
        ui_.txtSystemFilesDateTimeTo =
            addTextBox("txtSystemFilesDateTimeTo", "Datei Änderungszeitraum \"bis\" die zur Aktion zugelassen sind."));
    addPair(ui_.lblSystemFilesDateTime = caption("lblSystemFilesDateTime", "Datum/Zeit (von/bis):", this), dates);

    auto* attributes = new QWidget(this);
    auto* attributeLayout = new QHBoxLayout(attributes);
    attributeLayout->setContentsMargins(0, 0, 0, 0);
    const char* attributeTips[] = {"Attribut \"Schreibgeschützt\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Versteckt\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Archiv\" setzen, wegsetzen oder unberührt lassen.",
                                   "Attribut \"Komprimiert\" setzen, wegsetzen oder unberührt lassen."};
    for (std::size_t i = 0; i < project::attributeBoxes().size(); ++i) {
        const project::AttributeBox& box = project::attributeBoxes()[i];
        QCheckBox* check = addOption(box.controlName, box.caption, attributeTips[i]);
        check->setTristate(true);
        ui_.chkAttribute[i] = check;
        attributeLayout->addWidget(check);
    }
    attributeLayout->addWidget(ui_.Label1 = caption("Label1", project::kAttributeLegend, this));
    attributeLayout->addStretch();
    addRow(ui_.lblAttribute = caption("lblAttribute", "Attribute weg-/setzen:", this), attributes);

    ui_.txtRenameAfterActionText =
        addTextBox("txtRenameAfterActionText", "Bestimmte Daten nach erfolgreicher Aktion umbenennen.");
    ui_.txtRenameAfterActionText->setReadOnly(true);
    addPair(ui_.lblRenameAfterAction = caption("lblRenameAfterAction", "Daten umbenennen:", this),
            ui_.txtRenameAfterActionText);
    addPair(ui_.lblBackupDir = caption("lblBackupDir", "Sicherungsverzeichnis:", this),
            ui_.txtBackupDir = addTextBox("txtBackupDir", "Komplettes Sicherungsverzeichnis (z.B.: C:\\Temp)."));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    // Folders and files from the file manager are dropped on these rows.
    for (QWidget* place : std::initializer_list<QWidget*>{
             ui_.lblSystemDir, ui_.lblSystemDirAndFiles, ui_.lblSystemDirAndFilesExclude, ui_.lblSystemTargetDir,
             ui_.txtSystemDir, ui_.txtSystemDirAndFiles, ui_.txtSystemDirAndFilesExclude, ui_.txtSystemTargetDir}) {
        place->setAcceptDrops(true);
        place->installEventFilter(this);
    }
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
    layout->addWidget(ui_.lblCmdProjectLoad = new CommandLabel(QStringLiteral("lblCmdProjectLoad"),
                                                               QStringLiteral("Projekt &laden"), this));
    layout->addWidget(ui_.lblCmdProjectSave = new CommandLabel(QStringLiteral("lblCmdProjectSave"),
                                                               QStringLiteral("Projekt &speichern"), this));
    layout->addWidget(ui_.lblCmdClose =
                          new CommandLabel(QStringLiteral("lblCmdClose"), QStringLiteral("S&chließen"), this));
    return strip;
}

} // namespace zdr::mainwindow
