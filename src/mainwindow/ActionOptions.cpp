#include "mainwindow/ActionOptions.h"

#include "project/Task.h"
#include "run/OptionBoxes.h"
#include "util/MsgBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace zdr::mainwindow {

namespace {

constexpr const char* kTagProperty = "Tag";

// Run options of the options frame in their order. The boxes the progress
// window has too take its caption and tool tip; the others bring their own.
struct OptionBox {
    const char* name;
    QCheckBox* ActionOptions::Widgets::*box;
    const char* caption = nullptr;
    const char* tip = nullptr;
};

using W = ActionOptions::Widgets;

constexpr OptionBox kOptionBoxes[] = {
    {"chkCopyWithInfo", &W::chkCopyWithInfo},
    {"chkCopyNoFileInfo", &W::chkCopyNoFileInfo},
    {"chkCopyInfoOnlyCount", &W::chkCopyInfoOnlyCount},
    {"chkCopyInfoAskBeforeAction", &W::chkCopyInfoAskBeforeAction},
    {"chkInfoAboutFolderEntries", &W::chkInfoAboutFolderEntries},
    {"chkCopyOnlyDiffrentFiles", &W::chkCopyOnlyDiffrentFiles},
    {"chkCopyOnlyNewer", &W::chkCopyOnlyNewer},
    {"chkCopyAskByTargetNewer", &W::chkCopyAskByTargetNewer, "bei neuerem Ziel nachfragen",
     "Vergleicht bei ungleichen Dateien das Datum eines neueren Ziels mit der Quelle."},
    {"chkCopyOverwriteExisting", &W::chkCopyOverwriteExisting},
    {"chkCopyOverwriteProtected", &W::chkCopyOverwriteProtected},
    {"chkCopyCreateProtocol", &W::chkCopyCreateProtocol},
    {"chkCopyProtocolShowAuto", &W::chkCopyProtocolShowAuto},
    {"chkCopyContinueAfterError", &W::chkCopyContinueAfterError},
    {"chkCopyBlockBytes", &W::chkCopyBlockBytes},
    {"chkCopyFolderOnly", &W::chkCopyFolderOnly, "nur Verzeichnisse",
     "Nur Verzeichnisse bearbeiten, Dateien werden übersprungen."},
    {"chkCopySaveFiles", &W::chkCopySaveFiles, "ersetzte Dateien sichern",
     "Dateien, die beim Kopieren ersetzt werden, vorher in das Sicherungsverzeichnis sichern."},
    {"chkCopySaveFilesInZip", &W::chkCopySaveFilesInZip, "Sicherung als Zip-Archiv",
     "Die gesicherten Dateien am Ende in ein Zip-Archiv packen."},
    {"chkActionAutoStart", &W::chkActionAutoStart, "Aktion automatisch starten",
     "Die Aktion beginnt sofort, ohne auf den Start im Fortschrittsfenster zu warten."},
    {"chkFormMinAfterStart", &W::chkFormMinAfterStart, "Fenster nach Start minimieren",
     "Das Hauptfenster wird während der Aktion minimiert und danach wiederhergestellt."},
};

} // namespace

ActionOptions::ActionOptions(QWidget* window, std::function<bool()> taskRenames)
    : QObject(window), window_(window), taskRenames_(std::move(taskRenames))
{
    ui_.cboAction = new QComboBox(window);
    ui_.cboAction->setObjectName(QStringLiteral("cboAction"));
    ui_.cboAction->setToolTip(QStringLiteral("Aktion die durchgeführt werden soll, z.B.: Informationen ausgeben, "
                                             "Daten kopieren, - löschen oder Attribute setzen."));
    ui_.cboAction->setAccessibleName(QStringLiteral("Aktion"));
    for (int i = 0; i < project::kActionListCount; ++i)
        ui_.cboAction->addItem(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(i)].listText));
    ui_.cboAction->setCurrentIndex(project::kActionInitialIndex);
    ui_.lblAction = new QLabel(QStringLiteral("Aktion:"), window);
    ui_.lblAction->setObjectName(QStringLiteral("lblAction"));

    for (OptionBox box : kOptionBoxes) {
        if (!box.caption) {
            const run::OptionBox* shared = run::progressOptionBox(box.name);
            box = {shared->name, box.box, shared->caption, shared->tip};
        }
        auto* check = new QCheckBox(QString::fromUtf8(box.caption), window);
        check->setObjectName(QString::fromLatin1(box.name));
        check->setToolTip(QString::fromUtf8(box.tip));
        ui_.*box.box = check;
        ui_.boxes.push_back(check);
    }
    const struct {
        const char* text;
        int width;
        const char* readerName;
    } numberFields[] = {{"2", 50, "Verzeichnistiefe"}, {"32767", 70, "Blockgröße"}};
    for (std::size_t f = 0; f < std::size(numberFields); ++f) {
        const run::NumberField& field = run::optionNumberFields()[f];
        auto* number = new QLineEdit(window);
        number->setObjectName(QString::fromLatin1(field.name));
        number->setToolTip(QString::fromUtf8(field.tip));
        number->setAccessibleName(QString::fromUtf8(numberFields[f].readerName));
        (f == 0 ? ui_.txtFolderInfoLevel : ui_.txtFileBlockSize) = number;
        number->setText(QString::fromLatin1(numberFields[f].text));
        number->setMaximumWidth(numberFields[f].width);
        ui_.numberCaptions[f] = new QLabel(QString::fromUtf8(field.caption), window);
        // The project's own number fields are stored with it: an edit is a change.
        connect(number, &QLineEdit::textChanged, this, &ActionOptions::changed);
    }

    for (QCheckBox* box : ui_.boxes)
        connect(box, &QCheckBox::stateChanged, this, &ActionOptions::changed);
    connect(ui_.cboAction, &QComboBox::currentIndexChanged, this, &ActionOptions::cboAction_Click);
    connect(ui_.chkCopyOnlyDiffrentFiles, &QCheckBox::toggled, this, &ActionOptions::chkCopyOnlyDiffrentFiles_Click);
    connect(ui_.chkCopyInfoAskBeforeAction, &QCheckBox::toggled, this,
            &ActionOptions::chkCopyInfoAskBeforeAction_Click);
    for (QCheckBox* box : {ui_.chkCopySaveFiles, ui_.chkCopyBlockBytes, ui_.chkCopyWithInfo, ui_.chkCopyCreateProtocol})
        connect(box, &QCheckBox::toggled, this, &ActionOptions::sb_OptionsEnable);
}

QCheckBox* ActionOptions::option(std::string_view name) const
{
    for (const OptionBox& box : kOptionBoxes)
        if (name == box.name)
            return ui_.*box.box;
    return nullptr;
}

int ActionOptions::actionIndex() const { return ui_.cboAction->currentIndex(); }

void ActionOptions::cboAction_Click(int index)
{
    if (index == project::kActionSynchronise) {
        util::ui::msgBox(window_, "Diese Funktion ist noch nicht aktiviert, bitte wählen Sie eine andere Aktion aus!",
                         base::Buttons::Ok, base::Icon::Information, "Aktion deaktiviert...");
        ui_.cboAction->setCurrentIndex(0);
        // The project chose what cannot run: its run from the command line
        // fails rather than run the information in its place.
        actionRefused_ = true;
        return;
    }
    sb_RegistryActionsOffer(false);
    emit actionShown(index);
    sb_OptionsEnable();
    // The first action shown is the window's own, not an edit.
    if (shownActionIndex_ >= 0 && index != shownActionIndex_)
        emit changed();
    shownActionIndex_ = index;
}

void ActionOptions::sb_ActionChoose(int index)
{
    if (project::isRegistryAction(index))
        sb_RegistryActionsOffer(true);
    ui_.cboAction->setCurrentIndex(index);
}

void ActionOptions::sb_RegistryActionsOffer(bool offer)
{
    QComboBox* list = ui_.cboAction;
    const auto all = static_cast<int>(project::actionCatalogue().size());
    if (offer) {
        for (int i = list->count(); i < all; ++i)
            list->addItem(QString::fromUtf8(project::actionCatalogue()[static_cast<std::size_t>(i)].listText));
        return;
    }
    // The current entry is never removed, so the choice does not change.
    while (list->count() > project::kActionListCount && list->currentIndex() < project::kActionListCount)
        list->removeItem(list->count() - 1);
}

// Enabled means the user can change the box; a disabled box keeps its value
// and still counts when the run is started.
void ActionOptions::sb_OptionsEnable()
{
    const int index = ui_.cboAction->currentIndex();
    const bool copy = index == 1;
    const auto enable = [](QWidget* control, bool enabled) { control->setEnabled(enabled); };
    enable(ui_.chkInfoAboutFolderEntries, index == 0);
    enable(ui_.txtFolderInfoLevel, index == 0);
    for (QCheckBox* box :
         {ui_.chkCopyOnlyDiffrentFiles, ui_.chkCopyBlockBytes, ui_.chkCopyFolderOnly, ui_.chkCopySaveFiles})
        enable(box, copy);
    const bool onlyDifferent = ui_.chkCopyOnlyDiffrentFiles->isChecked();
    enable(ui_.chkCopyOnlyNewer, copy && onlyDifferent);
    enable(ui_.chkCopyAskByTargetNewer, copy && onlyDifferent);
    enable(ui_.chkCopySaveFilesInZip, copy && ui_.chkCopySaveFiles->isChecked());
    enable(ui_.txtFileBlockSize, ui_.chkCopyBlockBytes->isChecked());
    for (QCheckBox* box : {ui_.chkCopyNoFileInfo, ui_.chkCopyInfoOnlyCount, ui_.chkCopyInfoAskBeforeAction})
        enable(box, ui_.chkCopyWithInfo->isChecked());
    enable(ui_.chkCopyProtocolShowAuto, ui_.chkCopyCreateProtocol->isChecked());
    // A task that renames after the action needs the protocol, as does a
    // copy of differing files; the box is free when neither holds it.
    enable(ui_.chkCopyCreateProtocol, !taskRenames_() && !onlyDifferent);
    emit offersChanged(copy, ui_.chkCopySaveFiles->isChecked());
}

void ActionOptions::chkCopyOnlyDiffrentFiles_Click(bool on)
{
    // Only differing files are copied from the protocol's list: it must be made.
    if (on)
        ui_.chkCopyCreateProtocol->setChecked(true);
    sb_OptionsEnable();
}

void ActionOptions::chkCopyInfoAskBeforeAction_Click(bool on)
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

void ActionOptions::applyRenameProtocolRule()
{
    if (taskRenames_())
        ui_.chkCopyCreateProtocol->setChecked(true);
    sb_OptionsEnable();
}

} // namespace zdr::mainwindow
