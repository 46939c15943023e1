#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace zdr::mainwindow {

// Edits one task parameter at a time: the rename code, or the network-drive
// code of the source or the target. Modal, one instance per use.
class frmParameter : public QDialog {
    Q_OBJECT
public:
    explicit frmParameter(QWidget* parent = nullptr);

    // Mode "RENAME", "NETCONNECT,SOURCE" or "NETCONNECT,TARGET"; the current
    // code (empty for none) and readable text; the task's folder, which only
    // proposes a drive. False for any other mode: the dialog is not to be shown.
    bool fc_Init(const QString& mode, const QString& code, const QString& text, const QString& folder);

    // The code and readable text after the dialog closed.
    QString ActionKEY() const { return code_; }
    QString ActiontText() const { return text_; }
    // True when the user stored or deleted the parameter.
    bool ParameterSaved() const { return saved_; }

    // The commands "Parameter  übernehmen" and "Parameter löschen".
    void sb_ParameterStore();
    void sb_ParameterDelete();

private:
    enum class Mode { Rename, NetSource, NetTarget };

    QGroupBox* buildRenameFrame();
    QGroupBox* buildNetConnectFrame();
    void showRename();
    void showNetConnect(const QString& folder);

    QLabel* lblCaptionValue_ = nullptr;
    QGroupBox* fraRenameAction_ = nullptr;
    QGroupBox* fraNetConnectAction_ = nullptr;
    QCheckBox* chkRenameStatusSource_ = nullptr;
    QCheckBox* chkRenameStatusTarget_ = nullptr;
    QCheckBox* chkRenameStatusFolder_ = nullptr;
    QCheckBox* chkRenameStatusFiles_ = nullptr;
    QCheckBox* chkRenameStatusFirstLevel_ = nullptr;
    QLineEdit* txtRenameCode_ = nullptr;
    QCheckBox* chkNetConnectStatusDelNetAfterAction_ = nullptr;
    QLineEdit* txtNetConnectDriveLetter_ = nullptr;
    QLineEdit* txtNetConnectDriveNet_ = nullptr;
    QLineEdit* txtNetConnectDriveUser_ = nullptr;
    QLineEdit* txtNetConnectDrivePwd_ = nullptr;

    Mode mode_ = Mode::Rename;
    QString code_;
    QString text_;
    QString renameHead_; // field 1 of the rename code, kept as found
    bool saved_ = false;
};

} // namespace zdr::mainwindow
