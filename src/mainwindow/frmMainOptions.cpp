// The action and the run options: which options the action offers, the
// options that depend on each other, and the field captions of the action.
#include "mainwindow/frmMain.h"

#include "project/Task.h"
#include "util/CommandLabel.h"
#include "util/MsgBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace zdr::mainwindow {

namespace {

constexpr const char* kTagProperty = "Tag";

// The captions of the task fields: folder actions, registry actions.
struct FieldCaption {
    QLabel* frmMain::Controls::*label;
    const char* folders;
    const char* registry;
};
using C = frmMain::Controls;
constexpr FieldCaption kFieldCaptions[] = {
    {&C::lblSystemDir, "* Quellverzeichnis:", "* System(e):"},
    {&C::lblSystemDirAndFiles, "ausgewählte Daten:", "Registry Pfad:"},
    {&C::lblSystemTargetDir, "* Zielverzeichnis:", "Registry Schlüssel:"},
    {&C::lblSystemDirAndFilesExclude, "Daten ausschließen:", "Registry Wert:"},
    {&C::lblSystemDirAndFilesFilter, "Datei Filter Bezeichnungen:", "Dienst beenden, neu starten:"},
};

} // namespace

void frmMain::connectOptions()
{
    connect(cboAction_, &QComboBox::currentIndexChanged, this, &frmMain::cboAction_Click);
    connect(ui_.chkCopyOnlyDiffrentFiles, &QCheckBox::toggled, this, &frmMain::chkCopyOnlyDiffrentFiles_Click);
    connect(ui_.chkCopyInfoAskBeforeAction, &QCheckBox::toggled, this, &frmMain::chkCopyInfoAskBeforeAction_Click);
    for (QCheckBox* box : {ui_.chkCopySaveFiles, ui_.chkCopyBlockBytes, ui_.chkCopyWithInfo, ui_.chkCopyCreateProtocol})
        connect(box, &QCheckBox::toggled, this, &frmMain::sb_OptionsEnable);
}

void frmMain::cboAction_Click(int index)
{
    if (index == project::kActionSynchronise) {
        util::ui::msgBox(this, "Diese Funktion ist noch nicht aktiviert, bitte wählen Sie eine andere Aktion aus!",
                         base::Buttons::Ok, base::Icon::Information, "Aktion deaktiviert...");
        cboAction_->setCurrentIndex(0);
        // The project chose what cannot run: its run from the command line
        // fails rather than run the information in its place.
        actionRefused_ = true;
        return;
    }
    sb_RegistryActionsOffer(false);
    for (QAction* entry : ui_.mnuRegistryWork)
        entry->setChecked(entry->data().toInt() == index);
    sb_FieldCaptions(project::isRegistryAction(index));
    sb_OptionsEnable();
    // The first action shown is the window's own, not an edit.
    if (shownActionIndex_ >= 0 && index != shownActionIndex_)
        sb_ChangedSet();
    shownActionIndex_ = index;
}

void frmMain::sb_ActionChoose(int index)
{
    if (project::isRegistryAction(index))
        sb_RegistryActionsOffer(true);
    cboAction_->setCurrentIndex(index);
}

void frmMain::sb_RegistryActionsOffer(bool offer)
{
    const auto all = static_cast<int>(project::actionCatalogue().size());
    if (offer) {
        for (int i = cboAction_->count(); i < all; ++i)
            cboAction_->addItem(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(i)].listText));
        return;
    }
    // The current entry is never removed, so the choice does not change.
    while (cboAction_->count() > project::kActionListCount && cboAction_->currentIndex() < project::kActionListCount)
        cboAction_->removeItem(cboAction_->count() - 1);
}

void frmMain::sb_FieldCaptions(bool registry)
{
    for (const FieldCaption& caption : kFieldCaptions)
        (ui_.*caption.label)->setText(QString::fromUtf8(registry ? caption.registry : caption.folders));
    // The registry key needs no network drive: only the computers' log-on counts.
    ui_.lblCmdSystemTargetDirConnect->setVisible(!registry);
}

// Enabled means the user can change the box; a disabled box keeps its value
// and still counts when the run is started.
void frmMain::sb_OptionsEnable()
{
    const int index = cboAction_->currentIndex();
    const bool copy = index == 1;
    const bool hasTask = currentTask_ >= 0;
    const auto enable = [](QWidget* control, bool enabled) { control->setEnabled(enabled); };
    enable(ui_.chkInfoAboutFolderEntries, index == 0);
    enable(ui_.txtFolderInfoLevel, index == 0);
    for (QCheckBox* box :
         {ui_.chkCopyOnlyDiffrentFiles, ui_.chkCopyBlockBytes, ui_.chkCopyFolderOnly, ui_.chkCopySaveFiles})
        enable(box, copy);
    enable(ui_.lblRenameAfterAction, copy && hasTask);
    enable(ui_.txtRenameAfterActionText, copy && hasTask);
    const bool onlyDifferent = ui_.chkCopyOnlyDiffrentFiles->isChecked();
    enable(ui_.chkCopyOnlyNewer, copy && onlyDifferent);
    enable(ui_.chkCopyAskByTargetNewer, copy && onlyDifferent);
    enable(ui_.chkCopySaveFilesInZip, copy && ui_.chkCopySaveFiles->isChecked());
    enable(ui_.lblBackupDir, hasTask && ui_.chkCopySaveFiles->isChecked());
    enable(ui_.txtBackupDir, hasTask && ui_.chkCopySaveFiles->isChecked());
    enable(ui_.txtFileBlockSize, ui_.chkCopyBlockBytes->isChecked());
    for (QCheckBox* box : {ui_.chkCopyNoFileInfo, ui_.chkCopyInfoOnlyCount, ui_.chkCopyInfoAskBeforeAction})
        enable(box, ui_.chkCopyWithInfo->isChecked());
    enable(ui_.chkCopyProtocolShowAuto, ui_.chkCopyCreateProtocol->isChecked());
    // A task that renames after the action needs the protocol, as does a
    // copy of differing files; the box is free when neither holds it.
    const bool renames = currentTask_ >= 0 && !currentRecord()->renameCode.empty();
    enable(ui_.chkCopyCreateProtocol, !renames && !onlyDifferent);
}

void frmMain::chkCopyOnlyDiffrentFiles_Click(bool on)
{
    // Only differing files are copied from the protocol's list: it must be made.
    if (on)
        ui_.chkCopyCreateProtocol->setChecked(true);
    sb_OptionsEnable();
}

void frmMain::chkCopyInfoAskBeforeAction_Click(bool on)
{
    QCheckBox* ask = ui_.chkCopyInfoAskBeforeAction;
    QCheckBox* protocol = ui_.chkCopyCreateProtocol;
    if (on && !protocol->isChecked()) {
        ask->setProperty(kTagProperty, QStringLiteral("PROTOCOL"));
        protocol->setChecked(true);
    } else if (!on && ask->property(kTagProperty).toString() == QLatin1String("PROTOCOL")) {
        ask->setProperty(kTagProperty, QString());
        // Not while another rule holds the protocol on.
        if (protocol->isEnabled())
            protocol->setChecked(false);
    }
}

void frmMain::applyRenameProtocolRule()
{
    if (currentTask_ >= 0 && !currentRecord()->renameCode.empty())
        ui_.chkCopyCreateProtocol->setChecked(true);
    sb_OptionsEnable();
}

} // namespace zdr::mainwindow
