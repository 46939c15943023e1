#pragma once

#include <QObject>

#include <array>
#include <functional>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace zdr::mainwindow {

// The project's action and its run options: which options the action offers,
// the options that depend on each other and on the current task's rename
// code, and the registry actions, which the list offers only once chosen.
// The window lays the widgets out; they are created here in its Tab order.
class ActionOptions : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        QLabel* lblAction = nullptr;
        QComboBox* cboAction = nullptr;
        QCheckBox* chkCopyWithInfo = nullptr;
        QCheckBox* chkCopyNoFileInfo = nullptr;
        QCheckBox* chkCopyInfoOnlyCount = nullptr;
        QCheckBox* chkCopyInfoAskBeforeAction = nullptr;
        QCheckBox* chkInfoAboutFolderEntries = nullptr;
        QCheckBox* chkCopyOnlyDiffrentFiles = nullptr;
        QCheckBox* chkCopyOnlyNewer = nullptr;
        QCheckBox* chkCopyAskByTargetNewer = nullptr;
        QCheckBox* chkCopyOverwriteExisting = nullptr;
        QCheckBox* chkCopyOverwriteProtected = nullptr;
        QCheckBox* chkCopyCreateProtocol = nullptr;
        QCheckBox* chkCopyProtocolShowAuto = nullptr;
        QCheckBox* chkCopyContinueAfterError = nullptr;
        QCheckBox* chkCopyBlockBytes = nullptr;
        QCheckBox* chkCopyFolderOnly = nullptr;
        QCheckBox* chkCopySaveFiles = nullptr;
        QCheckBox* chkCopySaveFilesInZip = nullptr;
        QCheckBox* chkActionAutoStart = nullptr;
        QCheckBox* chkFormMinAfterStart = nullptr;
        // The boxes above in the order the frame shows them.
        std::vector<QCheckBox*> boxes;
        QLineEdit* txtFolderInfoLevel = nullptr;
        QLineEdit* txtFileBlockSize = nullptr;
        // The captions of the two number fields.
        std::array<QLabel*, 2> numberCaptions{};
    };

    // taskRenames tells whether the current task renames after the action.
    ActionOptions(QWidget* window, std::function<bool()> taskRenames);

    const Widgets& widgets() const { return ui_; }
    // A run option by its name in the run words (nullptr for none).
    QCheckBox* option(std::string_view name) const;
    int actionIndex() const;

    // Shows the chosen action as the user would see it after a choice.
    void cboAction_Click(int index);
    // Chooses an action, offering the registry actions in the list first
    // when it is one of them (the "Extras" menu).
    void sb_ActionChoose(int index);
    // Adds the registry actions to the list, or removes them while no
    // registry action is chosen.
    void sb_RegistryActionsOffer(bool offer);
    void sb_OptionsEnable();
    // After the rename dialog: a task that renames needs the protocol.
    void applyRenameProtocolRule();

    // Whether the project chose an action that cannot run (and was replaced).
    bool actionRefused() const { return actionRefused_; }
    void clearRefusal() { actionRefused_ = false; }

signals:
    // The action now shown (the first one too): captions and menu follow.
    void actionShown(int index);
    // What the task fields may take: the rename box (copies), the backup
    // folder (replaced files are saved).
    void offersChanged(bool rename, bool backup);
    // The user changed the action, an option or a number field.
    void changed();

private:
    void chkCopyOnlyDiffrentFiles_Click(bool on);
    void chkCopyInfoAskBeforeAction_Click(bool on);

    QWidget* window_;
    std::function<bool()> taskRenames_;
    Widgets ui_;
    bool actionRefused_ = false;
    int shownActionIndex_ = -1;
};

} // namespace zdr::mainwindow
