// The progress window's protocol window: made when first needed, filled by
// the run, shown on the protocol button and for the review before an action.
#include "base/NumberFormat.h"
#include "base/Unattended.h"
#include "engine/StatusBits.h"
#include "protocol/frmProtocol.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"
#include "util/MsgBox.h"

#include <QCheckBox>

namespace zdr::run::ui {

namespace status = zdr::engine::status;

namespace {

std::string count(std::int64_t n) { return base::formatNumber(static_cast<double>(n), "#,##0"); }

} // namespace

std::string reviewQuestion(const std::string& action, const protocol::ChosenCounts& chosen)
{
    if (action == "DELETE")
        return count(chosen.files) + " Dateien und " + count(chosen.folders) + " Ordner endgültig löschen?";
    if (action == "ATTRIB")
        return "Die Attribute von " + count(chosen.files) + " Dateien und " + count(chosen.folders)
            + " Ordnern ändern?";
    return {};
}

protocol::ui::frmProtocol* frmFileSystem::protocolWindow()
{
    if (!protocolMade_)
        createProtocolWindow();
    return lkl_frmProtocol_;
}

void frmFileSystem::createProtocolWindow()
{
    protocolMade_ = true;
    lkl_frmProtocol_ = new protocol::ui::frmProtocol(this);
    connect(lkl_frmProtocol_, &protocol::ui::frmProtocol::ReLoad, this, [this](QString& text) {
        std::string protocolText;
        emit ActionProtocolGet(protocolText);
        text = QString::fromStdString(protocolText);
    });
    connect(lkl_frmProtocol_, &protocol::ui::frmProtocol::ExceptData, this,
            [this](protocol::EntryKind kind, const QString& value) { emit ExceptData(kind, value.toStdString()); });
}

void frmFileSystem::commandProtocol()
{
    std::string protocolText;
    emit ActionProtocolGet(protocolText);
    bool continueRun = false;
    sb_Protocol_Show(continueRun, protocolText, false);
    followProtocol_ = lkl_frmProtocol_ && lkl_frmProtocol_->Task() == protocol::ProtocolDocument::kText;
}

void frmFileSystem::followProtocol()
{
    // Only while the window shows the run's text (not a list, not a network
    // listing, not after it was closed).
    if (!followProtocol_ || !lkl_frmProtocol_ || !lkl_frmProtocol_->isVisible()
        || lkl_frmProtocol_->Task() != protocol::ProtocolDocument::kText)
        return;
    std::string protocolText;
    emit ActionProtocolGet(protocolText);
    lkl_frmProtocol_->sb_Protocol_Follow(protocolText);
}

void frmFileSystem::sb_Protocol_EntryGetNext(protocol::WorkListStep& step)
{
    if (lkl_frmProtocol_)
        lkl_frmProtocol_->sb_EntryGetNext(step);
    else
        step.index = -1; // no list: no further entry
}

protocol::EntryChoice frmFileSystem::fc_Protocol_EntryChoice(protocol::EntryKind kind, const std::string& folder,
                                                             const std::string& name, std::int16_t task)
{
    if (!lkl_frmProtocol_)
        return protocol::EntryChoice::NotListed;
    return lkl_frmProtocol_->document().list().choice(kind, folder, name, task);
}

bool frmFileSystem::fc_Protocol_ListItem_Add(const protocol::ProtocolEntry& entry, bool error)
{
    if (!protocolWindow())
        return false;
    if (error) {
        lkl_frmProtocol_->fc_ListItem_Err(entry);
        return true;
    }
    if (lkl_frmProtocol_->Task().empty())
        lkl_frmProtocol_->fc_Init(std::string(protocol::ProtocolDocument::kListView), true);
    const bool added = lkl_frmProtocol_->fc_ListItem_Add(entry);
    sb_Protocol_Exists();
    return added;
}

bool frmFileSystem::fc_Protocol_Init(const std::string& mode, bool display)
{
    return protocolWindow() && lkl_frmProtocol_->fc_Init(mode, display);
}

void frmFileSystem::sb_Protocol_Exists()
{
    if (!lblCmdProtocol_->isHidden())
        return;
    lblCmdProtocol_->setEnabled(true);
    lblCmdProtocol_->show();
    QCheckBox* showAuto = optionBox(status::kProtocolShowAuto);
    if (showAuto && showAuto->isChecked())
        lblCmdProtocol_->click();
}

void frmFileSystem::sb_Protocol_Show(bool& continueRun, const std::string& protocolText, bool ask)
{
    if (!protocolWindow()) {
        util::ui::msgBox(this, "Protokoll wurde geschlossen, bitte wiederholen Sie die Aktion.", util::ui::Buttons::Ok,
                         util::ui::Icon::Information, "Hinweis");
        return;
    }
    protocol::ui::frmProtocol& window = *lkl_frmProtocol_;
    QCheckBox* onlyDifferent = optionBox(status::kOnlyDifferent);
    const bool listHeld = window.Task() == protocol::ProtocolDocument::kListView;
    // A review of folders is always the list with its check boxes (empty
    // when the information pass found nothing), never their text; a text
    // alone (the registry's computers) stays text.
    if (ask && (listHeld || protocolText.empty())) {
        if (!listHeld)
            window.fc_Init(std::string(protocol::ProtocolDocument::kListView), true);
    } else if ((!onlyDifferent || !onlyDifferent->isChecked()) && !(listHeld && protocolText.empty())) {
        window.fc_Init(protocolText, true);
    }
    if (window.isVisible() && !ask)
        window.raise();
    window.chkActionContinue()->setChecked(continueRun);
    if (!ask) {
        window.chkActionContinue()->hide();
        window.show();
        window.raise();
        window.activateWindow();
        return;
    }
    QCheckBox* folderEntries = optionBox(status::kFolderEntriesInfo);
    window.sb_ReviewBegin(!folderEntries || !folderEntries->isChecked(), [this] { return fc_ConfirmAction(); });
    // The review is modal: a list shown before without blocking is shown
    // again as the modal one.
    window.hide();
    QPointer<protocol::ui::frmProtocol> alive(&window);
    window.exec();
    continueRun = alive && alive->reviewAccepted();
    if (alive)
        alive->sb_ReviewEnd();
}

// What cannot be undone is named once more before it starts.
bool frmFileSystem::fc_ConfirmAction()
{
    if (!lkl_frmProtocol_ || base::unattended())
        return true;
    const std::string text = reviewQuestion(reviewAction_, lkl_frmProtocol_->document().list().chosenCounts());
    if (text.empty())
        return true;
    return util::ui::msgBox(lkl_frmProtocol_, text, util::ui::Buttons::YesNo, util::ui::Icon::Question,
                            "Aktion ausführen ...")
        == util::ui::Answer::Yes;
}

void frmFileSystem::sb_Protocol_SetBack()
{
    followProtocol_ = false;
    if (lkl_frmProtocol_)
        lkl_frmProtocol_->setTask({});
}

void frmFileSystem::sb_Protocol_Delete(const std::string& key)
{
    if (lkl_frmProtocol_)
        lkl_frmProtocol_->sb_Protocol_Delete(key);
}

} // namespace zdr::run::ui
