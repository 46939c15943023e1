#include "shellext/HandOffWire.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zdr::shellext::wire {

namespace {

void putUint32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

// What keeps a receiver from opening its socket, in German; the shell
// extension links nothing of the program and carries its own few texts.
std::string socketErrorText(int code)
{
    switch (code) {
    case EADDRINUSE: return "ein anderes Programm empfängt bereits unter diesem Schlüssel";
    case EACCES:
    case EPERM: return "Zugriff verweigert";
    case EMFILE:
    case ENFILE: return "zu viele offene Dateien";
    case ENOBUFS:
    case ENOMEM: return "nicht genügend Arbeitsspeicher";
    case EAFNOSUPPORT:
    case EPROTONOSUPPORT: return "lokale Sockets werden nicht unterstützt";
    case EADDRNOTAVAIL: return "die Adresse ist nicht verfügbar";
    default: return "Systemfehler " + std::to_string(code);
    }
}

std::uint32_t getUint32(std::string_view in)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

std::string receiverTitle(std::string_view key)
{
    std::string title(kReceiverTitlePrefix);
    title.append(key);
    return title;
}

bool isValidKey(std::string_view key)
{
    return !key.empty() && key.size() <= kMaxKeyLength
        && std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string handOffKey(const timespec& utcNow, long process, unsigned number)
{
    tm parts{};
    if (gmtime_r(&utcNow.tv_sec, &parts) == nullptr)
        parts = tm{};
    // A year past 9999 comes from no real clock; it must not make the key too long.
    const int year = std::clamp(parts.tm_year + 1900, 0, 9999);
    const long millisecond = std::clamp(utcNow.tv_nsec, 0L, 999999999L) / 1000000;
    char key[64];
    std::snprintf(key, sizeof(key), "%d%d%d%d%d%d%ld%07ld%04u", parts.tm_mday, parts.tm_mon + 1, year, parts.tm_hour,
                  parts.tm_min, parts.tm_sec, millisecond, std::labs(process % 10000000), number % 10000);
    return key;
}

bool runtimeFolder(std::string& folder)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime != '/')
        return false;
    folder = runtime;
    return true;
}

bool receiverSocketPath(std::string_view key, std::string& path, std::string& error)
{
    if (!isValidKey(key)) {
        error = "Ungültiger Übergabeschlüssel: " + std::string(key);
        return false;
    }
    std::string folder;
    if (runtimeFolder(folder))
        path = folder + "/" + receiverTitle(key);
    else
        path = std::string(1, '\0') + "zendor-darorazu-" + std::to_string(geteuid()) + "-" + receiverTitle(key);
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        error = "Der Pfad für die Übergabe ist zu lang: " + path;
        return false;
    }
    return true;
}

bool isAbstractAddress(std::string_view path) { return !path.empty() && path.front() == '\0'; }

bool socketAddress(const std::string& path, sockaddr_un& address, socklen_t& length)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    // An abstract name is exactly its bytes; a file name ends at its NUL.
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + (isAbstractAddress(path) ? 0 : 1));
    return true;
}

int listenReceiver(const std::string& path, std::string& error)
{
    sockaddr_un address{};
    socklen_t length = 0;
    if (!socketAddress(path, address, length)) {
        error = "ungültige Adresse";
        return -1;
    }
    const auto* at = reinterpret_cast<const sockaddr*>(&address);
    const bool file = !isAbstractAddress(path);
    struct stat st {};
    if (file && lstat(path.c_str(), &st) == 0) {
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool live = probe >= 0 && connect(probe, at, length) == 0;
        if (probe >= 0)
            ::close(probe);
        if (live) {
            error = socketErrorText(EADDRINUSE);
            return -1;
        }
        ::unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = socketErrorText(errno);
        return -1;
    }
    // A socket needs no execute bit; its folder is this user's alone already.
    if (bind(fd, at, length) != 0 || (file && chmod(path.c_str(), 0600) != 0) || ::listen(fd, 4) != 0) {
        error = socketErrorText(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

bool encodeMessage(std::uint32_t dwData, std::string_view payload, std::string& frame)
{
    if (payload.size() > kMaxPayload)
        return false;
    frame.clear();
    putUint32(frame, dwData);
    putUint32(frame, static_cast<std::uint32_t>(payload.size()));
    frame.append(payload);
    return true;
}

Decoder::Result Decoder::next(Message& message)
{
    if (malformed_)
        return Result::Malformed;
    if (buffer_.size() < kHeaderSize)
        return Result::NeedMore;
    const std::string_view view(buffer_);
    const std::uint32_t size = getUint32(view.substr(4, 4));
    if (size > kMaxPayload) {
        malformed_ = true;
        buffer_.clear();
        return Result::Malformed;
    }
    if (buffer_.size() < kHeaderSize + size)
        return Result::NeedMore;
    message.dwData = getUint32(view.substr(0, 4));
    message.payload.assign(view.substr(kHeaderSize, size));
    buffer_.erase(0, kHeaderSize + size);
    return Result::Message;
}

bool hasDotStep(std::string_view path)
{
    std::size_t begin = 0;
    while (begin <= path.size()) {
        const std::size_t end = std::min(path.find('/', begin), path.size());
        const std::string_view step = path.substr(begin, end - begin);
        if (step == "." || step == "..")
            return true;
        begin = end + 1;
    }
    return false;
}

bool checkEntry(std::string_view entry, bool fullPath, std::string& error)
{
    const std::string shown(entry);
    if (entry.size() > kMaxPayload) {
        error = "Der Eintrag ist länger als " + std::to_string(kMaxPayload) + " Bytes: " + shown;
        return false;
    }
    if (entry.empty() || entry.front() != '/' || (!fullPath && entry.size() == 1)) {
        error = fullPath ? "Der Eintrag ist kein vollständiger Pfad: " + shown
                         : "Der Eintrag liegt nicht unter dem Quellordner: " + shown;
        return false;
    }
    if (entry.find(';') != std::string_view::npos) {
        error = "Der Eintrag enthält \";\", das Trennzeichen der Auswahl: " + shown;
        return false;
    }
    if (entry.find('\\') != std::string_view::npos) {
        error = "Der Eintrag enthält \"\\\", das Ordnerzeichen gespeicherter Auswahlen: " + shown;
        return false;
    }
    if (hasDotStep(entry)) {
        error = "Der Eintrag enthält \".\" oder \"..\": " + shown;
        return false;
    }
    return true;
}

bool peerIsSameUser(int socketFd)
{
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == geteuid();
}

long peerProcess(int socketFd)
{
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return 0;
    return credentials.pid;
}

} // namespace zdr::shellext::wire
