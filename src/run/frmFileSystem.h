#pragma once

#include "protocol/ProtocolEntry.h"
#include "protocol/frmProtocol.h"
#include "run/ProgressView.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::run::ui {

class clsProgressBar;

// The window of one run: its options, figures and bars, the start/cancel,
// protocol and close buttons, the target chooser of a copy run, the name of
// a new folder, and its own protocol window. The run coordinator fills it and
// receives its signals.
//
// Figures arrive per engine event; the window shows texts and bar values at
// most ten times a second, so a run of many small files does not spend its
// time painting. State changes (visibility, bars shown or hidden) show at once.
// The question a delete or an attribute change asks before it starts from
// the review ("16.008 Dateien und 1.022 Ordner endgültig löschen?"); empty
// for the other actions.
std::string reviewQuestion(const std::string& action, const protocol::ChosenCounts& chosen);

class frmFileSystem : public QWidget {
    Q_OBJECT
public:
    explicit frmFileSystem(QWidget* parent = nullptr);
    ~frmFileSystem() override;

    // Repaints each bar.
    void sb_RepaintProgressBars();
    // As a click on lblCmdAction; during a run the click asks to cancel.
    void sb_ActionStart();
    // One of the bar actions on the main bar, the sub bar or both.
    void ProgressBarAction(BarAction action, WhichBar bar, std::int32_t& value);

    // The protocol window this window owns, one per run.
    void sb_Protocol_EntryGetNext(protocol::WorkListStep& step);
    // What the review chose for an entry; without a protocol nothing is chosen.
    protocol::EntryChoice fc_Protocol_EntryChoice(protocol::EntryKind kind, const std::string& folder,
                                                  const std::string& name, std::int16_t task);
    // Error flag: marks the entry failed. Otherwise adds its row (preparing
    // the list before the first) and shows the protocol button.
    bool fc_Protocol_ListItem_Add(const protocol::ProtocolEntry& entry, bool error);
    bool fc_Protocol_Init(const std::string& mode, bool display);
    // The first entry of a pass shows the protocol button, and with
    // "Protokoll autom. anzeig." the protocol.
    void sb_Protocol_Exists();
    // Shows the protocol text (or the list); with `ask` modally as the review
    // before the action, `continueRun` then being the user's answer.
    void sb_Protocol_Show(bool& continueRun, const std::string& protocolText, bool ask);
    // The action the next review decides ("COPY", "DELETE", "ATTRIB"): a
    // delete or an attribute change asks once more, naming what it will do,
    // before the review lets it start.
    void setReviewAction(std::string action) { reviewAction_ = std::move(action); }
    void sb_Protocol_SetBack();
    void sb_Protocol_Delete(const std::string& key);
    // The protocol window, made when first needed (most runs nobody watches
    // never need it); nullptr once it is gone.
    protocol::ui::frmProtocol* protocolWindow();

    // Texts, visibility and bars computed by the progress texts.
    void apply(const ViewUpdate& update);
    void setText(Control control, const std::string& text);
    // What the control shows, or will show at the next refresh.
    std::string text(Control control) const;
    // Shows the pending texts and bar values now.
    void sb_ShowNow();

    // The option box of a bit (Status), or nullptr. Setting a box counts as a
    // click. Set chkCopyCreateProtocol before chkCopyInfoAskBeforeAction: a
    // tick on the latter turns the protocol on and off again with it.
    QCheckBox* optionBox(std::uint32_t bit) const;
    void setFolderInfoLevel(int level);
    void setFileBlockSize(std::int32_t bytes);
    // Make-directory runs show the new-folder input instead of the target
    // row and the options.
    void setMakeDirectoryMode(bool on);
    // Offers the target chooser (a copy run without a target).
    void setTargetSelectable(bool on);
    // Where the target picker opens until a target was chosen (then there).
    void setTargetStartFolder(const std::string& folder) { targetStart_ = folder; }

    // Closes the window; while the run's command executes, as soon as it
    // returns.
    void sb_Unload();

    // The engine's run is going: the window then refuses to close and to
    // change the target. By default a run is going while lblCmdAction's
    // command executes.
    void setRunningQuery(std::function<bool()> isRunning) { runningQuery_ = std::move(isRunning); }
    bool isRunning() const;

    util::ui::CommandLabel* lblCmdAction() const { return lblCmdAction_; }
    util::ui::CommandLabel* lblCmdProtocol() const { return lblCmdProtocol_; }
    util::ui::CommandLabel* lblCmdClose() const { return lblCmdClose_; }
    QPushButton* cmdTarget() const { return cmdTarget_; }
    QLineEdit* txtNewFolder() const { return txtNewFolder_; }
    // Hides the size figure and its caption (runs whose entries have no size).
    void hideSize();
    QMenu* mnuHelp() const { return mnuHelp_; }
    clsProgressBar* mainBar() const { return bars_[0]; }
    clsProgressBar* subBar() const { return bars_[1]; }

signals:
    void ActionStart(bool unused);
    void ActionProtocolGet(std::string& protocolText);
    void FolderCopyStatusChange(std::uint32_t bit, bool on);
    void Unload();
    void FolderTargetChanged(const std::string& folder);
    void FolderInfoLevelChanged(std::uint8_t level);
    // The user excluded a folder ("FOLDER") or file ("FILE") in the protocol.
    void ExceptData(zdr::protocol::EntryKind kind, const std::string& value);
    void FileBlockBytesChange(std::int32_t blockBytes);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildHeader();
    QWidget* buildTargetRows();
    QWidget* buildFigures();
    QWidget* buildBars();
    QWidget* buildOptions();
    QWidget* buildButtons();
    void buildHelpMenu();
    void createBars();
    QLabel* addLabel(Control control, const char* text, bool shown = true);

    void connectOption(QCheckBox* box, std::uint32_t bit);
    bool fc_ConfirmAction();
    void optionToggled(QCheckBox* box, std::uint32_t bit, bool on);
    void blockSizeEdited();
    void blockSizeLeft();
    void folderInfoLevelLeft();
    void newFolderChanged();

    void chooseTarget();
    bool targetChangeAllowed() const;
    void takeTarget(const std::string& folder);
    void dropOnTarget(const QList<QUrl>& urls);

    void createProtocolWindow();
    void commandAction();
    void commandProtocol();
    void scheduleRefresh();
    void refresh();
    // Brings the text protocol shown by the protocol button up to date.
    void followProtocol();

    QHash<int, QLabel*> labels_;
    QHash<int, QString> pending_;
    std::array<std::int32_t, 2> pendingBar_{-1, -1};
    std::array<clsProgressBar*, 2> bars_{};
    QElapsedTimer lastRefresh_;
    QTimer refreshTimer_;

    util::ui::CommandLabel* lblCmdAction_ = nullptr;
    util::ui::CommandLabel* lblCmdProtocol_ = nullptr;
    util::ui::CommandLabel* lblCmdClose_ = nullptr;
    QPushButton* cmdTarget_ = nullptr;
    std::string targetStart_;
    QLabel* imgMain_ = nullptr;
    QWidget* picMain_ = nullptr;
    QWidget* picSub_ = nullptr;
    QWidget* fraFolderFile_ = nullptr;
    QWidget* fraFolder_ = nullptr;
    QWidget* fraOptions_ = nullptr;
    QLineEdit* txtNewFolder_ = nullptr;
    QLabel* lblSizeCaption_ = nullptr;
    QLineEdit* txtFolderInfoLevel_ = nullptr;
    QLineEdit* txtFileBlockSize_ = nullptr;
    QHash<std::uint32_t, QCheckBox*> options_;
    QMenu* mnuHelp_ = nullptr;
    QPointer<protocol::ui::frmProtocol> lkl_frmProtocol_;
    bool protocolMade_ = false; // made (or the window unloaded): never made again

    std::function<bool()> runningQuery_;
    bool reverting_ = false;      // a refused click is being taken back
    std::string reviewAction_;
    bool followProtocol_ = false; // the shown text protocol is kept current with the run
    bool closeWhenIdle_ = false;  // the run asked to close the window when it returns
    int actionDepth_ = 0;
    bool unloaded_ = false;
};

} // namespace zdr::run::ui
