#include "shellext/HandOffWire.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zdr::shellext::wire {

namespace {

void putUint32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

std::uint32_t getUint32(std::string_view in)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[static_cast<std::size_t>(i)]);
    return value;
}

// The fallback folder is shared /tmp: only a private folder of our own will do.
bool isPrivateFolder(const std::string& folder, std::string& error)
{
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) {
        error = "Der Ordner für die Übergabe fehlt: " + folder + " (" + std::strerror(errno) + ")";
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        error = "Der Ordner für die Übergabe ist nicht privat: " + folder;
        return false;
    }
    return true;
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

bool runtimeFolder(std::string& folder, std::string& error)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') {
        folder = runtime;
        return true;
    }
    folder = "/tmp/zendor-darorazu-" + std::to_string(geteuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "Der Ordner für die Übergabe kann nicht angelegt werden: " + folder + " (" + std::strerror(errno) + ")";
        return false;
    }
    return isPrivateFolder(folder, error);
}

bool receiverSocketPath(std::string_view key, std::string& path, std::string& error)
{
    if (!isValidKey(key)) {
        error = "Ungültiger Übergabeschlüssel: " + std::string(key);
        return false;
    }
    std::string folder;
    if (!runtimeFolder(folder, error))
        return false;
    path = folder + "/" + receiverTitle(key);
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        error = "Der Pfad für die Übergabe ist zu lang: " + path;
        return false;
    }
    return true;
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
    ucred credentials {};
    socklen_t length = sizeof(credentials);
    if (getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == geteuid();
}

} // namespace zdr::shellext::wire
