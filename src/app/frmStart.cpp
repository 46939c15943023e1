#include "app/frmStart.h"

#include "app/HandOffAction.h"
#include "app/mdlFolderCopyCallback.h"
#include "base/Text.h"
#include "util/MsgBox.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace zdr::app {

namespace wire = shellext::wire;
namespace fs = std::filesystem;

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

frmStart::~frmStart() = default;

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
    server_ = new QLocalServer(this);
    connect(server_, &QLocalServer::newConnection, this, &frmStart::onNewConnection);
    if (wire::isAbstractAddress(socketPath_)) {
        // No runtime folder: a name nobody can make first in a shared folder.
        const int fd = wire::listenAbstract(socketPath_, error);
        if (fd < 0)
            return false;
        if (!server_->listen(fd)) {
            error = server_->errorString().toStdString();
            return false;
        }
        return true;
    }
    const QString path = QString::fromStdString(socketPath_);
    // A socket left by a receiver that died may go; a live one may not (Qt
    // would put the new one in its place).
    if (fs::exists(fs::symlink_status(socketPath_))) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(200)) {
            error = "ein anderes Programm empfängt bereits unter diesem Schlüssel";
            return false;
        }
        QLocalServer::removeServer(path);
    }
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        error = server_->errorString().toStdString();
        return false;
    }
    // Only this user may hand entries in; a socket needs no execute bit.
    chmod(socketPath_.c_str(), 0600);
    return true;
}

void frmStart::onNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // One sender per hand-off, of this user only.
        if (state_ != State::Collecting || sender_
            || !wire::peerIsSameUser(static_cast<int>(socket->socketDescriptor()))) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        sender_ = socket;
        connect(sender_, &QLocalSocket::readyRead, this, &frmStart::onReadyRead);
        connect(sender_, &QLocalSocket::disconnected, this, &frmStart::onSenderGone);
    }
}

void frmStart::onReadyRead()
{
    const QByteArray bytes = sender_->readAll();
    senderSpoke_ = senderSpoke_ || !bytes.isEmpty();
    decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    wire::Message message;
    for (;;) {
        const wire::Decoder::Result result = decoder_.next(message);
        if (result == wire::Decoder::Result::NeedMore)
            return;
        wire::Reply reply = wire::Reply::Refused;
        if (result == wire::Decoder::Result::Malformed) {
            refuse("Eine Nachricht des Dateimanagers ist länger als " + std::to_string(wire::kMaxPayload) + " Bytes.");
        } else if (state_ == State::Collecting) {
            timeout_.start();
            reply = fc_HandOffWindowProc(*this, message);
        }
        const char answer = static_cast<char>(reply);
        sender_->write(&answer, 1);
        sender_->flush();
        if (result == wire::Decoder::Result::Malformed)
            return;
    }
}

void frmStart::onSenderGone()
{
    if (state_ != State::Collecting)
        return;
    if (senderSpoke_) {
        refuse("Der Dateimanager hat die Übergabe vor ihrem Ende abgebrochen.");
        return;
    }
    // Only looked whether we are there (as a second receiver under the same key does).
    sender_->deleteLater();
    sender_ = nullptr;
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
    server_->close(); // nobody else can reach this hand-off any more
    // Entries are the point of a hand-off: without one nothing runs (a new
    // folder is made in the folder itself and comes without entries).
    if (dataList_.empty() && actionWord_ != "MKDIR") {
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
    run::CoverTask task;
    task.sourceFolder = sourceFolder_;
    task.selectedEntries = storedSelection(dataList_, sourceFolder_);
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
    if (server_)
        server_->close();
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
    if (server_)
        server_->close();
    if (sender_)
        sender_->disconnectFromServer();
    emit ended(exitCode);
}

} // namespace zdr::app
