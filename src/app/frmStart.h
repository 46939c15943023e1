#pragma once

#include "run/RunCover.h"
#include "shellext/HandOffWire.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

namespace zdr::app {

// The hidden receiver of a hand-off from the file manager. It listens under
// its title ("Zendor DaroRazu - " + key), collects the entries, builds one
// task and hands it to a run coordinator; when the run is over it ends.
//
// States: Started (listening, no sender yet) -> Collecting (one sender, entry
// messages) -> Running (end message received; the listener is closed, so no
// other sender can reach it) -> Ended. Anything wrong on the way ends the
// hand-off with a message, and nothing runs.
class frmStart : public QWidget {
    Q_OBJECT

public:
    // End message overdue: the sender has gone or hangs.
    static constexpr int kDefaultTimeoutMs = 60000;

    explicit frmStart(run::RunCoverFactory coverFactory, QWidget* parent = nullptr);
    ~frmStart() override;

    // DLL, action word, key, source folder, shell folder. False when the
    // hand-off is refused at once (the message follows, then ended(1)).
    bool fc_Init(const std::string& firstWord, const std::string& actionWord, const std::string& key,
                 const std::string& sourceFolder, const std::string& shellFolder);
    // One entry; false when refused.
    bool fc_AddData(const std::string& entry);
    // The end message with the announced count; the run opens right after
    // the answer has gone back to the sender.
    bool fc_ReadySendData(const std::string& countText);

    void setTimeoutMs(int ms) { timeout_.setInterval(ms); }

    const std::string& dataList() const { return dataList_; }
    const std::string& socketPath() const { return socketPath_; }

signals:
    // The hand-off is over; the program ends with this code: 0 the run
    // succeeded, 1 it failed, was cancelled or never started.
    void ended(int exitCode);

private:
    enum class State { Started, Collecting, Running, Ended };

    void onNewConnection();
    void onReadyRead();
    void onSenderGone();
    void closeListener();
    void closeSender();
    void sb_StartRun();
    void lkl_clsFolderCopy_InfoCover_Done();
    void refuse(const std::string& reason);
    void unload(int exitCode);
    bool listen(std::string& error);

    run::RunCoverFactory coverFactory_;
    std::unique_ptr<run::RunCover> cover_;
    State state_ = State::Started;
    std::string actionWord_;
    std::string sourceFolder_;
    std::string shellFolder_;
    std::string dataList_;
    bool dataComplete_ = false;
    bool insideCover_ = false;
    bool runDone_ = false;
    int runExitCode_ = 1;
    bool unloaded_ = false;
    bool senderSpoke_ = false;
    std::string socketPath_;
    // Plain local sockets: the receiver needs no more than accept, read and
    // a one-byte answer, and a program without Qt's network library starts
    // sooner (every run, not only a hand-off, loads what it links).
    int listener_ = -1;
    int sender_ = -1;
    QSocketNotifier* listenerNotifier_ = nullptr;
    QSocketNotifier* senderNotifier_ = nullptr;
    shellext::wire::Decoder decoder_;
    QTimer timeout_;
};

} // namespace zdr::app
