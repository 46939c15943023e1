#pragma once

#include "shellext/HandOffWire.h"

#include <string>
#include <string_view>

namespace zdr::shellext::wire {

// The sending end of the wire: one connection to one receiver, messages sent
// one at a time, each waiting for its answer (like a synchronous window
// message). Never raises SIGPIPE, so a vanished receiver cannot take the file
// manager down.
class WireClient {
public:
    enum class SendResult { Accepted, Refused, Broken };

    WireClient() = default;
    ~WireClient();
    WireClient(const WireClient&) = delete;
    WireClient& operator=(const WireClient&) = delete;

    // False while no receiver listens at the path (or it runs as another user).
    bool connect(const std::string& socketPath);
    bool connected() const { return fd_ >= 0; }

    // Broken: not connected, payload too long, write failed, no answer in time.
    SendResult send(std::uint32_t dwData, std::string_view payload, int answerTimeoutMs);

    void close();

private:
    int fd_ = -1;
};

} // namespace zdr::shellext::wire
