// A stand-in for the program at the receiving end of a hand-off, as light as
// a test of hundreds of hand-offs needs: started as the program is
// (DLL WORD KEY "SOURCE" "FOLDER"), it listens under the key, takes one
// sender and, before it answers the end message, writes into FOLDER/empfangen
// the source folder and every entry it received, one a line.
#include "shellext/HandOffWire.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace wire = zdr::shellext::wire;

namespace {

std::string unquoted(std::string text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text;
}

bool answer(int fd, wire::Reply reply)
{
    const auto byte = static_cast<char>(reply);
    return ::send(fd, &byte, 1, MSG_NOSIGNAL) == 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6)
        return 2;
    alarm(60); // a sender that never comes does not keep it forever
    std::string path;
    std::string error;
    if (!wire::receiverSocketPath(argv[3], path, error))
        return 3;
    const int listener = wire::listenReceiver(path, error);
    if (listener < 0)
        return 4;
    const int sender = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    if (!wire::isAbstractAddress(path))
        ::unlink(path.c_str());
    if (sender < 0)
        return 5;
    std::string received = unquoted(argv[4]) + "\n";
    wire::Decoder decoder;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(sender, buffer, sizeof buffer);
        if (n <= 0)
            return 6; // hung up before its end message
        decoder.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
        wire::Message message;
        while (decoder.next(message) == wire::Decoder::Result::Message) {
            received += message.payload + "\n";
            if (message.dwData == wire::kEnd) {
                const std::string file = unquoted(argv[5]) + "/empfangen";
                std::FILE* out = std::fopen(file.c_str(), "w");
                const bool written = out != nullptr && std::fputs(received.c_str(), out) >= 0;
                if (out == nullptr || std::fclose(out) != 0 || !written)
                    return 7;
                return answer(sender, wire::Reply::Accepted) ? 0 : 8;
            }
            if (!answer(sender, wire::Reply::Accepted))
                return 8;
        }
    }
}
