#include "app/frmStart.h"

#include "app/HandOffAction.h"
#include "app/mdlFolderCopyCallback.h"
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "platform/ErrorCode.h"
#include "project/Task.h"
#include "util/MsgBox.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zdr::app {

namespace wire = shellext::wire;

namespace {

constexpr const char* kAbortedTitle = "Aktion abgebrochen ...";
constexpr const char* kAborted =
    "Die Übergabe aus dem Dateimanager wurde abgebrochen, nichts wurde ausgeführt.\r\n\r\n";

bool isCleanFullPath(const std::string& path)
{
    return !path.empty() && path.front() == '/' && !wire::hasDotStep(path);
}

} // namespace

frmStart::frmStart(run::RunCoverFactory coverFactory, QWidget* parent)
    : QWidget(parent), coverFactory_(std::move(coverFactory))
{
    setObjectName(QStringLiteral("frmStart"));
    timeout_.setSingleShot(true);
    timeout_.setInterval(kDefaultTimeoutMs);
    connect(&timeout_, &QTimer::timeout, this,
            [this] { refuse("Die Endnachricht des Dateimanagers ist nicht angekommen."); });
}

frmStart::~frmStart()
{
    closeSender();
    closeListener();
}

bool frmStart::fc_Init(const std::string& /*firstWord: always DLL*/, const std::string& actionWord,
                       const std::string& key, const std::string& sourceFolder, const std::string& shellFolder)
{
    actionWord_ = actionWord;
    sourceFolder_ = sourceFolder;
    shellFolder_ = shellFolder;
    dataList_.clear();
    // Never shown: the title is what the sender looks for, the socket its address.
    setWindowTitle(QString::fromStdString(wire::receiverTitle(key)));

    std::string error;
    if (!handOffAction(actionWord))
        error = "Unbekannte Aktion: " + actionWord;
    else if (sourceFolder != wire::kMyComputer && !isCleanFullPath(sourceFolder))
        error = "Ungültiger Quellordner: " + sourceFolder;
    else if (!shellFolder.empty() && !isCleanFullPath(shellFolder))
        error = "Ungültiger Zielordner: " + shellFolder;
    else if (!wire::receiverSocketPath(key, socketPath_, error) || !listen(error))
        error = "Der Empfang ist nicht möglich: " + error;
    if (!error.empty()) {
        refuse(error);
        return false;
    }
    cover_ =
        coverFactory_({.done = [this] { lkl_clsFolderCopy_InfoCover_Done(); }, .actionStart = {}, .exceptData = {}});
    state_ = State::Collecting;
    timeout_.start();
    return true;
}

bool frmStart::listen(std::string& error)
{
    listener_ = wire::listenReceiver(socketPath_, error);
    if (listener_ < 0)
        return false;
    // A blocking listener would hang the program at its second accept.
    const int flags = fcntl(listener_, F_GETFL);
    if (flags < 0 || fcntl(listener_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = base::fc_GetApiErrorText(platform::fromErrno(errno));
        ::close(listener_);
        listener_ = -1;
        return false;
    }
    listenerNotifier_ = new QSocketNotifier(listener_, QSocketNotifier::Read, this);
    connect(listenerNotifier_, &QSocketNotifier::activated, this, &frmStart::onNewConnection);
    return true;
}

void frmStart::onNewConnection()
{
    for (;;) {
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0)
            return;
        // What the sender so far said or whether it hung up (one that only
        // looked whether we are there) counts before the newcomer.
        if (sender_ >= 0)
            onReadyRead();
        // One sender per hand-off, of this user only.
        if (state_ != State::Collecting || sender_ >= 0 || !wire::peerIsSameUser(socket)) {
            ::close(socket);
            continue;
        }
        sender_ = socket;
        senderNotifier_ = new QSocketNotifier(sender_, QSocketNotifier::Read, this);
        connect(senderNotifier_, &QSocketNotifier::activated, this, &frmStart::onReadyRead);
    }
}

// A notifier may be in the middle of its signal: it goes on the loop's next turn.
void frmStart::closeListener()
{
    if (listenerNotifier_ != nullptr) {
        listenerNotifier_->setEnabled(false);
        listenerNotifier_->deleteLater();
        listenerNotifier_ = nullptr;
    }
    if (listener_ < 0)
        return;
    ::close(listener_);
    listener_ = -1;
    if (!wire::isAbstractAddress(socketPath_))
        ::unlink(socketPath_.c_str());
}

void frmStart::closeSender()
{
    if (senderNotifier_ != nullptr) {
        senderNotifier_->setEnabled(false);
        senderNotifier_->deleteLater();
        senderNotifier_ = nullptr;
    }
    if (sender_ >= 0)
        ::close(sender_);
    sender_ = -1;
}

void frmStart::onReadyRead()
{
    std::string bytes;
    bool gone = false;
    for (;;) {
        char buffer[4096];
        const ssize_t got = ::read(sender_, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        gone = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    senderSpoke_ = senderSpoke_ || !bytes.empty();
    decoder_.feed(bytes);
    wire::Message message;
    for (;;) {
        const wire::Decoder::Result result = decoder_.next(message);
        if (result == wire::Decoder::Result::NeedMore)
            break;
        wire::Reply reply = wire::Reply::Refused;
        if (result == wire::Decoder::Result::Malformed) {
            refuse("Eine Nachricht des Dateimanagers ist länger als " + std::to_string(wire::kMaxPayload) + " Bytes.");
        } else if (state_ == State::Collecting) {
            timeout_.start();
            reply = fc_HandOffWindowProc(*this, message);
        }
        const char answer = static_cast<char>(reply);
        if (sender_ >= 0 && ::send(sender_, &answer, 1, MSG_NOSIGNAL) != 1)
            gone = true;
        if (result == wire::Decoder::Result::Malformed)
            return;
    }
    if (gone)
        onSenderGone();
}

void frmStart::onSenderGone()
{
    closeSender();
    if (state_ != State::Collecting)
        return;
    if (senderSpoke_)
        refuse("Der Dateimanager hat die Übergabe vor ihrem Ende abgebrochen.");
    // Else it only looked whether we are there (as a second receiver under
    // the same key does); the next sender may come.
}

bool frmStart::fc_AddData(const std::string& entry)
{
    if (state_ != State::Collecting)
        return false;
    std::string error;
    if (!wire::checkEntry(entry, sourceFolder_ == wire::kMyComputer, error)) {
        refuse(error);
        return false;
    }
    dataList_ += ';';
    dataList_ += entry;
    return true;
}

bool frmStart::fc_ReadySendData(const std::string& countText)
{
    if (state_ != State::Collecting)
        return false;
    state_ = State::Running;
    timeout_.stop();
    closeListener(); // nobody else can reach this hand-off any more
    // Entries are the point of a hand-off: without one nothing runs (a new
    // folder is made in the folder itself and comes without entries).
    if (dataList_.empty() && handOffAction(actionWord_)->pass != engine::PassAction::MkDir) {
        refuse("Der Dateimanager hat keine Einträge übergeben.");
        return false;
    }
    if (!dataList_.empty())
        dataList_.erase(0, 1);
    const auto received = static_cast<long long>(std::count(dataList_.begin(), dataList_.end(), ';')) + 1;
    dataComplete_ = base::numberValue(countText) == received;
    // The sender waits for this message's answer; the run must not keep it waiting.
    QTimer::singleShot(0, this, &frmStart::sb_StartRun);
    return true;
}

void frmStart::sb_StartRun()
{
    if (state_ != State::Running)
        return;
    const HandOffAction* action = handOffAction(actionWord_);
    project::Task task;
    task.sourceFolder = sourceFolder_;
    project::setFieldText(task, project::kSelection, storedSelection(dataList_, sourceFolder_));
    task.targetFolder = shellFolder_;
    insideCover_ = true;
    const bool started = cover_->fc_Init(std::string(action->action), action->status, kHandOffStatusEx,
                                         kHandOffFolderInfoLevel, kHandOffBlockBytes)
        && cover_->fc_InitAdd(task) && cover_->fc_InitActionStart(dataComplete_, nullptr);
    insideCover_ = false;
    if (!started) {
        // The coordinator has told the user why.
        unload(1);
    } else if (runDone_) {
        QTimer::singleShot(0, this, [this] { unload(runExitCode_); });
    }
}

void frmStart::lkl_clsFolderCopy_InfoCover_Done()
{
    // Raised from inside the coordinator: it is released (by unload) only
    // once its call has returned.
    runDone_ = true;
    // A script that started the hand-off learns how the run went.
    runExitCode_ = cover_->RunSucceeded() ? 0 : 1;
    if (!insideCover_)
        QTimer::singleShot(0, this, [this] { unload(runExitCode_); });
}

void frmStart::refuse(const std::string& reason)
{
    if (state_ == State::Ended)
        return;
    state_ = State::Ended;
    timeout_.stop();
    closeListener();
    // After the current message has had its answer.
    QTimer::singleShot(0, this, [this, reason] {
        util::ui::msgBox(nullptr, kAborted + reason, util::ui::Buttons::Ok, util::ui::Icon::Critical, kAbortedTitle);
        unload(1);
    });
}

void frmStart::unload(int exitCode)
{
    if (unloaded_)
        return;
    unloaded_ = true;
    state_ = State::Ended;
    timeout_.stop();
    cover_.reset();
    closeListener();
    closeSender();
    emit ended(exitCode);
}

} // namespace zdr::app
