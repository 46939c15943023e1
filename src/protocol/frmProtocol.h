#pragma once

#include "protocol/ProtocolDocument.h"
#include "protocol/ProtocolEntry.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTableView;
class QTimer;

namespace zdr::util::ui {
class CommandLabel;
}

namespace zdr::protocol::ui {

class ProtocolModel;

// The protocol window: the entry list (`lvwMain`), which is also the work
// list of a reviewed run, or the text protocol (`rtbMain`). The progress
// window owns it, fills it and shows it; "Aktion ausführen" is the answer of
// the review before an action.
class frmProtocol : public QDialog, private ProtocolDocumentObserver {
    Q_OBJECT
public:
    explicit frmProtocol(QWidget* parent = nullptr);
    ~frmProtocol() override;

    bool fc_Init(const std::string& mode, bool display);
    bool fc_ListItem_Add(const ProtocolEntry& entry);
    void fc_ListItem_Err(const ProtocolEntry& entry);
    void sb_EntryGetNext(WorkListStep& step);
    void sb_Protocol_Add(const std::string& text);
    void sb_Protocol_Follow(const std::string& text) { document_.sb_Protocol_Follow(text); }
    void sb_Protocol_Delete(const std::string& key);

    std::string Task() const { return document_.Task(); }
    void setTask(const std::string& task) { document_.setTask(task); }

    // "UNLOAD": closing destroys the window instead of hiding it.
    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // "Aktion ausführen": the answer of the review, ticked only by the
    // review's own command; hidden.
    QCheckBox* chkActionContinue() const { return chkActionContinue_; }
    // The review before an action, shown modally between these two: only
    // "Aktion ausführen" (lblCmdActionRun, when offered) starts the action,
    // after confirm agrees; Esc, the close box and "Schließen" decline.
    void sb_ReviewBegin(bool offerRun, std::function<bool()> confirm);
    void sb_ReviewEnd();
    bool reviewAccepted() const;
    util::ui::CommandLabel* lblCmdActionRun() const { return lblCmdActionRun_; }

    // Puts the rows added since the last batch into the list now.
    void flush();

    ProtocolDocument& document() { return document_; }
    ProtocolModel* model() const { return model_; }

signals:
    // "Protokoll neu laden": the handler fills in the current text protocol.
    void ReLoad(QString& text);
    // The user excluded a folder or file: kind "FOLDER" or "FILE".
    void ExceptData(zdr::protocol::EntryKind kind, QString value);

public slots:
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenu();
    void lblCmdProtocolReLoad_Click();
    void lblCmdShowError_Click();
    void lblCmdActionRun_Click();
    void sb_NextErrorLine();
    void lvwMain_DblClick();
    void lvwMain_ContextMenu(const QPoint& position);
    void mnuDataWork_Click(int index);
    void headerClicked(int column);
    void applyColumns();

    void layoutChanged() override;
    void textReplaced() override;
    void textAppended(std::string_view line) override;
    void actionInfoChanged() override;

    ProtocolDocument document_;
    ProtocolModel* model_ = nullptr;
    QTableView* lvwMain_ = nullptr;
    QPlainTextEdit* rtbMain_ = nullptr;
    QFrame* fraButtons_ = nullptr;
    util::ui::CommandLabel* lblCmdClose_ = nullptr;
    util::ui::CommandLabel* lblCmdProtocolReLoad_ = nullptr;
    util::ui::CommandLabel* lblCmdShowError_ = nullptr;
    util::ui::CommandLabel* lblCmdActionRun_ = nullptr;
    std::function<bool()> confirm_;
    QCheckBox* chkActionContinue_ = nullptr;
    QLabel* lblSystemActionInfoValue_ = nullptr;
    QMenu* mnuData_ = nullptr;
    QTimer* batch_ = nullptr;
    RowId menuRow_ = kNoRow;
    QString tag_;
};

} // namespace zdr::protocol::ui
