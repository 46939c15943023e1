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

    enum class ConnectResult { Connected, NoReceiver, Stranger };

    // False while no receiver listens at the path (or it runs as another user).
    bool connect(const std::string& socketPath);
    // The same for a receiver that must be the given process (the program
    // the sender started): Stranger, and no connection, when another
    // process or another user's listens there.
    ConnectResult connectTo(const std::string& socketPath, long process);
    // The process that listened, after Connected or Stranger.
    long peer() const { return peer_; }
    bool connected() const { return fd_ >= 0; }

    // Broken: not connected, payload too long, write failed, no answer in time.
    SendResult send(std::uint32_t dwData, std::string_view payload, int answerTimeoutMs);

    void close();

private:
    int fd_ = -1;
    long peer_ = 0;
};

} // namespace zdr::shellext::wire
