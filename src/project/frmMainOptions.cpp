// The action and the run options: which options the action offers, the
// options that depend on each other, and the field captions of the action.
#include "project/frmMain.h"

#include "project/Task.h"
#include "util/MsgBox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace zdr::project {

namespace {

constexpr const char* kTagProperty = "Tag";

// The captions of the task fields: folder actions, registry actions.
struct FieldCaption {
    const char* label;
    const char* folders;
    const char* registry;
};
constexpr FieldCaption kFieldCaptions[] = {
    {"lblSystemDir", "* Quellverzeichnis:", "* System(e):"},
    {"lblSystemDirAndFiles", "ausgewählte Daten:", "Registry Pfad:"},
    {"lblSystemTargetDir", "* Zielverzeichnis:", "Registry Schlüssel:"},
    {"lblSystemDirAndFilesExclude", "Daten ausschließen:", "Registry Wert:"},
    {"lblSystemDirAndFilesFilter", "Datei Filter Bezeichnungen:", "Dienst beenden, neu starten:"},
};

} // namespace

QCheckBox* frmMain::option(const char* name) const { return findChild<QCheckBox*>(QString::fromLatin1(name)); }

void frmMain::connectOptions()
{
    connect(cboAction_, &QComboBox::currentIndexChanged, this, &frmMain::cboAction_Click);
    connect(option("chkCopyOnlyDiffrentFiles"), &QCheckBox::toggled, this, &frmMain::chkCopyOnlyDiffrentFiles_Click);
    connect(option("chkCopyInfoAskBeforeAction"), &QCheckBox::toggled, this,
            &frmMain::chkCopyInfoAskBeforeAction_Click);
    for (const char* name : {"chkCopySaveFiles", "chkCopyBlockBytes", "chkCopyWithInfo", "chkCopyCreateProtocol"})
        connect(option(name), &QCheckBox::toggled, this, &frmMain::sb_OptionsEnable);
}

void frmMain::cboAction_Click(int index)
{
    if (index == kActionSynchronise) {
        util::ui::msgBox(this, "Diese Funktion ist noch nicht aktiviert, bitte wählen Sie eine andere Aktion aus!",
                         base::Buttons::Ok, base::Icon::Information, "Aktion deaktiviert...");
        cboAction_->setCurrentIndex(0);
        return;
    }
    sb_RegistryActionsOffer(false);
    for (QAction* entry : findChildren<QAction*>(QStringLiteral("mnuRegistryWork")))
        entry->setChecked(entry->data().toInt() == index);
    sb_FieldCaptions(isRegistryAction(index));
    sb_OptionsEnable();
    // The first action shown is the window's own, not an edit.
    if (shownActionIndex_ >= 0 && index != shownActionIndex_)
        sb_ChangedSet();
    shownActionIndex_ = index;
}

void frmMain::sb_ActionChoose(int index)
{
    if (isRegistryAction(index))
        sb_RegistryActionsOffer(true);
    cboAction_->setCurrentIndex(index);
}

void frmMain::sb_RegistryActionsOffer(bool offer)
{
    const auto all = static_cast<int>(actionCatalogue().size());
    if (offer) {
        for (int i = cboAction_->count(); i < all; ++i)
            cboAction_->addItem(QString::fromUtf8(actionCatalogue()[static_cast<std::size_t>(i)].listText));
        return;
    }
    // The current entry is never removed, so the choice does not change.
    while (cboAction_->count() > kActionListCount && cboAction_->currentIndex() < kActionListCount)
        cboAction_->removeItem(cboAction_->count() - 1);
}

void frmMain::sb_FieldCaptions(bool registry)
{
    for (const FieldCaption& caption : kFieldCaptions)
        findChild<QLabel*>(QString::fromLatin1(caption.label))
            ->setText(QString::fromUtf8(registry ? caption.registry : caption.folders));
    // The registry key needs no network drive: only the computers' log-on counts.
    findChild<QWidget*>(QStringLiteral("lblCmdSystemTargetDirConnect"))->setVisible(!registry);
}

// Enabled means the user can change the box; a disabled box keeps its value
// and still counts when the run is started.
void frmMain::sb_OptionsEnable()
{
    const int index = cboAction_->currentIndex();
    const bool copy = index == 1;
    const bool hasTask = currentTask_ != nullptr;
    const auto checked = [this](const char* name) { return option(name)->isChecked(); };
    const auto enable = [this](const char* name, bool enabled) {
        findChild<QWidget*>(QString::fromLatin1(name))->setEnabled(enabled);
    };
    enable("chkInfoAboutFolderEntries", index == 0);
    enable("txtFolderInfoLevel", index == 0);
    for (const char* name : {"chkCopyOnlyDiffrentFiles", "chkCopyBlockBytes", "chkCopyFolderOnly", "chkCopySaveFiles"})
        enable(name, copy);
    enable("lblRenameAfterAction", copy && hasTask);
    enable("txtRenameAfterActionText", copy && hasTask);
    enable("chkCopyOnlyNewer", copy && checked("chkCopyOnlyDiffrentFiles"));
    enable("chkCopyAskByTargetNewer", copy && checked("chkCopyOnlyDiffrentFiles"));
    enable("chkCopySaveFilesInZip", copy && checked("chkCopySaveFiles"));
    enable("lblBackupDir", hasTask && checked("chkCopySaveFiles"));
    enable("txtBackupDir", hasTask && checked("chkCopySaveFiles"));
    enable("txtFileBlockSize", checked("chkCopyBlockBytes"));
    for (const char* name : {"chkCopyNoFileInfo", "chkCopyInfoOnlyCount", "chkCopyInfoAskBeforeAction"})
        enable(name, checked("chkCopyWithInfo"));
    enable("chkCopyProtocolShowAuto", checked("chkCopyCreateProtocol"));
    // A task that renames after the action needs the protocol, as does a
    // copy of differing files; the box is free when neither holds it.
    const bool renames = currentTask_ && !currentTask_->text(kRenameKey).isEmpty();
    enable("chkCopyCreateProtocol", !renames && !checked("chkCopyOnlyDiffrentFiles"));
}

void frmMain::chkCopyOnlyDiffrentFiles_Click(bool on)
{
    // Only differing files are copied from the protocol's list: it must be made.
    if (on)
        option("chkCopyCreateProtocol")->setChecked(true);
    sb_OptionsEnable();
}

void frmMain::chkCopyInfoAskBeforeAction_Click(bool on)
{
    QCheckBox* ask = option("chkCopyInfoAskBeforeAction");
    QCheckBox* protocol = option("chkCopyCreateProtocol");
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
    if (currentTask_ && !currentTask_->text(kRenameKey).isEmpty())
        option("chkCopyCreateProtocol")->setChecked(true);
    sb_OptionsEnable();
}

} // namespace zdr::project
