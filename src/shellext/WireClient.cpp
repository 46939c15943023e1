#include "shellext/WireClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zdr::shellext::wire {

WireClient::~WireClient() { close(); }

void WireClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool WireClient::connect(const std::string& socketPath) { return connectTo(socketPath, 0) == ConnectResult::Connected; }

WireClient::ConnectResult WireClient::connectTo(const std::string& socketPath, long process)
{
    close();
    peer_ = 0;
    sockaddr_un address{};
    socklen_t length = 0;
    if (!socketAddress(socketPath, address, length))
        return ConnectResult::NoReceiver;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return ConnectResult::NoReceiver;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return ConnectResult::NoReceiver;
    }
    // The receiver must be this user's (an abstract name can be taken by
    // anyone) and, where the sender knows it, the very process it started:
    // any other would get entries meant for another hand-off.
    peer_ = peerProcess(fd);
    if (!peerIsSameUser(fd) || (process != 0 && peer_ != process)) {
        ::close(fd);
        return ConnectResult::Stranger;
    }
    fd_ = fd;
    return ConnectResult::Connected;
}

WireClient::SendResult WireClient::send(std::uint32_t dwData, std::string_view payload, int answerTimeoutMs)
{
    std::string frame;
    if (fd_ < 0 || !encodeMessage(dwData, payload, frame))
        return SendResult::Broken;
    std::size_t written = 0;
    while (written < frame.size()) {
        const ssize_t n = ::send(fd_, frame.data() + written, frame.size() - written, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close();
            return SendResult::Broken;
        }
        written += static_cast<std::size_t>(n);
    }
    pollfd waitFor{fd_, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&waitFor, 1, answerTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    unsigned char answer = 0;
    if (ready != 1 || ::recv(fd_, &answer, 1, 0) != 1) {
        close();
        return SendResult::Broken;
    }
    return answer == static_cast<unsigned char>(Reply::Accepted) ? SendResult::Accepted : SendResult::Refused;
}

} // namespace zdr::shellext::wire
